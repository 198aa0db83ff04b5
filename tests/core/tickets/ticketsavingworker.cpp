// Helper process for the ticket saving test: one workstation writing charge tickets
// through the program's own save, until it is killed.
//
//   ticketsavingworker "<connection text>" SEED CUSTOMER...
//
// Each round either writes a new ticket for one of the customers or rewrites a stored
// ticket with other amounts, often under another customer. Before each save it prints
// "saving", after it "saved ID"; the test kills it at random moments and reads from the
// last line whether the kill landed inside a save. It ends by itself after 30 seconds,
// should the test no longer be there to kill it.

#include "db/Db.h"
#include "db/DbError.h"
#include "tickets/TicketSaving.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>

#include <cstdio>

namespace {

QString cents(QRandomGenerator &random, int lowest, int highest)
{
    return QString::number(random.bounded(lowest, highest + 1) / 100.0, 'f', 2);
}

void writeAmounts(TicketRecord &ticket, QRandomGenerator &random)
{
    using namespace TicketLines;
    ticket.amounts = {};
    ticket.amounts.fuel[Gas] = {cents(random, 0, 5000), QStringLiteral("3.459"), {}};
    ticket.amounts.fuel[Diesel] = {cents(random, 0, 20000), QStringLiteral("3.9"), {}};
    ticket.amounts.fuel[Discount].priceEach = QStringLiteral("-0.05");
    ticket.amounts.merchandise[Oil] = cents(random, 1, 4000);
    figure(ticket.amounts, 0.0825);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        QTextStream(stderr) << "usage: ticketsavingworker CONNECTION SEED CUSTOMER...\n";
        return 2;
    }
    const QStringList customers = args.mid(3);
    QRandomGenerator random(args[2].toUInt());
    const TicketStamp stamp{QStringLiteral("W") + args[2], 1, {}};
    QElapsedTimer running;
    running.start();
    try {
        auto db = Db::open(args[1]);
        while (running.elapsed() < 30000) {
            TicketRecord ticket;
            std::optional<TicketRecord> newest = TicketStore::newest(*db, 1);
            if (newest && random.bounded(3) == 0) {
                if (auto stored = TicketStore::load(*db, random.bounded(1, newest->id + 1)))
                    ticket = *stored;
            }
            if (ticket.id == 0 || random.bounded(2) == 0)
                ticket.customerId = customers[random.bounded(int(customers.size()))];
            ticket.cardNo = QStringLiteral("01");
            ticket.details.clerk = QStringLiteral("K9");
            writeAmounts(ticket, random);
            TicketStamp now = stamp;
            now.entered = QDateTime::currentDateTime();
            std::fputs("saving\n", stdout);
            std::fflush(stdout);
            const TicketSaving::Outcome outcome = TicketSaving::save(*db, ticket, now);
            if (!outcome.posted) {
                QTextStream(stderr) << "ticket " << outcome.id << ": posting failed\n";
                return 1;
            }
            std::fprintf(stdout, "saved %d\n", outcome.id);
            std::fflush(stdout);
        }
        return 0;
    } catch (const DbError &e) {
        QTextStream(stderr) << "ticketsavingworker: " << e.serverText() << "\n";
        return 1;
    }
}
