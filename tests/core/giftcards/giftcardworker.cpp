// Helper process for the gift card store test: one workstation selling on or redeeming
// from one card, through the same store calls the screens make.
//
//   giftcardworker "<connection text>" CARD sell|redeem WORKER COUNT START_MSECS
//
// Waits until START_MSECS (milliseconds since the epoch) so that every worker starts at
// the same time, then tries COUNT amounts (see amountOf). Prints the cents of every
// amount the store took, one a line; exits 1 on any error.

#include "db/Db.h"
#include "db/DbError.h"
#include "giftcards/GiftCardStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTextStream>
#include <QThread>

// The cents of the worker's n-th amount: from 1.00 to 5.99.
static int amountOf(int worker, int n) { return 100 + (worker * 53 + n * 131) % 500; }

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 7 || (args[3] != u"sell" && args[3] != u"redeem")) {
        QTextStream(stderr) << "usage: giftcardworker CONNECTION CARD sell|redeem WORKER COUNT START_MSECS\n";
        return 2;
    }
    const QString card = args[2];
    const bool selling = args[3] == u"sell";
    const int worker = args[4].toInt(), count = args[5].toInt();
    QTextStream out(stdout);
    try {
        auto db = Db::open(args[1]);
        const GiftCardStore::Stamp stamp{QStringLiteral("W%1").arg(worker), 1, QDateTime::currentDateTime()};
        const qint64 wait = args[6].toLongLong() - QDateTime::currentMSecsSinceEpoch();
        if (wait > 0)
            QThread::msleep(wait);
        for (int n = 0; n < count; ++n) {
            const int cents = amountOf(worker, n);
            const QString clerk = QStringLiteral("clerk %1").arg(worker);
            bool taken = true;
            if (selling)
                GiftCardStore::sell(*db, card, cents / 100.0, clerk, QStringLiteral("note %1").arg(worker), stamp);
            else
                taken = GiftCardStore::redeem(*db, card, cents / 100.0, clerk, stamp).has_value();
            if (taken)
                out << cents << "\n";
        }
        return 0;
    } catch (const DbError &e) {
        out.flush();
        QTextStream(stderr) << "worker " << worker << ": " << e.serverText() << "\n";
        return 1;
    }
}
