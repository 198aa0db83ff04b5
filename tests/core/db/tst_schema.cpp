// The tables and columns every screen relies on, on each server: names, the order of the
// card columns, defaults, flags, texts stored exactly as typed, and dates in ranges.

#include "TestDb.h"

#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "db/SchemaUpgrade.h"
#include "tickets/TicketLines.h"

#include <QSqlField>
#include <QSqlRecord>
#include <QTest>

class tst_Schema : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void tablesAsTheyAlwaysWere();
    void tableColumns_data();
    void tableColumns();
    void namesIgnoreLetterCase_data();
    void namesIgnoreLetterCase();
    void cardColumnsInOrder();
    void newCustomerBalanceIsZero();
    void keptTotalsFollowEveryWrite_data();
    void keptTotalsFollowEveryWrite();
    void flagsReadBackTrue_data();
    void flagsReadBackTrue();
    void textsRoundTrip_data();
    void textsRoundTrip();
    void dateTimesInDayRange();
    void datesInDateRange();
};

void tst_Schema::initTestCase_data() { TestDb::addServerRows(); }

namespace {

// What the server's catalog says of the eleven tables and the kept totals, one line per
// column, key, index and trigger: names, types, defaults, nullability, keys the server
// assigns, index columns in order and uniqueness, and each trigger's statement.
// SchemaVersion is left out: version 0 has none.
QStringList catalog(Db &db)
{
    QStringList lines;
    auto add = [&](const QString &sql, const QVariantList &values = {}) {
        for (const QSqlRecord &r : db.rows(sql, values)) {
            QStringList fields;
            for (int i = 0; i < r.count(); ++i)
                fields << (r.isNull(i) ? QStringLiteral("NULL") : r.value(i).toString());
            lines << fields.join(u'|');
        }
    };
    if (db.dialect().name() == QLatin1String("SQLite")) {
        const QStringList tables = DatabaseTool::tableNames() << SchemaTables::customerTotalsTable().name;
        for (const QString &table : tables) {
            add(QStringLiteral("SELECT ?, cid, name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?)"),
                {table, table});
            add(QStringLiteral(
                    "SELECT name, instr(upper(sql), 'AUTOINCREMENT') > 0 FROM sqlite_master WHERE type = 'table' AND name = ?"),
                {table});
            for (const QSqlRecord &index :
                 db.rows(QStringLiteral("SELECT name, \"unique\", origin FROM pragma_index_list(?) ORDER BY name"), {table})) {
                const QString name = index.value(0).toString();
                lines << QStringLiteral("%1|index %2|unique %3|%4")
                             .arg(table, name, index.value(1).toString(), index.value(2).toString());
                add(QStringLiteral("SELECT ?, seqno, name FROM pragma_index_info(?) ORDER BY seqno"), {name, name});
            }
        }
    } else {
        add(QStringLiteral(
            "SELECT table_name, ordinal_position, column_name, data_type, datetime_precision, numeric_precision, "
            "numeric_scale, character_maximum_length, column_default, is_nullable, is_identity, identity_generation "
            "FROM information_schema.columns WHERE table_schema = current_schema() AND table_name <> 'schemaversion' "
            "ORDER BY table_name, ordinal_position"));
        add(QStringLiteral("SELECT c.table_name, c.constraint_type, k.column_name FROM information_schema.table_constraints c "
                           "JOIN information_schema.key_column_usage k ON k.constraint_name = c.constraint_name "
                           "AND k.table_schema = c.table_schema WHERE c.table_schema = current_schema() "
                           "AND c.table_name <> 'schemaversion' ORDER BY c.table_name, c.constraint_type, k.column_name"));
        add(QStringLiteral("SELECT tablename, indexname, indexdef FROM pg_indexes WHERE schemaname = current_schema() "
                           "AND tablename <> 'schemaversion' ORDER BY tablename, indexname"));
        add(QStringLiteral("SELECT event_object_table, trigger_name, event_manipulation, action_timing, action_orientation, "
                           "action_statement FROM information_schema.triggers WHERE trigger_schema = current_schema() "
                           "ORDER BY trigger_name, event_manipulation"));
        add(QStringLiteral("SELECT p.proname, p.prosrc FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace "
                           "WHERE n.nspname = current_schema() ORDER BY p.proname"));
    }
    if (db.dialect().name() == QLatin1String("SQLite"))
        add(QStringLiteral("SELECT tbl_name, name, sql FROM sqlite_master WHERE type = 'trigger' ORDER BY name"));
    return lines;
}

} // namespace

// The tables made from the one list in core are the tables stations have always had,
// brought up by the upgrade steps, column by column: names, types, defaults, keys and
// indexes, as the server's catalog records them after the old schema text and its
// upgrade and after the program's own statements.
void tst_Schema::tablesAsTheyAlwaysWere()
{
    QFETCH_GLOBAL(QString, server);
    QStringList old;
    {
        auto db = TestDb::freshAtVersionZero(server);
        SchemaUpgrade::upgrade(*db);
        old = catalog(*db);
    }
    auto db = TestDb::fresh(server);
    const QStringList made = catalog(*db);
    QVERIFY(old.size() > 150); // every column of the eleven tables, their keys and indexes
    for (qsizetype i = 0; i < std::min(old.size(), made.size()); ++i)
        QCOMPARE(made[i], old[i]);
    QCOMPARE(made.size(), old.size());
    // And the program's database records the newest version.
    QCOMPARE(SchemaUpgrade::versionOf(*db), SchemaUpgrade::newestVersion());
}

void tst_Schema::tableColumns_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");

    // The line columns are the program's one list of them, which the stores write and
    // the printed tickets read.
    const QString lines = TicketLines::amountColumns().join(u' ') + QStringLiteral(" WorkStationID Location DateEntered");
    const QString details = QStringLiteral("Clerk TruckNumber Mileage License DriverID Trip Trailer ");
    auto list = [](const QString &names) { return names.split(u' ', Qt::SkipEmptyParts); };

    QTest::newRow("the company rows of the locations")
        << "Company"
        << list("ID Name Address1 Address2 City State Zip Phone Fax Email Website KeyPressDelay DieselPricePerGallon "
                "ReeferPricePerGallon DiscountPricePerGallon DefPricePerGallon WarnCustomer Tax PaymentTerms");
    QTest::newRow("the charge customers") << "Customer"
                                          << list("ID Name Address1 Address2 City State Zip Contact Phone Fax Inactive "
                                                  "CurrentBalance Limit WarnAt AcctOnHold DateEntered "
                                                  "PaymentTerms");
    QTest::newRow("the issued cards") << "Cards" << list("CustomerID CardNo CardType InActive CardNote");
    QTest::newRow("the card types") << "CardType" << list("CardType");
    QTest::newRow("the states") << "State" << list("State");
    QTest::newRow("the website logins") << "WebUser" << list("CustomerID UserName Password");
    QTest::newRow("the charge tickets") << "Tickets" << list("ID CustomerID CardNo " + details + lines);
    QTest::newRow("the cash tickets") << "CashTickets" << list("ID Customer Address1 Address2 " + details + lines);
    QTest::newRow("the payments") << "Payments" << list("ID Customer PaymentDate Amount CheckNum EntryDate");
    QTest::newRow("the gift cards")
        << "GiftCards" << list("ID DateActivated ActivatedBy ActivationAmount CardBalance Active Notes WorkStationID Location");
    QTest::newRow("the gift card transactions")
        << "GiftCardTransactions" << list("ID CardID TransactionDate TransactionType Amount Clerk WorkStationID Location");
}

void tst_Schema::tableColumns()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    auto db = TestDb::fresh(server);

    for (const QString &column : columns) {
        const QString name = column == u"Limit" ? db->dialect().limitColumn() : column;
        try {
            db->rows(QStringLiteral("SELECT %1 FROM %2 WHERE 1 = 0").arg(name, table));
        } catch (const DbError &e) {
            QFAIL(qPrintable(QStringLiteral("%1.%2: %3").arg(table, column, e.serverText())));
        }
    }
    // And nothing else: the screens read whole rows with SELECT *.
    db->exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (?)")
                 .arg(table, columns.contains(u"ID") ? QStringLiteral("ID") : columns.first()),
             {table == u"Customer" || table == u"GiftCards" ? QVariant(QStringLiteral("X1")) : QVariant(1)});
    const auto row = db->firstRow(QStringLiteral("SELECT * FROM %1").arg(table));
    QVERIFY(row);
    QStringList found;
    for (int i = 0; i < row->count(); ++i)
        found << row->fieldName(i).toLower();
    QStringList expected;
    for (const QString &c : columns)
        expected << c.toLower();
    found.sort();
    expected.sort();
    QCOMPARE(found, expected);
}

void tst_Schema::namesIgnoreLetterCase_data()
{
    QTest::addColumn<QString>("select");

    QTest::newRow("the workstation column read as WorkstationID") << "SELECT WorkstationID FROM Tickets";
    QTest::newRow("the DEF price read as DEFPricePerGallon") << "SELECT DEFPricePerGallon FROM Company";
    QTest::newRow("the payment date read as PaymentDAte") << "SELECT Payments.PaymentDAte FROM Payments";
    QTest::newRow("the gift card table read as GIftCards") << "SELECT ID FROM GIftCards";
    QTest::newRow("the card flag read as Inactive") << "SELECT Inactive FROM Cards";
}

void tst_Schema::namesIgnoreLetterCase()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, select);
    auto db = TestDb::fresh(server);
    try {
        db->rows(select);
    } catch (const DbError &e) {
        QFAIL(qPrintable(e.serverText()));
    }
}

// The card screen writes a card with a positional insert; the ticket check joins Cards
// with Customer and selects an unqualified ID, so Cards must not have one.
void tst_Schema::cardColumnsInOrder()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    db->exec(QStringLiteral("INSERT INTO Cards VALUES (?, ?, ?, ?, ?)"), {"1001", "02", "3", 1, "Spare card"});
    const auto row = db->firstRow(QStringLiteral("SELECT * FROM Cards"));
    QVERIFY(row);
    const QStringList order{"customerid", "cardno", "cardtype", "inactive", "cardnote"};
    QCOMPARE(row->count(), 5);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(row->fieldName(i).toLower(), order[i]);
    QCOMPARE(row->value("CustomerID").toString(), QStringLiteral("1001"));
    QCOMPARE(row->value("CardNote").toString(), QStringLiteral("Spare card"));

    db->insert(QStringLiteral("Customer"), {{"ID", "1001"}, {"Name", "Acme"}}, QString());
    const auto joined =
        db->firstRow(QStringLiteral("SELECT ID, CardNo FROM Customer, Cards WHERE Customer.ID = Cards.CustomerID"));
    QVERIFY(joined);
    QCOMPARE(joined->value("ID").toString(), QStringLiteral("1001"));
}

void tst_Schema::newCustomerBalanceIsZero()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    db->insert(QStringLiteral("Customer"), {{"ID", "1001"}, {"Name", "Acme"}, {"Limit", 500}}, QString());
    const auto row = db->firstRow(QStringLiteral("SELECT CurrentBalance FROM Customer WHERE ID = ?"), {"1001"});
    QVERIFY(row);
    QVERIFY(!row->value("CurrentBalance").isNull());
    QCOMPARE(row->value("CurrentBalance").toDouble(), 0.0);
    // So the first posting adds to 0 instead of leaving NULL.
    db->exec(QStringLiteral("UPDATE Customer SET CurrentBalance = CurrentBalance + ? WHERE ID = ?"), {12.5, "1001"});
    QCOMPARE(db->firstRow(QStringLiteral("SELECT CurrentBalance FROM Customer WHERE ID = ?"), {"1001"})
                 ->value("CurrentBalance")
                 .toDouble(),
             12.5);
}

void tst_Schema::keptTotalsFollowEveryWrite_data()
{
    // Statements after two tickets (10.25 and 5.10) and one payment (3.00) of 1001, and
    // each customer's kept tickets and payments after them.
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QStringList>("kept");
    const auto ticket = [](const char *customer, const char *total) {
        return QStringLiteral("INSERT INTO Tickets (CustomerID, Total) VALUES (%1, %2)")
            .arg(QLatin1String(customer), QLatin1String(total));
    };
    QTest::newRow("as written") << QStringList{} << QStringList{"1001 15.35 3.00"};
    QTest::newRow("a ticket's total changed")
        << QStringList{"UPDATE Tickets SET Total = 20 WHERE Total = 10.25"} << QStringList{"1001 25.10 3.00"};
    QTest::newRow("a ticket moved to another customer")
        << QStringList{"UPDATE Tickets SET CustomerID = '1002', Total = 6 WHERE Total = 5.10"}
        << QStringList{"1001 10.25 3.00", "1002 6.00 0.00"};
    QTest::newRow("a ticket put under no customer")
        << QStringList{"UPDATE Tickets SET CustomerID = NULL WHERE Total = 5.10"} << QStringList{"1001 10.25 3.00"};
    QTest::newRow("a ticket of no customer given one")
        << QStringList{ticket("NULL", "7"), "UPDATE Tickets SET CustomerID = '1003' WHERE CustomerID IS NULL"}
        << QStringList{"1001 15.35 3.00", "1003 7.00 0.00"};
    QTest::newRow("a ticket without a total, then with one")
        << QStringList{ticket("'1002'", "NULL"), "UPDATE Tickets SET Total = 1.5 WHERE Total IS NULL"}
        << QStringList{"1001 15.35 3.00", "1002 1.50 0.00"};
    QTest::newRow("a refund") << QStringList{ticket("'1001'", "-4")} << QStringList{"1001 11.35 3.00"};
    QTest::newRow("a ticket deleted") << QStringList{"DELETE FROM Tickets WHERE Total = 10.25"} << QStringList{"1001 5.10 3.00"};
    QTest::newRow("a returned check") << QStringList{"INSERT INTO Payments (Customer, Amount) VALUES ('1001', -3)"}
                                      << QStringList{"1001 15.35 0.00"};
    QTest::newRow("a payment changed and moved")
        << QStringList{"UPDATE Payments SET Customer = '1002', Amount = 50"} << QStringList{"1001 15.35 0.00", "1002 0.00 50.00"};
    QTest::newRow("everything deleted") << QStringList{"DELETE FROM Tickets", "DELETE FROM Payments"}
                                        << QStringList{"1001 0.00 0.00"};
    QTest::newRow("a statement over many rows")
        << QStringList{ticket("'1002'", "1"), ticket("'1002'", "2"), "UPDATE Tickets SET Total = Total * 2"}
        << QStringList{"1001 30.70 3.00", "1002 6.00 0.00"};
}

// The database keeps each customer's sums of tickets and payments through every kind of
// write, whatever statement makes it; a write rolled back leaves them; a refill makes
// them again from the tables.
void tst_Schema::keptTotalsFollowEveryWrite()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QStringList, statements);
    QFETCH(QStringList, kept);
    auto db = TestDb::fresh(server);
    const QStringList written{"INSERT INTO Tickets (CustomerID, Total) VALUES ('1001', 10.25)",
                              "INSERT INTO Tickets (CustomerID, Total) VALUES ('1001', 5.10)",
                              "INSERT INTO Payments (Customer, Amount) VALUES ('1001', 3)"};
    for (const QString &statement : written + statements)
        db->exec(statement);
    const auto keptNow = [&] {
        QStringList rows;
        for (const QSqlRecord &r : db->rows(QStringLiteral("SELECT CustomerID, TicketSum, PaymentSum FROM CustomerTotals "
                                                           "ORDER BY CustomerID")))
            rows << QStringLiteral("%1 %2 %3")
                        .arg(r.value(0).toString(), QString::number(r.value(1).toDouble(), 'f', 2),
                             QString::number(r.value(2).toDouble(), 'f', 2));
        return rows;
    };
    QCOMPARE(keptNow(), kept);
    QCOMPARE(TestDb::wrongKeptTotals(*db), QStringList());

    {
        Transaction rolledBack(*db);
        db->exec(QStringLiteral("INSERT INTO Tickets (CustomerID, Total) VALUES ('1001', 99)"));
        db->exec(QStringLiteral("DELETE FROM Payments"));
    }
    QCOMPARE(keptNow(), kept);

    db->exec(QStringLiteral("UPDATE CustomerTotals SET TicketSum = 1, PaymentSum = 2"));
    db->exec(QStringLiteral("INSERT INTO CustomerTotals (CustomerID) VALUES ('9999')"));
    QVERIFY(!TestDb::wrongKeptTotals(*db).isEmpty());
    DatabaseTool::refillCustomerTotals(*db);
    QCOMPARE(TestDb::wrongKeptTotals(*db), QStringList());
    // Refilled, a customer whose every row is gone has no kept row; the others as before.
    QStringList refilled = kept;
    refilled.removeIf([](const QString &row) { return row.endsWith(QLatin1String(" 0.00 0.00")); });
    QCOMPARE(keptNow(), refilled);
}

void tst_Schema::flagsReadBackTrue_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("flag");

    QTest::newRow("an inactive customer") << "Customer"
                                          << "ID"
                                          << "Inactive";
    QTest::newRow("a customer on hold") << "Customer"
                                        << "ID"
                                        << "AcctOnHold";
    QTest::newRow("an inactive card") << "Cards"
                                      << "CustomerID"
                                      << "InActive";
    QTest::newRow("an active gift card") << "GiftCards"
                                         << "ID"
                                         << "Active";
}

void tst_Schema::flagsReadBackTrue()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, table);
    QFETCH(QString, key);
    QFETCH(QString, flag);
    auto db = TestDb::fresh(server);
    const SqlDialect &sql = db->dialect();
    db->insert(table, {{key, "A1"}, {flag, sql.flag(true)}}, QString());
    db->insert(table, {{key, "B2"}, {flag, sql.flag(false)}}, QString());

    const QString select = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(flag, table, key);
    QCOMPARE(db->firstRow(select, {"A1"})->value(flag).toBool(), true);
    QCOMPARE(db->firstRow(select, {"A1"})->value(flag).toInt(), 1);
    QCOMPARE(db->firstRow(select, {"B2"})->value(flag).toBool(), false);
    // Conditions written with 1 find the set flag only.
    const auto set = db->rows(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = 1").arg(key, table, flag));
    QCOMPARE(set.size(), 1);
    QCOMPARE(set.first().value(key).toString(), QStringLiteral("A1"));
}

void tst_Schema::textsRoundTrip_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("an apostrophe") << QStringLiteral("Tom O'Neill's Trucking");
    QTest::newRow("two apostrophes and a statement end") << QStringLiteral("''; DROP TABLE Customer; --");
    QTest::newRow("double quotes") << QStringLiteral("The \"Big\" Rig");
    QTest::newRow("percent signs and underscores") << QStringLiteral("100% _off_ %s %1");
    QTest::newRow("backslashes") << QStringLiteral("C:\\new\\table \\' \\\\ \\0");
    QTest::newRow("question marks and colons") << QStringLiteral("? :name ?? $1");
    QTest::newRow("non-ASCII letters") << QStringLiteral("Ñandú Café Straße Łódź Ærø 東京 😀");
    QTest::newRow("blanks, tabs and line ends are kept") << QStringLiteral("  padded \t\r\n second line  ");
    QString longText;
    for (int i = 0; longText.size() < 5000; ++i)
        longText += QStringLiteral("%1 O'Brien \"é\" 50% \\ ").arg(i);
    QTest::newRow("5,000 characters") << longText.left(5000);
}

void tst_Schema::textsRoundTrip()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, text);
    auto db = TestDb::fresh(server);

    db->insert(QStringLiteral("Customer"), {{"ID", "1001"}, {"Name", text}, {"Address1", text}}, QString());
    const QVariant cash = db->insert(QStringLiteral("CashTickets"), {{"Customer", text}, {"Trailer", text}});
    db->insert(QStringLiteral("GiftCards"), {{"ID", text}, {"Notes", text}}, QString());

    auto check = [&](const QString &select, const QVariant &key, const QString &column) {
        const auto row = db->firstRow(select, {key});
        QVERIFY2(row, qPrintable(select));
        QCOMPARE(row->value(column).toString().toUtf8(), text.toUtf8());
    };
    check(QStringLiteral("SELECT Name FROM Customer WHERE ID = ?"), "1001", "Name");
    check(QStringLiteral("SELECT Address1 FROM Customer WHERE ID = ?"), "1001", "Address1");
    check(QStringLiteral("SELECT Customer FROM CashTickets WHERE ID = ?"), cash, "Customer");
    // A bound value finds the row by the text itself.
    check(QStringLiteral("SELECT Notes FROM GiftCards WHERE ID = ?"), text, "Notes");
    check(QStringLiteral("SELECT Trailer FROM CashTickets WHERE Customer = ?"), text, "Trailer");

    // An update writes the text as typed too.
    db->update(QStringLiteral("Customer"), {{"Contact", text}}, QStringLiteral("1001"));
    check(QStringLiteral("SELECT Contact FROM Customer WHERE ID = ?"), "1001", "Contact");
    QCOMPARE(db->rows(QStringLiteral("SELECT ID FROM Customer")).size(), 1);
}

void tst_Schema::dateTimesInDayRange()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    const SqlDialect &sql = db->dialect();
    const QDate day(2024, 3, 5);

    struct Stamp
    {
        QDateTime at;
        bool inDay;
    };
    const Stamp stamps[] = {
        {QDateTime(day.addDays(-1), QTime(23, 59, 59)), false},
        {QDateTime(day, QTime(0, 0, 0)), true},
        {QDateTime(day, QTime(0, 0, 1)), true},
        {QDateTime(day, QTime(12, 30, 45)), true},
        {QDateTime(day, QTime(23, 59, 59)), true},
        {QDateTime(day.addDays(1), QTime(0, 0, 1)), false},
        {QDateTime(day.addDays(40), QTime(8, 0)), false},
    };
    QList<qlonglong> expected;
    for (const Stamp &s : stamps) {
        const QVariant id = db->insert(QStringLiteral("Tickets"), {{"Clerk", "BETH"}, {"DateEntered", sql.dateTimeValue(s.at)}});
        if (s.inDay)
            expected << id.toLongLong();
        // The time reads back to the second.
        const auto row = db->firstRow(QStringLiteral("SELECT DateEntered FROM Tickets WHERE ID = ?"), {id});
        QCOMPARE(sql.readDateTime(row->value("DateEntered")), s.at);
    }

    QList<qlonglong> found;
    for (const QSqlRecord &r :
         db->rows(QStringLiteral("SELECT ID FROM Tickets WHERE DateEntered >= ? AND DateEntered <= ? ORDER BY ID"),
                  {sql.dayStart(day), sql.dayEnd(day)}))
        found << r.value("ID").toLongLong();
    QCOMPARE(found, expected);

    // Ordering by the column is time order (February before November, 9 before 10 o'clock).
    db->insert(QStringLiteral("Tickets"),
               {{"Clerk", "LATE"}, {"DateEntered", sql.dateTimeValue(QDateTime(QDate(2024, 11, 2), QTime(10, 0)))}});
    db->insert(QStringLiteral("Tickets"),
               {{"Clerk", "EARLY"}, {"DateEntered", sql.dateTimeValue(QDateTime(QDate(2024, 2, 11), QTime(9, 0)))}});
    const auto ordered = db->rows(QStringLiteral("SELECT Clerk FROM Tickets ORDER BY DateEntered"));
    QCOMPARE(ordered.first().value("Clerk").toString(), QStringLiteral("EARLY"));
    QCOMPARE(ordered.last().value("Clerk").toString(), QStringLiteral("LATE"));
}

void tst_Schema::datesInDateRange()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    const SqlDialect &sql = db->dialect();
    const QDate from(2024, 12, 30), to(2025, 1, 2);
    const QDate days[] = {from.addDays(-1), from, QDate(2024, 12, 31), to, to.addDays(1)};
    for (const QDate &d : days)
        db->insert(QStringLiteral("Payments"), {{"Customer", "1001"}, {"PaymentDate", sql.dateValue(d)}, {"Amount", 10}});

    const auto rows = db->rows(
        QStringLiteral("SELECT PaymentDate FROM Payments WHERE PaymentDate >= ? AND PaymentDate <= ? ORDER BY PaymentDate"),
        {sql.dateValue(from), sql.dateValue(to)});
    QList<QDate> found;
    for (const QSqlRecord &r : rows)
        found << sql.readDate(r.value("PaymentDate"));
    // The first and the last day of the range are in it.
    QCOMPARE(found, (QList<QDate>{from, QDate(2024, 12, 31), to}));
}

QTEST_GUILESS_MAIN(tst_Schema)
#include "tst_schema.moc"
