// The banded report layer: pages, page headers and footers, groups with their totals,
// suppressed objects, and reports fed straight from a query.

#include "PdfText.h"
#include "SampleReports.h"
#include "TestDb.h"

#include "db/Db.h"
#include "db/DbError.h"
#include "reports/Report.h"
#include "reports/ReportOutput.h"
#include "reports/ReportRenderer.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using SampleReports::rowsPerPage;

class TestReportLayout : public QObject
{
    Q_OBJECT

private slots:
    void pages_data();
    void pages();
    void groupsCloseWithTheirTotals();
    void groupHeaderMovesWithItsFirstRow();
    void suppressedObjectIsNotDrawn();
    void queryFedReport_data();
    void queryFedReport();

private:
    QString pdf(const Report &report);
    QTemporaryDir m_dir;
    int m_files = 0;
};

QString TestReportLayout::pdf(const Report &report)
{
    const QString path = m_dir.filePath(u"report-%1.pdf"_s.arg(++m_files));
    if (!ReportOutput::writePdf(report, path))
        return {};
    return path;
}

void TestReportLayout::pages_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");
    QTest::newRow("a report without rows is one page with its headings") << 0 << 1;
    QTest::newRow("one row is one page") << 1 << 1;
    QTest::newRow("a full page of rows stays on one page") << rowsPerPage << 1;
    QTest::newRow("one row more than a page starts a second page") << rowsPerPage + 1 << 2;
    QTest::newRow("three full pages are three pages") << 3 * rowsPerPage << 3;
}

void TestReportLayout::pages()
{
    QFETCH(int, rows);
    QFETCH(int, pages);

    auto report = SampleReports::listing(false);
    report->setRows(SampleReports::generated(rows));
    PageCounter counter;
    QCOMPARE(renderReport(*report, counter), pages);

    const QString path = pdf(*report);
    QVERIFY(!path.isEmpty());
    QCOMPARE(PdfText::pageCount(path), pages);
    for (int page = 1; page <= pages; ++page) {
        const QString text = PdfText::of(path, page);
        QVERIFY2(text.contains(u"Sample Fuel Co."_s), qPrintable(text));
        QVERIFY2(text.contains(u"Page %1"_s.arg(page)), qPrintable(text));
        // Each page begins with the row after the last one of the page before.
        if (rows > 0) {
            const int first = (page - 1) * rowsPerPage + 1;
            QVERIFY2(text.contains(u"Row %1 "_s.arg(first)), qPrintable(text));
            if (page > 1)
                QVERIFY2(!text.contains(u"Row %1 "_s.arg(first - 1)), qPrintable(text));
        }
    }
    if (rows > 0)
        QVERIFY(PdfText::of(path, pages).contains(u"Row %1 "_s.arg(rows)));
}

void TestReportLayout::groupsCloseWithTheirTotals()
{
    auto report = SampleReports::listing(true);
    report->setRows(SampleReports::rows({{u"East"_s, u"Ames"_s, 10},
                                         {u"East"_s, u"Bell"_s, 20.5},
                                         {u"West"_s, u"Cole"_s, 1},
                                         {u"West"_s, u"Dunn"_s, 2},
                                         {u"West"_s, u"Egan"_s, 3},
                                         {u"North"_s, u"Finn"_s, -4.25}}));
    const QString text = PdfText::squeezed(PdfText::of(pdf(*report)));

    const QStringList inOrder = {u"Region East"_s,
                                 u"Ames 10.00"_s,
                                 u"Bell 20.50"_s,
                                 u"East total 30.50 (2 rows)"_s,
                                 u"Region West"_s,
                                 u"Cole 1.00"_s,
                                 u"Egan 3.00"_s,
                                 u"West total 6.00 (3 rows)"_s,
                                 u"Region North"_s,
                                 u"Finn -4.25"_s,
                                 u"North total -4.25 (1 rows)"_s,
                                 u"Grand total 32.25 (6 rows)"_s};
    qsizetype at = 0;
    for (const QString &piece : inOrder) {
        const qsizetype found = text.indexOf(piece, at);
        QVERIFY2(found >= 0, qPrintable(u"\"%1\" missing or out of order in:\n%2"_s.arg(piece, text)));
        at = found + piece.size();
    }
}

void TestReportLayout::groupHeaderMovesWithItsFirstRow()
{
    // Group A's header and 45 rows end exactly where B's header would still fit, but not
    // B's first row: the header goes over to page two with it.
    QList<SampleReports::Row> rows;
    for (int i = 1; i <= 45; ++i)
        rows.append({u"A"_s, u"Alpha %1"_s.arg(i), 1});
    rows.append({u"B"_s, u"Bravo 1"_s, 1});
    auto report = SampleReports::listing(true, false);
    report->setRows(SampleReports::rows(rows));

    const QString path = pdf(*report);
    QCOMPARE(PdfText::pageCount(path), 2);
    const QString first = PdfText::of(path, 1);
    const QString second = PdfText::of(path, 2);
    QVERIFY2(first.contains(u"Alpha 45"_s), qPrintable(first));
    QVERIFY2(!first.contains(u"Region B"_s), qPrintable(first));
    QVERIFY2(second.contains(u"Region B"_s) && second.contains(u"Bravo 1"_s), qPrintable(second));
}

void TestReportLayout::suppressedObjectIsNotDrawn()
{
    auto report = SampleReports::listing(false);
    report->pageHeader.label(QRectF(300, 16, 200, 14), u"Printed 1/2/2025"_s).name = u"Stamp"_s;
    report->setRows(SampleReports::generated(3));
    QVERIFY(PdfText::of(pdf(*report)).contains(u"Printed 1/2/2025"_s));
    report->setSuppressed(u"Stamp"_s, true);
    const QString text = PdfText::of(pdf(*report));
    QVERIFY(!text.contains(u"Printed 1/2/2025"_s));
    QVERIFY(text.contains(u"Row 3"_s));
}

void TestReportLayout::queryFedReport_data()
{
    QTest::addColumn<QString>("server");
    for (const QString &server : TestDb::servers())
        QTest::newRow(qPrintable(server)) << server;
}

void TestReportLayout::queryFedReport()
{
    QFETCH(QString, server);
    auto db = TestDb::fresh(server);
    for (int i = 1; i <= 60; ++i)
        db->insert(
            u"GiftCardTransactions"_s,
            {{u"CardID"_s, u"C%1"_s.arg(i, 3, 10, QChar(u'0'))},
             {u"TransactionDate"_s, db->dialect().dateTimeValue(QDateTime(QDate(2024, 6, 1), QTime(8, 0)).addSecs(i * 60))},
             {u"Amount"_s, i * 1.5}});

    auto report = std::make_shared<Report>(u"queryListing"_s);
    report->summedFields = {u"Amount"_s};
    report->detail.height = 14;
    report->detail.text(QRectF(0, 0, 100, 14), ReportText::field(u"CardID"_s));
    report->detail.text(QRectF(100, 0, 160, 14), ReportText::dateTime(u"TransactionDate"_s, u"M/d/yyyy h:mm AP"_s));
    report->detail.text(QRectF(260, 0, 100, 14), ReportText::number(u"Amount"_s, u"0.00"_s), Qt::AlignRight | Qt::AlignVCenter);
    report->reportFooter.height = 20;
    report->reportFooter.text(QRectF(260, 0, 100, 20), ReportText::sum(u"Amount"_s, u"0.00"_s),
                              Qt::AlignRight | Qt::AlignVCenter);
    report->setRows(RowSource::fromQuery(
        *db, u"SELECT CardID,TransactionDate,Amount FROM GiftCardTransactions WHERE Amount > ? ORDER BY CardID"_s, {3.0},
        {u"TransactionDate"_s}));

    const QString text = PdfText::squeezed(PdfText::of(pdf(*report)));
    QVERIFY2(!text.contains(u"C002 "_s), qPrintable(text));
    QVERIFY2(text.contains(u"C003 6/1/2024 8:03 AM 4.50"_s), qPrintable(text));
    QVERIFY2(text.contains(u"C060 6/1/2024 9:00 AM 90.00"_s), qPrintable(text));
    // 1.5 * (3 + ... + 60)
    QVERIFY2(text.contains(u"2740.50"_s), qPrintable(text));

    // A run that stops early (the viewer drawing page one) ends the query cleanly, and
    // the next run reads every row again.
    int seen = 0;
    report->rows().run([&](const QSqlRecord &) { return ++seen < 5; });
    QCOMPARE(seen, 5);
    seen = 0;
    report->rows().run([&](const QSqlRecord &) {
        ++seen;
        return true;
    });
    QCOMPARE(seen, 58);

    report->setRows(RowSource::fromQuery(*db, u"SELECT NoSuchColumn FROM GiftCardTransactions"_s, {}));
    PageCounter counter;
    QVERIFY_THROWS_EXCEPTION(DbError, renderReport(*report, counter));
    const QString failed = m_dir.filePath(u"failed.pdf"_s);
    QVERIFY(!ReportOutput::writePdf(*report, failed));
    QVERIFY(!QFile::exists(failed));
}

QTEST_MAIN(TestReportLayout)
#include "tst_reportlayout.moc"
