// How the cash ticket screen keeps up with a clerk:
// - the "Print" path (storing the ticket, bringing the customer list up to date and
//   clearing the screen; the printer always succeeds at once) on an empty table and on
//   one holding TICKETS cash tickets over NAMES names;
// - one keystroke in the customer box with NAMES names in its list, until the completed
//   name is in the box.
//
//   bench_cashticket [NAMES] [TICKETS] [SAVES] [KEYSTROKES]
//       (defaults 20000, 200000, 300 and 2000; PostgreSQL too when AMS_TEST_PG is set)

#include "app/AmountField.h"
#include "app/AppContext.h"
#include "app/MessageBox.h"
#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "reports/Reports.h"
#include "tickets/CashTicketEntryScreen.h"
#include "tickets/TicketStore.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

struct Options
{
    int names = 20000;
    int tickets = 200000;
    int saves = 300;
    int keystrokes = 2000;
};

// A key as the keyboard delivers it: to the open list of a drop-down box, else to the
// focused control.
void key(int code, const QString &text = QString())
{
    QWidget *target = QApplication::activePopupWidget() ? QApplication::activePopupWidget()->focusWidget()
                                                        : QApplication::focusWidget();
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

void setUp()
{
    AppContext &context = appContext();
    context.config.WorkstationID = QStringLiteral("BENCH");
    context.config.LocationID = QStringLiteral("1");
    context.company.DieselPricePerGallon = 3.899;
    context.company.ReeferPricePerGallon = 3.459;
    context.company.DiscountPricePerGallon = -0.05;
    context.company.DefPricePerGallon = 3.999;
    context.company.Tax = 0.0825;
}

// Milliseconds per save over `saves` tickets, each for a name not sold to before.
double savePath(Db &db, int saves, const QString &tag)
{
    CashTicketEntryScreen screen;
    screen.show();
    auto *clerk = screen.findChild<QLineEdit *>(QStringLiteral("txtClerk"));
    auto *customer = screen.findChild<QComboBox *>(QStringLiteral("cmbCustomer"));
    auto *diesel = screen.findChild<AmountField *>(QStringLiteral("txtDieselGallons"));
    auto *save = screen.findChild<QPushButton *>(QStringLiteral("btnSave"));
    const int listedBefore = customer->count();
    const int storedBefore = CashTicketStore::highestId(db);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < saves; ++i) {
        clerk->setText(QStringLiteral("BENCH"));
        customer->setEditText(QStringLiteral("%1 Walk-in %2").arg(tag).arg(i, 5, 10, QLatin1Char('0')));
        diesel->setPlainText(QStringLiteral("42.5"));
        save->click();
    }
    const qint64 ns = timer.nsecsElapsed();
    if (customer->count() != listedBefore + saves || CashTicketStore::highestId(db) - storedBefore != saves
        || !MessageBox::takeShown().isEmpty())
        std::fprintf(stderr, "bench_cashticket: %d names listed of %d, or a message was shown\n", customer->count(),
                     listedBefore + saves);
    return ns / 1e6 / saves;
}

struct KeyTimes
{
    double meanMs = 0;
    double worstMs = 0;
    double firstMs = 0; // the key that opens the list
    int listed = 0;
};

// Each round types the first letters of a listed name into the emptied box and checks
// that the box completed it.
KeyTimes keystrokes(int count)
{
    CashTicketEntryScreen screen;
    screen.show();
    QApplication::setActiveWindow(&screen);
    auto *customer = screen.findChild<QComboBox *>(QStringLiteral("cmbCustomer"));
    KeyTimes times;
    times.listed = customer->count();
    if (customer->count() == 0)
        return times;
    QElapsedTimer timer;
    qint64 total = 0;
    int done = 0;
    bool first = true;
    for (int round = 0; done < count; ++round) {
        customer->hidePopup();
        customer->setFocus();
        customer->setEditText(QString());
        const QString name = customer->itemText((round * 7919) % customer->count());
        const QString typed = name.left(12);
        for (QChar c : typed) {
            timer.start();
            key(0, QString(c));
            const qint64 ns = timer.nsecsElapsed();
            if (first)
                times.firstMs = ns / 1e6;
            else
                times.worstMs = std::max(times.worstMs, ns / 1e6);
            first = false;
            total += ns;
            ++done;
        }
        if (!customer->currentText().startsWith(typed, Qt::CaseInsensitive))
            std::fprintf(stderr, "bench_cashticket: typed %s, box shows %s\n", qPrintable(typed),
                         qPrintable(customer->currentText()));
    }
    customer->hidePopup();
    times.meanMs = total / 1e6 / done;
    return times;
}

void run(const QString &server, const std::function<std::unique_ptr<Db>()> &fresh, const Options &o)
{
    Printers::cashTicket() = [](int, bool, bool) { return true; };
    MessageBox::startRecording();

    double emptyMs = 0;
    {
        auto db = fresh();
        Db::setCurrent(db.get());
        emptyMs = savePath(*db, o.saves, QStringLiteral("Empty"));
        Db::setCurrent(nullptr);
    }
    auto db = fresh();
    Db::setCurrent(db.get());
    QElapsedTimer timer;
    timer.start();
    DatabaseTool::fillCashVolume(*db, o.names, o.tickets, QDate::currentDate());
    const double fillS = timer.nsecsElapsed() / 1e9;
    timer.restart();
    {
        CashTicketEntryScreen opening;
    }
    const double openMs = timer.nsecsElapsed() / 1e6;
    const double fullMs = savePath(*db, o.saves, QStringLiteral("Volume"));
    const KeyTimes keys = keystrokes(o.keystrokes);
    Db::setCurrent(nullptr);
    MessageBox::stopRecording();

    std::printf("%-10s save path: %.3f ms empty, %.3f ms with %d tickets over %d names (x%.2f)\n", qPrintable(server),
                emptyMs, fullMs, o.tickets, o.names, fullMs / emptyMs);
    std::printf("%-10s keystroke in the customer box with %d names: %.3f ms mean, %.3f ms worst, %.3f ms for the key "
                "that opens the list\n",
                qPrintable(server), keys.listed, keys.meanMs, keys.worstMs, keys.firstMs);
    std::printf("%-10s (filling the volume took %.1f s; opening the screen on it %.1f ms)\n", qPrintable(server), fillS, openMs);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Options o;
    int *values[] = {&o.names, &o.tickets, &o.saves, &o.keystrokes};
    for (int i = 1; i < argc && i <= 4; ++i)
        *values[i - 1] = QString::fromLocal8Bit(argv[i]).toInt();
    setUp();
    QTemporaryDir dir;
    try {
        int n = 0;
        run(QStringLiteral("SQLite"),
            [&] {
                const QString file = dir.filePath(QStringLiteral("bench%1.sqlite").arg(++n));
                QFile(file).open(QIODevice::WriteOnly);
                auto db = Db::open(QStringLiteral("Provider=SQLite;Data Source=%1;").arg(file));
                DatabaseTool::createSchema(*db);
                return db;
            },
            o);

        const QString base = qEnvironmentVariable("AMS_TEST_PG");
        if (base.isEmpty()) {
            std::printf("PostgreSQL skipped: AMS_TEST_PG is not set\n");
            return 0;
        }
        const QString admin = base + QStringLiteral("PWD=QZ;");
        QString text = admin;
        text.replace(QRegularExpression(QStringLiteral("Database=[^;]*;"), QRegularExpression::CaseInsensitiveOption),
                     QStringLiteral("Database=ams_bench_cash;"));
        auto recreate = [&admin] {
            auto db = Db::open(admin);
            db->exec(QStringLiteral("SET client_min_messages TO WARNING"));
            db->exec(QStringLiteral("DROP DATABASE IF EXISTS ams_bench_cash WITH (FORCE)"));
            db->exec(QStringLiteral("CREATE DATABASE ams_bench_cash"));
        };
        run(QStringLiteral("PostgreSQL"),
            [&] {
                recreate();
                auto db = Db::open(text);
                DatabaseTool::createSchema(*db);
                return db;
            },
            o);
        Db::open(admin)->exec(QStringLiteral("DROP DATABASE IF EXISTS ams_bench_cash WITH (FORCE)"));
    } catch (const DbError &e) {
        std::fprintf(stderr, "bench_cashticket: %s\n", qPrintable(e.serverText()));
        return 1;
    }
    return 0;
}
