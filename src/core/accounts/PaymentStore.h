#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class Db;

// Money received on a charge account. A positive amount is money received and lowers
// the balance.
struct Payment
{
    QString customerId;
    QDate paymentDate;
    double amount = 0;
    // The check number or a memo; may be empty.
    QString checkNum;
};

// The payments received.
namespace PaymentStore {

// Stores the payment, entered at `entered`, and posts it to the customer's balance (the
// balance falls by the amount; the hold flag follows), both in one transaction: the
// amount stored is the amount posted, and neither is written without the other.
// Returns false when the posting failed, and then nothing is stored (the reason goes
// to the "ams.posting" log); throws DbError when the payment row cannot be written.
// `balanceAfter`, when given, receives the customer's balance as the payment left it
// (nothing when no customer has the ID).
bool receive(Db &db, const Payment &payment, const QDateTime &entered, std::optional<double> *balanceAfter = nullptr);

// A payment as stored, with its number.
struct StoredPayment
{
    int id = 0;
    Payment payment;
};

// The customer's payments dated from the first day through the last, newest first.
QList<StoredPayment> paymentsOf(Db &db, const QString &customerId, const QDate &from, const QDate &to);
// The customer's latest payment by its date (the later entered of one day); nothing when
// the customer never paid.
std::optional<StoredPayment> lastPayment(Db &db, const QString &customerId);

} // namespace PaymentStore
