#include "accounts/CustomerBalances.h"

#include "db/DatabaseTool.h"
#include "db/Db.h"

RebuildCount RebuildCustomerBalances(Db &db)
{
    const SqlDialect &d = db.dialect();
    const QString charged =
        d.ifNull(QStringLiteral("(SELECT SUM(Total) FROM Tickets WHERE Tickets.CustomerID = Customer.ID)"), QStringLiteral("0"));
    const QString paid =
        d.ifNull(QStringLiteral("(SELECT SUM(Amount) FROM Payments WHERE Payments.Customer = Customer.ID)"), QStringLiteral("0"));
    const QString owed = d.money(charged + QStringLiteral(" - ") + paid);
    // Every balance is recomputed; only those that differ are written, so that the count
    // of rows the statement changed is the count of balances that were wrong.
    RebuildCount count;
    count.changed = db.exec(
        QStringLiteral("UPDATE Customer SET CurrentBalance = %1 WHERE CurrentBalance IS NULL OR CurrentBalance <> %1").arg(owed));
    count.changed += db.exec(QStringLiteral("UPDATE Customer Set CurrentBalance = 0 Where CurrentBalance Is Null"));
    count.customers = db.firstRow(QStringLiteral("SELECT COUNT(*) FROM Customer"))->value(0).toInt();
    // The sums the aging report and the statements start from, made again from the same
    // rows: whole or not at all.
    Transaction transaction(db);
    DatabaseTool::refillCustomerTotals(db);
    transaction.commit();
    return count;
}
