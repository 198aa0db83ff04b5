#include "accounts/BalancePosting.h"

#include "app/Logging.h"
#include "db/Db.h"
#include "db/DbError.h"

#include <QSqlRecord>

std::optional<PostedBalance> postToCustomerBalance(Db &db, const QString &customerId, double amount)
{
    const SqlDialect &sql = db.dialect();
    const QString balance = sql.money(QStringLiteral("CurrentBalance + ?"));
    const QString limit = sql.limitColumn();
    Transaction transaction(db);
    // One statement adds on the server, so two workstations posting at once never
    // overwrite each other's amount, and sets the hold from the balance it has just
    // written. A balance or limit that is not set leaves the hold as it was.
    const QList<QSqlRecord> rows =
        db.rows(QStringLiteral("UPDATE Customer SET CurrentBalance = %1, AcctOnHold = CASE WHEN %1 >= %2 THEN 1 "
                               "WHEN %1 < %2 THEN 0 ELSE AcctOnHold END WHERE ID = ? RETURNING CurrentBalance, %2, AcctOnHold")
                    .arg(balance, limit),
                {amount, amount, amount, customerId});
    transaction.commit();
    if (rows.isEmpty())
        return std::nullopt;
    return PostedBalance{rows.first().value(0).toDouble(), rows.first().value(1).toDouble(), rows.first().value(2).toInt() != 0};
}

bool PostCustomerBalance(Db &db, const QString &customerId, double amount, std::optional<PostedBalance> *posted)
{
    try {
        const std::optional<PostedBalance> result = postToCustomerBalance(db, customerId, amount);
        if (posted)
            *posted = result;
        return true;
    } catch (const DbError &error) {
        qCWarning(lcPosting) << "posting" << amount << "to customer" << customerId << "failed:" << error.serverText()
                             << error.statement();
        return false;
    }
}
