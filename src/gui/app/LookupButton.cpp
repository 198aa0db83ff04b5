#include "app/LookupButton.h"

#include <QPainter>
#include <QPixmap>
#include <QToolButton>

namespace {

QIcon searchIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), 1.6));
    painter.drawEllipse(QRectF(2, 2, 8.5, 8.5));
    painter.setPen(QPen(QColor(40, 40, 40), 2.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10, 10), QPointF(14, 14));
    return QIcon(pixmap);
}

} // namespace

QToolButton *newLookupButton(const QString &toolTip, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QStringLiteral("btnLookup"));
    button->setIcon(searchIcon());
    button->setToolTip(toolTip);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}
