#pragma once

#include "accounts/Aging.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <array>
#include <optional>

class Db;

// A customer with what it owed at the end of one day, for statements and the aging report.
struct AgedAccount
{
    QString customerId;
    QString name;
    QString address1;
    QString address2;
    QString city;
    QString state;
    QString zip;
    QString phone;
    QString contact;
    bool inactive = false;
    bool onHold = false;
    double limit = 0;
    // The stored balance the postings keep; NULL when none was ever set.
    QVariant currentBalance;
    // The terms its tickets are due by, and whether they are its own (else the location's).
    int terms = PaymentTerms::kDefaultDays;
    bool ownTerms = false;
    // What it owed at the end of the day, by column, and any credit (Aging::ageBalance).
    Aging::AgedBalance aged;
};

// One line of a statement: a charge ticket or a payment.
struct AccountEntry
{
    enum class Kind { Ticket, Payment };

    QString customerId;
    Kind kind = Kind::Ticket;
    // A ticket's date and time; a payment's day (at midnight).
    QDateTime when;
    // The ticket or payment number.
    qint64 number = 0;
    QString cardNo;
    QString truckNumber;
    // Gas, diesel and off-road diesel gallons of a ticket.
    double gallons = 0;
    // A ticket's total or a payment's amount, in cents, as stored.
    Aging::Cents amount = 0;
    QString checkNum;
};

// What customers owe, read for statements and the aging report. A day is whole: a ticket
// counts on its day from 00:00:00 to 23:59:59, a payment on its day whatever time of day
// it was stored with. Each routine reads all customers in one or two statements.
namespace ReceivablesStore {

// Every customer (or the one with this ID) with what it owed at the end of `asOf` (its
// tickets up to that day less its payments up to that day), aged
// by each customer's terms (its own, or locationTerms): the balance stands in the columns
// of the newest charges (tickets up to that day's last second, returned checks dated up
// to that day) that make it up. In customer ID order. Tickets and payments filed under no
// customer are left out. Throws DbError.
QList<AgedAccount> agedAccounts(Db &db, const QDate &asOf, int locationTerms, const QString &customerId = {});

// The balance of every customer (or the one) before the day `day`: its tickets less its
// payments dated before that day's midnight, in cents. Entries filed under no customer
// of the Customer table are left out.
QHash<QString, Aging::Cents> balancesBefore(Db &db, const QDate &day, const QString &customerId = {});

// The tickets and payments of the days start..end, of every customer (or the one), by
// customer, then by day, each day's tickets before its payments, tickets in time order.
QList<AccountEntry> entries(Db &db, const QDate &start, const QDate &end, const QString &customerId = {});

// The first day the customer has a ticket or a payment on; nothing when it has neither.
// Throws DbError.
std::optional<QDate> firstDay(Db &db, const QString &customerId);

} // namespace ReceivablesStore
