// The printed charge ticket, cash ticket and gift card receipt: what each copy says, how
// many copies come out, and that every failure is a false result.

#include "PdfText.h"
#include "TestDb.h"

#include "app/AppContext.h"
#include "db/Db.h"
#include "reports/Report.h"
#include "reports/ReportOutput.h"
#include "reports/Reports.h"
#include "reports/Viewer.h"

#include <QApplication>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// What is wrong with the printed copies: the first text of `shown` a copy lacks or of
// `hidden` it holds, with that copy; empty when every copy is right.
QString wrongText(const QStringList &copies, const QStringList &shown, const QStringList &hidden)
{
    for (const QString &copy : copies) {
        for (const QString &text : shown)
            if (!copy.contains(text))
                return u"missing \"%1\" in:\n%2"_s.arg(text, copy);
        for (const QString &text : hidden)
            if (copy.contains(text))
                return u"unexpected \"%1\" in:\n%2"_s.arg(text, copy);
    }
    return QString();
}

} // namespace

class TestPrintedDocuments : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void initTestCase();
    void init();
    void cleanup();

    void chargeTicket_data();
    void chargeTicket();
    void chargeTicketWithoutRowPrintsLayout();
    void cashTicket_data();
    void cashTicket();
    void giftCardReceipt_data();
    void giftCardReceipt();
    void failureIsFalse_data();
    void failureIsFalse();
    void previewShowsViewerAndPrintsNothing();

private:
    int addChargeTicket(bool defFilled);
    int addCashTicket(bool defFilled);
    QStringList printedTexts();

    std::unique_ptr<Db> m_db;
    std::unique_ptr<QTemporaryDir> m_out;
};

void TestPrintedDocuments::initTestCase()
{
    CompanySettings &company = appContext().company;
    company.Name = u"Lone Star Fuel & Go"_s;
    company.Address1 = u"1200 Interstate Dr."_s;
    company.City = u"Amarillo"_s;
    company.State = u"TX"_s;
    company.Zip = u"79101"_s;
}

void TestPrintedDocuments::init()
{
    QFETCH_GLOBAL(QString, server);
    m_db = TestDb::fresh(server);
    Db::setCurrent(m_db.get());
    m_out = std::make_unique<QTemporaryDir>();
    QVERIFY(m_out->isValid());
    ReportOutput::setPrintTarget(ReportOutput::PrintTarget::PdfFiles, m_out->path());
}

void TestPrintedDocuments::cleanup()
{
    Db::setCurrent(nullptr);
    m_db.reset();
    ReportOutput::setPrintTarget(ReportOutput::PrintTarget::DefaultPrinter);
    delete Viewer::instance();
}

int TestPrintedDocuments::addChargeTicket(bool defFilled)
{
    m_db->insert(u"Customer"_s,
                 {{u"ID"_s, u"0042"_s},
                  {u"Name"_s, u"O'Brien Hauling"_s},
                  {u"Address1"_s, u"77 Depot Rd."_s},
                  {u"City"_s, u"Dumas"_s},
                  {u"State"_s, u"TX"_s},
                  {u"Zip"_s, u"79029"_s},
                  {u"Phone"_s, u"8065550142"_s}},
                 QString());
    ColumnValues row = {
        {u"CustomerID"_s, u"0042"_s},
        {u"CardNo"_s, u"07"_s},
        {u"Clerk"_s, u"MARIA"_s},
        {u"TruckNumber"_s, u"T-19"_s},
        {u"Mileage"_s, u"412998"_s},
        {u"License"_s, u"TX 4KL-221"_s},
        {u"DriverID"_s, u"D-5531"_s},
        {u"Trip"_s, u"88-A"_s},
        {u"Trailer"_s, u"RF-02"_s},
        {u"GasGallons"_s, 10.0},
        {u"GasPriceEach"_s, 3.109},
        {u"GasPriceExt"_s, 31.09},
        {u"DieselGallons"_s, 150.25},
        {u"DieselPriceEach"_s, 3.899},
        {u"DieselPriceExt"_s, 585.82},
        {u"ReeferGallons"_s, 20.0},
        {u"ReeferPriceEach"_s, 3.499},
        {u"ReeferPriceExt"_s, 69.98},
        {u"DiscountGallons"_s, 170.25},
        {u"DiscountPriceEach"_s, -0.05},
        {u"DiscountPriceExt"_s, -8.51},
        {u"OilPriceExt"_s, 12.5},
        {u"AddativePriceExt"_s, 4.25},
        {u"AntifreezePriceExt"_s, 0.0},
        {u"WasherPriceExt"_s, 3.0},
        {u"GroceryPriceExt"_s, 0.0},
        {u"DeliPriceExt"_s, 6.75},
        {u"TobaccoPriceExt"_s, 0.0},
        {u"Subtotal"_s, 705.13},
        {u"Tax"_s, 2.17},
        {u"Total"_s, 707.3},
        {u"WorkStationID"_s, u"COUNTER-2"_s},
        {u"Location"_s, 1},
        {u"DateEntered"_s, m_db->dialect().dateTimeValue(QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9)))},
    };
    if (defFilled)
        row << qMakePair(u"DEFGallons"_s, QVariant(5.0)) << qMakePair(u"DEFPriceEach"_s, QVariant(4.299))
            << qMakePair(u"DEFPriceExt"_s, QVariant(21.5));
    return m_db->insert(u"Tickets"_s, row).toInt();
}

int TestPrintedDocuments::addCashTicket(bool defFilled)
{
    ColumnValues row = {
        {u"Customer"_s, u"Walk-in: Dale's Towing"_s},
        {u"Address1"_s, u"5 Canyon Rd."_s},
        {u"Address2"_s, u"Canyon, TX 79015"_s},
        {u"Clerk"_s, u"JOE"_s},
        {u"TruckNumber"_s, u"W-3"_s},
        {u"Mileage"_s, u"98000"_s},
        {u"License"_s, u"OK 88Z"_s},
        {u"DriverID"_s, u"D-9"_s},
        {u"Trip"_s, u""_s},
        {u"Trailer"_s, u""_s},
        {u"GasGallons"_s, 0.0},
        {u"GasPriceEach"_s, 3.109},
        {u"GasPriceExt"_s, 0.0},
        {u"DieselGallons"_s, 40.0},
        {u"DieselPriceEach"_s, 3.899},
        {u"DieselPriceExt"_s, 155.96},
        {u"ReeferGallons"_s, 0.0},
        {u"ReeferPriceEach"_s, 3.499},
        {u"ReeferPriceExt"_s, 0.0},
        {u"DiscountGallons"_s, 40.0},
        {u"DiscountPriceEach"_s, 0.0},
        {u"DiscountPriceExt"_s, 0.0},
        {u"OilPriceExt"_s, 0.0},
        {u"AddativePriceExt"_s, 0.0},
        {u"AntifreezePriceExt"_s, 0.0},
        {u"WasherPriceExt"_s, 0.0},
        {u"GroceryPriceExt"_s, 9.99},
        {u"DeliPriceExt"_s, 0.0},
        {u"TobaccoPriceExt"_s, 0.0},
        {u"Subtotal"_s, 165.95},
        {u"Tax"_s, 0.82},
        {u"Total"_s, 166.77},
        {u"WorkStationID"_s, u"COUNTER-1"_s},
        {u"Location"_s, 1},
        {u"DateEntered"_s, m_db->dialect().dateTimeValue(QDateTime(QDate(2024, 11, 30), QTime(6, 45, 0)))},
    };
    if (defFilled)
        row << qMakePair(u"DEFGallons"_s, QVariant(2.5)) << qMakePair(u"DEFPriceEach"_s, QVariant(4.0))
            << qMakePair(u"DEFPriceExt"_s, QVariant(10.0));
    return m_db->insert(u"CashTickets"_s, row).toInt();
}

// The text of every file printed so far, in print order.
QStringList TestPrintedDocuments::printedTexts()
{
    QStringList texts;
    QStringList files = PdfText::files(m_out->path());
    // <layout>-<n>.pdf: order by n, not by name.
    std::sort(files.begin(), files.end(), [](const QString &a, const QString &b) {
        auto n = [](const QString &p) { return p.section(u'-', -1).section(u'.', 0, 0).toInt(); };
        return n(a) < n(b);
    });
    for (const QString &file : files)
        texts << PdfText::squeezed(PdfText::of(file));
    return texts;
}

void TestPrintedDocuments::chargeTicket_data()
{
    QTest::addColumn<bool>("printDate");
    QTest::addColumn<bool>("customerKept");
    QTest::addColumn<bool>("defFilled");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("hidden");

    const QStringList always = {
        u"Lone Star Fuel & Go"_s,
        u"1200 Interstate Dr."_s,
        u"Amarillo, TX 79101"_s,
        u"CHARGE TICKET"_s,
        u"Card 07"_s,
        u"Truck No. T-19"_s,
        u"Mileage 412998"_s,
        u"Driver ID D-5531"_s,
        u"License TX 4KL-221"_s,
        u"Trip 88-A"_s,
        u"Trailer RF-02"_s,
        u"Gas 10.000 $3.109 $31.09"_s,
        u"Diesel 150.250 $3.899 $585.82"_s,
        u"Off Road Diesel 20.000 $3.499 $69.98"_s,
        u"Discount 170.250 -$0.050 -$8.51"_s,
        u"Oil $12.50"_s,
        u"Additives $4.25"_s,
        u"Washer Fluid $3.00"_s,
        u"Deli $6.75"_s,
        u"Subtotal $705.13"_s,
        u"Tax $2.17"_s,
        u"TOTAL $707.30"_s,
        u"Clerk MARIA"_s,
        u"Workstation COUNTER-2"_s,
        u"Driver Signature"_s,
    };
    // The account number comes from the customer row, so it goes with it.
    const QStringList customer = {u"Account 0042"_s, u"O'Brien Hauling"_s, u"77 Depot Rd."_s, u"Dumas, TX 79029"_s,
                                  u"(806) 555-0142"_s};
    const QStringList date = {u"Date / Time"_s, u"3/7/2024 2:05 PM"_s};

    QTest::newRow("a ticket printed with its date shows every value and the date")
        << true << true << true << (always + customer + date + QStringList{u"DEF 5.000 $4.299 $21.50"_s}) << QStringList();
    QTest::newRow("a ticket printed without its date shows no date on any copy")
        << false << true << true << (always + customer) << date;
    QTest::newRow("a ticket whose customer row is gone prints with empty customer fields")
        << true << false << true << (always + date) << customer;
    QTest::newRow("a ticket stored before the DEF line prints 0 for DEF")
        << true << true << false << (always + QStringList{u"DEF 0.000 $0.000 $0.00"_s}) << QStringList();
}

void TestPrintedDocuments::chargeTicket()
{
    QFETCH(bool, printDate);
    QFETCH(bool, customerKept);
    QFETCH(bool, defFilled);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, hidden);

    const int id = addChargeTicket(defFilled);
    if (!customerKept)
        m_db->exec(u"DELETE FROM Customer"_s);

    QVERIFY(PrintChargeTicket(id, false, printDate));

    const QStringList copies = printedTexts();
    QCOMPARE(copies.size(), 3);
    const QString wrong = wrongText(copies, QStringList{u"Ticket No. %1"_s.arg(id)} + shown, hidden);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    QCOMPARE(copies[1], copies[0]);
    QCOMPARE(copies[2], copies[0]);
}

void TestPrintedDocuments::chargeTicketWithoutRowPrintsLayout()
{
    addChargeTicket(true);
    QVERIFY(PrintChargeTicket(987654, false, true));

    const QStringList copies = printedTexts();
    QCOMPARE(copies.size(), 3);
    // No row: no values at all, not even zeros.
    const QString wrong = wrongText(copies,
                                    {u"Lone Star Fuel & Go"_s, u"CHARGE TICKET"_s, u"Ticket No."_s, u"Gallons"_s,
                                     u"Off Road Diesel"_s, u"TOTAL"_s, u"Driver Signature"_s},
                                    {u"$"_s, u"0042"_s});
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void TestPrintedDocuments::cashTicket_data()
{
    QTest::addColumn<bool>("printDate");
    QTest::addColumn<bool>("defFilled");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("hidden");

    const QStringList always = {
        u"Lone Star Fuel & Go"_s, u"Amarillo, TX 79101"_s,    u"CASH TICKET"_s,   u"Walk-in: Dale's Towing"_s,
        u"5 Canyon Rd."_s,        u"Canyon, TX 79015"_s,      u"Truck No. W-3"_s, u"Diesel 40.000 $3.899 $155.96"_s,
        u"Grocery $9.99"_s,       u"Subtotal $165.95"_s,      u"Tax $0.82"_s,     u"TOTAL $166.77"_s,
        u"Clerk JOE"_s,           u"Workstation COUNTER-1"_s,
    };
    const QStringList date = {u"Date / Time"_s, u"11/30/2024 6:45 AM"_s};
    QTest::newRow("a cash ticket printed with its date shows it")
        << true << true << (always + date + QStringList{u"DEF 2.500 $4.000 $10.00"_s}) << QStringList{u"Account"_s};
    QTest::newRow("a cash ticket printed without its date shows none") << false << true << always << date;
    QTest::newRow("a cash ticket stored before the DEF line prints 0 for DEF")
        << true << false << (always + QStringList{u"DEF 0.000 $0.000 $0.00"_s}) << QStringList();
}

void TestPrintedDocuments::cashTicket()
{
    QFETCH(bool, printDate);
    QFETCH(bool, defFilled);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, hidden);

    const int id = addCashTicket(defFilled);
    QVERIFY(PrintCashTicket(id, false, printDate));

    const QStringList copies = printedTexts();
    QCOMPARE(copies.size(), 3);
    const QString wrong = wrongText(copies, QStringList{u"Ticket No. %1"_s.arg(id)} + shown, hidden);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void TestPrintedDocuments::giftCardReceipt_data()
{
    QTest::addColumn<bool>("cardStored");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("hidden");

    const QStringList always = {u"Lone Star Fuel & Go"_s, u"GIFT CARD RECEIPT"_s,     u"Card Number 6035551234"_s,
                                u"Gift Card Purchase"_s,  u"Amount $25.00"_s,         u"Date / Time 5/1/2024 9:30 AM"_s,
                                u"Clerk ANN"_s,           u"Workstation COUNTER-3"_s, u"Location 2"_s};
    QTest::newRow("a receipt shows the card's balance and notes as stored now")
        << true << (always + QStringList{u"Card Balance $40.00"_s, u"Activated 4/2/2024 8:00 AM"_s, u"birthday gift"_s})
        << QStringList();
    QTest::newRow("a receipt for a card that is not stored prints without balance")
        << false << always << QStringList{u"Card Balance $"_s, u"birthday gift"_s};
}

void TestPrintedDocuments::giftCardReceipt()
{
    QFETCH(bool, cardStored);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, hidden);

    const SqlDialect &d = m_db->dialect();
    if (cardStored)
        m_db->insert(u"GiftCards"_s,
                     {{u"ID"_s, u"6035551234"_s},
                      {u"DateActivated"_s, d.dateTimeValue(QDateTime(QDate(2024, 4, 2), QTime(8, 0)))},
                      {u"ActivatedBy"_s, u"ANN"_s},
                      {u"ActivationAmount"_s, 15.0},
                      {u"CardBalance"_s, 40.0},
                      {u"Active"_s, 1},
                      {u"Notes"_s, u"birthday gift"_s},
                      {u"WorkStationID"_s, u"COUNTER-3"_s},
                      {u"Location"_s, 2}},
                     QString());
    const int id = m_db->insert(u"GiftCardTransactions"_s,
                                {{u"CardID"_s, u"6035551234"_s},
                                 {u"TransactionDate"_s, d.dateTimeValue(QDateTime(QDate(2024, 5, 1), QTime(9, 30)))},
                                 {u"TransactionType"_s, u"Gift Card Purchase"_s},
                                 {u"Amount"_s, 25.0},
                                 {u"Clerk"_s, u"ANN"_s},
                                 {u"WorkStationID"_s, u"COUNTER-3"_s},
                                 {u"Location"_s, 2}})
                       .toInt();

    QVERIFY(PrintGiftCardReceipt(id));

    const QStringList copies = printedTexts();
    QCOMPARE(copies.size(), 1);
    const QString wrong = wrongText(copies, QStringList{u"Transaction No. %1"_s.arg(id)} + shown, hidden);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void TestPrintedDocuments::failureIsFalse_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("document");

    for (const QString &document : {u"charge ticket"_s, u"cash ticket"_s, u"gift card receipt"_s}) {
        QTest::addRow("%s: no database connection", qPrintable(document)) << u"no connection"_s << document;
        QTest::addRow("%s: the query fails", qPrintable(document)) << u"query fails"_s << document;
        QTest::addRow("%s: the printer cannot be reached", qPrintable(document)) << u"printing fails"_s << document;
    }
}

void TestPrintedDocuments::failureIsFalse()
{
    QFETCH(QString, failure);
    QFETCH(QString, document);

    const int chargeId = addChargeTicket(true);
    const int cashId = addCashTicket(true);
    const int giftId = m_db->insert(u"GiftCardTransactions"_s, {{u"CardID"_s, u"1"_s}, {u"Amount"_s, 5.0}}).toInt();

    if (failure == u"no connection"_s) {
        Db::setCurrent(nullptr);
    } else if (failure == u"query fails"_s) {
        for (const QString &table : {u"Tickets"_s, u"CashTickets"_s, u"GiftCardTransactions"_s})
            m_db->exec(u"DROP TABLE "_s + table);
    } else {
        ReportOutput::setPrintTarget(ReportOutput::PrintTarget::Failing);
    }

    bool printed = true;
    if (document == u"charge ticket"_s)
        printed = PrintChargeTicket(chargeId, false, true);
    else if (document == u"cash ticket"_s)
        printed = PrintCashTicket(cashId, false, true);
    else
        printed = PrintGiftCardReceipt(giftId);
    QVERIFY(!printed);
    QCOMPARE(PdfText::files(m_out->path()).size(), 0);
}

void TestPrintedDocuments::previewShowsViewerAndPrintsNothing()
{
    QMdiArea area;
    area.resize(1000, 800);
    area.show();
    Viewer::setMdiArea(&area);

    const int id = addChargeTicket(true);
    QVERIFY(PrintChargeTicket(id, true, false));
    QVERIFY(Viewer::instance());
    QCOMPARE(Viewer::instance()->report()->layoutName(), u"crptTicket3"_s);
    QVERIFY(Viewer::instance()->report()->isSuppressed(u"DateEntered"_s));
    QCOMPARE(area.subWindowList().size(), 1);

    const int cashId = addCashTicket(true);
    QVERIFY(PrintCashTicket(cashId, true, true));
    QCOMPARE(Viewer::instance()->report()->layoutName(), u"crptCashTicket2"_s);
    QVERIFY(!Viewer::instance()->report()->isSuppressed(u"DateEntered"_s));
    QCOMPARE(area.subWindowList().size(), 1);

    QCOMPARE(PdfText::files(m_out->path()).size(), 0);
    Viewer::setMdiArea(nullptr);
}

QTEST_MAIN(TestPrintedDocuments)
#include "tst_printeddocuments.moc"
