// How fast the report layer writes a long listing to PDF, beside a bare QPainter loop
// drawing the same texts at the same places, and whether its memory stays flat.
//
//   bench_report            runs every case in its own process and prints a table
//   bench_report MODE ROWS  one case: MODE is layer, bare or query (the layer fed by a
//                           SQLite query through Db::forEachRow)
//
// Each case prints its time and its peak resident memory (VmHWM); a flat layer shows
// about the same peak for 10,000 and 100,000 rows.

#include "BenchSupport.h"

#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "reports/Report.h"
#include "reports/ReportOutput.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QSqlField>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <ctime>

namespace {

struct Column
{
    double x;
    double width;
    Qt::Alignment alignment;
};

// Six columns per row, like a detail sales listing.
const QList<Column> columns = {
    {0, 60, Qt::AlignLeft | Qt::AlignVCenter},    {60, 170, Qt::AlignLeft | Qt::AlignVCenter},
    {230, 80, Qt::AlignLeft | Qt::AlignVCenter},  {310, 70, Qt::AlignRight | Qt::AlignVCenter},
    {380, 70, Qt::AlignRight | Qt::AlignVCenter}, {450, 90, Qt::AlignRight | Qt::AlignVCenter},
};
const QStringList names = {QStringLiteral("Ticket"),  QStringLiteral("Customer"), QStringLiteral("Truck"),
                           QStringLiteral("Gallons"), QStringLiteral("Price"),    QStringLiteral("Total")};
constexpr double rowHeight = 12;
constexpr double headerHeight = 40;
constexpr double footerHeight = 20;

QString textOf(int row, int column)
{
    switch (column) {
    case 0:
        return QString::number(row);
    case 1:
        return QStringLiteral("Customer %1 Freight Lines").arg(row % 977);
    case 2:
        return QStringLiteral("T-%1").arg(row % 311);
    case 3:
        return QString::number((row % 400) * 0.5, 'f', 3);
    case 4:
        return QStringLiteral("3.899");
    default:
        return QString::number((row % 400) * 0.5 * 3.899, 'f', 2);
    }
}

QSqlRecord recordOf(int row)
{
    static QSqlRecord shape = [] {
        QSqlRecord r;
        for (const QString &name : names)
            r.append(QSqlField(name, QMetaType(QMetaType::QString)));
        return r;
    }();
    QSqlRecord r = shape;
    for (int c = 0; c < names.size(); ++c)
        r.setValue(c, textOf(row, c));
    return r;
}

std::shared_ptr<Report> listing()
{
    auto report = std::make_shared<Report>(QStringLiteral("benchListing"));
    const double w = report->bodyWidth();
    report->pageHeader.height = headerHeight;
    report->pageHeader.text(QRectF(0, 0, w, 20), ReportText::heading(0), Qt::AlignHCenter | Qt::AlignVCenter,
                            reportFont(12, true));
    for (int c = 0; c < columns.size(); ++c)
        report->pageHeader.label(QRectF(columns[c].x, 24, columns[c].width, 14), names[c], columns[c].alignment,
                                 reportFont(8, true));
    report->detail.height = rowHeight;
    for (int c = 0; c < columns.size(); ++c)
        report->detail.text(QRectF(columns[c].x, 0, columns[c].width, rowHeight), ReportText::field(names[c]),
                            columns[c].alignment, reportFont(8));
    report->pageFooter.height = footerHeight;
    report->pageFooter.text(QRectF(0, 4, w, 16), ReportText::pageNumber(), Qt::AlignHCenter | Qt::AlignVCenter, reportFont(8));
    report->setHeadingTexts({QStringLiteral("Benchmark Fuel Co."), QString(), QString()});
    return report;
}

// The same page, drawn by hand.
void bare(int rows, const QString &path)
{
    QPdfWriter writer(path);
    writer.setResolution(600);
    auto report = listing();
    writer.setPageLayout(report->pageLayout());
    const double k = writer.logicalDpiX() / 72.0;
    const double bodyHeight = report->pageLayout().paintRect(QPageLayout::Point).height();
    const double w = report->bodyWidth();
    const QFont title = reportFont(12, true), head = reportFont(8, true), body = reportFont(8);
    QPainter p(&writer);
    auto box = [k](double x, double y, double width, double height) { return QRectF(x * k, y * k, width * k, height * k); };
    int page = 0;
    double y = bodyHeight;
    auto finishPage = [&] {
        p.setFont(body);
        p.drawText(box(0, bodyHeight - footerHeight + 4, w, 16), Qt::AlignHCenter | Qt::AlignVCenter,
                   QStringLiteral("Page %1").arg(page));
    };
    for (int row = 1; row <= rows; ++row) {
        if (y + rowHeight > bodyHeight - footerHeight) {
            if (page > 0) {
                finishPage();
                writer.newPage();
            }
            ++page;
            p.setFont(title);
            p.drawText(box(0, 0, w, 20), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Benchmark Fuel Co."));
            p.setFont(head);
            for (int c = 0; c < columns.size(); ++c)
                p.drawText(box(columns[c].x, 24, columns[c].width, 14), int(columns[c].alignment), names[c]);
            p.setFont(body);
            y = headerHeight;
        }
        const QSqlRecord record = recordOf(row);
        for (int c = 0; c < columns.size(); ++c)
            p.drawText(box(columns[c].x, y, columns[c].width, rowHeight), int(columns[c].alignment), record.value(c).toString());
        y += rowHeight;
    }
    finishPage();
}

int runCase(const QString &mode, int rows)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.pdf"));
    std::unique_ptr<Db> db;
    if (mode == QLatin1String("query")) {
        const QString file = dir.filePath(QStringLiteral("bench.db"));
        QFile(file).open(QIODevice::WriteOnly);
        db = Db::open(QStringLiteral("Provider=SQLite;Data Source=%1;").arg(file));
        DatabaseTool::createSchema(*db);
        Transaction transaction(*db);
        for (int row = 1; row <= rows; ++row)
            db->insert(QStringLiteral("Tickets"), {{QStringLiteral("Clerk"), textOf(row, 1)},
                                                   {QStringLiteral("TruckNumber"), textOf(row, 2)},
                                                   {QStringLiteral("DieselGallons"), textOf(row, 3)},
                                                   {QStringLiteral("DieselPriceEach"), textOf(row, 4)},
                                                   {QStringLiteral("Total"), textOf(row, 5)}});
        transaction.commit();
    }

    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    if (mode == QLatin1String("bare")) {
        bare(rows, path);
    } else {
        auto report = listing();
        if (db) {
            report->setRows(RowSource::fromQuery(*db,
                                                 QStringLiteral("SELECT ID AS Ticket,Clerk AS Customer,TruckNumber AS Truck,"
                                                                "DieselGallons AS Gallons,DieselPriceEach AS Price,Total "
                                                                "FROM Tickets ORDER BY ID"),
                                                 {}));
        } else {
            report->setRows(RowSource([rows](const RowSource::Visitor &visit) {
                for (int row = 1; row <= rows; ++row) {
                    if (!visit(recordOf(row)))
                        return;
                }
            }));
        }
        if (!ReportOutput::writePdf(*report, path)) {
            std::fprintf(stderr, "writing failed\n");
            return 1;
        }
    }
    const qint64 ms = timer.elapsed();
    const long cpuMs = long((std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC);
    std::printf("%s %d %lld %ld %lld %ld\n", qPrintable(mode), rows, ms, BenchSupport::peakKiB(), QFileInfo(path).size(), cpuMs);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    if (argc == 3)
        return runCase(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]).toInt());

    QTextStream out(stdout);
    // CPU time is the fairer comparison on a busy machine; wall time includes waiting.
    out << "case      rows     time ms     CPU ms   peak MiB   PDF KiB\n";
    for (const QString &mode : {QStringLiteral("bare"), QStringLiteral("layer"), QStringLiteral("query")}) {
        for (const int rows : {10000, 100000}) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {mode, QString::number(rows)});
            child.waitForFinished(-1);
            const QStringList f = QString::fromLocal8Bit(child.readAllStandardOutput()).split(u' ', Qt::SkipEmptyParts);
            if (child.exitCode() != 0 || f.size() < 6) {
                out << mode << " " << rows << " failed\n";
                continue;
            }
            out << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                       .arg(mode, -6)
                       .arg(rows, 8)
                       .arg(f[2].toLongLong(), 11)
                       .arg(f[5].trimmed().toLong(), 10)
                       .arg(f[3].toLong() / 1024.0, 10, 'f', 1)
                       .arg(f[4].toLongLong() / 1024, 9);
            out.flush();
        }
    }
    return 0;
}
