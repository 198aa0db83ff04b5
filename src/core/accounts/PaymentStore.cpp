#include "accounts/PaymentStore.h"

#include "accounts/BalancePosting.h"
#include "db/Db.h"
#include "db/SaveRetry.h"

#include <QSqlRecord>

namespace PaymentStore {

bool receive(Db &db, const Payment &payment, const QDateTime &entered, std::optional<double> *balanceAfter)
{
    const SqlDialect &sql = db.dialect();
    // The payment's key and the balance it left, or a key of 0 when its posting failed
    // and nothing is to be stored.
    using Received = std::pair<int, std::optional<double>>;
    const std::function<Received()> attempt = [&] {
        Transaction transaction(db);
        const int id = db.insert(QStringLiteral("Payments"), {{QStringLiteral("Customer"), payment.customerId},
                                                              {QStringLiteral("PaymentDate"), sql.dateValue(payment.paymentDate)},
                                                              {QStringLiteral("Amount"), payment.amount},
                                                              {QStringLiteral("CheckNum"), payment.checkNum},
                                                              {QStringLiteral("EntryDate"), sql.dateTimeValue(entered)}})
                           .toInt();
        // The row goes back with the transaction when the posting fails.
        std::optional<PostedBalance> posted;
        if (!PostCustomerBalance(db, payment.customerId, -payment.amount, &posted))
            return Received{0, std::nullopt};
        transaction.commit();
        return Received{id, posted ? std::optional<double>(posted->balance) : std::nullopt};
    };
    // A payment whose commit went unanswered is looked for by its key before it is
    // received again.
    const Received received = SaveRetry::run<Received>(
        db, attempt, [&](const Received &r) { return SaveRetry::rowStored(db, QStringLiteral("Payments"), r.first); });
    if (received.first == 0)
        return false;
    if (balanceAfter)
        *balanceAfter = received.second;
    return true;
}

namespace {

StoredPayment paymentFrom(const Db &db, const QSqlRecord &row)
{
    StoredPayment p;
    p.id = row.value(QStringLiteral("ID")).toInt();
    p.payment.customerId = row.value(QStringLiteral("Customer")).toString();
    p.payment.paymentDate = db.dialect().readDate(row.value(QStringLiteral("PaymentDate")));
    p.payment.amount = row.value(QStringLiteral("Amount")).toDouble();
    p.payment.checkNum = row.value(QStringLiteral("CheckNum")).toString();
    return p;
}

} // namespace

QList<StoredPayment> paymentsOf(Db &db, const QString &customerId, const QDate &from, const QDate &to)
{
    QList<StoredPayment> payments;
    db.forEachRow(QStringLiteral("SELECT ID,Customer,PaymentDate,Amount,CheckNum FROM Payments "
                                 "WHERE Customer = ? AND PaymentDate >= ? AND PaymentDate <= ? "
                                 "ORDER BY PaymentDate DESC, ID DESC"),
                  {customerId, db.dialect().dateValue(from), db.dialect().dateValue(to)},
                  [&](const QSqlRecord &row) { payments.append(paymentFrom(db, row)); });
    return payments;
}

std::optional<StoredPayment> lastPayment(Db &db, const QString &customerId)
{
    const auto row = db.firstRow(db.dialect().firstRowOnly(QStringLiteral(
                                     "SELECT ID,Customer,PaymentDate,Amount,CheckNum FROM Payments WHERE Customer = ? "
                                     "ORDER BY PaymentDate DESC, ID DESC")),
                                 {customerId});
    if (!row)
        return std::nullopt;
    return paymentFrom(db, *row);
}

} // namespace PaymentStore
