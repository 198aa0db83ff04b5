// The operations every screen relies on, on each server: errors that carry the server's
// text and the statement, inserts that return the new key, updates by key and the
// transaction guard.

#include "TestDb.h"

#include "db/Db.h"
#include "db/DbError.h"

#include <QSqlRecord>
#include <QTest>

class tst_Connection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void failingOperation_data();
    void failingOperation();
    void insertReturnsRisingKeys_data();
    void insertReturnsRisingKeys();
    void updateByKey();
    void namesOutsideTheProgramsOwnAreRefused_data();
    void namesOutsideTheProgramsOwnAreRefused();
    void transactionGuard_data();
    void transactionGuard();
    void failedCommitLeavesNoTransaction();
    void keptStatementsRunAgain();
    void visitedRowsAreEachTheirOwn();
};

void tst_Connection::initTestCase_data() { TestDb::addServerRows(); }

void tst_Connection::failingOperation_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("serverWords");
    QTest::addColumn<QString>("statementWords");

    QTest::newRow("rows of a missing table") << "rows"
                                             << "nosuchtable"
                                             << "SELECT * FROM NoSuchTable WHERE ID = ?";
    QTest::newRow("first row of a missing table") << "firstRow"
                                                  << "nosuchtable"
                                                  << "SELECT * FROM NoSuchTable WHERE ID = ?";
    QTest::newRow("each row of a missing table") << "forEachRow"
                                                 << "nosuchtable"
                                                 << "SELECT * FROM NoSuchTable WHERE ID = ?";
    QTest::newRow("a statement with a misspelt keyword") << "exec"
                                                         << ""
                                                         << "UPDATE Customer SETT Name = ? WHERE ID = ?";
    QTest::newRow("a statement without values on a missing table") << "execPlain"
                                                                   << "nosuchtable"
                                                                   << "DELETE FROM NoSuchTable";
    QTest::newRow("an insert into a missing column") << "insert"
                                                     << "nosuchcolumn"
                                                     << "INSERT INTO Customer";
    QTest::newRow("an update of a missing column") << "update"
                                                   << "nosuchcolumn"
                                                   << "UPDATE Customer SET NoSuchColumn";
    QTest::newRow("an insert of a duplicate key") << "duplicate"
                                                  << ""
                                                  << "INSERT INTO Customer";
}

void tst_Connection::failingOperation()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, operation);
    QFETCH(QString, serverWords);
    QFETCH(QString, statementWords);
    auto db = TestDb::fresh(server);
    db->insert(QStringLiteral("Customer"), {{"ID", "1001"}, {"Name", "Acme"}}, QString());

    try {
        if (operation == u"rows")
            db->rows(statementWords, {1});
        else if (operation == u"firstRow")
            db->firstRow(statementWords, {1});
        else if (operation == u"forEachRow")
            db->forEachRow(statementWords, {1}, [](const QSqlRecord &) {});
        else if (operation == u"exec")
            db->exec(statementWords, {"x", "1001"});
        else if (operation == u"execPlain")
            db->exec(statementWords);
        else if (operation == u"insert")
            db->insert(QStringLiteral("Customer"), {{"ID", "1002"}, {"NoSuchColumn", 1}}, QString());
        else if (operation == u"update")
            db->update(QStringLiteral("Customer"), {{"NoSuchColumn", 1}}, QStringLiteral("1001"));
        else if (operation == u"duplicate")
            db->insert(QStringLiteral("Customer"), {{"ID", "1001"}, {"Name", "Acme again"}}, QString());
        QFAIL("the operation did not fail");
    } catch (const DbError &e) {
        QVERIFY2(!e.serverText().isEmpty(), "the error has no text");
        QVERIFY2(e.serverText().contains(serverWords, Qt::CaseInsensitive), qPrintable(e.serverText()));
        QVERIFY2(e.statement().contains(statementWords), qPrintable(e.statement()));
    }
    // The connection stays usable after the failure.
    QCOMPARE(db->firstRow(QStringLiteral("SELECT Name FROM Customer WHERE ID = ?"), {"1001"})->value("Name").toString(),
             QStringLiteral("Acme"));
}

void tst_Connection::insertReturnsRisingKeys_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");

    QTest::newRow("charge tickets") << "Tickets"
                                    << "Clerk";
    QTest::newRow("cash tickets") << "CashTickets"
                                  << "Clerk";
    QTest::newRow("payments") << "Payments"
                              << "CheckNum";
    QTest::newRow("gift card transactions") << "GiftCardTransactions"
                                            << "Clerk";
}

void tst_Connection::insertReturnsRisingKeys()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, table);
    QFETCH(QString, column);
    auto db = TestDb::fresh(server);

    qlonglong previous = 0;
    for (int i = 0; i < 5; ++i) {
        const QString value = QStringLiteral("row %1").arg(i);
        const QVariant key = db->insert(table, {{column, value}});
        bool ok = false;
        const qlonglong k = key.toLongLong(&ok);
        QVERIFY2(ok, qPrintable(key.toString()));
        QVERIFY2(k > previous, qPrintable(QStringLiteral("%1 after %2").arg(k).arg(previous)));
        previous = k;
        // The key names the row just written.
        const auto row = db->firstRow(QStringLiteral("SELECT %1 FROM %2 WHERE ID = ?").arg(column, table), {key});
        QVERIFY(row);
        QCOMPARE(row->value(column).toString(), value);
    }
}

void tst_Connection::updateByKey()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    db->insert(QStringLiteral("Customer"), {{"ID", "O'1"}, {"Name", "Before"}, {"Limit", 100}}, QString());
    db->insert(QStringLiteral("Customer"), {{"ID", "1002"}, {"Name", "Other"}, {"Limit", 200}}, QString());

    QCOMPARE(db->update(QStringLiteral("Customer"), {{"Name", "After"}, {"Limit", 2500.5}}, QStringLiteral("O'1")), 1);
    const auto changed =
        db->firstRow(QStringLiteral("SELECT Name, %1 FROM Customer WHERE ID = ?").arg(db->dialect().limitColumn()), {"O'1"});
    QVERIFY(changed);
    QCOMPARE(changed->value("Name").toString(), QStringLiteral("After"));
    QCOMPARE(changed->value("Limit").toDouble(), 2500.5);
    // The other row is untouched, and a key that matches nothing changes nothing.
    QCOMPARE(db->firstRow(QStringLiteral("SELECT Name FROM Customer WHERE ID = ?"), {"1002"})->value("Name").toString(),
             QStringLiteral("Other"));
    QCOMPARE(db->update(QStringLiteral("Customer"), {{"Name", "Nobody"}}, QStringLiteral("9999")), 0);

    // Numeric keys work the same way.
    const QVariant ticket = db->insert(QStringLiteral("Tickets"), {{"Clerk", "BETH"}});
    QCOMPARE(db->update(QStringLiteral("Tickets"), {{"Clerk", "MIKE"}}, ticket), 1);
    QCOMPARE(db->firstRow(QStringLiteral("SELECT Clerk FROM Tickets WHERE ID = ?"), {ticket})->value("Clerk").toString(),
             QStringLiteral("MIKE"));
}

void tst_Connection::namesOutsideTheProgramsOwnAreRefused_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");

    QTest::newRow("a column with a statement behind it") << "insert"
                                                         << "Customer"
                                                         << "Name) VALUES ('x'); DROP TABLE Customer; --";
    QTest::newRow("a column ending in a line break") << "insert"
                                                     << "Customer"
                                                     << "Name\n";
    QTest::newRow("a column starting with a digit") << "insert"
                                                    << "Customer"
                                                    << "1Name";
    QTest::newRow("an empty column") << "update"
                                     << "Customer"
                                     << "";
    QTest::newRow("a column with a letter beyond ASCII") << "update"
                                                         << "Customer" << QStringLiteral("N\u00e4me");
    QTest::newRow("a column in quotes") << "update"
                                        << "Customer"
                                        << "\"Name\"";
    QTest::newRow("a table with a space") << "insert"
                                          << "Customer x"
                                          << "Name";
    QTest::newRow("a table ending in a line break") << "update"
                                                    << "Customer\n"
                                                    << "Name";
}

void tst_Connection::namesOutsideTheProgramsOwnAreRefused()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, operation);
    QFETCH(QString, table);
    QFETCH(QString, column);
    auto db = TestDb::fresh(server);
    db->insert(QStringLiteral("Customer"), {{"ID", "1001"}, {"Name", "Acme"}}, QString());

    try {
        if (operation == u"insert")
            db->insert(table, {{"ID", "1002"}, {column, "Other"}}, QString());
        else
            db->update(table, {{column, "Other"}}, QStringLiteral("1001"));
        QFAIL("the name was taken");
    } catch (const DbError &e) {
        QVERIFY2(e.serverText().startsWith(QLatin1String("Not a table or column name")), qPrintable(e.serverText()));
    }
    // Nothing reached the server: the table and its row are as they were.
    QCOMPARE(db->firstRow(QStringLiteral("SELECT COUNT(*) FROM Customer"))->value(0).toInt(), 1);
    QCOMPARE(db->firstRow(QStringLiteral("SELECT Name FROM Customer WHERE ID = ?"), {"1001"})->value("Name").toString(),
             QStringLiteral("Acme"));
}

void tst_Connection::transactionGuard_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<bool>("throws");

    // An inner guard is a step of the outer transaction: when it ends without commit,
    // its step failed, and the outer commit must not keep the rest.
    QTest::newRow("an inner guard left without commit makes the outer commit fail") << "commit" << false << true;
    QTest::newRow("a transaction left without commit rolls back") << "leave" << false << false;
    QTest::newRow("a transaction left by an error rolls back") << "error" << false << true;
    QTest::newRow("an inner guard's commit does not commit the outer one") << "inner" << false << false;
    QTest::newRow("inner and outer commits keep the rows") << "both" << true << false;
}

void tst_Connection::transactionGuard()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, how);
    QFETCH(bool, kept);
    QFETCH(bool, throws);
    auto db = TestDb::fresh(server);

    bool thrown = false;
    try {
        Transaction outer(*db);
        db->insert(QStringLiteral("Customer"), {{"ID", "1001"}, {"Name", "Acme"}}, QString());
        {
            Transaction inner(*db);
            db->insert(QStringLiteral("Payments"), {{"Customer", "1001"}, {"Amount", 50}});
            if (how == u"inner" || how == u"both")
                inner.commit();
        }
        if (how == u"error")
            db->exec(QStringLiteral("UPDATE NoSuchTable SET X = 1"));
        if (how == u"commit" || how == u"both")
            outer.commit();
    } catch (const DbError &) {
        thrown = true;
    }
    QCOMPARE(thrown, throws);
    QCOMPARE(db->rows(QStringLiteral("SELECT ID FROM Customer")).size(), kept ? 1 : 0);
    QCOMPARE(db->rows(QStringLiteral("SELECT ID FROM Payments")).size(), kept ? 1 : 0);

    // The connection is out of any transaction: a new one starts and commits.
    Transaction next(*db);
    db->insert(QStringLiteral("Customer"), {{"ID", "2002"}, {"Name", "Next"}}, QString());
    next.commit();
    QCOMPARE(db->rows(QStringLiteral("SELECT ID FROM Customer WHERE ID = ?"), {"2002"}).size(), 1);
}

// A commit the server refuses (here a deferred constraint) must not leave the
// connection inside the failed transaction.
void tst_Connection::failedCommitLeavesNoTransaction()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    if (server == u"SQLite") {
        db->exec(QStringLiteral("PRAGMA foreign_keys=ON"));
        db->exec(QStringLiteral("CREATE TABLE Parent (K INTEGER PRIMARY KEY)"));
        db->exec(QStringLiteral("CREATE TABLE Child (K INTEGER REFERENCES Parent (K) DEFERRABLE INITIALLY DEFERRED)"));
    } else {
        db->exec(QStringLiteral("CREATE TABLE Child (K INTEGER UNIQUE DEFERRABLE INITIALLY DEFERRED)"));
        db->exec(QStringLiteral("INSERT INTO Child (K) VALUES (5)"));
    }

    bool refused = false;
    try {
        Transaction transaction(*db);
        db->insert(QStringLiteral("Customer"), {{"ID", "1001"}, {"Name", "Acme"}}, QString());
        db->insert(QStringLiteral("Child"), {{"K", 5}}, QString());
        transaction.commit();
    } catch (const DbError &e) {
        refused = true;
        QVERIFY(!e.serverText().isEmpty());
    }
    QVERIFY(refused);
    QCOMPARE(db->rows(QStringLiteral("SELECT ID FROM Customer")).size(), 0);

    Transaction next(*db);
    db->insert(QStringLiteral("Customer"), {{"ID", "2002"}, {"Name", "Next"}}, QString());
    next.commit();
    QCOMPARE(db->rows(QStringLiteral("SELECT ID FROM Customer")).size(), 1);
}

// A statement is prepared once and run again with new values for the connection's life;
// one whose rows are still being read is never taken from its reader, a failed run
// leaves it usable, and a change of the table's shape is seen by the next run.
void tst_Connection::keptStatementsRunAgain()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    const QString byId = QStringLiteral("SELECT * FROM Customer WHERE ID >= ? ORDER BY ID");
    for (const char *id : {"1001", "1002", "1003"})
        db->insert(QStringLiteral("Customer"), {{"ID", id}, {"Name", QStringLiteral("N") + id}}, QString());

    // The second run with other values asks the server once, not three times.
    QCOMPARE(db->rows(byId, {"1002"}).size(), 2);
    const Db::Traffic before = db->traffic();
    QCOMPARE(db->rows(byId, {"1003"}).size(), 1);
    QCOMPARE(db->traffic().statements - before.statements, 1);
    QCOMPARE(db->traffic().roundTrips - before.roundTrips, 1);

    // The same statement inside its own reader's visit runs all the same (on SQLite: a
    // PostgreSQL connection hands a long read over row by row and runs nothing meanwhile).
    if (server == u"SQLite") {
        QStringList pairs;
        db->forEachRow(byId, {"1002"}, [&](const QSqlRecord &row) {
            for (const QSqlRecord &inner : db->rows(byId, {row.value("ID")}))
                pairs << row.value("ID").toString() + inner.value("ID").toString();
        });
        QCOMPARE(pairs, QStringList({"10021002", "10021003", "10031003"}));
    }

    // A run that fails (a key taken) leaves the statement to run again.
    const QString add = QStringLiteral("INSERT INTO Customer (ID, Name) VALUES (?, ?)");
    QVERIFY_THROWS_EXCEPTION(DbError, db->exec(add, {"1001", "Twice"}));
    QCOMPARE(db->exec(add, {"1004", "Fourth"}), 1);

    // A column added after the statement was kept is in its next rows.
    db->exec(QStringLiteral("ALTER TABLE Customer ADD COLUMN Extra VARCHAR(10)"));
    db->exec(QStringLiteral("UPDATE Customer SET Extra = 'x'"));
    const QList<QSqlRecord> rows = db->rows(byId, {"1004"});
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().value("Extra").toString(), QStringLiteral("x"));
}

// A long read hands its rows over one at a time, reusing what it can between them: a
// row a visitor keeps still holds its own values after the next is read, a NULL after
// a value reads as NULL, and a read by place gives what the record gives by name.
void tst_Connection::visitedRowsAreEachTheirOwn()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    db->insert(QStringLiteral("Customer"), {{"ID", "3001"}, {"Name", "First"}, {"City", "Amarillo"}}, QString());
    db->insert(QStringLiteral("Customer"), {{"ID", "3002"}, {"Name", "Second"}, {"City", QVariant()}}, QString());
    db->insert(QStringLiteral("Customer"), {{"ID", "3003"}, {"Name", "Third"}, {"City", "Dumas"}}, QString());
    const QString sql = QStringLiteral("SELECT ID, Name, City FROM Customer ORDER BY ID");
    const QList<QSqlRecord> whole = db->rows(sql);
    QCOMPARE(whole.size(), 3);

    QList<QSqlRecord> kept;
    db->forEachRow(sql, {}, [&](const QSqlRecord &row) { kept << row; });
    QStringList byPlace;
    db->forEachRowByPlace(sql, {}, [&](const Db::Row &row) {
        byPlace << row.value(0).toString() + u'|' + row.value(1).toString() + u'|'
                       + (row.value(2).isNull() ? QStringLiteral("NULL") : row.value(2).toString());
    });
    QCOMPARE(kept.size(), whole.size());
    QCOMPARE(byPlace.size(), whole.size());
    for (qsizetype i = 0; i < whole.size(); ++i) {
        for (const char *column : {"ID", "Name", "City"}) {
            QCOMPARE(kept[i].value(column).isNull(), whole[i].value(column).isNull());
            QCOMPARE(kept[i].value(column).toString(), whole[i].value(column).toString());
        }
        const QString city = whole[i].value("City").isNull() ? QStringLiteral("NULL") : whole[i].value("City").toString();
        QCOMPARE(byPlace[i], whole[i].value("ID").toString() + u'|' + whole[i].value("Name").toString() + u'|' + city);
    }
    QCOMPARE(kept[1].value("City").isNull(), true);
}

QTEST_GUILESS_MAIN(tst_Connection)
#include "tst_connection.moc"
