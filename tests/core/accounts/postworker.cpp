// Helper process for the posting test: one workstation posting to one customer.
//
//   postworker "<connection text>" CUSTOMER_ID WORKER COUNT START_MSECS
//
// Waits until START_MSECS (milliseconds since the epoch) so that every worker posts at
// the same time, then posts COUNT amounts (see amountOf) and exits 1 when any failed.

#include "accounts/BalancePosting.h"
#include "db/Db.h"
#include "db/DbError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTextStream>
#include <QThread>

// The cents the worker posts with its n-th posting: charges and payments mixed.
static int amountOf(int worker, int n) { return (worker * 37 + n * 113) % 500 - 150; }

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6) {
        QTextStream(stderr) << "usage: postworker CONNECTION CUSTOMER WORKER COUNT START_MSECS\n";
        return 2;
    }
    const int worker = args[3].toInt(), count = args[4].toInt();
    try {
        auto db = Db::open(args[1]);
        const qint64 wait = args[5].toLongLong() - QDateTime::currentMSecsSinceEpoch();
        if (wait > 0)
            QThread::msleep(wait);
        int failed = 0;
        for (int n = 0; n < count; ++n)
            if (!PostCustomerBalance(*db, args[2], amountOf(worker, n) / 100.0))
                ++failed;
        if (failed) {
            QTextStream(stderr) << "worker " << worker << ": " << failed << " postings failed\n";
            return 1;
        }
        return 0;
    } catch (const DbError &e) {
        QTextStream(stderr) << "worker " << worker << ": " << e.serverText() << "\n";
        return 1;
    }
}
