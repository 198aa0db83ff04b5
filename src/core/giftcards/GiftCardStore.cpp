#include "giftcards/GiftCardStore.h"

#include "app/FieldRules.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "db/SaveRetry.h"

#include <QSqlRecord>

namespace {

// Inquiries and edits are made by no clerk in particular.
const QString kNoClerk = QStringLiteral("NA");

// The last guard before a card's balance changes: the screens refuse such amounts with
// a message long before, and nothing else may write one either.
void checkAmount(double amount, const char *what)
{
    if (!(amount > 0) || !FieldRules::isStorableAmount(amount))
        throw DbError(QStringLiteral("A gift card %1 must be more than 0 and at most 999,999,999.99; %2 was refused.")
                          .arg(QLatin1String(what), QString::number(amount)));
}

int addTransaction(Db &db, const QString &cardId, const QString &type, double amount, const QString &clerk,
                   const GiftCardStore::Stamp &stamp)
{
    return db
        .insert(QStringLiteral("GiftCardTransactions"),
                {{QStringLiteral("CardID"), cardId},
                 {QStringLiteral("TransactionDate"), db.dialect().dateTimeValue(stamp.when)},
                 {QStringLiteral("TransactionType"), type},
                 {QStringLiteral("Amount"), amount},
                 {QStringLiteral("Clerk"), clerk},
                 {QStringLiteral("WorkStationID"), stamp.workstationId},
                 {QStringLiteral("Location"), stamp.location}})
        .toInt();
}

// The card's balance as it is stored now; inside the change's transaction, that is
// the balance this change left.
double storedBalance(Db &db, const QString &cardId)
{
    const auto row = db.firstRow(QStringLiteral("SELECT CardBalance FROM GiftCards WHERE ID = ?"), {cardId});
    if (!row)
        throw DbError(QStringLiteral("Gift card %1 is no longer stored.").arg(cardId));
    return row->value(0).toDouble();
}

// Records the change made to the card in the caller's transaction and commits both.
// `balance` is what the change left on the card, as its own statement returned it.
GiftCardStore::Saved finish(Db &db, Transaction &transaction, const QString &cardId, const QString &type, double amount,
                            const QString &clerk, const GiftCardStore::Stamp &stamp, double balance)
{
    GiftCardStore::Saved saved;
    saved.transactionId = addTransaction(db, cardId, type, amount, clerk, stamp);
    saved.balance = balance;
    transaction.commit();
    return saved;
}

// A change whose commit went unanswered is looked for by its transaction row's key
// before it is made again: a sale or a redemption made twice would move the balance
// twice.
bool recorded(Db &db, const GiftCardStore::Saved &saved)
{
    return SaveRetry::rowStored(db, QStringLiteral("GiftCardTransactions"), saved.transactionId);
}

bool recordedIfMade(Db &db, const std::optional<GiftCardStore::Saved> &saved) { return saved && recorded(db, *saved); }

} // namespace

namespace GiftCardStore {

QString purchaseType() { return QStringLiteral("Gift Card Purchase"); }
QString redemptionType() { return QStringLiteral("Gift Card Redemption"); }
QString inquiryType() { return QStringLiteral("Gift Card Inquiry"); }
QString editType() { return QStringLiteral("Gift Card Edit"); }

std::optional<Card> card(Db &db, const QString &id)
{
    const auto row = db.firstRow(QStringLiteral("SELECT ID, CardBalance, Notes FROM GiftCards WHERE ID = ?"), {id});
    if (!row)
        return std::nullopt;
    return Card{row->value(0).toString(), row->value(1).toDouble(), row->value(2).toString()};
}

Saved sell(Db &db, const QString &cardId, double amount, const QString &clerk, const QString &notes, const Stamp &stamp)
{
    checkAmount(amount, "sale");
    const SqlDialect &sql = db.dialect();
    const std::function<Saved()> attempt = [&] {
        Transaction transaction(db);
        // The first sale creates the card; a later one adds on the server, since the balance
        // read when the card was swiped may be out of date by now (a card whose balance was
        // never set starts from 0). One statement decides which: when another workstation's
        // first sale of the same card gets there first, this one waits for it and then adds
        // to the card it made. It returns the balance it left.
        const QString added = sql.money(sql.ifNull(QStringLiteral("GiftCards.CardBalance"), QStringLiteral("0"))
                                        + QStringLiteral(" + excluded.CardBalance"));
        const QList<QSqlRecord> rows = db.rows(
            QStringLiteral("INSERT INTO GiftCards (ID, DateActivated, ActivatedBy, ActivationAmount, CardBalance, Active, Notes, "
                           "WorkStationID, Location) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (ID) DO UPDATE SET "
                           "CardBalance = %1, Notes = excluded.Notes RETURNING CardBalance")
                .arg(added),
            {cardId, sql.dateTimeValue(stamp.when), clerk, amount, amount, sql.flag(true), notes, stamp.workstationId,
             stamp.location});
        if (rows.size() != 1)
            throw DbError(QStringLiteral("Gift card %1 could be neither activated nor reloaded.").arg(cardId));
        return finish(db, transaction, cardId, purchaseType(), amount, clerk, stamp, rows.first().value(0).toDouble());
    };
    return SaveRetry::run<Saved>(db, attempt, [&](const Saved &saved) { return recorded(db, saved); });
}

std::optional<Saved> redeem(Db &db, const QString &cardId, double amount, const QString &clerk, const Stamp &stamp)
{
    checkAmount(amount, "redemption");
    const std::function<std::optional<Saved>()> attempt = [&]() -> std::optional<Saved> {
        Transaction transaction(db);
        // One statement both checks that the card holds the amount and takes it off, so two
        // redemptions at once can never spend more than the card holds.
        const QString taken = db.dialect().money(QStringLiteral("CardBalance - ?"));
        const QList<QSqlRecord> rows = db.rows(
            QStringLiteral("UPDATE GiftCards SET CardBalance = %1 WHERE ID = ? AND CardBalance >= ? RETURNING CardBalance")
                .arg(taken),
            {amount, cardId, amount});
        if (rows.isEmpty())
            return std::nullopt;
        return finish(db, transaction, cardId, redemptionType(), amount, clerk, stamp, rows.first().value(0).toDouble());
    };
    return SaveRetry::run<std::optional<Saved>>(db, attempt,
                                                [&](const std::optional<Saved> &saved) { return recordedIfMade(db, saved); });
}

double inquire(Db &db, const QString &cardId, const Stamp &stamp)
{
    // The balance read and the inquiry's row written, with the row's key.
    using Answer = std::pair<double, int>;
    const std::function<Answer()> attempt = [&] {
        const std::optional<Card> found = card(db, cardId);
        const int id = addTransaction(db, cardId, inquiryType(), 0, kNoClerk, stamp);
        return Answer{found ? found->balance : 0, id};
    };
    return SaveRetry::run<Answer>(db, attempt,
                                  [&](const Answer &answer) {
                                      return SaveRetry::rowStored(db, QStringLiteral("GiftCardTransactions"), answer.second);
                                  })
        .first;
}

std::optional<Saved> edit(Db &db, const QString &cardId, double balance, const QString &notes, const Stamp &stamp)
{
    checkAmount(balance, "balance");
    const std::function<std::optional<Saved>()> attempt = [&]() -> std::optional<Saved> {
        Transaction transaction(db);
        if (db.update(QStringLiteral("GiftCards"), {{QStringLiteral("CardBalance"), balance}, {QStringLiteral("Notes"), notes}},
                      cardId)
            == 0)
            return std::nullopt;
        // The edit's row carries the balance the card now holds, not the difference.
        return finish(db, transaction, cardId, editType(), balance, kNoClerk, stamp, storedBalance(db, cardId));
    };
    return SaveRetry::run<std::optional<Saved>>(db, attempt,
                                                [&](const std::optional<Saved> &saved) { return recordedIfMade(db, saved); });
}

} // namespace GiftCardStore
