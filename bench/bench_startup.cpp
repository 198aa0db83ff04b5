// How long the program takes from reading config.txt to its main window on screen, on
// the demo database: configuration, connection, company settings, workstation rights,
// the single-copy lock, the main window with its menu, shown and exposed. Beside it, a
// bare Qt main window with the same menu, shown and exposed. The goal is within 5x.
//
//   bench_startup [ROUNDS]        (default 30; run with a display or QT_QPA_PLATFORM=offscreen)

#include "app/MainWindow.h"
#include "app/SingleCopy.h"
#include "app/Startup.h"
#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "db/DbError.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWindow>

#include <algorithm>

namespace {

void waitUntilExposed(QWidget &window)
{
    QElapsedTimer timeout;
    timeout.start();
    while ((!window.windowHandle() || !window.windowHandle()->isExposed()) && timeout.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The same menu with nothing behind it.
void bareMenu(QMainWindow &window)
{
    const QList<QPair<QString, QStringList>> menus = {
        {"File", {"Setup", "Exit"}},
        {"", {"Ticket Entry"}},
        {"", {"Cash Ticket Entry"}},
        {"Gift Cards",
         {"Gift Card Purchase", "Gift Card Redemption", "Balance Inquiry", "Gift Card Edit", "Gift Card Transaction Report",
          "Gift Card Listing"}},
        {"Customers",
         {"Customer Entry/Edit", "Receive Payment", "Account Balance Report", "Customer History Report", "Detail Sales Report",
          "Customer / Card Listing"}},
        {"Settings", {"Pricing", "Rebuild Customer Balance"}},
        {"Help", {"About"}}};
    for (const auto &[title, items] : menus) {
        if (title.isEmpty()) {
            window.menuBar()->addAction(items.first());
            continue;
        }
        QMenu *menu = window.menuBar()->addMenu(title);
        for (const QString &item : items)
            menu->addAction(item);
    }
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 30;

    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("demo.db"));
    const QString config = dir.filePath(QStringLiteral("config.txt"));
    try {
        QFile(database).open(QIODevice::WriteOnly);
        auto db = Db::open(QStringLiteral("Provider=SQLite;Data Source=demo.db;"), dir.path());
        DatabaseTool::createSchema(*db);
        DatabaseTool::fillDemo(*db, QDate::currentDate());
    } catch (const DbError &e) {
        QTextStream(stderr) << "bench_startup: " << e.serverText() << "\n";
        return 1;
    }
    QFile file(config);
    file.open(QIODevice::WriteOnly);
    file.write("AMS\nConnection,Provider=SQLite;Data Source=demo.db;\nWorkstation,BENCH\nAdmin,0\nLocation,1\n");
    file.close();
    qputenv("TMPDIR", dir.path().toLocal8Bit());

    QList<double> program, bare;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        {
            ReadConfigFile(config);
            OpenDatabase(dir.path());
            MainWindow window;
            LoadCompanySettings();
            ApplyWorkstationRights(window);
            SingleCopy lock;
            if (!lock.acquire()) {
                QTextStream(stderr) << "bench_startup: the single-copy lock is taken\n";
                return 1;
            }
            window.show();
            waitUntilExposed(window);
            program.append(t.nsecsElapsed() / 1e6);
            ExitApplication();
        }
        QApplication::processEvents();

        t.restart();
        {
            QMainWindow window;
            window.setWindowTitle(QStringLiteral("Account Management Software"));
            bareMenu(window);
            window.resize(1100, 780);
            window.show();
            waitUntilExposed(window);
            bare.append(t.nsecsElapsed() / 1e6);
        }
        QApplication::processEvents();
    }

    const double p = median(program), b = median(bare);
    QTextStream(stdout) << "platform " << QGuiApplication::platformName() << ", " << rounds << " rounds (medians)\n"
                        << "program start-up to main window shown: " << p << " ms\n"
                        << "bare Qt window with the same menu:     " << b << " ms\n"
                        << "ratio: " << p / b << "x (goal: within 5x)\n";
    return 0;
}
