// Helper process for the server restart test: one workstation saving entries one after
// another through the program's own save roads while the test stops and starts its
// PostgreSQL server underneath.
//
//   restartworker "<connection text>" STOP_FILE
//
// Entry n goes down road n % 8 and carries the tag R<n> where the test can find it:
//   0 a charge ticket (TruckNumber)        4 a gift card redemption (Clerk)
//   1 a cash ticket (Customer "CASH R<n>")  5 a customer's card (CardNo)
//   2 a payment (CheckNum)                  6 a new customer (ID)
//   3 a gift card reload (Clerk)            7 a gift card balance inquiry (WorkStationID)
// After each entry it prints, flushed at once, one line:
//   stored <n>             reported saved
//   failed <n> <reason>    reported not saved
//   unknown <n> <reason>   reported that whether it was saved is not known
// and, as the connection is lost and made again, "notice <text>" with what the status
// bar would show. It stops once STOP_FILE exists.

#include "accounts/CustomerStore.h"
#include "accounts/PaymentStore.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "giftcards/GiftCardStore.h"
#include "tickets/TicketSaving.h"
#include "tickets/TicketStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

#include <cstdio>

namespace {

// Must match the test: the account and the gift card it sets up.
const QString kCustomer = QStringLiteral("1001");
const QString kGiftCard = QStringLiteral("700000001");

void say(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

void save(Db &db, int n)
{
    const QString tag = QStringLiteral("R%1").arg(n);
    const QDateTime now = QDateTime::currentDateTime();
    const TicketStamp stamp{QStringLiteral("WSR"), 1, now};
    const GiftCardStore::Stamp cardStamp{QStringLiteral("WSR"), 1, now};
    switch (n % 8) {
    case 0: {
        TicketRecord t;
        t.customerId = kCustomer;
        t.cardNo = QStringLiteral("01");
        t.details.clerk = QStringLiteral("JD");
        t.details.truckNumber = tag;
        t.amounts.merchandise[TicketLines::Oil] = QString::number(10 + n % 50);
        TicketLines::figure(t.amounts, 0.0825);
        if (!TicketSaving::save(db, t, stamp).posted)
            throw DbError(QStringLiteral("stored but not posted"));
        break;
    }
    case 1: {
        CashTicketRecord t;
        t.customer = QStringLiteral("CASH ") + tag;
        t.details.clerk = QStringLiteral("JD");
        t.amounts.merchandise[TicketLines::Oil] = QString::number(5 + n % 40);
        TicketLines::figure(t.amounts, 0.0825);
        CashTicketStore::insert(db, t, stamp);
        break;
    }
    case 2:
        if (!PaymentStore::receive(db, {kCustomer, now.date(), 1.0 + n % 30, tag}, now))
            throw DbError(QStringLiteral("the payment was not posted"));
        break;
    case 3:
        GiftCardStore::sell(db, kGiftCard, 10, tag, QString(), cardStamp);
        break;
    case 4:
        if (!GiftCardStore::redeem(db, kGiftCard, 5, tag, cardStamp))
            throw DbError(QStringLiteral("the card did not cover the redemption"));
        break;
    case 5:
        CustomerStore::saveCard(db, kCustomer, {tag, QStringLiteral("1"), false, QStringLiteral("NOTE ") + tag});
        break;
    case 6: {
        CustomerEntry entry;
        entry.accountNumber = tag;
        entry.name = QStringLiteral("FLEET ") + tag;
        entry.limit = QStringLiteral("500");
        entry.warnAt = QStringLiteral("0.8");
        CustomerStore::save(db, entry, now);
        break;
    }
    default: {
        GiftCardStore::Stamp inquiryStamp = cardStamp;
        inquiryStamp.workstationId = tag;
        GiftCardStore::inquire(db, kGiftCard, inquiryStamp);
        break;
    }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        QTextStream(stderr) << "usage: restartworker CONNECTION STOP_FILE\n";
        return 2;
    }
    Db::setConnectionNotice([](const QString &text) { say(QStringLiteral("notice ") + text); });
    std::unique_ptr<Db> db;
    try {
        db = Db::open(args[1]);
    } catch (const DbError &e) {
        QTextStream(stderr) << "restartworker: " << e.serverText() << "\n";
        return 1;
    }
    for (int n = 0; !QFileInfo::exists(args[2]); ++n) {
        try {
            save(*db, n);
            say(QStringLiteral("stored %1").arg(n));
        } catch (const DbError &e) {
            const bool unknown = e.connection() == DbError::Connection::LostInCommit;
            say(QStringLiteral("%1 %2 %3").arg(unknown ? "unknown" : "failed").arg(n).arg(e.serverText().simplified()));
        }
        QThread::msleep(2);
    }
    return 0;
}
