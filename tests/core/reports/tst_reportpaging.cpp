// Laying a report out once and drawing any page from where it begins: each page drawn on
// its own is the page drawn in one run from the first, group sums carried over page
// breaks included; footers say "Page N of M"; rows are read from the page's start on.

#include "TestDb.h"

#include "db/Db.h"
#include "reports/Report.h"
#include "reports/ReportRenderer.h"

#include <QImage>
#include <QPainter>
#include <QSqlField>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Pages drawn onto images at one pixel per point.
class ImageSink final : public PageSink
{
public:
    explicit ImageSink(const Report &report) : m_report(report) {}

    PageCanvas beginPage(int page) override
    {
        pages.append(QImage(m_report.pageLayout().fullRectPoints().size(), QImage::Format_RGB32));
        numbers.append(page);
        pages.last().fill(Qt::white);
        pages.last().setDotsPerMeterX(2835);
        pages.last().setDotsPerMeterY(2835);
        m_painter.begin(&pages.last());
        return {&m_painter, 1.0, m_report.pageLayout().paintRectPoints().topLeft()};
    }
    bool endPage(int) override
    {
        m_painter.end();
        return true;
    }

    QList<QImage> pages;
    QList<int> numbers;

private:
    const Report &m_report;
    QPainter m_painter;
};

QSqlRecord record(const QString &group, int n, double amount)
{
    QSqlRecord r;
    r.append(QSqlField(u"Grp"_s, QMetaType(QMetaType::QString)));
    r.append(QSqlField(u"Name"_s, QMetaType(QMetaType::QString)));
    r.append(QSqlField(u"Amount"_s, QMetaType(QMetaType::Double)));
    r.setValue(0, group);
    r.setValue(1, u"Row %1"_s.arg(n));
    r.setValue(2, amount);
    return r;
}

// Body 720 pt: page header 40, footer 20, detail 20 (33 rows a page without groups),
// group header 30 and footer 25.
std::shared_ptr<Report> grouped(const QList<QSqlRecord> &rows)
{
    auto report = std::make_shared<Report>(u"pagingTest"_s);
    report->summedFields = {u"Amount"_s};
    report->pageHeader.height = 40;
    report->pageHeader.label(QRectF(0, 0, 300, 20), u"Paging test"_s);
    report->detail.height = 20;
    report->detail.text(QRectF(20, 0, 200, 20), ReportText::field(u"Name"_s));
    report->detail.text(QRectF(300, 0, 100, 20), ReportText::number(u"Amount"_s, u"0.00"_s));
    ReportGroup group;
    group.key = [](const QSqlRecord &row) { return row.value(u"Grp"_s).toString(); };
    group.header.height = 30;
    group.header.text(QRectF(0, 5, 300, 20), ReportText::field(u"Grp"_s));
    group.footer.height = 25;
    group.footer.text(QRectF(0, 5, 200, 20),
                      [](const BandContext &c) { return u"Total of "_s + c.row.value(u"Grp"_s).toString(); });
    group.footer.text(QRectF(300, 5, 100, 20), ReportText::sum(u"Amount"_s, u"0.00"_s));
    group.footer.text(QRectF(420, 5, 100, 20), ReportText::count());
    report->groups.append(group);
    report->reportFooter.height = 30;
    report->reportFooter.text(QRectF(300, 5, 100, 20), ReportText::sum(u"Amount"_s, u"0.00"_s));
    report->reportFooter.text(QRectF(420, 5, 100, 20), ReportText::groupCount());
    report->pageFooter.height = 20;
    report->pageFooter.text(QRectF(0, 0, 500, 20), ReportText::pageOfPages());
    report->setRows(RowSource::fromRecords(rows));
    return report;
}

} // namespace

class TestReportPaging : public QObject
{
    Q_OBJECT

private slots:
    void pageAloneIsThePageInOneRun_data();
    void pageAloneIsThePageInOneRun();
    void footersKnowThePageCount();
    void queryRowsResumeAtAnyRow_data();
    void queryRowsResumeAtAnyRow();
    void rowsThatCannotResumeAreSkipped();
    void firstPagesReadOnlyTheirRows_data();
    void firstPagesReadOnlyTheirRows();
};

void TestReportPaging::pageAloneIsThePageInOneRun_data()
{
    QTest::addColumn<QList<QSqlRecord>>("rows");
    QList<QSqlRecord> longGroup;
    for (int i = 1; i <= 80; ++i)
        longGroup << record(u"A"_s, i, i);
    QTest::newRow("a group that runs over three pages carries its sum over the breaks") << longGroup;

    QList<QSqlRecord> many;
    for (int g = 0; g < 12; ++g)
        for (int i = 1; i <= 4 + g % 5; ++i)
            many << record(u"G%1"_s.arg(QString::number(g).rightJustified(2, u'0')), g * 10 + i, 0.25 * i);
    QTest::newRow("many short groups, headers moving to the next page with their first row") << many;

    // 1 group header (30) + 31 rows (620) + footer (25) = 675 of the 680 between the page
    // header and footer: the report footer (30) goes to a page of its own.
    QList<QSqlRecord> full;
    for (int i = 1; i <= 31; ++i)
        full << record(u"F"_s, i, 1);
    QTest::newRow("a report footer that begins the last page") << full;
    QTest::newRow("a report without rows") << QList<QSqlRecord>();

    // Far more pages than are kept whole in the index: every page between two kept ones is
    // drawn after laying out those before it again, with groups of every length open
    // across the breaks, a kept page among them.
    QList<QSqlRecord> longReport;
    int n = 0;
    for (int g = 0; g < 40; ++g)
        for (int i = 0; i < 5 + (g * 37) % 90; ++i) {
            ++n;
            longReport << record(u"L%1"_s.arg(QString::number(g).rightJustified(2, u'0')), n, 0.01 * n);
        }
    QTest::newRow("a long report's pages between those whose start is kept") << longReport;
}

void TestReportPaging::pageAloneIsThePageInOneRun()
{
    QFETCH(QList<QSqlRecord>, rows);
    auto report = grouped(rows);
    const PageIndex index = paginate(*report);
    PageCounter counter;
    QCOMPARE(index.pageCount(), renderReport(*report, counter));

    if (rows.size() > 1000)
        QVERIFY(index.pageCount() > 2 * PageIndex::keptEvery);
    ImageSink all(*report);
    renderPages(*report, index, all);
    QCOMPARE(all.pages.size(), index.pageCount());
    for (int page = 1; page <= index.pageCount(); ++page) {
        ImageSink one(*report);
        renderPages(*report, index, one, page, page);
        QCOMPARE(one.numbers, QList<int>{page});
        QVERIFY2(one.pages.first() == all.pages[page - 1], qPrintable(u"page %1 differs"_s.arg(page)));
    }
}

void TestReportPaging::footersKnowThePageCount()
{
    QList<QSqlRecord> rows;
    for (int i = 1; i <= 80; ++i)
        rows << record(u"A"_s, i, i);
    auto report = grouped(rows);
    const PageIndex index = paginate(*report);
    QCOMPARE(index.pageCount(), 3);

    // What the footer says, read from its text function as the renderer calls it.
    const TextOf footer = report->pageFooter.items.first().text;
    const QSqlRecord none;
    QCOMPARE(footer(BandContext{*report, none, 2, nullptr, index.pageCount()}), u"Page 2 of 3"_s);
    QCOMPARE(footer(BandContext{*report, none, 2, nullptr, 0}), u"Page 2"_s);

    // Drawn, the last page shows the grand total and the footer; the same page drawn
    // without the count differs only there.
    ImageSink counted(*report);
    renderPages(*report, index, counted, 3, 3);
    ImageSink uncounted(*report);
    renderReport(*report, uncounted);
    QCOMPARE(uncounted.pages.size(), 3);
    QVERIFY(counted.pages.first() != uncounted.pages.last());
}

void TestReportPaging::queryRowsResumeAtAnyRow_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("count"); // asked for; -1 for all
    QTest::addColumn<int>("expected");
    for (const QString &server : TestDb::servers()) {
        QTest::addRow("%s, from the first row", qPrintable(server)) << server << 0 << -1 << 40;
        QTest::addRow("%s, from the middle", qPrintable(server)) << server << 17 << -1 << 23;
        QTest::addRow("%s, from the last row", qPrintable(server)) << server << 39 << -1 << 1;
        QTest::addRow("%s, from past the end", qPrintable(server)) << server << 40 << -1 << 0;
        QTest::addRow("%s, three from the first", qPrintable(server)) << server << 0 << 3 << 3;
        QTest::addRow("%s, three from the middle", qPrintable(server)) << server << 17 << 3 << 3;
        QTest::addRow("%s, more than there are left", qPrintable(server)) << server << 38 << 5 << 2;
    }
}

void TestReportPaging::queryRowsResumeAtAnyRow()
{
    QFETCH(QString, server);
    QFETCH(int, first);
    QFETCH(int, count);
    QFETCH(int, expected);
    auto db = TestDb::fresh(server);
    for (int i = 1; i <= 40; ++i)
        db->insert(u"Tickets"_s, {{u"Clerk"_s, u"C%1"_s.arg(QString::number(i).rightJustified(2, u'0'))}, {u"Total"_s, i}});
    const RowSource rows = RowSource::fromQuery(*db, u"SELECT Clerk FROM Tickets WHERE Total > ? ORDER BY Clerk DESC"_s, {0});
    QStringList got;
    rows.runFrom(
        first,
        [&](const QSqlRecord &row) {
            got << row.value(0).toString();
            return true;
        },
        count);
    QStringList wanted;
    for (int i = 40 - first; i >= 1 && wanted.size() < expected; --i)
        wanted << u"C%1"_s.arg(QString::number(i).rightJustified(2, u'0'));
    QCOMPARE(got, wanted);
}

void TestReportPaging::rowsThatCannotResumeAreSkipped()
{
    int made = 0;
    const RowSource rows([&made](const RowSource::Visitor &visit) {
        for (int i = 0; i < 10; ++i) {
            ++made;
            if (!visit(record(u"A"_s, i, i)))
                return;
        }
    });
    QStringList got;
    rows.runFrom(6, [&](const QSqlRecord &row) {
        got << row.value(u"Name"_s).toString();
        return true;
    });
    QCOMPARE(got, QStringList({u"Row 6"_s, u"Row 7"_s, u"Row 8"_s, u"Row 9"_s}));
    QCOMPARE(made, 10);
}

void TestReportPaging::firstPagesReadOnlyTheirRows_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<double>("detailHeight");
    QTest::addColumn<bool>("whole");             // the report ends within the pages asked for
    QTest::addColumn<QList<qsizetype>>("asked"); // the limit of each reading of the rows

    // Five pages asked for: the rows are read with a limit of 600, then 2400, 9600...
    QTest::newRow("a report shorter than the pages asked for is laid out whole") << 100 << 20.0 << true << QList<qsizetype>{600};
    QTest::newRow("a long report stops at the pages asked for within the first limit")
        << 20000 << 20.0 << false << QList<qsizetype>{600};
    QTest::newRow("pages of more rows than the limit are read again with more")
        << 20000 << 1.0 << false << QList<qsizetype>{600, 2400, 9600};
}

void TestReportPaging::firstPagesReadOnlyTheirRows()
{
    QFETCH(int, rows);
    QFETCH(double, detailHeight);
    QFETCH(bool, whole);
    QFETCH(QList<qsizetype>, asked);
    const int pages = 5;
    // Groups of 700 rows; each reading notes the limit it was given.
    auto limits = std::make_shared<QList<qsizetype>>();
    auto report = grouped({});
    report->detail.height = detailHeight;
    report->setRows(RowSource::resumable([rows, limits](qsizetype first, qsizetype count, const RowSource::Visitor &visit) {
        limits->append(count);
        const qsizetype end = count < 0 ? rows : qMin<qsizetype>(rows, first + count);
        for (qsizetype i = first; i < end; ++i) {
            if (!visit(record(u"G%1"_s.arg(i / 700), int(i + 1), 0.5 * double(i))))
                return;
        }
    }));

    const PageIndex first = paginateFirst(*report, pages);
    QCOMPARE(*limits, asked);
    limits->clear();
    const PageIndex all = paginate(*report);
    QCOMPARE(first.isPartial(), !whole);
    QCOMPARE(first.pagesReady(), whole ? all.pageCount() : pages);
    if (whole)
        QCOMPARE(first.rowCount(), all.rowCount());
    // The pages laid out begin where a whole layout begins them, with the same totals
    // where their state is kept.
    for (int page = 1; page <= first.pageCount(); ++page) {
        QCOMPARE(first.firstRow(page), all.firstRow(page));
        if (!PageIndex::isKept(page))
            continue;
        QCOMPARE(first.start(page).row, all.start(page).row);
        QCOMPARE(first.start(page).y, all.start(page).y);
        QCOMPARE(first.start(page).keys, all.start(page).keys);
        QCOMPARE(first.start(page).grand.sum(u"Amount"_s), all.start(page).grand.sum(u"Amount"_s));
        QCOMPARE(first.start(page).groupTotals.value(0).count(), all.start(page).groupTotals.value(0).count());
    }

    // A page drawn from the partial index is the page drawn from the whole one, but for
    // the footer, which cannot count the pages yet.
    ImageSink fromFirst(*report);
    renderPages(*report, first, fromFirst, 2, 2);
    ImageSink fromAll(*report);
    renderPages(*report, all, fromAll, 2, 2);
    QCOMPARE(fromFirst.pages.size(), 1);
    QCOMPARE(fromFirst.pages.first() == fromAll.pages.first(), whole);
}

QTEST_MAIN(TestReportPaging)
#include "tst_reportpaging.moc"
