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
    // Amounts first: one beyond every number makes its total show as 0, and the clerk
    // should hear about that amount rather than be told there is none.
    if (!AmountRule::checkBeforeSave(screen, TicketColumns::unstorableAmount(amounts)))
        return false;
    if (!enough) {
        MessageBox::ok(screen, notEnoughText, QStringLiteral("Not Enough Information"), MessageBox::Icon::Exclamation);
        return false;
    }
    return TextRule::checkBeforeSave(screen, screen->findChildren<QLineEdit *>());
}

TicketStamp stampNow()
{
    const Configuration &config = appContext().config;
    return {config.WorkstationID, config.locationNumber(), QDateTime::currentDateTime()};
}

} // namespace TicketScreenKit
