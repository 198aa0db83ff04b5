// Helper process for the customer and payment tests: one workstation saving through the
// same store functions the screens call.
//
//   accountworker "<connection text>" login PREFIX ROUNDS USERNAME_PREFIX START_MSECS
//       For each round n, saves a new customer PREFIX<n> with the username
//       USERNAME_PREFIX<n>; prints one line per round, "<n> written" or "<n> taken".
//   accountworker "<connection text>" save CUSTOMER USERNAME
//       Saves one customer with the username at once and prints "written" or "taken".
//   accountworker "<connection text>" charges CUSTOMER WORKER COUNT START_MSECS
//       Saves COUNT charge tickets and payments for the customer, mixed (see centsOf):
//       a ticket as the ticket screen stores and posts it, a payment as the payment
//       screen does.
//
// The timed modes wait until START_MSECS (milliseconds since the epoch), so that the workers
// run at the same time, and exits 1 when anything failed.

#include "accounts/CustomerStore.h"
#include "accounts/PaymentStore.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "tickets/TicketSaving.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTextStream>
#include <QThread>

namespace {

// Must match tst_paymentstore: even steps are tickets, odd steps payments.
int centsOf(int worker, int n) { return 500 + (worker * 53 + n * 211) % 9000; }

void waitUntil(const QString &startMsecs)
{
    const qint64 wait = startMsecs.toLongLong() - QDateTime::currentMSecsSinceEpoch();
    if (wait > 0)
        QThread::msleep(wait);
}

LoginSave saveCustomer(Db &db, const QString &id, const QString &userName)
{
    CustomerEntry entry;
    entry.accountNumber = id;
    entry.name = QStringLiteral("Worker customer ") + id;
    entry.limit = QStringLiteral("1000");
    entry.warnAt = QStringLiteral("0.8");
    entry.userName = userName;
    entry.password = QStringLiteral("secret-password");
    return CustomerStore::save(db, entry, QDateTime::currentDateTime());
}

int logins(Db &db, const QStringList &args)
{
    const int rounds = args[4].toInt();
    waitUntil(args[6]);
    QTextStream out(stdout);
    for (int n = 0; n < rounds; ++n) {
        const LoginSave result = saveCustomer(db, args[3] + QString::number(n), args[5] + QString::number(n));
        out << n << (result == LoginSave::Written ? " written" : result == LoginSave::UserNameTaken ? " taken" : " none") << "\n";
    }
    return 0;
}

int charges(Db &db, const QStringList &args)
{
    const QString customer = args[3];
    const int worker = args[4].toInt(), count = args[5].toInt();
    waitUntil(args[6]);
    for (int n = 0; n < count; ++n) {
        const double amount = centsOf(worker, n) / 100.0;
        if (n % 2 == 0) {
            TicketRecord ticket;
            ticket.customerId = customer;
            ticket.cardNo = QStringLiteral("01");
            ticket.details.clerk = QStringLiteral("W%1").arg(worker);
            ticket.amounts.merchandise[TicketLines::Oil] = QString::number(amount, 'f', 2);
            TicketLines::figure(ticket.amounts, 0);
            const TicketStamp stamp{QStringLiteral("W%1").arg(worker), 1, QDateTime::currentDateTime()};
            if (!TicketSaving::save(db, ticket, stamp).posted) {
                QTextStream(stderr) << "worker " << worker << ": ticket " << n << " was not posted\n";
                return 1;
            }
        } else if (!PaymentStore::receive(db, {customer, QDate::currentDate(), amount, QString::number(n)},
                                          QDateTime::currentDateTime())) {
            QTextStream(stderr) << "worker " << worker << ": payment " << n << " was not posted\n";
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.value(2);
    const bool known = (mode == u"login" && args.size() == 7) || (mode == u"save" && args.size() == 5)
                       || (mode == u"charges" && args.size() == 7);
    if (!known) {
        QTextStream(stderr) << "usage: accountworker CONNECTION login PREFIX ROUNDS USERNAME_PREFIX START_MSECS\n"
                               "       accountworker CONNECTION save CUSTOMER USERNAME\n"
                               "       accountworker CONNECTION charges CUSTOMER WORKER COUNT START_MSECS\n";
        return 2;
    }
    try {
        auto db = Db::open(args[1]);
        if (mode == u"login")
            return logins(*db, args);
        if (mode == u"charges")
            return charges(*db, args);
        const LoginSave result = saveCustomer(*db, args[3], args[4]);
        QTextStream(stdout) << (result == LoginSave::Written         ? "written"
                                : result == LoginSave::UserNameTaken ? "taken"
                                                                     : "none")
                            << "\n";
        return 0;
    } catch (const DbError &e) {
        QTextStream(stderr) << "accountworker: " << e.serverText() << "\n";
        return 1;
    }
}
