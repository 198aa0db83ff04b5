// The management reports' rows, their order and their values, read through the CSV
// export (the detail rows exactly as a spreadsheet gets them), on every server.

#include "ReportFixture.h"
#include "TestDb.h"

#include "db/Db.h"
#include "db/DbError.h"
#include "reports/ManagementReports.h"
#include "reports/Report.h"
#include "reports/ReportCsv.h"

#include <QBuffer>
#include <QTest>

using namespace Qt::StringLiterals;
using ReportFixture::firstDay;
using ReportFixture::headings;
using ReportFixture::lastDay;

namespace {

// The export's lines, without their CRLF ends.
QStringList csvLines(const Report &report)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ReportCsv::write(report, buffer);
    QString text = QString::fromUtf8(buffer.data());
    if (!text.endsWith(u"\r\n"_s))
        return {u"(no CRLF at the end) "_s + text};
    text.chop(2);
    return text.split(u"\r\n"_s);
}

// The detail sales line of a ticket: its details, the fuel rows (gas, diesel, off road,
// discount, DEF: gallons, price each, amount), the seven merchandise lines, subtotal,
// tax and total.
QString salesLine(const QString &head, const QString &diesel, const QString &discount, const QString &def, const QString &oil,
                  const QString &tail)
{
    return head + u",WS1,ANN,T-1,,,,,,0,,,"_s + diesel + u",0,,,"_s + discount + u",,,"_s + def + u","_s + oil + u",,,,,,,"_s
           + tail;
}

} // namespace

class TestManagementReports : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void init();
    void cleanup() { m_db.reset(); }

    void accountBalanceListsHoldFirst();
    void customerCardListingPutsCardsUnderTheirCustomer();
    void detailSalesTakesWholeDays_data();
    void detailSalesTakesWholeDays();
    void detailSalesRows();
    void customerHistory_data();
    void customerHistory();
    void giftCardTransactionsByType_data();
    void giftCardTransactionsByType();
    void giftCardListingByNumber();
    void failingQueryThrows();

private:
    std::unique_ptr<Db> m_db;
};

void TestManagementReports::init()
{
    QFETCH_GLOBAL(QString, server);
    m_db = TestDb::fresh(server);
    ReportFixture::fill(*m_db);
}

void TestManagementReports::accountBalanceListsHoldFirst()
{
    auto report = ManagementReports::accountBalance(*m_db, headings);
    QCOMPARE(report->layoutName(), u"crtpAccountListing"_s);
    const QString tail = u",1 Main St,%1,TX,79101,8065550100,,Pat,"_s;
    const QStringList expected = {
        u"Customer ID,Name,Address,City,State,Zip,Phone,Fax,Contact,Inactive,Balance,Limit,Warn At,On Hold,Date Entered"_s,
        u"0002,Birch Hauling"_s + tail.arg(u"Dumas"_s) + u"No,2000,2000,0.8,Yes,2024-03-01T09:30:00"_s,
        u"0004,Dogwood Lines"_s + tail.arg(u"Borger"_s) + u"No,750.5,700,0.8,Yes,2024-03-01T09:30:00"_s,
        u"0001,Alder Freight"_s + tail.arg(u"Amarillo"_s) + u"No,150.25,1000,0.8,No,2024-03-01T09:30:00"_s,
        // No hold flag sorts with the customers not on hold; no balance and no hold flag
        // are empty fields.
        u"0003,Cedar Transport"_s + tail.arg(u"Pampa"_s) + u"Yes,,500,0.8,,2024-03-01T09:30:00"_s,
        u"0005,\"O'Brien & Sons, Inc.\""_s + tail.arg(u"Canyon"_s) + u"No,-20,300,0.8,No,2024-03-01T09:30:00"_s,
    };
    QCOMPARE(csvLines(*report), expected);
}

void TestManagementReports::customerCardListingPutsCardsUnderTheirCustomer()
{
    auto report = ManagementReports::customerCardListing(*m_db, headings);
    QCOMPARE(report->layoutName(), u"crptCustomerCardListingReport"_s);
    const QStringList lines = csvLines(*report);
    QCOMPARE(lines.value(0), u"Customer ID,Name,Address,City,State,Zip,Phone,Fax,Contact,Inactive,Balance,Limit,Warn At,On Hold,"
                             "Date Entered,Card No,Card Type,Card Inactive"_s);
    // Each customer's cards in card number order, the customers as in the balance report;
    // a customer without cards once, with empty card fields (no "No" for a card that is
    // not there); the cards whose customer is gone last, with the account they name.
    QStringList cards;
    for (const QString &line : lines.mid(1)) {
        const QStringList f = line.split(u',');
        cards << f.first() + u' ' + f.mid(f.size() - 3).join(u' ');
    }
    QCOMPARE(cards, QStringList({u"0002 01 1 Yes"_s, u"0004 01 1 No"_s, u"0001 01 2 No"_s, u"0001 02 1 No"_s, u"0003 01 3 No"_s,
                                 u"0005   "_s, u"0999 01 1 No"_s}));
    // The card without a customer has no customer's fields.
    QCOMPARE(lines.last(), u"0999,,,,,,,,,,,,,,,01,1,No"_s);
}

void TestManagementReports::detailSalesTakesWholeDays_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("tickets"); // their dates and times, in order

    QTest::newRow("a range of two days runs from the first's midnight to the last's 23:59:59")
        << firstDay << lastDay
        << QStringList{u"2024-03-07T00:00:00"_s, u"2024-03-07T12:30:00"_s, u"2024-03-07T15:00:00"_s, u"2024-03-08T10:00:00"_s,
                       u"2024-03-08T23:59:59"_s};
    QTest::newRow("one day alone takes its midnight and its last second")
        << QDate(2024, 3, 9) << QDate(2024, 3, 9) << QStringList{u"2024-03-09T00:00:00"_s};
    QTest::newRow("the day before ends at its 23:59:59")
        << QDate(2024, 3, 6) << QDate(2024, 3, 6) << QStringList{u"2024-03-06T23:59:59"_s};
    QTest::newRow("a start after the end gives no rows") << lastDay << firstDay << QStringList();
    QTest::newRow("a range without tickets gives no rows") << QDate(2024, 4, 1) << QDate(2024, 4, 30) << QStringList();
}

void TestManagementReports::detailSalesTakesWholeDays()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, tickets);
    const QStringList lines = csvLines(*ManagementReports::detailSales(*m_db, from, to, headings));
    QStringList times;
    for (const QString &line : lines.mid(1))
        times << line.section(u',', 0, 0);
    QCOMPARE(times, tickets);
}

void TestManagementReports::detailSalesRows()
{
    auto report = ManagementReports::detailSales(*m_db, firstDay, lastDay, headings);
    QCOMPARE(report->layoutName(), u"crptDetailTicketListing"_s);
    const QStringList lines = csvLines(*report);
    QCOMPARE(
        lines.value(0),
        u"Date Entered,Ticket No.,Customer ID,Card No,Name,Location,Workstation,Clerk,Truck No.,Mileage,Driver ID,License,Trip,"
        "Trailer,Gas Gallons,Gas Price Each,Gas Amount,Diesel Gallons,Diesel Price Each,Diesel Amount,Off Road Diesel Gallons,"
        "Off Road Diesel Price Each,Off Road Diesel Amount,Discount Gallons,Discount Price Each,Discount Amount,DEF Gallons,"
        "DEF Price Each,DEF Amount,Oil,Additives,Antifreeze,Washer Fluid,Grocery,Deli,Tobacco,Subtotal,Tax,Total"_s);
    const QStringList expected = {
        salesLine(u"2024-03-07T00:00:00,2,0001,01,Alder Freight,1"_s, u"25,4,100"_s, u"25"_s, u"0,0,0"_s, u"0"_s, u"100,0,100"_s),
        // DEF stored as NULL reads 0.
        salesLine(u"2024-03-07T12:30:00,3,0002,01,Birch Hauling,2"_s, u"12.5,4,50"_s, u"12.5"_s, u"0,0,0"_s, u"3"_s,
                  u"53,0.3,53.3"_s),
        // A ticket whose customer is gone keeps its place and its account, without a name.
        salesLine(u"2024-03-07T15:00:00,4,0999,01,,1"_s, u"5,4,20"_s, u"5"_s, u"0,0,0"_s, u"0"_s, u"20,0,20"_s),
        salesLine(u"2024-03-08T10:00:00,5,0001,01,Alder Freight,2"_s, u"0,4,0"_s, u"0"_s, u"0,0,0"_s, u"0"_s, u"0,0,0"_s),
        salesLine(u"2024-03-08T23:59:59,6,0001,01,Alder Freight,1"_s, u"50,4,200"_s, u"50"_s, u"2.5,3,7.5"_s, u"10"_s,
                  u"210,1,211"_s),
    };
    QCOMPARE(lines.mid(1), expected);
}

void TestManagementReports::customerHistory_data()
{
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("entries"); // date, type, number, location, amount

    QTest::newRow("newest first, charges positive, payments negated, zero amounts and other days left out")
        << u"0001"_s << firstDay << lastDay
        << QStringList{u"2024-03-08T23:59:59,Charge Ticket,6,1,211"_s, u"2024-03-08T00:00:00,Payment: ,3,N/A,-50"_s,
                       u"2024-03-07T00:00:00,Charge Ticket,2,1,100"_s, u"2024-03-07T00:00:00,Payment: 1001,2,N/A,-100"_s};
    QTest::newRow("a payment stored with a time of day counts on its day")
        << u"0004"_s << firstDay << lastDay << QStringList{u"2024-03-08T14:00:00,Payment: 2001,6,N/A,-70"_s};
    QTest::newRow("a customer with nothing in the range has no entries") << u"0003"_s << firstDay << lastDay << QStringList();
    QTest::newRow("a start after the end gives no entries") << u"0001"_s << lastDay << firstDay << QStringList();
    QTest::newRow("another customer's entries stay out")
        << u"0002"_s << firstDay << lastDay << QStringList{u"2024-03-07T12:30:00,Charge Ticket,3,2,53.3"_s};
}

void TestManagementReports::customerHistory()
{
    QFETCH(QString, customer);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, entries);
    auto report = ManagementReports::customerHistory(*m_db, customer, from, to, headings);
    QCOMPARE(report->layoutName(), u"crtpCustomerHistoryReport"_s);
    const QStringList lines = csvLines(*report);
    QCOMPARE(lines.value(0), u"Customer ID,Name,Date,Type,Number,Location,Amount"_s);
    QStringList got;
    for (const QString &line : lines.mid(1)) {
        QVERIFY2(line.startsWith(customer + u','), qPrintable(line));
        got << line.section(u',', 2);
    }
    // PostgreSQL keeps a payment's day only.
    QFETCH_GLOBAL(QString, server);
    if (server == u"PostgreSQL"_s)
        entries.replaceInStrings(u"2024-03-08T14:00:00"_s, u"2024-03-08T00:00:00"_s);
    QCOMPARE(got, entries);
}

void TestManagementReports::giftCardTransactionsByType_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("transactions");

    QTest::newRow("by type, then in time order, from midnight to 23:59:59")
        << firstDay << lastDay
        << QStringList{u"Gift Card Purchase,2024-03-07T09:00:00,3,600003,50,ANN,WS1,2"_s,
                       u"Gift Card Purchase,2024-03-08T23:59:59,2,600001,100,ANN,WS1,2"_s,
                       u"Gift Card Redemption,2024-03-07T00:00:00,4,600001,29.5,ANN,WS1,2"_s};
    QTest::newRow("the next day begins at its midnight")
        << QDate(2024, 3, 9) << QDate(2024, 3, 10)
        << QStringList{u"Gift Card Inquiry,2024-03-09T00:00:00,5,600002,0,ANN,WS1,2"_s};
    QTest::newRow("a start after the end gives no rows") << lastDay << firstDay << QStringList();
}

void TestManagementReports::giftCardTransactionsByType()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, transactions);
    auto report = ManagementReports::giftCardTransactions(*m_db, from, to, headings);
    QCOMPARE(report->layoutName(), u"crptGiftCardTransactionReport"_s);
    const QStringList lines = csvLines(*report);
    QCOMPARE(lines.value(0), u"Type,Date,Transaction No.,Card Number,Amount,Clerk,Workstation,Location"_s);
    QCOMPARE(lines.mid(1), transactions);
}

void TestManagementReports::giftCardListingByNumber()
{
    auto report = ManagementReports::giftCardListing(*m_db, headings);
    QCOMPARE(report->layoutName(), u"crptGiftCardListingReport"_s);
    const QStringList expected = {
        u"Card Number,Date Activated,Activated By,Activation Amount,Card Balance,Active,Location,Workstation,Notes"_s,
        u"600001,2024-03-01T10:00:00,ANN,50,20.5,Yes,1,WS1,\"Birthday, \"\"gold\"\" card\""_s,
        u"600002,2024-03-01T10:00:00,ANN,25,0,No,1,WS1,"_s,
        u"600003,2024-03-01T10:00:00,ANN,100,100,Yes,1,WS1,"_s,
    };
    QCOMPARE(csvLines(*report), expected);
}

void TestManagementReports::failingQueryThrows()
{
    m_db->exec(u"DROP TABLE Tickets"_s);
    auto report = ManagementReports::detailSales(*m_db, firstDay, lastDay, headings);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY_THROWS_EXCEPTION(DbError, ReportCsv::write(*report, buffer));
}

QTEST_GUILESS_MAIN(TestManagementReports)
#include "tst_managementreports.moc"
