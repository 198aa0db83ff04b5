#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class Db;
class SqlDialect;

// Creating a database and filling it: used by the amsdb tool, the run script and the
// tests. The program itself never creates tables.
namespace DatabaseTool {

// Creates the newest schema version in one transaction: the eleven tables and their
// indexes as SchemaTables defines them, the customers' kept totals with the triggers that
// keep them, and the SchemaVersion table with its row.
void createSchema(Db &db);

// The CREATE statements createSchema runs on a server, in order.
QStringList schemaStatements(const SqlDialect &dialect);

// The names of the eleven tables.
QStringList tableNames();

// The kept totals table and its triggers (CREATE statements, in order).
QStringList customerTotalsStatements(const SqlDialect &dialect);

// Sums every customer's tickets and payments into the kept totals again, in the caller's
// transaction: what the triggers keep from then on. Returns the customers summed.
qint64 refillCustomerTotals(Db &db);

// Drops the eleven tables, the kept totals and SchemaVersion if they exist (tests and
// "amsdb create --replace").
void dropSchema(Db &db);

// The website password the demo gives a customer's login (stored as its hash).
QString demoPassword(const QString &customerId);

// A realistic demonstration: two locations, states, card types, about twenty customers
// with cards and logins, several hundred tickets over the months before `today`,
// payments, cash tickets and gift cards. Balances equal tickets less payments; accounts
// at their limit are on hold.
void fillDemo(Db &db, const QDate &today);

// Bulk rows for benchmarks: `customers` customers with one card each and `tickets`
// tickets spread over them and over the last year.
void fillVolume(Db &db, int customers, int tickets, const QDate &today);

// Bulk customer records for benchmarks of the customer screen: `customers` customers
// with four-character IDs (C000, C001, ... in base 36), each with a website login, and
// `cards` cards dealt out over them in turn (01, 02, ...).
void fillCustomerVolume(Db &db, int customers, int cards, const QDate &today);

// The ID fillCustomerVolume gives its n-th customer.
QString customerVolumeId(int n);

// Bulk cash tickets for benchmarks: `tickets` tickets over `names` walk-in names (each
// name at least once when there are enough tickets), spread over the last year.
void fillCashVolume(Db &db, int names, int tickets, const QDate &today);

// A chain's volume for benchmarks: at scale 1, 50 locations over the five years before
// `today`, 50,000 customers with one to three cards each, 5,000,000 charge tickets with
// their fuel and merchandise lines, 1,000,000 payments (a few of them returned checks)
// and 200,000 gift card transactions over 40,000 gift cards. A smaller scale keeps the
// locations and the years and scales every count (at least one of each). Balances equal
// tickets less payments, accounts at their limit are on hold, and every gift card's
// balance is what its transactions leave. The rows are made by the server itself in one
// transaction, so a full chain takes minutes rather than hours.
struct ChainVolume
{
    int locations = 50;
    qint64 customers = 50000;
    qint64 tickets = 5000000;
    qint64 payments = 1000000;
    qint64 giftCardTransactions = 200000;

    // The counts at `scale` (1: the full chain).
    static ChainVolume at(double scale);
};
void fillChain(Db &db, const ChainVolume &volume, const QDate &today);

// The customer ID fillChain gives its n-th customer (from 0).
QString chainCustomerId(qint64 n);

} // namespace DatabaseTool
