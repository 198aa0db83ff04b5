// The Daily Sales Summary on paper: every figure and label whole, never cut off with an
// ellipsis, whether a day took in a few dollars, a chain's month in the tens of millions
// or more, or a workstation has a name of fifty characters; ten figures a line while they
// fit.

#include "PdfText.h"
#include "TestDb.h"

#include "db/Db.h"
#include "reports/DailySalesSummary.h"
#include "reports/Report.h"
#include "reports/ReportOutput.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDate day(2024, 3, 7);
const QStringList headings = {u"Prairie Fuel & Go"_s, u"12 Route 66"_s, u"Amarillo, TX  79101"_s};
// The captions of the second line of figures, as one line of the page's text.
const QString secondLine = u"Oil Additives Antifreeze Washer Fluid Grocery Deli Tobacco Tax Charge Cash"_s;

void addTicket(Db &db, const QString &table, int location, const QString &workstation, double gallons, double amount)
{
    ColumnValues row = {{u"DieselGallons"_s, gallons},
                        {u"DieselPriceExt"_s, amount},
                        {u"DiscountGallons"_s, gallons},
                        {u"DiscountPriceExt"_s, -amount / 100},
                        {u"TobaccoPriceExt"_s, amount / 10},
                        {u"Tax"_s, amount / 100},
                        {u"Total"_s, amount},
                        {u"WorkStationID"_s, workstation},
                        {u"Location"_s, location},
                        {u"DateEntered"_s, db.dialect().dateTimeValue(QDateTime(day, QTime(12, 0)))}};
    db.insert(table, row);
}

} // namespace

class TestDailySummaryPdf : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void nothingIsCutOff_data();
    void nothingIsCutOff();

private:
    QTemporaryDir m_dir;
    int m_files = 0;
};

void TestDailySummaryPdf::nothingIsCutOff_data()
{
    QTest::addColumn<QString>("workstation");
    QTest::addColumn<int>("location");
    QTest::addColumn<double>("gallons");
    QTest::addColumn<double>("amount"); // of each of the three tickets of each kind
    QTest::addColumn<QStringList>("shows");
    QTest::addColumn<bool>("tenALine");

    QTest::newRow("a quiet day") << u"WS1"_s << 1 << 12.5 << 48.75 << QStringList{u"$292.50"_s, u"75.000"_s} << true;
    QTest::newRow("a chain's month in the tens of millions")
        << u"COUNTER-12"_s << 37 << 2345678.125 << 7654321.09 << QStringList{u"$45,925,926.54"_s, u"14,074,068.750"_s} << true;
    QTest::newRow("a workstation with a name of fifty characters, at location 12345")
        << u"NORTH PLAZA TRUCK LANE COUNTER WORKSTATION NUMBER 1"_s.left(50) << 12345 << 100.0 << 400.0
        << QStringList{u"Location 12345 total"_s, u"NORTH PLAZA"_s} << true;
    QTest::newRow("hundreds of millions fit ten a line in a smaller size")
        << u"WS1"_s << 1 << 98765432.5 << 123456789.01 << QStringList{u"$740,740,734.06"_s, u"592,592,595.000"_s} << true;
    QTest::newRow("tens of billions run onto more lines")
        << u"WS1"_s << 1 << 98765432.5 << 9876543210.12 << QStringList{u"$59,259,259,260.72"_s, u"592,592,595.000"_s} << false;
}

void TestDailySummaryPdf::nothingIsCutOff()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, workstation);
    QFETCH(int, location);
    QFETCH(double, gallons);
    QFETCH(double, amount);
    QFETCH(QStringList, shows);
    QFETCH(bool, tenALine);

    auto db = TestDb::fresh(server);
    for (int i = 0; i < 3; ++i) {
        addTicket(*db, u"Tickets"_s, location, workstation, gallons, amount);
        addTicket(*db, u"CashTickets"_s, location, workstation, gallons, amount);
    }
    auto report = ManagementReports::dailySalesSummary(*db, day, day, std::nullopt, headings);
    const QString path = m_dir.filePath(u"summary-%1.pdf"_s.arg(++m_files));
    QVERIFY(ReportOutput::writePdf(*report, path));
    const QString text = PdfText::squeezed(PdfText::of(path));
    QVERIFY2(!text.isEmpty(), "no text in the PDF");
    QVERIFY2(!text.contains(QChar(0x2026)), qPrintable(u"a text was cut off:\n"_s + text));
    for (const QString &piece : shows)
        QVERIFY2(text.contains(piece), qPrintable(u"\"%1\" missing in:\n%2"_s.arg(piece, text)));
    QCOMPARE(text.contains(secondLine), tenALine);
}

QTEST_MAIN(TestDailySummaryPdf)
#include "tst_dailysummarypdf.moc"
