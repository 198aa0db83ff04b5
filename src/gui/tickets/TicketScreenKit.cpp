#include "tickets/TicketScreenKit.h"

#include "app/AppContext.h"
#include "app/FieldChecks.h"
#include "app/MessageBox.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace TicketScreenKit {

QPushButton *button(const QString &caption, const char *name, QWidget *parent, int minimumWidth)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(true);
    b->setMinimumWidth(minimumWidth);
    return b;
}

void layOut(QWidget *screen, QWidget *acctInfo, QWidget *ticketInfo, QWidget *lines, QLayout *bottom)
{
    auto *top = new QHBoxLayout;
    top->addWidget(acctInfo, 1);
    top->addWidget(ticketInfo, 1);

    auto *column = new QVBoxLayout(screen);
    column->addLayout(top);
    column->addWidget(lines);
    column->addLayout(bottom);
    column->setSizeConstraint(QLayout::SetFixedSize);
}

bool readyToStore(QWidget *screen, bool enough, const QString &notEnoughText, const TicketLines::Amounts &amounts)
{
    if (!enough) {
        MessageBox::ok(screen, notEnoughText, QStringLiteral("Not Enough Information"), MessageBox::Icon::Exclamation);
        return false;
    }
    return TextRule::checkBeforeSave(screen, screen->findChildren<QLineEdit *>())
        && AmountRule::checkBeforeSave(screen, TicketColumns::unstorableAmount(amounts));
}

TicketStamp stampNow()
{
    const Configuration &config = appContext().config;
    return {config.WorkstationID, config.locationNumber(), QDateTime::currentDateTime()};
}

} // namespace TicketScreenKit
