#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class Db;

// Creating a database and filling it: used by the amsdb tool, the run script and the
// tests. The program itself never creates tables.
namespace DatabaseTool {

// Runs the schema file of the connection's server: the eleven tables and their indexes.
void createSchema(Db &db);

// The names of the eleven tables.
QStringList tableNames();

// The text of a server's schema file ("SQLite" or "PostgreSQL", as SqlDialect::name()).
QString schemaText(const QString &server);

// Drops the eleven tables if they exist (tests and "amsdb create --replace").
void dropSchema(Db &db);

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

} // namespace DatabaseTool
