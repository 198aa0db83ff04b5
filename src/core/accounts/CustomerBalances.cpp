#include "accounts/CustomerBalances.h"

#include "db/Db.h"

void RebuildCustomerBalances(Db &db)
{
    const SqlDialect &d = db.dialect();
    const QString charged = d.ifNull(QStringLiteral("(SELECT SUM(Total) FROM Tickets WHERE Tickets.CustomerID = Customer.ID)"),
                                     QStringLiteral("0"));
    const QString paid = d.ifNull(QStringLiteral("(SELECT SUM(Amount) FROM Payments WHERE Payments.Customer = Customer.ID)"),
                                  QStringLiteral("0"));
    db.exec(QStringLiteral("UPDATE Customer SET CurrentBalance = %1").arg(d.money(charged + QStringLiteral(" - ") + paid)));
    db.exec(QStringLiteral("UPDATE Customer Set CurrentBalance = 0 Where CurrentBalance Is Null"));
}
