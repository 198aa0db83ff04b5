// Month-end statements and the A/R aging report on every server: a station whose every
// figure was worked out by hand (charges on every edge of the aging columns, partial
// payments, a payment larger than the oldest charge, a credit ticket, a returned check, a
// credit balance, a customer with terms of its own), the same figures on the statement
// and on the aging report, the period's edges, the demo's statements adding up, and
// batches that are cancelled leaving no file.

#include "TestDb.h"

#include "accounts/Aging.h"
#include "accounts/ReceivablesStore.h"
#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "reports/ArAgingReport.h"
#include "reports/Report.h"
#include "reports/ReportBatch.h"
#include "reports/ReportCsv.h"
#include "reports/Statements.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The day the station is aged on, and the statement period that ends on it.
const QDate asOf(2024, 6, 30);
const QDate periodStart(2024, 6, 1);
constexpr int locationTerms = 30;

QDate daysAgo(int n) { return asOf.addDays(-n); }

void addCustomer(Db &db, const QString &id, const QString &name, const QVariant &terms, const QVariant &balance = 0.0)
{
    db.insert(u"Customer"_s,
              {{u"ID"_s, id},
               {u"Name"_s, name},
               {u"Address1"_s, u"1 Main St"_s},
               {u"City"_s, u"Amarillo"_s},
               {u"State"_s, u"TX"_s},
               {u"Zip"_s, u"79101"_s},
               {u"Inactive"_s, 0},
               {u"CurrentBalance"_s, balance},
               {u"Limit"_s, 5000},
               {u"WarnAt"_s, 0.8},
               {u"AcctOnHold"_s, id == u"N300"_s ? 1 : 0},
               {u"PaymentTerms"_s, terms}},
              QString());
}

int addTicket(Db &db, const QString &customer, const QDateTime &when, double total)
{
    return db
        .insert(u"Tickets"_s, {{u"CustomerID"_s, customer},
                               {u"CardNo"_s, u"01"_s},
                               {u"Clerk"_s, u"ANN"_s},
                               {u"TruckNumber"_s, u"T-9"_s},
                               {u"DieselGallons"_s, 10.0},
                               {u"Total"_s, total},
                               {u"WorkStationID"_s, u"WS1"_s},
                               {u"Location"_s, 1},
                               {u"DateEntered"_s, db.dialect().dateTimeValue(when)}})
        .toInt();
}

int addTicket(Db &db, const QString &customer, int age, double total)
{
    return addTicket(db, customer, QDateTime(daysAgo(age), QTime(12, 0)), total);
}

void addPayment(Db &db, const QString &customer, const QDate &day, double amount, const QString &check = u"1001"_s)
{
    db.insert(u"Payments"_s, {{u"Customer"_s, customer},
                              {u"PaymentDate"_s, db.dialect().dateValue(day)},
                              {u"Amount"_s, amount},
                              {u"CheckNum"_s, check},
                              {u"EntryDate"_s, db.dialect().dateTimeValue(QDateTime(day, QTime(15, 0)))}});
}

// The station worked by hand; the aging of each customer as of 6/30/2024 is in the rows
// of agingOfEveryCustomer.
void fill(Db &db)
{
    Transaction transaction(db);
    const QVariant none(QMetaType::fromType<int>());
    // Terms of the location (30 days). A ticket n days old is n - 30 days past due.
    addCustomer(db, u"E100"_s, u"Edge Freight"_s, none);
    addTicket(db, u"E100"_s, QDateTime(asOf, QTime(23, 59, 59)), 1.00);        // the day's last second: current
    addTicket(db, u"E100"_s, 30, 10.00);                                       // due today: current
    addTicket(db, u"E100"_s, 31, 20.00);                                       // 1 day past due
    addTicket(db, u"E100"_s, 60, 30.00);                                       // 30
    addTicket(db, u"E100"_s, 61, 40.00);                                       // 31
    addTicket(db, u"E100"_s, 90, 50.00);                                       // 60
    addTicket(db, u"E100"_s, 91, 60.00);                                       // 61
    addTicket(db, u"E100"_s, 120, 70.00);                                      // 90
    addTicket(db, u"E100"_s, 121, 80.00);                                      // 91
    addTicket(db, u"E100"_s, 150, 90.00);                                      // 120
    addTicket(db, u"E100"_s, QDateTime(asOf.addDays(1), QTime(0, 0)), 500.00); // the next day: not yet

    // Payments pay the oldest first: 60 of the 100, then 40 of it and 30 of the 200.
    addCustomer(db, u"P200"_s, u"Partial Hauling"_s, none);
    addTicket(db, u"P200"_s, 150, 100.00); // over 90: paid off
    addTicket(db, u"P200"_s, 75, 200.00);  // 45 days past due: 170.00 open
    addTicket(db, u"P200"_s, 40, 300.00);  // 10: 1-30
    addTicket(db, u"P200"_s, 5, 50.00);    // current
    addPayment(db, u"P200"_s, daysAgo(100), 60.00);
    addPayment(db, u"P200"_s, daysAgo(20), 70.00);       // more than is left of the oldest
    addPayment(db, u"P200"_s, asOf.addDays(1), 1000.00); // the next day: not yet

    // Terms of its own, 10 days: a ticket n days old is n - 10 days past due. The credit
    // ticket and the payment (80 together) pay the oldest charge.
    addCustomer(db, u"N300"_s, u"Netten Lines"_s, 10);
    addTicket(db, u"N300"_s, 100, 80.00); // 90 days past due: paid off
    addTicket(db, u"N300"_s, 50, 120.00); // 40: 31-60 (20, 1-30, on the location's terms)
    addTicket(db, u"N300"_s, 15, 40.00);  // 5: 1-30
    addTicket(db, u"N300"_s, 10, 25.00);  // 0: current
    addTicket(db, u"N300"_s, 3, -30.00);  // a credit ticket
    addPayment(db, u"N300"_s, daysAgo(2), 50.00);

    // More paid than charged: a credit, not aged.
    addCustomer(db, u"C400"_s, u"Credit Carriers"_s, none);
    addTicket(db, u"C400"_s, 60, 45.00);
    addPayment(db, u"C400"_s, daysAgo(10), 100.00);

    // Paid up: no balance, not on the aging report.
    addCustomer(db, u"Z500"_s, u"Zero Trucking"_s, none);
    addTicket(db, u"Z500"_s, 20, 20.00);
    addPayment(db, u"Z500"_s, daysAgo(5), 20.00);

    // A returned check is a charge on its day: the payment paid the ticket, the check
    // came back 35 days ago (5 days past due).
    addCustomer(db, u"R600"_s, u"Returned Check Co"_s, none);
    addTicket(db, u"R600"_s, 45, 40.00);
    addPayment(db, u"R600"_s, daysAgo(40), 40.00);
    addPayment(db, u"R600"_s, daysAgo(35), -40.00, u"NSF 1001"_s);
    transaction.commit();
}

QStringList csvLines(const Report &report)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ReportCsv::write(report, buffer);
    QString text = QString::fromUtf8(buffer.data());
    text.chop(2);
    return text.split(u"\r\n"_s);
}

QString cents(Aging::Cents c) { return QString::number(Aging::fromCents(c), 'f', 2); }

} // namespace

class TestStatements : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void init();
    void cleanup() { m_db.reset(); }

    void agingOfEveryCustomer_data();
    void agingOfEveryCustomer();
    void agingReportListsTheOldestMoneyFirst();
    void agingOfAnAccount_data();
    void agingOfAnAccount();
    void firstDaysOfTheColumnsKeepTheDaysPastDue_data();
    void firstDaysOfTheColumnsKeepTheDaysPastDue();
    void periodEdges_data();
    void periodEdges();
    void demoStatementsAddUp_data();
    void demoStatementsAddUp();
    void cancelledBatchLeavesNoFile_data();
    void cancelledBatchLeavesNoFile();

private:
    std::unique_ptr<Db> m_db;
};

void TestStatements::init()
{
    QFETCH_GLOBAL(QString, server);
    m_db = TestDb::fresh(server);
    fill(*m_db);
}

void TestStatements::agingOfEveryCustomer_data()
{
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QStringList>("columns"); // Current, 1-30, 31-60, 61-90, over 90
    QTest::addColumn<QString>("credit");
    QTest::addColumn<QString>("balance");
    QTest::addColumn<QString>("terms");

    QTest::newRow("charges on every edge: due today is current, 30 and 31, 60 and 61, 90 and 91 days past due part")
        << u"E100"_s << QStringList{u"11.00"_s, u"50.00"_s, u"90.00"_s, u"130.00"_s, u"170.00"_s} << u"0.00"_s << u"451.00"_s
        << u"Net 30"_s;
    QTest::newRow("partial payments and one larger than the oldest charge pay the oldest first")
        << u"P200"_s << QStringList{u"50.00"_s, u"300.00"_s, u"170.00"_s, u"0.00"_s, u"0.00"_s} << u"0.00"_s << u"520.00"_s
        << u"Net 30"_s;
    QTest::newRow("terms of its own and a credit ticket that pays like a payment")
        << u"N300"_s << QStringList{u"25.00"_s, u"40.00"_s, u"120.00"_s, u"0.00"_s, u"0.00"_s} << u"0.00"_s << u"185.00"_s
        << u"Net 10"_s;
    QTest::newRow("more paid than charged is a credit, not aged")
        << u"C400"_s << QStringList{u"0.00"_s, u"0.00"_s, u"0.00"_s, u"0.00"_s, u"0.00"_s} << u"55.00"_s << u"-55.00"_s
        << u"Net 30"_s;
    QTest::newRow("a returned check is a charge on the day it came back")
        << u"R600"_s << QStringList{u"0.00"_s, u"40.00"_s, u"0.00"_s, u"0.00"_s, u"0.00"_s} << u"0.00"_s << u"40.00"_s
        << u"Net 30"_s;
    QTest::newRow("paid up: nothing owed") << u"Z500"_s << QStringList{u"0.00"_s, u"0.00"_s, u"0.00"_s, u"0.00"_s, u"0.00"_s}
                                           << u"0.00"_s << u"0.00"_s << u"Net 30"_s;
}

void TestStatements::agingOfEveryCustomer()
{
    QFETCH(QString, customer);
    QFETCH(QStringList, columns);
    QFETCH(QString, credit);
    QFETCH(QString, balance);
    QFETCH(QString, terms);

    // The statement of June, dated the 30th.
    const QList<Statement> statements = Statements::gather(*m_db, periodStart, asOf, locationTerms, customer);
    QCOMPARE(statements.size(), 1);
    const Statement &s = statements.first();
    QStringList aged;
    for (Aging::Cents c : s.account.aged.open)
        aged << cents(c);
    QCOMPARE(aged, columns);
    QCOMPARE(cents(s.account.aged.credit), credit);
    QCOMPARE(cents(s.closing()), balance);
    QCOMPARE(cents(s.opening + s.charges() - s.payments()), balance);
    QCOMPARE(PaymentTerms::text(s.account.terms), terms);
    QCOMPARE(s.dueDate(), asOf.addDays(terms.mid(4).toInt()));

    // The aging report of the same day: the same figures, and no line for a customer
    // who owes nothing.
    const QStringList lines = csvLines(*ArAgingReport::build(*m_db, asOf, locationTerms, {}));
    QCOMPARE(lines.value(0),
             u"Customer ID,Name,Phone,Contact,Terms (days),Limit,On Hold,Current,1-30,31-60,61-90,Over 90,Credit,Balance"_s);
    QString found;
    for (const QString &line : lines.mid(1))
        if (line.startsWith(customer + u','))
            found = line;
    if (balance == u"0.00"_s) {
        QVERIFY2(found.isEmpty(), qPrintable(found));
        return;
    }
    QVERIFY2(!found.isEmpty(), qPrintable(lines.join(u'\n')));
    const QStringList fields = found.split(u',');
    QStringList reported;
    for (const QString &field : fields.mid(7, 7))
        reported << QString::number(field.toDouble(), 'f', 2);
    QCOMPARE(reported, columns + QStringList({credit, balance}));
}

void TestStatements::agingReportListsTheOldestMoneyFirst()
{
    QStringList order;
    for (const QString &line : csvLines(*ArAgingReport::build(*m_db, asOf, locationTerms, {})).mid(1))
        order << line.section(u',', 0, 0);
    // Over 90 first (E100), then 31-60 (P200 170 before N300 120), then 1-30 (R600), the
    // credit last; the paid-up customer not at all.
    QCOMPARE(order, QStringList({u"E100"_s, u"P200"_s, u"N300"_s, u"R600"_s, u"C400"_s}));
    // A day earlier the ticket of the 30th at 23:59:59 was not yet charged.
    const QList<AgedAccount> before = ReceivablesStore::agedAccounts(*m_db, asOf.addDays(-1), locationTerms, u"E100"_s);
    QCOMPARE(before.size(), 1);
    QCOMPARE(cents(before.first().aged.balance()), u"450.00"_s);
}

void TestStatements::agingOfAnAccount_data()
{
    QTest::addColumn<QVariant>("terms");      // NULL: the location's
    QTest::addColumn<QStringList>("entries"); // "ticket|payment days-ago amount"; -1 days ago is the next day
    QTest::addColumn<QStringList>("columns"); // Current, 1-30, 31-60, 61-90, over 90
    QTest::addColumn<QString>("credit");
    const QVariant none(QMetaType::fromType<int>());

    QTest::newRow("charges older than every column are over 90 with a young one beside them")
        << none << QStringList{u"ticket 400 70.00"_s, u"ticket 130 50.00"_s, u"ticket 5 30.00"_s}
        << QStringList{u"30.00"_s, u"0.00"_s, u"0.00"_s, u"0.00"_s, u"120.00"_s} << u"0.00"_s;
    QTest::newRow("a payment pays the oldest charge first")
        << none << QStringList{u"ticket 150 70.00"_s, u"ticket 40 50.00"_s, u"payment 10 90.00"_s}
        << QStringList{u"0.00"_s, u"30.00"_s, u"0.00"_s, u"0.00"_s, u"0.00"_s} << u"0.00"_s;
    QTest::newRow("a ticket of the next day is not owed yet")
        << none << QStringList{u"ticket 5 60.00"_s, u"ticket -1 20.00"_s}
        << QStringList{u"60.00"_s, u"0.00"_s, u"0.00"_s, u"0.00"_s, u"0.00"_s} << u"0.00"_s;
    QTest::newRow("a payment of the next day has not paid anything yet")
        << none << QStringList{u"ticket 50 100.00"_s, u"payment -1 100.00"_s}
        << QStringList{u"0.00"_s, u"100.00"_s, u"0.00"_s, u"0.00"_s, u"0.00"_s} << u"0.00"_s;
    QTest::newRow("payments larger than the oldest charges leave the newest open")
        << none << QStringList{u"ticket 200 100.00"_s, u"ticket 100 40.00"_s,  u"ticket 70 30.00"_s,
                               u"ticket 20 15.00"_s,   u"payment 60 120.00"_s, u"payment 30 20.00"_s}
        << QStringList{u"15.00"_s, u"0.00"_s, u"30.00"_s, u"0.00"_s, u"0.00"_s} << u"0.00"_s;
    QTest::newRow("terms of a whole year reach back past three months of tickets")
        << QVariant(365) << QStringList{u"ticket 400 10.00"_s}
        << QStringList{u"0.00"_s, u"0.00"_s, u"10.00"_s, u"0.00"_s, u"0.00"_s} << u"0.00"_s;
    QTest::newRow("stored terms beyond a year count as the location's")
        << QVariant(400) << QStringList{u"ticket 75 10.00"_s}
        << QStringList{u"0.00"_s, u"0.00"_s, u"10.00"_s, u"0.00"_s, u"0.00"_s} << u"0.00"_s;
    QTest::newRow("a credit ticket larger than the charges: nothing is aged")
        << none << QStringList{u"ticket 10 30.00"_s, u"ticket 3 -50.00"_s}
        << QStringList{u"0.00"_s, u"0.00"_s, u"0.00"_s, u"0.00"_s, u"0.00"_s} << u"20.00"_s;
    QTest::newRow("a returned check is a charge of its day, one of the next day is not yet")
        << none << QStringList{u"ticket 45 25.00"_s, u"payment 40 25.00"_s, u"payment 35 -25.00"_s, u"payment -1 -5.00"_s}
        << QStringList{u"0.00"_s, u"25.00"_s, u"0.00"_s, u"0.00"_s, u"0.00"_s} << u"0.00"_s;
}

// The store reads only the young charges one by one and ages the balance over them; the
// report shows the same figures on the customer's line.
void TestStatements::agingOfAnAccount()
{
    QFETCH(QVariant, terms);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, columns);
    QFETCH(QString, credit);

    const QString id = u"S800"_s;
    // A stored balance that disagrees with the entries: the aging goes by the entries.
    addCustomer(*m_db, id, u"Aged Account Co"_s, terms, 12345.0);
    for (const QString &entry : std::as_const(entries)) {
        const QStringList part = entry.split(u' ');
        const int age = part[1].toInt();
        if (part[0] == u"ticket"_s)
            addTicket(*m_db, id, QDateTime(daysAgo(age), QTime(8, 30)), part[2].toDouble());
        else
            addPayment(*m_db, id, daysAgo(age), part[2].toDouble());
    }

    QStringList figures;
    const QList<AgedAccount> stores = ReceivablesStore::agedAccounts(*m_db, asOf, locationTerms, id);
    QCOMPARE(stores.size(), 1);
    for (Aging::Cents c : stores.first().aged.open)
        figures << cents(c);
    const QStringList expected = QStringList(columns) << credit;
    QCOMPARE(figures << cents(stores.first().aged.credit), expected);

    // The report reads every customer at once: the same figures on its line, and the
    // station's other customers as before.
    QString line, other;
    for (const QString &l : csvLines(*ArAgingReport::build(*m_db, asOf, locationTerms, {})).mid(1)) {
        if (l.startsWith(id + u','))
            line = l;
        if (l.startsWith(u"P200,"_s))
            other = l;
    }
    QVERIFY2(!line.isEmpty(), "no line for the customer");
    QStringList reported;
    for (const QString &field : line.split(u',').mid(7, 6))
        reported << QString::number(field.toDouble(), 'f', 2);
    QCOMPARE(reported, expected);
    QVERIFY2(other.contains(u",50,300,170,0,0,0,520"_s), qPrintable(other));
}

void TestStatements::firstDaysOfTheColumnsKeepTheDaysPastDue_data()
{
    QTest::addColumn<int>("terms");

    QTest::newRow("due on receipt") << 0;
    QTest::newRow("net 10") << 10;
    QTest::newRow("net 30") << 30;
    QTest::newRow("a whole year") << 365;
}

// The report places a charge by comparing its day with each column's first day; the rule
// is stated in days past due. Every day of the last two years lands in the same column
// both ways.
void TestStatements::firstDaysOfTheColumnsKeepTheDaysPastDue()
{
    QFETCH(int, terms);
    const QDate leapDay(2024, 2, 29);
    for (const QDate &day : {asOf, leapDay}) {
        for (int back = 0; back <= 730; ++back) {
            const QDate charged = day.addDays(-back);
            int byFirstDay = Aging::Over90;
            for (int b = Aging::Over90 - 1; b >= 0; --b) {
                if (charged >= Aging::firstDayOf(Aging::Bucket(b), day, terms))
                    byFirstDay = b;
            }
            QVERIFY2(byFirstDay == Aging::bucketOf(back - terms),
                     qPrintable(u"%1 on %2: %3"_s.arg(charged.toString(Qt::ISODate), day.toString(Qt::ISODate)).arg(byFirstDay)));
        }
    }
}

void TestStatements::periodEdges_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<bool>("inPeriod");
    QTest::addColumn<bool>("inOpening");

    QTest::newRow("the first day's midnight is in the period") << QDateTime(periodStart, QTime(0, 0, 0)) << true << false;
    QTest::newRow("the second before it is in the balance brought forward")
        << QDateTime(periodStart.addDays(-1), QTime(23, 59, 59)) << false << true;
    QTest::newRow("the last day's 23:59:59 is in the period") << QDateTime(asOf, QTime(23, 59, 59)) << true << false;
    QTest::newRow("the next midnight is in neither") << QDateTime(asOf.addDays(1), QTime(0, 0, 0)) << false << false;
}

void TestStatements::periodEdges()
{
    QFETCH(QDateTime, when);
    QFETCH(bool, inPeriod);
    QFETCH(bool, inOpening);
    addCustomer(*m_db, u"D700"_s, u"Daybreak Diesel"_s, QVariant(QMetaType::fromType<int>()));
    const int ticket = addTicket(*m_db, u"D700"_s, when, 123.45);
    addPayment(*m_db, u"D700"_s, periodStart, 3.45, u"first day"_s);
    addPayment(*m_db, u"D700"_s, asOf, 20.00, u"last day"_s);

    const QList<Statement> statements = Statements::gather(*m_db, periodStart, asOf, locationTerms, u"D700"_s);
    QCOMPARE(statements.size(), 1);
    const Statement &s = statements.first();
    QStringList tickets, payments;
    for (const AccountEntry &e : s.entries)
        (e.kind == AccountEntry::Kind::Ticket ? tickets : payments) << QString::number(e.number);
    QCOMPARE(tickets, inPeriod ? QStringList{QString::number(ticket)} : QStringList());
    QCOMPARE(payments.size(), 2);
    QCOMPARE(cents(s.opening), inOpening ? u"123.45"_s : u"0.00"_s);
    QCOMPARE(cents(s.closing()), inPeriod || inOpening ? u"100.00"_s : u"-23.45"_s);
    QCOMPARE(s.opening + s.charges() - s.payments(), s.closing());
}

void TestStatements::demoStatementsAddUp_data()
{
    QTest::addColumn<int>("monthsBack"); // 0: the month to date

    QTest::newRow("the month to date, ending today") << 0;
    QTest::newRow("last month") << 1;
    QTest::newRow("two months ago") << 2;
    QTest::newRow("four months ago, the demo's first") << 4;
}

void TestStatements::demoStatementsAddUp()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(int, monthsBack);
    m_db = TestDb::fresh(server);
    const QDate today = QDate::currentDate();
    DatabaseTool::fillDemo(*m_db, today);
    const QDate month = QDate(today.year(), today.month(), 1).addMonths(-monthsBack);
    const QDate end = monthsBack == 0 ? today : month.addMonths(1).addDays(-1);

    const QList<Statement> statements = Statements::gather(*m_db, month, end, locationTerms);
    QVERIFY(!statements.isEmpty());
    for (const Statement &s : statements) {
        const QString who = s.account.customerId;
        QVERIFY2(s.opening + s.charges() - s.payments() == s.closing(),
                 qPrintable(u"%1: %2 + %3 - %4 <> %5"_s.arg(who, cents(s.opening), cents(s.charges()), cents(s.payments()),
                                                            cents(s.closing()))));
        // The columns hold the whole balance (a credit apart).
        Aging::Cents owed = 0;
        for (Aging::Cents c : s.account.aged.open)
            owed += c;
        QCOMPARE(owed - s.account.aged.credit, s.closing());
        // The demo posts its balances as the program does: to the day they agree.
        if (end == today)
            QVERIFY2(!s.differsFromCurrentBalance(), qPrintable(who));
    }
    if (end == today)
        QCOMPARE(Statements::differingBalances(statements), QStringList());
}

void TestStatements::cancelledBatchLeavesNoFile_data()
{
    QTest::addColumn<bool>("oneFile");
    QTest::addColumn<int>("cancelAt"); // statements written before the cancel; -1: none
    QTest::addColumn<QStringList>("files");

    QTest::newRow("one PDF cancelled before its last statement is not there at all") << true << 4 << QStringList();
    QTest::newRow("one PDF cancelled at once is not there") << true << 0 << QStringList();
    QTest::newRow("one PDF run to the end is there") << true << -1 << QStringList{u"june.pdf"_s};
    QTest::newRow("a folder cancelled keeps only the whole files before the cancel")
        << false << 2 << QStringList{u"C400.pdf"_s, u"E100.pdf"_s};
    QTest::newRow("a folder run to the end has one file per customer")
        << false << -1 << QStringList{u"C400.pdf"_s, u"E100.pdf"_s, u"N300.pdf"_s, u"P200.pdf"_s, u"R600.pdf"_s, u"Z500.pdf"_s};
}

void TestStatements::cancelledBatchLeavesNoFile()
{
    QFETCH(bool, oneFile);
    QFETCH(int, cancelAt);
    QFETCH(QStringList, files);
    const QList<Statement> statements = Statements::gather(*m_db, periodStart, asOf, locationTerms);
    QCOMPARE(statements.size(), 6);
    QList<std::shared_ptr<Report>> reports;
    for (const Statement &s : statements)
        reports << Statements::report(s, {u"Prairie Fuel"_s, u"12 Route 66"_s, u"Amarillo, TX  79101"_s});

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    int asked = 0;
    const auto progress = [&](int done, int total) {
        ++asked;
        return total == 6 && (cancelAt < 0 || done < cancelAt);
    };
    const QString folder = dir.filePath(u"statements"_s);
    const ReportBatch::Outcome outcome =
        oneFile ? ReportBatch::writeOnePdf(reports, dir.filePath(u"june.pdf"_s), progress)
                : ReportBatch::writePdfFolder(
                    reports, folder, [&](int i) { return Statements::fileNameFor(statements[i].account.customerId); }, progress);
    QCOMPARE(outcome.written(), cancelAt < 0);
    QCOMPARE(outcome.result == ReportBatch::Outcome::Result::Cancelled, cancelAt >= 0);
    QVERIFY(asked > 0);
    QDir where(oneFile ? dir.path() : folder);
    QCOMPARE(where.entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
    for (const QString &file : files) {
        QFile pdf(where.filePath(file));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY2(pdf.read(5) == "%PDF-", qPrintable(file));
    }
}

QTEST_MAIN(TestStatements)
#include "tst_statements.moc"
