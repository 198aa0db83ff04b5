// How the customer screen keeps up with a clerk typing an account number: every
// keystroke loads the customer whose ID stands in the box (or empties the fields), its
// cards and its login. The database holds 10,000 customers and 30,000 cards unless told
// otherwise; each sampled customer's ID is typed character by character and then erased
// with Backspace, and every keystroke is timed on its own.
//
//   bench_customerentry [CUSTOMERS] [CARDS] [SAMPLES]   (defaults 10000, 30000 and 400;
//                                                         PostgreSQL too when AMS_TEST_PG is set)

#include "BenchSupport.h"

#include "accounts/CustomerEntryScreen.h"
#include "app/AppContext.h"
#include "app/MessageBox.h"
#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "db/DbError.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void key(QWidget *w, int code, const QString &text = QString())
{
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

double percentile(const std::vector<qint64> &ns, double p) { return BenchSupport::percentile(ns, p) / 1e6; }

double mean(const std::vector<qint64> &ns)
{
    double sum = 0;
    for (qint64 n : ns)
        sum += double(n);
    return ns.empty() ? 0 : sum / double(ns.size()) / 1e6;
}

void run(const QString &server, Db &db, int customers, int cards, int samples)
{
    QElapsedTimer fill;
    fill.start();
    DatabaseTool::fillCustomerVolume(db, customers, cards, QDate::currentDate());
    const double fillSeconds = fill.nsecsElapsed() / 1e9;
    Db::setCurrent(&db);
    appContext().config.AdminWorkstation = QStringLiteral("1");
    MessageBox::startRecording();

    CustomerEntryScreen screen;
    screen.show();
    auto *number = screen.findChild<QLineEdit *>(QStringLiteral("txtAccountNumber"));
    auto *name = screen.findChild<QLineEdit *>(QStringLiteral("txtName"));
    auto *grid = screen.findChild<QTableWidget *>(QStringLiteral("vsfgCards"));
    number->setFocus();

    const int cardsEach = cards / std::max(customers, 1);
    std::vector<qint64> found, missed, erased;
    int wrong = 0;
    QElapsedTimer timer;
    for (int s = 0; s < samples; ++s) {
        const int n = int((qint64(s) * 7919) % customers);
        const QString id = DatabaseTool::customerVolumeId(n);
        for (int i = 0; i < id.size(); ++i) {
            const QChar c = id[i];
            timer.start();
            key(number, c.isDigit() ? Qt::Key_0 + c.digitValue() : Qt::Key_A + (c.unicode() - 'A'), QString(c));
            const qint64 elapsed = timer.nsecsElapsed();
            (i + 1 == id.size() ? found : missed).push_back(elapsed);
        }
        if (name->text() != QStringLiteral("Fleet Customer %1").arg(n) || grid->rowCount() < cardsEach)
            ++wrong;
        for (int i = 0; i < id.size(); ++i) {
            timer.start();
            key(number, Qt::Key_Backspace);
            erased.push_back(timer.nsecsElapsed());
        }
    }
    if (wrong || !number->text().isEmpty() || !MessageBox::takeShown().isEmpty())
        std::fprintf(stderr, "bench_customerentry: %d customers not shown as stored, or a message was shown\n", wrong);

    std::vector<qint64> all = found;
    all.insert(all.end(), missed.begin(), missed.end());
    all.insert(all.end(), erased.begin(), erased.end());
    std::printf("%-11s %d customers, %d cards (filled in %.1f s), %zu keystrokes\n", qPrintable(server), customers, cards,
                fillSeconds, all.size());
    std::printf("            per keystroke: mean %.3f ms, median %.3f ms, 99th percentile %.3f ms, slowest %.3f ms\n", mean(all),
                percentile(all, 0.5), percentile(all, 0.99), percentile(all, 1.0));
    std::printf("            customer found: mean %.3f ms; no such customer: mean %.3f ms; Backspace: mean %.3f ms\n",
                mean(found), mean(missed), mean(erased));
    MessageBox::stopRecording();
    Db::setCurrent(nullptr);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int customers = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    const int cards = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 30000;
    const int samples = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 400;
    QTemporaryDir dir;
    try {
        run(QStringLiteral("SQLite"), *BenchSupport::freshSqlite(dir, QStringLiteral("bench.sqlite")), customers, cards, samples);

        const QString admin = BenchSupport::postgresAdmin();
        if (admin.isEmpty())
            return 0;
        const QString name = QStringLiteral("ams_bench_customerentry");
        run(QStringLiteral("PostgreSQL"), *BenchSupport::freshPostgres(admin, name), customers, cards, samples);
        BenchSupport::dropPostgres(admin, name);
    } catch (const DbError &e) {
        std::fprintf(stderr, "bench_customerentry: %s\n", qPrintable(e.serverText()));
        return 1;
    }
    return 0;
}
