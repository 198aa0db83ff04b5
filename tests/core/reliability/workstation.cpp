// Helper process for the reliability tests: one workstation doing what its clerks do,
// through the program's own save paths (the functions the screens call), never through
// SQL of its own.
//
//   workstation "<connection text>" WORKSTATION SEED OPERATIONS START_MSECS
//
// Waits until START_MSECS (milliseconds since the epoch), so that the workstations run
// at the same time, then carries out OPERATIONS operations picked by SEED among:
// - a charge ticket on one of the shared accounts, after the account check the ticket
//   screen makes (an account on hold is refused, as the screen refuses it);
// - a payment received on one of the accounts;
// - a cash ticket;
// - a gift card sale or a redemption on one of the shared cards (a redemption the card
//   does not cover is refused, as the screen refuses it);
// - a replacement of one of the accounts' cards (the customer screen's card save).
// After every success it prints one line saying what was stored ("ticket 17", "payment
// W3-12", "cash 9", "sale 40", "redemption 41", "card 1001 n12"), flushed at once, so
// that a test that kills it knows what was reported saved. It ends with the tally:
//   done tickets=N payments=N cash=N sales=N redemptions=N cards=N
//        refusedHold=N refusedRedemption=N holdsSet=N holdsLifted=N errors=N
// Every error is printed on standard error; the exit status is 1 when there was one.

#include "accounts/CustomerStore.h"
#include "accounts/PaymentStore.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "giftcards/GiftCardStore.h"
#include "tickets/AccountCheck.h"
#include "tickets/TicketSaving.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <QRandomGenerator>
#include <QTextStream>
#include <QThread>

#include <cstdio>

namespace {

// Must match the tests: the shared accounts and gift cards the workstations work on.
const QStringList kCustomers = {QStringLiteral("1001"), QStringLiteral("1002"), QStringLiteral("1003"), QStringLiteral("1004")};
const QStringList kGiftCards = {QStringLiteral("700000001"), QStringLiteral("700000002"), QStringLiteral("700000003")};

QString cents(QRandomGenerator &random, int lowest, int highest)
{
    return QString::number(random.bounded(lowest, highest + 1) / 100.0, 'f', 2);
}

struct Tally
{
    int tickets = 0, payments = 0, cash = 0, sales = 0, redemptions = 0, cards = 0;
    int refusedHold = 0, refusedRedemption = 0, holdsSet = 0, holdsLifted = 0, errors = 0;
};

class Workstation
{
public:
    Workstation(Db &db, const QString &id, quint32 seed) : m_db(db), m_id(id), m_random(seed) {}

    void operate(int n)
    {
        const int kind = int(m_random.bounded(20));
        if (kind < 8)
            chargeTicket();
        else if (kind < 12)
            payment(n);
        else if (kind < 14)
            cashTicket();
        else if (kind < 16)
            giftCardSale();
        else if (kind < 19)
            redemption();
        else
            cardSave(n);
    }

    Tally tally;

private:
    TicketStamp stamp() const { return {m_id, 1, QDateTime::currentDateTime()}; }
    GiftCardStore::Stamp cardStamp() const { return {m_id, 1, QDateTime::currentDateTime()}; }

    void report(const QString &line)
    {
        std::fputs(qPrintable(line + u'\n'), stdout);
        std::fflush(stdout);
    }

    void chargeTicket()
    {
        const QString customer = kCustomers[int(m_random.bounded(kCustomers.size()))];
        const std::optional<CustomerCard> card = AccountCheck::lookUp(m_db, customer + QStringLiteral("01"));
        if (!card)
            throw DbError(QStringLiteral("the card of account %1 is gone").arg(customer));
        const bool accepted = AccountCheck::decide(*card).accepted();
        // Whether this account's hold changed since this workstation last looked.
        if (m_lastAccepted.contains(customer) && m_lastAccepted[customer] != accepted)
            ++(accepted ? tally.holdsLifted : tally.holdsSet);
        m_lastAccepted[customer] = accepted;
        if (!accepted) {
            ++tally.refusedHold;
            return;
        }
        TicketRecord ticket;
        ticket.customerId = customer;
        ticket.cardNo = QStringLiteral("01");
        ticket.details.clerk = m_id;
        ticket.amounts.fuel[TicketLines::Diesel] = {cents(m_random, 0, 3000), QStringLiteral("3.899"), {}};
        ticket.amounts.fuel[TicketLines::Discount].priceEach = QStringLiteral("-0.05");
        ticket.amounts.merchandise[TicketLines::Oil] = cents(m_random, 100, 2500);
        TicketLines::figure(ticket.amounts, 0.0825);
        const TicketSaving::Outcome outcome = TicketSaving::save(m_db, ticket, stamp());
        if (!outcome.posted)
            throw DbError(QStringLiteral("ticket %1 was stored but not posted").arg(outcome.id));
        ++tally.tickets;
        report(QStringLiteral("ticket %1").arg(outcome.id));
    }

    void payment(int n)
    {
        const QString customer = kCustomers[int(m_random.bounded(kCustomers.size()))];
        const QString check = QStringLiteral("%1-%2").arg(m_id).arg(n);
        const double amount = cents(m_random, 500, 9000).toDouble();
        if (!PaymentStore::receive(m_db, {customer, QDate::currentDate(), amount, check}, QDateTime::currentDateTime()))
            throw DbError(QStringLiteral("payment %1 was not posted").arg(check));
        ++tally.payments;
        report(QStringLiteral("payment ") + check);
    }

    void cashTicket()
    {
        CashTicketRecord ticket;
        ticket.customer = QStringLiteral("Walk-in %1").arg(m_random.bounded(30));
        ticket.details.clerk = m_id;
        ticket.amounts.fuel[TicketLines::Gas] = {cents(m_random, 100, 4000), QStringLiteral("3.199"), {}};
        TicketLines::figure(ticket.amounts, 0.0825);
        const int id = CashTicketStore::insert(m_db, ticket, stamp());
        ++tally.cash;
        report(QStringLiteral("cash %1").arg(id));
    }

    void giftCardSale()
    {
        const QString card = kGiftCards[int(m_random.bounded(kGiftCards.size()))];
        const GiftCardStore::Saved saved =
            GiftCardStore::sell(m_db, card, cents(m_random, 500, 4000).toDouble(), m_id, QString(), cardStamp());
        ++tally.sales;
        report(QStringLiteral("sale %1").arg(saved.transactionId));
    }

    void redemption()
    {
        const QString card = kGiftCards[int(m_random.bounded(kGiftCards.size()))];
        const std::optional<GiftCardStore::Saved> saved =
            GiftCardStore::redeem(m_db, card, cents(m_random, 500, 6000).toDouble(), m_id, cardStamp());
        if (!saved) {
            ++tally.refusedRedemption;
            return;
        }
        ++tally.redemptions;
        report(QStringLiteral("redemption %1").arg(saved->transactionId));
    }

    // The customer screen's card save: the card is replaced by its new version. The
    // note carries the number of the save, so a test can tell the versions apart.
    void cardSave(int n)
    {
        const QString customer = kCustomers[int(m_random.bounded(kCustomers.size()))];
        IssuedCard card;
        card.cardNo = QStringLiteral("01");
        card.cardType = QStringLiteral("1");
        card.note = QStringLiteral("%1 n%2").arg(m_id).arg(n);
        CustomerStore::saveCard(m_db, customer, card);
        ++tally.cards;
        report(QStringLiteral("card %1 %2").arg(customer, card.note));
    }

    Db &m_db;
    QString m_id;
    QRandomGenerator m_random;
    QHash<QString, bool> m_lastAccepted;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6) {
        QTextStream(stderr) << "usage: workstation CONNECTION WORKSTATION SEED OPERATIONS START_MSECS\n";
        return 2;
    }
    std::unique_ptr<Db> db;
    try {
        db = Db::open(args[1]);
    } catch (const DbError &e) {
        QTextStream(stderr) << "workstation " << args[2] << ": " << e.serverText() << "\n";
        return 1;
    }
    Workstation station(*db, args[2], args[3].toUInt());
    const int operations = args[4].toInt();
    const qint64 wait = args[5].toLongLong() - QDateTime::currentMSecsSinceEpoch();
    if (wait > 0)
        QThread::msleep(wait);
    for (int n = 0; n < operations; ++n) {
        try {
            station.operate(n);
        } catch (const DbError &e) {
            ++station.tally.errors;
            QTextStream(stderr) << "workstation " << args[2] << ", operation " << n << ": " << e.serverText() << "\n";
        }
    }
    const Tally &t = station.tally;
    QTextStream(stdout) << "done tickets=" << t.tickets << " payments=" << t.payments << " cash=" << t.cash
                        << " sales=" << t.sales << " redemptions=" << t.redemptions << " cards=" << t.cards
                        << " refusedHold=" << t.refusedHold << " refusedRedemption=" << t.refusedRedemption
                        << " holdsSet=" << t.holdsSet << " holdsLifted=" << t.holdsLifted << " errors=" << t.errors << "\n";
    return t.errors == 0 ? 0 : 1;
}
