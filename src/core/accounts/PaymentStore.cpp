#include "accounts/PaymentStore.h"

#include "accounts/BalancePosting.h"
#include "db/Db.h"

namespace PaymentStore {

bool receive(Db &db, const Payment &payment, const QDateTime &entered)
{
    const SqlDialect &sql = db.dialect();
    Transaction transaction(db);
    db.insert(QStringLiteral("Payments"),
              {{QStringLiteral("Customer"), payment.customerId},
               {QStringLiteral("PaymentDate"), sql.dateValue(payment.paymentDate)},
               {QStringLiteral("Amount"), payment.amount},
               {QStringLiteral("CheckNum"), payment.checkNum},
               {QStringLiteral("EntryDate"), sql.dateTimeValue(entered)}});
    // The row goes back with the transaction when the posting fails.
    if (!PostCustomerBalance(db, payment.customerId, -payment.amount))
        return false;
    transaction.commit();
    return true;
}

} // namespace PaymentStore
