// The management reports as they are printed and shown: headings, title and range,
// every row in its place, the groups with their totals, and "Page N of M" on every page.

#include "PdfText.h"
#include "ReportFixture.h"
#include "TestDb.h"

#include "db/Db.h"
#include "reports/ManagementReports.h"
#include "reports/Report.h"
#include "reports/ReportOutput.h"
#include "reports/ReportRenderer.h"

#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using ReportFixture::firstDay;
using ReportFixture::headings;
using ReportFixture::lastDay;

namespace {

// Where the first of `pieces` is missing or out of order in the text; empty when all are
// there in order.
QString outOfOrder(const QString &text, const QStringList &pieces)
{
    qsizetype at = 0;
    for (const QString &piece : pieces) {
        const qsizetype found = text.indexOf(piece, at);
        if (found < 0)
            return u"\"%1\" missing or out of order in:\n%2"_s.arg(piece, text);
        at = found + piece.size();
    }
    return QString();
}

const QStringList heading = {u"Prairie Fuel & Go"_s, u"12 Route 66"_s, u"Amarillo, TX 79101"_s};

} // namespace

class TestManagementPdf : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void init();
    void cleanup() { m_db.reset(); }

    void reports_data();
    void reports();
    void everyPageSaysWhichOfHowMany();
    void historySubtotalsByKind_data();
    void historySubtotalsByKind();
    void figuresStandWhole_data();
    void figuresStandWhole();
    void dayGoesOnUnderItsHeading();

private:
    QString textOf(const Report &report);

    std::unique_ptr<Db> m_db;
    QTemporaryDir m_dir;
    int m_files = 0;
};

void TestManagementPdf::init()
{
    QFETCH_GLOBAL(QString, server);
    m_db = TestDb::fresh(server);
    ReportFixture::fill(*m_db);
}

QString TestManagementPdf::textOf(const Report &report)
{
    const QString path = m_dir.filePath(u"report-%1.pdf"_s.arg(++m_files));
    if (!ReportOutput::writePdf(report, path))
        return {};
    return PdfText::squeezed(PdfText::of(path));
}

void TestManagementPdf::reports_data()
{
    QTest::addColumn<QString>("report");
    QTest::addColumn<QStringList>("pieces"); // in the order they stand, after the heading

    QTest::newRow("account balances: on hold first, each part and all with balances, limits and counts")
        << u"account-balance"_s
        << QStringList{u"Account Balance Report"_s,
                       u"ID Name City Phone Contact Inactive Balance Limit Warn At On Hold"_s,
                       u"Accounts On Hold"_s,
                       u"0002 Birch Hauling Dumas, TX 79101 (806) 555-0100 Pat $2,000.00 $2,000.00 80% Yes"_s,
                       u"0004 Dogwood Lines Borger, TX 79101 (806) 555-0100 Pat $750.50 $700.00 80% Yes"_s,
                       u"2 accounts on hold $2,750.50 $2,700.00"_s,
                       u"Accounts Not On Hold"_s,
                       u"0001 Alder Freight Amarillo, TX 79101 (806) 555-0100 Pat $150.25 $1,000.00 80%"_s,
                       u"0003 Cedar Transport Pampa, TX 79101 (806) 555-0100 Pat Yes $500.00 80%"_s,
                       u"0005 O'Brien & Sons, Inc. Canyon, TX 79101 (806) 555-0100 Pat -$20.00 $300.00 80%"_s,
                       u"3 accounts not on hold $130.25 $1,800.00"_s,
                       u"All accounts: 5 $2,880.75 $4,500.00"_s,
                       u"Accounts on hold: 2"_s,
                       u"Page 1 of 1"_s};
    QTest::newRow("customer and card listing: each customer with its cards beneath it")
        << u"customer-cards"_s
        << QStringList{u"Customer / Card Listing"_s, u"0002 Birch Hauling (806) 555-0100 Pat"_s, u"Balance $2,000.00 On Hold"_s,
                       u"Card No Card Type Inactive"_s, u"01 1 Yes"_s, u"0004 Dogwood Lines"_s, u"01 1"_s,
                       u"0001 Alder Freight"_s, u"1 Main St, Amarillo, TX 79101"_s, u"01 2"_s, u"02 1"_s,
                       // No balance at all stays empty, as in the other reports.
                       u"0003 Cedar Transport"_s, u"1 Main St, Pampa, TX 79101 Balance Inactive"_s, u"01 3"_s,
                       u"0005 O'Brien & Sons, Inc."_s, u"No cards issued"_s,
                       // A card whose customer is gone is listed, and counted, last.
                       u"Cards without a customer"_s, u"Customer ID Card No Card Type Inactive"_s, u"0999 01 1"_s,
                       u"5 customers, 6 cards (1 without a customer)"_s, u"Page 1 of 1"_s};
    QTest::newRow("customer history: newest first with charges, payments and the net of the range")
        << u"customer-history 0001"_s
        << QStringList{u"Customer History Report"_s,
                       u"3/7/2024 - 3/8/2024"_s,
                       u"0001 Alder Freight"_s,
                       u"1 Main St, Amarillo, TX 79101 (806) 555-0100"_s,
                       u"Current balance $150.25 Limit $1,000.00"_s,
                       u"Date Time Type Number Location Amount"_s,
                       u"3/8/2024 11:59 PM Charge Ticket 6 1 $211.00"_s,
                       u"3/8/2024 Payment: 3 N/A -$50.00"_s,
                       u"3/7/2024 12:00 AM Charge Ticket 2 1 $100.00"_s,
                       u"3/7/2024 Payment: 1001 2 N/A -$100.00"_s,
                       u"Charges: 2 tickets $311.00"_s,
                       u"Payments: 2 payments -$150.00"_s,
                       u"Net for the range $161.00"_s,
                       u"Page 1 of 1"_s};
    QTest::newRow("customer history without entries in the range still names the customer")
        << u"customer-history 0003"_s
        << QStringList{u"Customer History Report"_s,   u"0003 Cedar Transport"_s,     u"Current balance Limit $500.00 Inactive"_s,
                       u"No entries in this range."_s, u"Charges: 0 tickets $0.00"_s, u"Net for the range $0.00"_s};
    QTest::newRow("detail sales: by day with day and grand totals of gallons, merchandise, tax and total")
        << u"detail-sales"_s
        << QStringList{u"Detail Sales Report"_s, u"3/7/2024 - 3/8/2024"_s,
                       u"Time Ticket Acct Card Name Loc. Gas Diesel Off Road Discount DEF Merchandise Tax Total"_s,
                       u"Thursday, March 7, 2024"_s,
                       u"12:00 AM 2 0001 01 Alder Freight 1 0.000 25.000 0.000 25.000 0.000 $0.00 $0.00 $100.00"_s,
                       u"12:30 PM 3 0002 01 Birch Hauling 2 0.000 12.500 0.000 12.500 0.000 $3.00 $0.30 $53.30"_s,
                       // The customer row is gone: the ticket still names its account.
                       u"3:00 PM 4 0999 01 1 0.000 5.000 0.000 5.000 0.000 $0.00 $0.00 $20.00"_s,
                       u"Day total: 3 tickets 0.000 42.500 0.000 42.500 0.000 $3.00 $0.30 $173.30"_s, u"Friday, March 8, 2024"_s,
                       u"10:00 AM 5 0001 01 Alder Freight 2 0.000 0.000 0.000 0.000 0.000 $0.00 $0.00 $0.00"_s,
                       u"11:59 PM 6 0001 01 Alder Freight 1 0.000 50.000 0.000 50.000 2.500 $10.00 $1.00 $211.00"_s,
                       u"Day total: 2 tickets 0.000 50.000 0.000 50.000 2.500 $10.00 $1.00 $211.00"_s,
                       u"Grand total: 5 tickets 0.000 92.500 0.000 92.500 2.500 $13.00 $1.30 $384.30"_s, u"Page 1 of 1"_s};
    QTest::newRow("gift card transactions: by type with the count and amount of each")
        << u"gift-card-transactions"_s
        << QStringList{u"Gift Card Transaction Report"_s,
                       u"3/7/2024 - 3/8/2024"_s,
                       u"Date No. Card Number Clerk Workstation Loc. Amount"_s,
                       u"Gift Card Purchase"_s,
                       u"3/7/2024 9:00 AM 3 600003 ANN WS1 2 $50.00"_s,
                       u"3/8/2024 11:59 PM 2 600001 ANN WS1 2 $100.00"_s,
                       u"Gift Card Purchase: 2 transactions $150.00"_s,
                       u"Gift Card Redemption"_s,
                       u"3/7/2024 12:00 AM 4 600001 ANN WS1 2 $29.50"_s,
                       u"Gift Card Redemption: 1 transaction $29.50"_s,
                       u"All transactions: 3"_s,
                       u"Page 1 of 1"_s};
    QTest::newRow("gift card listing: every card, then the balance the station owes on them")
        << u"gift-card-listing"_s
        << QStringList{u"Gift Card Listing"_s,
                       u"Card Number Activated By First Amount Balance Active Loc. Workstation Notes"_s,
                       u"600001 3/1/2024 ANN $50.00 $20.50 Yes 1 WS1 Birthday"_s,
                       u"600002 3/1/2024 ANN $25.00 $0.00 1 WS1"_s,
                       u"600003 3/1/2024 ANN $100.00 $100.00 Yes 1 WS1"_s,
                       u"3 cards (2 active) $175.00 $120.50"_s,
                       u"Outstanding balance (owed to card holders) $120.50"_s,
                       u"Page 1 of 1"_s};
}

void TestManagementPdf::reports()
{
    QFETCH(QString, report);
    QFETCH(QStringList, pieces);
    std::shared_ptr<Report> built;
    const QString name = report.section(u' ', 0, 0);
    if (name == u"account-balance"_s)
        built = ManagementReports::accountBalance(*m_db, headings);
    else if (name == u"customer-cards"_s)
        built = ManagementReports::customerCardListing(*m_db, headings);
    else if (name == u"customer-history"_s)
        built = ManagementReports::customerHistory(*m_db, report.section(u' ', 1), firstDay, lastDay, headings);
    else if (name == u"detail-sales"_s)
        built = ManagementReports::detailSales(*m_db, firstDay, lastDay, headings);
    else if (name == u"gift-card-transactions"_s)
        built = ManagementReports::giftCardTransactions(*m_db, firstDay, lastDay, headings);
    else
        built = ManagementReports::giftCardListing(*m_db, headings);
    const QString text = textOf(*built);
    const QString wrong = outOfOrder(text, heading + pieces);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void TestManagementPdf::everyPageSaysWhichOfHowMany()
{
    for (int i = 0; i < 120; ++i)
        ReportFixture::addGiftCard(*m_db, u"7%1"_s.arg(QString::number(i).rightJustified(5, u'0')), 10, i, true, QString());
    auto report = ManagementReports::giftCardListing(*m_db, headings);
    const QString path = m_dir.filePath(u"long.pdf"_s);
    QVERIFY(ReportOutput::writePdf(*report, path));
    const int pages = PdfText::pageCount(path);
    QCOMPARE(pages, 3);
    for (int page = 1; page <= pages; ++page) {
        const QString text = PdfText::squeezed(PdfText::of(path, page));
        // The heading and the captions head every page.
        const QString wrong = outOfOrder(
            text, heading + QStringList{u"Gift Card Listing"_s, u"Card Number"_s, u"Page %1 of %2"_s.arg(page).arg(pages)});
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    }
    QVERIFY(PdfText::of(path, 3).contains(u"123 cards (122 active)"_s));
}

void TestManagementPdf::historySubtotalsByKind_data()
{
    QTest::addColumn<QList<double>>("tickets");  // totals, on 4/1/2024
    QTest::addColumn<QList<double>>("payments"); // amounts, on 4/1/2024
    QTest::addColumn<QStringList>("footer");

    QTest::newRow("a refund ticket is a charge, a payment a payment")
        << QList<double>{100, -30} << QList<double>{50}
        << QStringList{u"Charges: 2 tickets $70.00"_s, u"Payments: 1 payment -$50.00"_s, u"Net for the range $20.00"_s};
    QTest::newRow("a returned check is a payment, however it is signed")
        << QList<double>{40} << QList<double>{25, -25}
        << QStringList{u"Charges: 1 ticket $40.00"_s, u"Payments: 2 payments $0.00"_s, u"Net for the range $40.00"_s};
    QTest::newRow("only refunds and returned checks")
        << QList<double>{-12.5} << QList<double>{-80}
        << QStringList{u"Charges: 1 ticket -$12.50"_s, u"Payments: 1 payment $80.00"_s, u"Net for the range $67.50"_s};
}

void TestManagementPdf::historySubtotalsByKind()
{
    QFETCH(QList<double>, tickets);
    QFETCH(QList<double>, payments);
    QFETCH(QStringList, footer);
    int minute = 0;
    for (double total : tickets) {
        const int id = ReportFixture::addTicket(
            *m_db, u"0005"_s, m_db->dialect().dateTimeValue(QDateTime(QDate(2024, 4, 1), QTime(9, ++minute))), 0, 0, 1);
        m_db->exec(u"UPDATE Tickets SET Total = ? WHERE ID = ?"_s, {total, id});
    }
    for (double amount : payments)
        ReportFixture::addPayment(*m_db, u"0005"_s, m_db->dialect().dateValue(QDate(2024, 4, 1)), amount, u"C"_s);
    const QString text =
        textOf(*ManagementReports::customerHistory(*m_db, u"0005"_s, QDate(2024, 4, 1), QDate(2024, 4, 1), headings));
    const QString wrong = outOfOrder(text, footer);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void TestManagementPdf::figuresStandWhole_data()
{
    QTest::addColumn<QString>("report");
    QTest::addColumn<QStringList>("figures"); // each a word of its own on the page

    QTest::newRow("account balances: the huge balance, limit and the totals over it")
        << u"account-balance"_s
        << QStringList{u"$999,999,999.99"_s, u"$1,000,000,130.24"_s, u"$1,000,001,799.99"_s, u"$1,000,002,880.74"_s,
                       u"$1,000,004,499.99"_s};
    QTest::newRow("customer cards: the huge balance") << u"customer-cards"_s << QStringList{u"$999,999,999.99"_s};
    QTest::newRow("customer history: the huge charge and payment")
        << u"customer-history"_s << QStringList{u"$999,999,999.99"_s, u"-$999,999,999.99"_s};
    QTest::newRow("detail sales: ten million gallons on every fuel row, and the huge tax and total")
        << u"detail-sales"_s << QStringList{u"10,000,000.000"_s, u"$900,000,000.00"_s, u"$99,999,999.99"_s, u"$999,999,999.99"_s};
    QTest::newRow("gift card transactions: the huge amount") << u"gift-card-transactions"_s << QStringList{u"$999,999,999.99"_s};
    QTest::newRow("gift card listing: the huge card and the totals over it")
        << u"gift-card-listing"_s << QStringList{u"$999,999,999.99"_s, u"$1,000,000,174.99"_s, u"$1,000,000,120.49"_s};
}

// No figure is cut short or runs into its neighbour: every one is a word of its own in
// the text of the page, whatever its size, and no word holds two amounts or an ellipsis.
void TestManagementPdf::figuresStandWhole()
{
    QFETCH(QString, report);
    QFETCH(QStringList, figures);
    const QDate day(2024, 4, 1);
    const double huge = 999999999.99;
    ReportFixture::addCustomer(*m_db, u"9999"_s, u"Zinnia Bulk Carriers"_s, m_db->dialect().flag(false), huge, huge, false,
                               u"Hereford"_s);
    ReportFixture::addCard(*m_db, u"9999"_s, u"01"_s, u"1"_s, false);
    const int ticket =
        ReportFixture::addTicket(*m_db, u"9999"_s, m_db->dialect().dateTimeValue(QDateTime(day, QTime(10, 0))), 0, 0, 1);
    m_db->exec(u"UPDATE Tickets SET GasGallons = ?, DieselGallons = ?, ReeferGallons = ?, DiscountGallons = ?, DEFGallons = ?, "
               "OilPriceExt = ?, Subtotal = ?, Tax = ?, Total = ? WHERE ID = ?"_s,
               {1e7, 1e7, 1e7, 1e7, 1e7, 9e8, 9e8, 99999999.99, huge, ticket});
    ReportFixture::addPayment(*m_db, u"9999"_s, m_db->dialect().dateValue(day), huge, u"9999"_s);
    ReportFixture::addGiftCard(*m_db, u"699999"_s, huge, huge, true, QString());
    ReportFixture::addGiftCardTransaction(*m_db, u"699999"_s, m_db->dialect().dateTimeValue(QDateTime(day, QTime(11, 0))),
                                          u"Gift Card Purchase"_s, huge);

    std::shared_ptr<Report> built;
    if (report == u"account-balance"_s)
        built = ManagementReports::accountBalance(*m_db, headings);
    else if (report == u"customer-cards"_s)
        built = ManagementReports::customerCardListing(*m_db, headings);
    else if (report == u"customer-history"_s)
        built = ManagementReports::customerHistory(*m_db, u"9999"_s, day, day, headings);
    else if (report == u"detail-sales"_s)
        built = ManagementReports::detailSales(*m_db, day, day, headings);
    else if (report == u"gift-card-transactions"_s)
        built = ManagementReports::giftCardTransactions(*m_db, day, day, headings);
    else
        built = ManagementReports::giftCardListing(*m_db, headings);
    const QString text = textOf(*built);
    const QStringList words = text.split(QRegularExpression(u"\\s+"_s), Qt::SkipEmptyParts);
    QVERIFY2(!words.isEmpty(), "no text");
    for (const QString &figure : figures)
        QVERIFY2(words.contains(figure), qPrintable(u"%1 is not a word of its own in:\n%2"_s.arg(figure, text)));
    for (const QString &word : words) {
        QVERIFY2(!word.contains(QChar(0x2026)), qPrintable(u"cut: "_s + word));
        QVERIFY2(word.count(u'$') <= 1, qPrintable(u"run together: "_s + word));
        QVERIFY2(!word.contains(QRegularExpression(u"\\.\\d{2,3}[\\d,]*\\."_s)), qPrintable(u"run together: "_s + word));
    }
}

// Detail Sales over a day with more tickets than a page holds: every page that goes on
// with the day begins with its heading again, in the printed file and in a page drawn
// alone as the viewer draws it; a page that begins a day of its own says no more.
void TestManagementPdf::dayGoesOnUnderItsHeading()
{
    const QDate monday(2024, 4, 1);
    for (int i = 0; i < 130; ++i)
        ReportFixture::addTicket(*m_db, u"0001"_s, m_db->dialect().dateTimeValue(QDateTime(monday, QTime(6, 0).addSecs(60 * i))),
                                 10, 0, 1);
    ReportFixture::addTicket(*m_db, u"0002"_s, m_db->dialect().dateTimeValue(QDateTime(monday.addDays(1), QTime(7, 0))), 5, 0, 1);
    auto report = ManagementReports::detailSales(*m_db, monday, monday.addDays(1), headings);
    const QString path = m_dir.filePath(u"days.pdf"_s);
    QVERIFY(ReportOutput::writePdf(*report, path));
    const int pages = PdfText::pageCount(path);
    QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));

    const QString continued = u"Monday, April 1, 2024 (continued)"_s;
    const QString first = PdfText::squeezed(PdfText::of(path, 1));
    QVERIFY2(first.contains(u"Monday, April 1, 2024"_s) && !first.contains(continued), qPrintable(first));
    int continuing = 0;
    for (int page = 2; page <= pages; ++page) {
        const QString text = PdfText::squeezed(PdfText::of(path, page));
        if (!text.contains(u"0001"_s))
            continue; // a last page with only the next day or the totals
        ++continuing;
        // Under the page's captions, before its first ticket.
        const QString wrong = outOfOrder(text, {u"Detail Sales Report"_s, u"Ticket"_s, continued, u"0001"_s});
        QVERIFY2(wrong.isEmpty(), qPrintable(u"page %1: %2"_s.arg(page).arg(wrong)));
    }
    // The next day begins with its own heading; the grand total alone on a page is no day.
    const QString whole = PdfText::squeezed(PdfText::of(path));
    QVERIFY2(whole.contains(u"Tuesday, April 2, 2024"_s) && !whole.contains(u"Tuesday, April 2, 2024 (continued)"_s),
             qPrintable(whole));
    QCOMPARE(whole.count(continued), continuing);

    // Page 2 drawn by itself, from where laying the report out found it begins.
    const PageIndex index = paginate(*report);
    QCOMPARE(index.pageCount(), pages);
    const QString alone = m_dir.filePath(u"page2.pdf"_s);
    {
        QPdfWriter writer(alone);
        writer.setPageLayout(report->pageLayout());
        QPainter painter(&writer);
        PagedDeviceSink sink(writer, painter);
        renderPages(*report, index, sink, 2, 2);
    }
    const QString text = PdfText::squeezed(PdfText::of(alone));
    const QString wrong = outOfOrder(text, {u"Detail Sales Report"_s, continued, u"0001"_s, u"Page 2 of"_s});
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

QTEST_MAIN(TestManagementPdf)
#include "tst_managementpdf.moc"
