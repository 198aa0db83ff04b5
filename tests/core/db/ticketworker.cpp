// Helper process for the backup test: one counter workstation saving charge tickets
// through the program's own save, each with its posting in one transaction, as fast as it
// can.
//
//   ticketworker "<connection text>" COUNT
//
// Prints "saved N" after each ticket and exits 1 when a save failed.

#include "db/Db.h"
#include "db/DbError.h"
#include "tickets/TicketSaving.h"

#include <QCoreApplication>
#include <QTextStream>

#include <iterator>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        QTextStream(stderr) << "usage: ticketworker CONNECTION COUNT\n";
        return 2;
    }
    const char *const customers[] = {"1001", "1002", "1004", "1006", "1008", "1010"};
    QTextStream out(stdout);
    try {
        auto db = Db::open(args[1]);
        const int count = args[2].toInt();
        for (int n = 0; n < count; ++n) {
            TicketRecord ticket;
            ticket.customerId = QLatin1String(customers[n % std::size(customers)]);
            ticket.cardNo = QStringLiteral("01");
            ticket.details.clerk = QStringLiteral("WORKER");
            ticket.amounts.fuel[TicketLines::Diesel].gallons = QString::number(20 + n % 97);
            ticket.amounts.fuel[TicketLines::Diesel].priceEach = QStringLiteral("3.899");
            ticket.amounts.merchandise[TicketLines::Grocery] = QStringLiteral("%1.37").arg(n % 9);
            // The demo's cards come in every type: groceries only where the card may buy them.
            if (TicketSaving::merchandiseRefusal(*db, ticket))
                ticket.amounts.merchandise[TicketLines::Grocery] = QVariant();
            TicketLines::figure(ticket.amounts, 0.0825);
            if (!TicketSaving::save(*db, ticket, {QStringLiteral("WORKER"), 1, QDateTime::currentDateTime()}).posted) {
                QTextStream(stderr) << "ticketworker: a posting failed\n";
                return 1;
            }
            out << "saved " << n + 1 << Qt::endl;
        }
        return 0;
    } catch (const DbError &e) {
        QTextStream(stderr) << "ticketworker: " << e.serverText() << "\n";
        return 1;
    }
}
