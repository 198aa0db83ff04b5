// How the cash ticket screen keeps up with a clerk:
// - the "Print" path (storing the ticket, bringing the customer list up to date and
//   clearing the screen; the printer always succeeds at once) on an empty table and on
//   one holding TICKETS cash tickets over NAMES names;
// - one keystroke in the customer box with NAMES names in its list, until the completed
//   name is in the box.
//
//   bench_cashticket [NAMES] [TICKETS] [SAVES] [KEYSTROKES]
//       (defaults 20000, 200000, 1000 and 2000; PostgreSQL too when AMS_TEST_PG is set)

#include "BenchSupport.h"

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
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <numeric>

namespace {

struct Options
{
    int names = 20000;
    int tickets = 200000;
    int saves = 1000;
    int keystrokes = 2000;
};

// A key as the keyboard delivers it: to the open list of a drop-down box, else to the
// focused control.
void key(int code, const QString &text = QString())
{
    QWidget *target =
        QApplication::activePopupWidget() ? QApplication::activePopupWidget()->focusWidget() : QApplication::focusWidget();
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

// One screen on one database, saving ticket after ticket, each for a name not sold to
// before (so each save also places a new name in the list).
class SavePath
{
public:
    SavePath(Db &db, const QString &tag) : m_db(db), m_tag(tag)
    {
        Db::setCurrent(&m_db);
        m_screen = std::make_unique<CashTicketEntryScreen>();
        m_screen->show();
        m_clerk = m_screen->findChild<QLineEdit *>(QStringLiteral("txtClerk"));
        m_customer = m_screen->findChild<QComboBox *>(QStringLiteral("cmbCustomer"));
        m_diesel = m_screen->findChild<AmountField *>(QStringLiteral("txtDieselGallons"));
        m_save = m_screen->findChild<QPushButton *>(QStringLiteral("btnSave"));
        m_listedBefore = m_customer->count();
        m_storedBefore = CashTicketStore::highestId(m_db);
    }

    void saveOne()
    {
        Db::setCurrent(&m_db);
        m_clerk->setText(QStringLiteral("BENCH"));
        m_customer->setEditText(QStringLiteral("%1 Walk-in %2").arg(m_tag).arg(m_times.size(), 5, 10, QLatin1Char('0')));
        m_diesel->setPlainText(QStringLiteral("42.5"));
        QElapsedTimer timer;
        timer.start();
        m_save->click();
        m_times << timer.nsecsElapsed() / 1e6;
    }

    // Whether every save stored its ticket and listed its name.
    bool allStored()
    {
        Db::setCurrent(&m_db);
        const int saves = int(m_times.size());
        return m_customer->count() == m_listedBefore + saves && CashTicketStore::highestId(m_db) - m_storedBefore == saves;
    }

    double median() const
    {
        QList<double> sorted = m_times;
        std::sort(sorted.begin(), sorted.end());
        return sorted.isEmpty() ? 0 : sorted[sorted.size() / 2];
    }
    double mean() const
    {
        return std::accumulate(m_times.cbegin(), m_times.cend(), 0.0) / std::max<qsizetype>(m_times.size(), 1);
    }

private:
    Db &m_db;
    QString m_tag;
    std::unique_ptr<CashTicketEntryScreen> m_screen;
    QLineEdit *m_clerk = nullptr;
    QComboBox *m_customer = nullptr;
    AmountField *m_diesel = nullptr;
    QPushButton *m_save = nullptr;
    int m_listedBefore = 0;
    int m_storedBefore = 0;
    QList<double> m_times;
};

struct KeyTimes
{
    double meanMs = 0;
    double p99Ms = 0;
    double worstMs = 0;
    double firstMs = 0;       // the very first key: the list is opened for the first time
    double openingMeanMs = 0; // the first key of each name, which opens the list
    double openingWorstMs = 0;
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
    QList<double> each;
    QList<double> opening;
    bool first = true;
    for (int round = 0; done < count; ++round) {
        customer->hidePopup();
        customer->setFocus();
        customer->setEditText(QString());
        const QString name = customer->itemText((round * 7919) % customer->count());
        const QString typed = name.left(12);
        for (qsizetype i = 0; i < typed.size(); ++i) {
            timer.start();
            key(0, QString(typed.at(i)));
            const qint64 ns = timer.nsecsElapsed();
            if (first)
                times.firstMs = ns / 1e6;
            else
                each << ns / 1e6;
            if (i == 0 && !first)
                opening << ns / 1e6;
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
    std::sort(each.begin(), each.end());
    if (!each.isEmpty()) {
        times.worstMs = each.last();
        times.p99Ms = each[qsizetype(each.size() * 0.99)];
    }
    if (!opening.isEmpty()) {
        times.openingMeanMs = std::accumulate(opening.cbegin(), opening.cend(), 0.0) / opening.size();
        times.openingWorstMs = *std::max_element(opening.cbegin(), opening.cend());
    }
    return times;
}

void run(const QString &server, const std::function<std::unique_ptr<Db>()> &fresh, const Options &o)
{
    Printers::cashTicket() = [](int, bool, bool) { return true; };
    MessageBox::startRecording();

    auto empty = fresh();
    auto full = fresh();
    QElapsedTimer timer;
    timer.start();
    DatabaseTool::fillCashVolume(*full, o.names, o.tickets, QDate::currentDate());
    // A server that plans by statistics has them soon after a bulk fill (autovacuum
    // analyses and vacuums the table); the benchmark does that at once rather than
    // measuring while it runs.
    if (full->dialect().name() == QLatin1String("PostgreSQL")) {
        full->exec(QStringLiteral("VACUUM ANALYZE CashTickets"));
        // The fill's pages go to disk now, not in the middle of the measured saves.
        try {
            full->exec(QStringLiteral("CHECKPOINT"));
        } catch (const DbError &) {
            // Only a superuser may ask for one; the figures are then a little noisier.
        }
    }
    const double fillS = timer.nsecsElapsed() / 1e9;
    timer.restart();
    Db::setCurrent(full.get());
    {
        CashTicketEntryScreen opening;
    }
    const double openMs = timer.nsecsElapsed() / 1e6;

    // The two take turns, so that whatever else the machine does weighs on both alike.
    SavePath onEmpty(*empty, QStringLiteral("Empty"));
    SavePath onFull(*full, QStringLiteral("Volume"));
    for (int i = 0; i < o.saves; ++i) {
        onEmpty.saveOne();
        onFull.saveOne();
    }
    if (!onEmpty.allStored() || !onFull.allStored() || !MessageBox::takeShown().isEmpty())
        std::fprintf(stderr, "bench_cashticket: a save did not store or list its ticket, or a message was shown\n");

    Db::setCurrent(full.get());
    const KeyTimes keys = keystrokes(o.keystrokes);
    Db::setCurrent(nullptr);
    MessageBox::stopRecording();

    std::printf("%-10s save path, median (mean) of %d: %.3f ms (%.3f) empty, %.3f ms (%.3f) with %d tickets over %d "
                "names: x%.2f\n",
                qPrintable(server), o.saves, onEmpty.median(), onEmpty.mean(), onFull.median(), onFull.mean(), o.tickets, o.names,
                onFull.median() / onEmpty.median());
    std::printf("%-10s keystroke in the customer box with %d names: %.3f ms mean, %.3f ms at the 99th percentile, "
                "%.3f ms worst; a key that opens the list %.3f ms mean, %.3f ms worst; the very first key %.3f ms\n",
                qPrintable(server), keys.listed, keys.meanMs, keys.p99Ms, keys.worstMs, keys.openingMeanMs, keys.openingWorstMs,
                keys.firstMs);
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
        run(
            QStringLiteral("SQLite"), [&] { return BenchSupport::freshSqlite(dir, QStringLiteral("bench%1.sqlite").arg(++n)); },
            o);

        const QString admin = BenchSupport::postgresAdmin();
        if (admin.isEmpty())
            return 0;
        const QStringList names = {QStringLiteral("ams_bench_cash_1"), QStringLiteral("ams_bench_cash_2")};
        int made = 0;
        run(
            QStringLiteral("PostgreSQL"), [&] { return BenchSupport::freshPostgres(admin, names.at(made++)); }, o);
        for (const QString &name : names)
            BenchSupport::dropPostgres(admin, name);
    } catch (const DbError &e) {
        std::fprintf(stderr, "bench_cashticket: %s\n", qPrintable(e.serverText()));
        return 1;
    }
    return 0;
}
