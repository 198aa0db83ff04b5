// Customer records as the customer screen saves them: which columns a save writes, the
// website login and its username rule across workstations, and the issued cards.

#include "TestDb.h"
#include "Workstations.h"

#include "accounts/CustomerStore.h"
#include "accounts/WebPassword.h"
#include "db/Db.h"
#include "db/DbError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QSqlRecord>
#include <QTest>
#include <QThread>

#include <memory>

namespace {

// Marks an expected NULL column.
const QString kNull = QStringLiteral("<NULL>");

void addCustomer(Db &db, const QString &id, const ColumnValues &more = {})
{
    ColumnValues columns = {
        {"ID", id},         {"Name", "Stored " + id}, {"Address1", "1 Old Rd"}, {"Address2", "Suite 9"},
        {"City", "Joplin"}, {"State", "MO"},          {"Zip", "64801"},         {"Contact", "Ann"},
        {"Phone", "555-1"}, {"Fax", "555-2"},         {"Inactive", 0},          {"CurrentBalance", 321.45},
        {"Limit", 2000.0},  {"WarnAt", 0.9},          {"AcctOnHold", 1},        {"DateEntered", "2020-01-02 03:04:05"}};
    for (const auto &[column, value] : more)
        for (auto &c : columns)
            if (c.first == column)
                c.second = value;
    db.insert(QStringLiteral("Customer"), columns, QString());
}

// The password is stored as the program stores it: its hash.
void addLogin(Db &db, const QVariant &customerId, const QString &userName, const QString &password)
{
    db.insert(QStringLiteral("WebUser"),
              {{"CustomerID", customerId}, {"UserName", userName}, {"Password", WebPassword::hash(password)}}, QString());
}

CustomerEntry entryFor(const QString &accountNumber, const QVariantHash &typed = {})
{
    CustomerEntry e;
    e.accountNumber = accountNumber;
    e.name = QStringLiteral("Saved ") + accountNumber.trimmed();
    e.limit = QStringLiteral("1000");
    e.warnAt = QStringLiteral("0.8");
    const QList<QPair<const char *, QString *>> texts = {
        {"name", &e.name},       {"address1", &e.address1}, {"address2", &e.address2}, {"city", &e.city},   {"zip", &e.zip},
        {"contact", &e.contact}, {"phone", &e.phone},       {"fax", &e.fax},           {"state", &e.state}, {"limit", &e.limit},
        {"warnAt", &e.warnAt},   {"userName", &e.userName}, {"password", &e.password},
    };
    for (const auto &[key, field] : texts)
        if (typed.contains(QLatin1String(key)))
            *field = typed.value(QLatin1String(key)).toString();
    e.inactive = typed.value(QStringLiteral("inactive")).toBool();
    e.onHold = typed.value(QStringLiteral("onHold")).toBool();
    return e;
}

QSqlRecord customerRow(Db &db, const QString &id)
{
    const auto row = db.firstRow(QStringLiteral("SELECT * FROM Customer WHERE ID = ?"), {id});
    if (!row)
        throw DbError(QStringLiteral("no customer row ") + id);
    return *row;
}

// Every login as "CustomerID:UserName:Password", in order. The stored hash stands as the
// password `expected` gives that login when it verifies it, otherwise as itself.
QStringList storedLogins(Db &db, const QStringList &expected = {})
{
    QStringList all;
    for (const QSqlRecord &r : db.rows(QStringLiteral("SELECT * FROM WebUser ORDER BY CustomerID, UserName"))) {
        const QString login = r.value("CustomerID").toString() + u':' + r.value("UserName").toString();
        QString password = r.value("Password").toString();
        for (const QString &e : expected)
            if (e.section(u':', 0, 1) == login && WebPassword::verify(password, e.section(u':', 2)))
                password = e.section(u':', 2);
        all << login + u':' + password;
    }
    return all;
}

// The account's cards as "CardNo:CardType:InActive:CardNote".
QStringList cards(Db &db, const QString &account)
{
    QStringList all;
    for (const IssuedCard &c : CustomerStore::cardsOf(db, account))
        all << QStringLiteral("%1:%2:%3:%4").arg(c.cardNo, c.cardType, c.inactive ? u"1" : u"0", c.note);
    return all;
}

} // namespace

class tst_CustomerStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void savedColumns_data();
    void savedColumns();
    void newRowIsDatedAndAStoredRowKeepsItsDate();
    void blankedNumberOfAStoredCustomerChangesNothing();
    void loadingMissingColumns();
    void logins_data();
    void logins();
    void loginLostToAnotherWorkstationStillSavesTheCustomer();
    void twoWorkstationsGivingOneUsernameAtOnce();
    void cardChanges_data();
    void cardChanges();
    void failedCardInsertKeepsTheOldCard();
};

// What one save leaves in the Customer row. A stored customer has every column set
// (balance 321.45, limit 2000, on hold) before the save.
void tst_CustomerStore::savedColumns_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("accountNumber");
    QTest::addColumn<QVariantHash>("typed");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QVariantHash>("expected");

    const QVariantHash unset = {{"Address1", kNull}, {"Address2", kNull}, {"City", kNull},  {"State", kNull},
                                {"Zip", kNull},      {"Contact", kNull},  {"Phone", kNull}, {"Fax", kNull}};
    QVariantHash fresh = unset;
    fresh.insert({{"Name", "Saved 1001"},
                  {"Inactive", 0},
                  {"AcctOnHold", 0},
                  {"Limit", 1000.0},
                  {"WarnAt", 0.8},
                  {"CurrentBalance", 0.0}});
    QTest::newRow("a new customer with the required fields only leaves the rest unset")
        << false << "1001" << QVariantHash{} << "1001" << fresh;
    QTest::newRow("an emptied box keeps what a stored customer has")
        << true << "1001" << QVariantHash{{"address2", ""}, {"contact", ""}} << "1001"
        << QVariantHash{{"Address2", "Suite 9"}, {"Contact", "Ann"}, {"Name", "Saved 1001"}};
    QTest::newRow("a typed box replaces the stored text")
        << true << "1001" << QVariantHash{{"address1", "9 Elm St"}, {"fax", "555-9"}} << "1001"
        << QVariantHash{{"Address1", "9 Elm St"}, {"Fax", "555-9"}, {"City", "Joplin"}};
    QTest::newRow("a name of blanks is stored as an empty name")
        << false << "1001" << QVariantHash{{"name", "   "}} << "1001" << QVariantHash{{"Name", ""}};
    QTest::newRow("the name is stored without its outer blanks")
        << false << "1001" << QVariantHash{{"name", "  ACME  FREIGHT "}} << "1001" << QVariantHash{{"Name", "ACME  FREIGHT"}};
    QTest::newRow("a new number typed with blanks is stored without them")
        << false << " 2002 " << QVariantHash{} << "2002" << QVariantHash{{"Name", "Saved 2002"}};
    QTest::newRow("a limit of letters is stored as 0") << false << "1001" << QVariantHash{{"limit", "abc"}, {"warnAt", ".75"}}
                                                       << "1001" << QVariantHash{{"Limit", 0.0}, {"WarnAt", 0.75}};
    QTest::newRow("a limit with a thousands separator stores what it reads")
        << true << "1001" << QVariantHash{{"limit", "1,500"}} << "1001" << QVariantHash{{"Limit", 1.0}};
    QTest::newRow("ticked flags are written as 1") << false << "1001" << QVariantHash{{"inactive", true}, {"onHold", true}}
                                                   << "1001" << QVariantHash{{"Inactive", 1}, {"AcctOnHold", 1}};
    QTest::newRow("clearing the hold by hand is stored, and the balance is never written")
        << true << "1001" << QVariantHash{{"limit", "100"}} << "1001"
        << QVariantHash{{"AcctOnHold", 0}, {"CurrentBalance", 321.45}, {"Limit", 100.0}};
    QTest::newRow("no state chosen keeps the stored one")
        << true << "1001" << QVariantHash{{"state", ""}} << "1001" << QVariantHash{{"State", "MO"}};
    QTest::newRow("a chosen state is written")
        << true << "1001" << QVariantHash{{"state", "KS"}} << "1001" << QVariantHash{{"State", "KS"}};
    QTest::newRow("apostrophes in the number, name and contact are data")
        << false << "O'1" << QVariantHash{{"name", "O'Brien's"}, {"contact", "Pat O'Neill"}} << "O'1"
        << QVariantHash{{"Name", "O'Brien's"}, {"Contact", "Pat O'Neill"}};
}

void tst_CustomerStore::savedColumns()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(bool, stored);
    QFETCH(QString, accountNumber);
    QFETCH(QVariantHash, typed);
    QFETCH(QString, id);
    QFETCH(QVariantHash, expected);
    auto db = TestDb::fresh(server);
    if (stored)
        addCustomer(*db, accountNumber);
    addCustomer(*db, QStringLiteral("9999"));

    QCOMPARE(CustomerStore::save(*db, entryFor(accountNumber, typed), QDateTime::currentDateTime()), LoginSave::NotGiven);

    const QSqlRecord row = customerRow(*db, id);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QVariant value = row.value(it.key());
        const QString message = it.key() + QStringLiteral(" is ") + (value.isNull() ? kNull : value.toString());
        if (it.value() == kNull)
            QVERIFY2(value.isNull(), qPrintable(message));
        else if (it.value().typeId() == QMetaType::Double)
            QVERIFY2(!value.isNull() && value.toDouble() == it.value().toDouble(), qPrintable(message));
        else
            QVERIFY2(!value.isNull() && value.toString() == it.value().toString(), qPrintable(message));
    }
    // One row saved, never a second one beside it.
    QCOMPARE(db->rows(QStringLiteral("SELECT ID FROM Customer")).size(), 2);
    // Nobody else's row moves.
    QCOMPARE(customerRow(*db, QStringLiteral("9999")).value("Name").toString(), QStringLiteral("Stored 9999"));
}

void tst_CustomerStore::newRowIsDatedAndAStoredRowKeepsItsDate()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    addCustomer(*db, QStringLiteral("1001"));
    const QDateTime now(QDate(2025, 3, 14), QTime(15, 9, 26));
    CustomerStore::save(*db, entryFor(QStringLiteral("1001")), now);
    CustomerStore::save(*db, entryFor(QStringLiteral("1002")), now);
    const SqlDialect &sql = db->dialect();
    QCOMPARE(sql.readDateTime(customerRow(*db, QStringLiteral("1001")).value("DateEntered")),
             QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)));
    QCOMPARE(sql.readDateTime(customerRow(*db, QStringLiteral("1002")).value("DateEntered")), now);
}

// " 1001" is not the stored 1001, so it is saved as a new customer, whose ID is then
// taken: the save fails whole and the stored row is untouched.
void tst_CustomerStore::blankedNumberOfAStoredCustomerChangesNothing()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    addCustomer(*db, QStringLiteral("1001"));
    CustomerEntry e = entryFor(QStringLiteral(" 1001"), {{"userName", "newname"}, {"password", "pw-long-enough"}});
    QVERIFY(!CustomerStore::account(*db, e.accountNumber));
    QVERIFY_THROWS_EXCEPTION(DbError, CustomerStore::save(*db, e, QDateTime::currentDateTime()));
    QCOMPARE(customerRow(*db, QStringLiteral("1001")).value("Name").toString(), QStringLiteral("Stored 1001"));
    QVERIFY(storedLogins(*db).isEmpty());
}

void tst_CustomerStore::loadingMissingColumns()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    db->insert(QStringLiteral("Customer"), {{"ID", "1001"}}, QString());
    db->exec(QStringLiteral("UPDATE Customer SET CurrentBalance = NULL"));
    const auto account = CustomerStore::account(*db, QStringLiteral("1001"));
    QVERIFY(account);
    QVERIFY(!account->login);
    const CustomerRecord *c = &account->customer;
    QCOMPARE(c->name, QString());
    QCOMPARE(c->state, QString());
    QCOMPARE(c->balance, 0.0);
    QCOMPARE(c->limit, 0.0);
    QCOMPARE(c->inactive, false);
    QCOMPARE(c->onHold, false);
    QCOMPARE(CustomerStore::balanceOf(*db, QStringLiteral("1001")), 0.0);
    QCOMPARE(CustomerStore::balanceOf(*db, QStringLiteral("4040")), 0.0);
    // The ID is compared exactly.
    QVERIFY(!CustomerStore::account(*db, QStringLiteral("1001 ")));
    QVERIFY(!CustomerStore::account(*db, QStringLiteral("100")));
}

// Customers 1001 (login acme/pw1) and 1002 (no login) are stored; one is saved with a
// username and password.
void tst_CustomerStore::logins_data()
{
    QTest::addColumn<QString>("accountNumber");
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("password");
    QTest::addColumn<LoginSave>("outcome");
    QTest::addColumn<QStringList>("logins");

    const QString acme = QStringLiteral("1001:acme:acme-secret");
    QTest::newRow("a new login is filed under the customer")
        << "1002"
        << "big"
        << "big-secret1" << LoginSave::Written << QStringList{acme, "1002:big:big-secret1"};
    QTest::newRow("a changed login replaces the customer's one")
        << "1001"
        << "acme2"
        << "new-secret1" << LoginSave::Written << QStringList{"1001:acme2:new-secret1"};
    QTest::newRow("re-saving with its own username keeps it and takes the new password")
        << "1001"
        << "acme"
        << "acme-secret2" << LoginSave::Written << QStringList{"1001:acme:acme-secret2"};
    QTest::newRow("another customer's username is refused") << "1002"
                                                            << "acme"
                                                            << "x-secret-10" << LoginSave::UserNameTaken << QStringList{acme};
    QTest::newRow("a username without a password writes no login") << "1002"
                                                                   << "big"
                                                                   << "" << LoginSave::NotGiven << QStringList{acme};
    QTest::newRow("a new username without a password keeps the stored password")
        << "1001"
        << "acme3"
        << "" << LoginSave::Written << QStringList{"1001:acme3:acme-secret"};
    QTest::newRow("a username of another customer without a password is refused for a stored login")
        << "1001"
        << "ghost"
        << "" << LoginSave::UserNameTaken << QStringList{acme};
    QTest::newRow("a password without a username keeps the stored login")
        << "1001"
        << ""
        << "zzz-secret-1" << LoginSave::NotGiven << QStringList{acme};
    QTest::newRow("letter case tells usernames apart")
        << "1002"
        << "ACME"
        << "x-secret-10" << LoginSave::Written << QStringList{acme, "1002:ACME:x-secret-10"};
    QTest::newRow("apostrophes in username and password are data")
        << "1002"
        << "o'neill"
        << "it's-o'neill" << LoginSave::Written << QStringList{acme, "1002:o'neill:it's-o'neill"};
    QTest::newRow("a new customer typed with blanks gets its login under the ID it is stored with")
        << " 1003"
        << "new"
        << "new-secret1" << LoginSave::Written << QStringList{acme, "1003:new:new-secret1"};
    QTest::newRow("a login of no customer holds its username") << "1002"
                                                               << "ghost"
                                                               << "x-secret-10" << LoginSave::UserNameTaken << QStringList{acme};
}

void tst_CustomerStore::logins()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, accountNumber);
    QFETCH(QString, userName);
    QFETCH(QString, password);
    QFETCH(LoginSave, outcome);
    QFETCH(QStringList, logins);
    auto db = TestDb::fresh(server);
    addCustomer(*db, QStringLiteral("1001"));
    addCustomer(*db, QStringLiteral("1002"));
    addLogin(*db, QStringLiteral("1001"), QStringLiteral("acme"), QStringLiteral("acme-secret"));
    if (userName == u"ghost")
        addLogin(*db, QVariant(QMetaType(QMetaType::QString)), QStringLiteral("ghost"), QStringLiteral("ghost-secret"));

    const CustomerEntry e = entryFor(accountNumber, {{"userName", userName}, {"password", password}});
    QCOMPARE(CustomerStore::userNameFree(*db, userName, CustomerStore::savedId(*db, accountNumber)),
             outcome != LoginSave::UserNameTaken);
    QCOMPARE(CustomerStore::save(*db, e, QDateTime::currentDateTime()), outcome);

    QStringList stored = storedLogins(*db, logins);
    stored.removeIf([](const QString &login) { return login.startsWith(QLatin1String(":ghost:")); });
    QCOMPARE(stored, logins);
    // The customer row is saved whatever became of the login.
    QCOMPARE(customerRow(*db, accountNumber.trimmed()).value("Name").toString(),
             QStringLiteral("Saved ") + accountNumber.trimmed());
    const auto shown = CustomerStore::account(*db, accountNumber.trimmed());
    QVERIFY(shown);
    QCOMPARE(shown->login.has_value(), logins.join(u',').contains(accountNumber.trimmed() + u':'));
    // The screen learns the username and that a password is set, never the hash.
    if (shown->login) {
        QCOMPARE(shown->login->userName, logins.filter(accountNumber.trimmed() + u':').value(0).section(u':', 1, 1));
        QVERIFY(shown->login->passwordSet);
    }
}

// Workstation B checks the username while A has written it but not yet committed: B's
// write then runs into A's, and B must end as if A had come first.
void tst_CustomerStore::loginLostToAnotherWorkstationStillSavesTheCustomer()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    const QString connection = TestDb::connectionText(server);
    Workstations other(QStringLiteral("accountworker"));
    {
        Transaction stillOpen(*db);
        QCOMPARE(CustomerStore::save(*db, entryFor(QStringLiteral("A001"), {{"userName", "fleet"}, {"password", "a-password"}}),
                                     QDateTime::currentDateTime()),
                 LoginSave::Written);
        QVERIFY2(other.start({connection, QStringLiteral("save"), QStringLiteral("B001"), QStringLiteral("fleet")}),
                 qPrintable(other.error()));
        if (server == u"PostgreSQL") {
            // Wait until B is blocked behind A's unwritten username.
            auto watcher = Db::open(connection);
            QDeadlineTimer deadline(20000);
            while (!watcher
                        ->firstRow(QStringLiteral("SELECT pid FROM pg_stat_activity WHERE wait_event_type = 'Lock' "
                                                  "AND datname = current_database()"))
                        .has_value()) {
                QVERIFY2(!deadline.hasExpired(), "the other workstation never reached the username");
                QVERIFY(other.running(0));
                QThread::msleep(20);
            }
        } else {
            // SQLite lets one workstation write at a time; B waits for A's transaction.
            QThread::msleep(800);
            QVERIFY(other.running(0));
        }
        stillOpen.commit();
    }
    QVERIFY2(other.finish(30000), qPrintable(other.error()));
    QCOMPARE(other.output(0), QStringList{"taken"});
    QCOMPARE(storedLogins(*db, {"A001:fleet:a-password"}), QStringList{"A001:fleet:a-password"});
    QCOMPARE(customerRow(*db, QStringLiteral("B001")).value("Name").toString(), QStringLiteral("Worker customer B001"));
}

void tst_CustomerStore::twoWorkstationsGivingOneUsernameAtOnce()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    const int rounds = 15;
    const QString start = QString::number(QDateTime::currentMSecsSinceEpoch() + 1500);
    const QString prefixes[2] = {QStringLiteral("A"), QStringLiteral("B")};
    Workstations workers(QStringLiteral("accountworker"));
    for (const QString &prefix : prefixes)
        QVERIFY2(workers.start({TestDb::connectionText(server), QStringLiteral("login"), prefix, QString::number(rounds),
                                QStringLiteral("u"), start}),
                 qPrintable(workers.error()));
    QVERIFY2(workers.finish(), qPrintable(workers.error()));
    const QStringList results[2] = {workers.output(0), workers.output(1)};
    for (const QStringList &lines : results)
        QCOMPARE(lines.size(), rounds);
    for (int n = 0; n < rounds; ++n) {
        const QString userName = QStringLiteral("u%1").arg(n);
        const auto rows = db->rows(QStringLiteral("SELECT CustomerID FROM WebUser WHERE UserName = ?"), {userName});
        QCOMPARE(rows.size(), 1);
        const bool aWon = results[0][n] == QStringLiteral("%1 written").arg(n);
        const bool bWon = results[1][n] == QStringLiteral("%1 written").arg(n);
        QVERIFY2(aWon != bWon, qPrintable(results[0][n] + u'/' + results[1][n]));
        QCOMPARE(results[aWon ? 1 : 0][n], QStringLiteral("%1 taken").arg(n));
        QCOMPARE(rows[0].value(0).toString(), (aWon ? prefixes[0] : prefixes[1]) + QString::number(n));
    }
    QCOMPARE(db->rows(QStringLiteral("SELECT ID FROM Customer")).size(), 2 * rounds);
}

// Account 1001 has cards 01 (type 1, "old") and 02 (type 2); one card is saved or
// removed, and the account's cards are read back.
void tst_CustomerStore::cardChanges_data()
{
    QTest::addColumn<QString>("account");
    QTest::addColumn<bool>("remove");
    QTest::addColumn<QString>("cardNo");
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("inactive");
    QTest::addColumn<QString>("note");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QStringList>("cards");

    QTest::newRow("saving a card under its number replaces its type, flag and note")
        << "1001" << false << "01"
        << "3" << true << "new" << 0 << QStringList{"01:3:1:new", "02:2:0:"};
    QTest::newRow("a new number adds a card beside the others")
        << "1001" << false << "03"
        << "1" << false << "" << 0 << QStringList{"01:1:0:old", "02:2:0:", "03:1:0:"};
    QTest::newRow("removing a card leaves the others") << "1001" << true << "01"
                                                       << "" << false << "" << 1 << QStringList{"02:2:0:"};
    QTest::newRow("removing a number that is not filed removes nothing")
        << "1001" << true << "09"
        << "" << false << "" << 0 << QStringList{"01:1:0:old", "02:2:0:"};
    QTest::newRow("a card is filed under a number that has no customer") << "7777" << false << "01"
                                                                         << "1" << false << "" << 0 << QStringList{"01:1:0:"};
    QTest::newRow("card numbers are taken as typed")
        << "1001" << false << "1 "
        << "2" << false << "" << 0 << QStringList{"01:1:0:old", "02:2:0:", "1 :2:0:"};
    QTest::newRow("apostrophes in the account, card and note are data")
        << "O'1" << false << "0'"
        << "1" << false << "Bob's truck" << 0 << QStringList{"0':1:0:Bob's truck"};
}

void tst_CustomerStore::cardChanges()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, account);
    QFETCH(bool, remove);
    QFETCH(QString, cardNo);
    QFETCH(QString, type);
    QFETCH(bool, inactive);
    QFETCH(QString, note);
    QFETCH(int, removed);
    auto db = TestDb::fresh(server);
    addCustomer(*db, QStringLiteral("1001"));
    CustomerStore::saveCard(*db, QStringLiteral("1001"),
                            {QStringLiteral("01"), QStringLiteral("1"), false, QStringLiteral("old")});
    db->insert(QStringLiteral("Cards"), {{"CustomerID", "1001"}, {"CardNo", "02"}, {"CardType", "2"}, {"InActive", 0}},
               QString());

    if (remove)
        QCOMPARE(CustomerStore::removeCard(*db, account, cardNo), removed);
    else
        CustomerStore::saveCard(*db, account, {cardNo, type, inactive, note});
    QTEST(cards(*db, account), "cards");
}

void tst_CustomerStore::failedCardInsertKeepsTheOldCard()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    CustomerStore::saveCard(*db, QStringLiteral("1001"),
                            {QStringLiteral("01"), QStringLiteral("1"), false, QStringLiteral("old")});
    TestDb::refuse(*db, QStringLiteral("Cards"), QStringLiteral("INSERT"));

    QVERIFY_THROWS_EXCEPTION(DbError,
                             CustomerStore::saveCard(*db, QStringLiteral("1001"),
                                                     {QStringLiteral("01"), QStringLiteral("2"), true, QStringLiteral("new")}));
    QCOMPARE(cards(*db, QStringLiteral("1001")), QStringList{"01:1:0:old"});

    // The connection goes on working once the cause is gone.
    TestDb::stopRefusing(*db, QStringLiteral("Cards"));
    CustomerStore::saveCard(*db, QStringLiteral("1001"),
                            {QStringLiteral("01"), QStringLiteral("2"), true, QStringLiteral("new")});
    QCOMPARE(cards(*db, QStringLiteral("1001")), QStringList{"01:2:1:new"});
}

QTEST_GUILESS_MAIN(tst_CustomerStore)
#include "tst_customerstore.moc"
