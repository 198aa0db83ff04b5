// How fast the management reports come up on a large database, on SQLite.
//
//   bench_management              makes the databases, runs every case in its own process
//                                 and prints a table
//   bench_management CASE FILE [PDF]
//                                 one case on a database made before: an SQLite file or a
//                                 connection text; the PDF it writes is kept as PDF
//
// Cases:
//   sales     the detail sales report over every ticket of FILE: from pressing "Ok" in
//             its dialog to the first page drawn in the viewer, moving to the last page
//             and back to the first, then exporting the whole report to PDF from the
//             viewer; the peak resident memory of all of it (VmHWM)
//   bare      the same query drawn by a hand-written QPainter loop onto a PDF writer:
//             the same texts at the same places, day headers, day totals and page
//             footers included
// sales prints: first, last and back ms, export ms and CPU ms, pages, the process's peak
// KiB, the layout's ms, and the peak KiB from the start of the export on; bare: ms, CPU
// ms, the process's peak KiB and the peak from the start of the loop on; export: ms, CPU
// ms and peak KiB.
//   balance   the account balance report from its menu command to the first page drawn
//   export    the detail sales report written to PDF without the viewer, laid out and
//             drawn, as the report command does
//   paginate  the detail sales report laid out once, nothing drawn (what "Ok" waits for)
//   scan      the bare query read row by row with all the report's columns, with the
//             layout's few, and with the day alone: what reading costs before any layout
//
// Goals: first page, last page and back under 1 s each at 100,000 tickets; the export's
// CPU time within 1.3x the bare loop's; the same peak memory for 10,000 and 100,000
// tickets (and for a chain's year, 1,000,000); the account balance report over 10,000
// customers under 0.5 s.

#include "BenchSupport.h"

#include "app/AppContext.h"
#include "app/MainWindow.h"
#include "app/Numbers.h"
#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "reports/DateRangeDialog.h"
#include "reports/ListingLayout.h"
#include "reports/ManagementReports.h"
#include "reports/Report.h"
#include "reports/ReportOutput.h"
#include "reports/ReportRenderer.h"
#include "reports/Viewer.h"
#include "tickets/TicketLines.h"

#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <ctime>

namespace {

const QDate today = QDate::currentDate();
const QDate firstDay = today.addYears(-1).addDays(-1);

long cpuMs() { return long(std::clock() * 1000.0 / CLOCKS_PER_SEC); }

// A database made before: an SQLite file, or any connection text (PostgreSQL too, filled
// with "amsdb create ... --volume 1000 100000").
QString connection(const QString &file)
{
    return file.startsWith(QLatin1String("Provider=")) ? file : QStringLiteral("Provider=SQLite;Data Source=%1;").arg(file);
}

void makeDatabase(const QString &file, int customers, int tickets)
{
    QFile(file).open(QIODevice::WriteOnly);
    auto db = Db::open(connection(file));
    DatabaseTool::createSchema(*db);
    DatabaseTool::fillVolume(*db, customers, tickets, today);
}

void setUpContext()
{
    appContext().config.AdminWorkstation = QStringLiteral("1");
    appContext().company.Name = QStringLiteral("Benchmark Fuel Co.");
    appContext().company.Address1 = QStringLiteral("1 Interstate Dr");
    appContext().company.City = QStringLiteral("Springfield");
    appContext().company.State = QStringLiteral("MO");
    appContext().company.Zip = QStringLiteral("65801");
}

// Lets the window system catch up, as the user's screen would before they look.
void settle() { QApplication::processEvents(); }

struct Figures
{
    qint64 first = -1, last = -1, back = -1, pdf = -1, laidOut = -1;
    long pdfCpu = -1, pdfPeak = -1;
    int pages = 0;
};

// "Ok" in the dialog, then the last page, the first again and the export, as a manager
// would go through them. The last page is there once the viewer has laid the rest out
// on its thread ("laid out", after the first page).
Figures salesCase(const QString &pdf)
{
    Figures f;
    std::unique_ptr<QWidget> dialog(DateRangeDialog::detailSales(nullptr));
    dialog->findChild<QDateEdit *>(QStringLiteral("dtStart"))->setDate(firstDay);
    dialog->findChild<QDateEdit *>(QStringLiteral("dtEnd"))->setDate(today);
    dialog->show();
    settle();
    QElapsedTimer timer;
    timer.start();
    dialog->findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    Viewer *viewer = Viewer::instance();
    if (!viewer)
        return f;
    settle();
    f.first = timer.restart();
    viewer->waitForLayout();
    f.laidOut = timer.restart();
    f.pages = viewer->pageCount();
    viewer->setPage(viewer->pageCount());
    settle();
    f.last = timer.restart();
    viewer->setPage(1);
    settle();
    f.back = timer.restart();
    const long cpu = cpuMs();
    BenchSupport::restartPeak();
    if (!ReportOutput::writePdf(*viewer->report(), pdf, &viewer->pageIndex()))
        return f;
    f.pdf = timer.elapsed();
    f.pdfCpu = cpuMs() - cpu;
    f.pdfPeak = BenchSupport::peakKiB();
    return f;
}

// The detail sales pages drawn by hand: what the report layer draws, without it: the same
// texts and lines at the same places, days headed again where they go on across a page,
// and the grand total at the end.
void bareSales(Db &db, const QString &path)
{
    auto layout = ManagementReports::detailSales(db, firstDay, today, appContext().company.headingTexts());
    const Report &report = *layout;
    QPdfWriter writer(path);
    writer.setResolution(600);
    writer.setPageLayout(report.pageLayout());
    const double k = writer.logicalDpiX() / 72.0;
    const double bodyHeight = report.pageLayout().paintRect(QPageLayout::Point).height();
    const double w = report.bodyWidth();
    const QFont title = reportFont(12, true), big = reportFont(13, true), small = reportFont(9), head = reportFont(7.5, true),
                body = reportFont(7.5), day = reportFont(8.5, true), printedFont = reportFont(7);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter, left = Qt::AlignLeft | Qt::AlignVCenter,
                        centre = Qt::AlignCenter;
    auto box = [k](double x, double y, double width, double height) { return QRectF(x * k, y * k, width * k, height * k); };

    QList<ReportColumn> columns;
    for (const ReportColumn &c : report.columns)
        if (c.onPage())
            columns << c;
    const double headerHeight = report.pageHeader.height, footerHeight = report.pageFooter.height;
    QPainter p(&writer);
    int page = 0;
    double y = bodyHeight;
    QList<double> daySums(columns.size(), 0.0);
    int dayCount = 0;
    QString currentDay;
    const QString printed = report.text(ListingLayout::printedText);
    auto line = [&](double x1, double y1, double x2, double width) {
        QPen pen(Qt::black, width * k);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.drawLine(QPointF(x1 * k, y1 * k), QPointF(x2 * k, y1 * k));
        p.setPen(QPen(Qt::black));
    };
    auto finishPage = [&] {
        line(0, bodyHeight - footerHeight + 3, w, 0.5);
        p.setFont(printedFont);
        p.drawText(box(0, bodyHeight - footerHeight + 5, w / 2, 12), left, printed);
        p.setFont(body);
        p.drawText(box(w / 2, bodyHeight - footerHeight + 5, w / 2, 12), right,
                   QStringLiteral("Page %1 of %2").arg(page).arg(9999));
    };
    // A day that goes on across a page break is headed again there, as the report does.
    QString dayHeading;
    auto room = [&](double height, bool dayGoesOn = true) {
        if (y + height <= bodyHeight - footerHeight)
            return;
        if (page > 0) {
            finishPage();
            writer.newPage();
        }
        ++page;
        p.setFont(big);
        p.drawText(box(0, 0, w, 18), centre, report.headingText(0));
        p.setFont(small);
        p.drawText(box(0, 18, w, 12), centre, report.headingText(1));
        p.drawText(box(0, 30, w, 12), centre, report.headingText(2));
        p.setFont(title);
        p.drawText(box(0, 46, w, 18), centre, report.title());
        p.setFont(small);
        p.drawText(box(0, 64, w, 12), centre, report.text(ListingLayout::rangeText));
        p.setFont(head);
        for (const ReportColumn &c : columns)
            p.drawText(box(c.x, 80, c.width, 12), int(c.alignment()), c.pageCaption());
        line(0, 93, w, 0.75);
        y = headerHeight;
        if (dayGoesOn && !dayHeading.isEmpty()) {
            p.setFont(day);
            p.drawText(box(0, y + 3, 300, 13), left, dayHeading + QStringLiteral(" (continued)"));
            y += 16;
        }
    };
    auto ticketsText = [](int n) { return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? "ticket" : "tickets"); };
    QList<double> grandSums(columns.size(), 0.0);
    int grandCount = 0;
    auto sums = [&](double at, const QString &caption, const QList<double> &values, const QFont &font) {
        p.setFont(font);
        for (int i = 0; i < columns.size(); ++i)
            if (columns[i].summed)
                p.drawText(box(columns[i].x, at, columns[i].width, 12), right, Numbers::format(values[i], columns[i].pattern));
        p.setFont(head);
        p.drawText(box(0, at, 288, 12), left, caption);
    };
    auto closeDay = [&] {
        room(18);
        line(292, y + 1, w, 0.5);
        sums(y + 3, QStringLiteral("Day total: ") + ticketsText(dayCount), daySums, body);
        y += 18;
    };
    db.forEachRow(
        QStringLiteral("SELECT Customer.ID AS CustomerID,Name,Tickets.ID AS TicketID,CardNo,GasGallons,DieselGallons,"
                       "ReeferGallons,DiscountGallons,COALESCE(DEFGallons,0) AS DEFGallons,OilPriceExt,AddativePriceExt,"
                       "AntifreezePriceExt,WasherPriceExt,GroceryPriceExt,DeliPriceExt,TobaccoPriceExt,Tax,Total,"
                       "Tickets.DateEntered,Tickets.Location FROM Tickets LEFT JOIN Customer ON Tickets.CustomerID = Customer.ID "
                       "WHERE Tickets.DateEntered >= ? AND Tickets.DateEntered <= ? ORDER BY Tickets.DateEntered,Tickets.ID"),
        {db.dialect().dayStart(firstDay), db.dialect().dayEnd(today)}, [&](const QSqlRecord &r) {
            const QDateTime at = ReportText::readDateTime(r.value(18));
            const QString key = at.date().toString(Qt::ISODate);
            if (key != currentDay) {
                if (!currentDay.isEmpty())
                    closeDay();
                currentDay = key;
                daySums.fill(0.0);
                dayCount = 0;
                dayHeading = at.toString(QStringLiteral("dddd, MMMM d, yyyy"));
                room(16 + 12, false);
                p.setFont(day);
                p.drawText(box(0, y + 3, 300, 13), left, dayHeading);
                y += 16;
            }
            room(12);
            double merchandise = 0;
            for (int m = 9; m <= 15; ++m)
                merchandise += r.value(m).toDouble();
            const double numbers[] = {r.value(4).toDouble(),  r.value(5).toDouble(), r.value(6).toDouble(),
                                      r.value(7).toDouble(),  r.value(8).toDouble(), merchandise,
                                      r.value(16).toDouble(), r.value(17).toDouble()};
            const QString texts[] = {at.toString(QStringLiteral("h:mm AP")),
                                     r.value(2).toString(),
                                     r.value(0).toString(),
                                     r.value(3).toString(),
                                     r.value(1).toString(),
                                     r.value(19).toString()};
            p.setFont(body);
            for (int i = 0; i < columns.size(); ++i) {
                const ReportColumn &c = columns[i];
                const QString text = i < 6 ? texts[i] : Numbers::format(numbers[i - 6], c.pattern);
                if (i >= 6) {
                    daySums[i] += numbers[i - 6];
                    grandSums[i] += numbers[i - 6];
                }
                p.drawText(box(c.x, y, c.width, 12), int(c.alignment()), text);
            }
            ++dayCount;
            ++grandCount;
            y += 12;
        });
    if (!currentDay.isEmpty())
        closeDay();
    room(22, false);
    line(0, y + 2, w, 1);
    sums(y + 6, QStringLiteral("Grand total: ") + ticketsText(grandCount), grandSums, head);
    y += 22;
    finishPage();
}

int runCase(const QString &mode, const QString &file, const QString &keptPdf)
{
    setUpContext();
    auto db = Db::open(connection(file));
    Db::setCurrent(db.get());
    QTemporaryDir dir;
    const QString pdf = keptPdf.isEmpty() ? dir.filePath(QStringLiteral("out.pdf")) : keptPdf;
    QTextStream out(stdout);
    if (mode == QLatin1String("sales")) {
        const Figures f = salesCase(pdf);
        out << f.first << ' ' << f.last << ' ' << f.back << ' ' << f.pdf << ' ' << f.pdfCpu << ' ' << f.pages << ' '
            << BenchSupport::peakKiB() << ' ' << f.laidOut << ' ' << f.pdfPeak << '\n';
        return f.pdf < 0 ? 1 : 0;
    }
    if (mode == QLatin1String("bare")) {
        QElapsedTimer timer;
        timer.start();
        const long cpu = cpuMs();
        const long before = BenchSupport::peakKiB();
        BenchSupport::restartPeak();
        bareSales(*db, pdf);
        out << timer.elapsed() << ' ' << cpuMs() - cpu << ' ' << qMax(before, BenchSupport::peakKiB()) << ' '
            << BenchSupport::peakKiB() << '\n';
        return 0;
    }
    if (mode == QLatin1String("export")) {
        auto report = ManagementReports::detailSales(*db, firstDay, today, appContext().company.headingTexts());
        QElapsedTimer timer;
        timer.start();
        const long cpu = cpuMs();
        if (!ReportOutput::writePdf(*report, pdf))
            return 1;
        out << timer.elapsed() << ' ' << cpuMs() - cpu << ' ' << BenchSupport::peakKiB() << '\n';
        return 0;
    }
    if (mode == QLatin1String("scan")) {
        const QVariantList range = {db->dialect().dayStart(firstDay), db->dialect().dayEnd(today)};
        for (const QString &columns :
             {QStringLiteral("Customer.ID AS CustomerID,Name,Address1,City,State,Zip,Phone,Tickets.ID AS TicketID,CardNo,"
                             "Clerk,TruckNumber,Mileage,DriverID,License,Trip,Trailer,GasGallons,GasPriceEach,GasPriceExt,"
                             "DieselGallons,DieselPriceEach,DieselPriceExt,ReeferGallons,ReeferPriceEach,ReeferPriceExt,"
                             "DiscountGallons,DiscountPriceEach,DiscountPriceExt,DEFGallons,DEFPriceEach,DEFPriceExt,OilPriceExt,"
                             "AddativePriceExt,AntifreezePriceExt,WasherPriceExt,GroceryPriceExt,DeliPriceExt,TobaccoPriceExt,"
                             "Subtotal,Tax,Total,WorkstationID,Tickets.DateEntered,Tickets.Location"),
              QStringLiteral(
                  "GasGallons,DieselGallons,ReeferGallons,DiscountGallons,DEFGallons,OilPriceExt,AddativePriceExt,"
                  "AntifreezePriceExt,WasherPriceExt,GroceryPriceExt,DeliPriceExt,TobaccoPriceExt,Tax,Total,Tickets.DateEntered"),
              QStringLiteral("Tickets.DateEntered")}) {
            QElapsedTimer timer;
            timer.start();
            int n = 0;
            db->forEachRow(
                QStringLiteral("SELECT ") + columns
                    + QStringLiteral(
                        " FROM Tickets LEFT JOIN Customer ON Tickets.CustomerID = Customer.ID WHERE Tickets.DateEntered >= ? AND "
                        "Tickets.DateEntered <= ? ORDER BY Tickets.DateEntered,Tickets.ID"),
                range, [&](const QSqlRecord &) { ++n; });
            out << n << ' ' << timer.elapsed() << "ms\n";
        }
        return 0;
    }
    if (mode == QLatin1String("paginate")) {
        auto report = ManagementReports::detailSales(*db, firstDay, today, appContext().company.headingTexts());
        QElapsedTimer timer;
        timer.start();
        const PageIndex index = paginate(*report);
        out << timer.elapsed() << ' ' << index.pageCount() << ' ' << BenchSupport::peakKiB() << '\n';
        return 0;
    }
    if (mode == QLatin1String("balance")) {
        MainWindow window;
        window.show();
        settle();
        QElapsedTimer timer;
        timer.start();
        window.runCommand(QStringLiteral("AcctBalanceReport"));
        settle();
        const qint64 ms = timer.elapsed();
        Viewer *viewer = Viewer::instance();
        out << ms << ' ' << (viewer ? viewer->pageCount() : -1) << ' ' << BenchSupport::peakKiB() << '\n';
        return viewer ? 0 : 1;
    }
    return 2;
}

QStringList runChild(const QString &mode, const QString &file)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {mode, file});
    child.waitForFinished(-1);
    if (child.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed().split(u' ');
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 || argc == 4)
        return runCase(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
                       argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString());

    QTemporaryDir dir;
    QTextStream out(stdout);
    out << "detail sales report, SQLite, every ticket of the last year\n"
        << "tickets    pages   first ms    last ms    back ms  export ms (CPU)   bare ms (CPU)   ratio  peak MiB\n";
    out.flush();
    for (const int tickets : {10000, 100000}) {
        const QString file = dir.filePath(QStringLiteral("sales%1.db").arg(tickets));
        makeDatabase(file, 1000, tickets);
        const QStringList s = runChild(QStringLiteral("sales"), file);
        const QStringList b = runChild(QStringLiteral("bare"), file);
        if (s.size() < 7 || b.size() < 3) {
            out << tickets << " failed\n";
            continue;
        }
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 (%7) %8 (%9) %10 %11\n")
                   .arg(tickets, 7)
                   .arg(s[5].toInt(), 8)
                   .arg(s[0].toLongLong(), 10)
                   .arg(s[1].toLongLong(), 10)
                   .arg(s[2].toLongLong(), 10)
                   .arg(s[3].toLongLong(), 10)
                   .arg(s[4].toLong(), 5)
                   .arg(b[0].toLongLong(), 9)
                   .arg(b[1].toLong(), 5)
                   .arg(s[4].toDouble() / qMax(1.0, b[1].toDouble()), 7, 'f', 2)
                   .arg(s[6].toLong() / 1024.0, 9, 'f', 1);
        out.flush();
    }
    out << "\naccount balance report, SQLite\ncustomers  pages   shown ms  peak MiB\n";
    for (const int customers : {1000, 10000}) {
        const QString file = dir.filePath(QStringLiteral("balance%1.db").arg(customers));
        makeDatabase(file, customers, 0);
        const QStringList r = runChild(QStringLiteral("balance"), file);
        if (r.size() < 3) {
            out << customers << " failed\n";
            continue;
        }
        out << QStringLiteral("%1 %2 %3 %4\n")
                   .arg(customers, 9)
                   .arg(r[1].toInt(), 6)
                   .arg(r[0].toLongLong(), 10)
                   .arg(r[2].toLong() / 1024.0, 9, 'f', 1);
        out.flush();
    }
    return 0;
}
