#include "accounts/BalancePosting.h"

#include "app/Logging.h"
#include "db/Db.h"
#include "db/DbError.h"

void postToCustomerBalance(Db &db, const QString &customerId, double amount)
{
    const SqlDialect &sql = db.dialect();
    Transaction transaction(db);
    // One statement adds on the server, so two workstations posting at once never
    // overwrite each other's amount.
    db.exec(QStringLiteral("UPDATE Customer SET CurrentBalance = %1 WHERE ID = ?")
                .arg(sql.money(QStringLiteral("CurrentBalance + ?"))),
            {amount, customerId});
    db.exec(QStringLiteral("UPDATE Customer SET AcctOnHold = 1 WHERE (ID = ?) AND (CurrentBalance >= %1)").arg(sql.limitColumn()),
            {customerId});
    db.exec(QStringLiteral("UPDATE Customer SET AcctOnHold = 0 WHERE (ID = ?) AND (CurrentBalance < %1)").arg(sql.limitColumn()),
            {customerId});
    transaction.commit();
}

bool PostCustomerBalance(Db &db, const QString &customerId, double amount)
{
    try {
        postToCustomerBalance(db, customerId, amount);
        return true;
    } catch (const DbError &error) {
        qCWarning(lcPosting) << "posting" << amount << "to customer" << customerId << "failed:" << error.serverText()
                             << error.statement();
        return false;
    }
}
