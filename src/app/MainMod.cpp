#include "app/MainMod.h"

#include "db/Db.h"
#include "db/DbError.h"

bool PostCustomerBalance(Db &db, const QString &customerId, double amount)
{
    const SqlDialect &sql = db.dialect();
    try {
        Transaction transaction(db);
        // One statement adds on the server, so two workstations posting at once never
        // overwrite each other's amount.
        db.exec(QStringLiteral("UPDATE Customer SET CurrentBalance = %1 WHERE ID = ?")
                    .arg(sql.money(QStringLiteral("CurrentBalance + ?"))),
                {amount, customerId});
        db.exec(QStringLiteral("UPDATE Customer SET AcctOnHold = 1 WHERE (ID = ?) AND (CurrentBalance >= %1)")
                    .arg(sql.limitColumn()),
                {customerId});
        db.exec(QStringLiteral("UPDATE Customer SET AcctOnHold = 0 WHERE (ID = ?) AND (CurrentBalance < %1)")
                    .arg(sql.limitColumn()),
                {customerId});
        transaction.commit();
        return true;
    } catch (const DbError &) {
        return false;
    }
}

QString ParseSwipedCard(const QString &swipe)
{
    if (swipe.size() == 11)
        return swipe.mid(1, 9);
    return QStringLiteral("NA");
}
