#pragma once

#include "db/Db.h"

#include <QString>
#include <QStringList>

#include <memory>

// Databases for tests. Every database test runs once per server: SQLite on a temporary
// file, and PostgreSQL on the server whose connection text AMS_TEST_PG holds (the test
// command starts one and sets it). Without it, or when that server cannot be reached, the
// PostgreSQL rows fail, saying so.
namespace TestDb {

// Names of the servers to run against: "SQLite" and "PostgreSQL".
QStringList servers();

// Adds one global data row per server (call from initTestCase_data()); test functions
// then read the server with QFETCH_GLOBAL(QString, server).
void addServerRows();

// A new, empty database with the schema on the named server. Each call starts afresh:
// a new SQLite file, or the PostgreSQL test database of this process emptied and
// re-created. Throws DbError when the server cannot be reached.
std::unique_ptr<Db> fresh(const QString &server);

// Like fresh(), but with the eleven tables as stations have always had them: made from
// the schema's SQL text of version 0, without the SchemaVersion table.
std::unique_ptr<Db> freshAtVersionZero(const QString &server);

// Runs the version-0 schema text of the database's server on it.
void createVersionZero(Db &db);

// The connection text of the PostgreSQL test server, as AMS_TEST_PG holds it; empty when
// the variable is not set.
QString postgresServer();
// What a test that needs PostgreSQL says when AMS_TEST_PG is not set: the variable and
// scripts/start-postgres, which starts a server and prints its connection text.
QString postgresMissing();

// The connection text that fresh() used last for the server, with its password: for
// starting another process on the same database.
QString connectionText(const QString &server);

// The connection text (with its password) of another database on the server, apart from
// fresh()'s and without tables: a file not there yet for SQLite, a new empty database on
// PostgreSQL. Each call starts afresh. For tests that move rows between databases.
QString emptyDatabase(const QString &server);

// The customers whose CurrentBalance is not their tickets less their payments to the
// cent, with what each holds, and those of wrongKeptTotals: empty when every balance
// and every kept total agrees.
QStringList wrongBalances(Db &db);

// The customer IDs whose kept sums (CustomerTotals) are not the sums of their tickets'
// totals and their payments' amounts to the cent: empty when every one agrees.
QStringList wrongKeptTotals(Db &db);

// The gift cards whose CardBalance is not what their transactions leave, with what each
// holds: sales add, redemptions take off, an edit sets the balance it carries; a balance
// below 0 is wrong too. Empty when every card agrees.
QStringList wrongGiftCardBalances(Db &db);

// Makes the server refuse one kind of statement on a table from now on, as a full disk
// or a broken constraint would: `event` is INSERT, UPDATE, DELETE or "UPDATE OF <column>",
// `when` a condition on the NEW row ("1 = 1": always). The error says "refused by the
// test". One refusal per table at a time.
void refuse(Db &db, const QString &table, const QString &event, const QString &when = QStringLiteral("1 = 1"));
// Takes the table's refusal back.
void stopRefusing(Db &db, const QString &table);

} // namespace TestDb
