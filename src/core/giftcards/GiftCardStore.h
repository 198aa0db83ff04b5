#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

class Db;

// The gift cards and their transactions. A card's balance only ever changes on the
// server, in the one statement that also decides whether the change may be made, so two
// workstations working on one card at the same moment never lose or overspend each
// other's amounts. Every change of a card is written in one transaction with its
// GiftCardTransactions row: there is never the one without the other.
namespace GiftCardStore {

// The TransactionType texts; the reports select on them.
QString purchaseType();
QString redemptionType();
QString inquiryType();
QString editType();

// Where a transaction comes from: this workstation, its location, this moment.
struct Stamp
{
    QString workstationId;
    int location = 0;
    QDateTime when;
};

// A card as the screens show it. A balance that was never set reads 0.
struct Card
{
    QString id;
    double balance = 0;
    QString notes;
};

// What a change left stored: the new transaction row and the card's balance as the
// change left it (not as the screen computed it: another workstation may have changed
// the card in between).
struct Saved
{
    int transactionId = 0;
    double balance = 0;
};

// The card's row; nothing when the card was never sold.
std::optional<Card> card(Db &db, const QString &id);

// A sale. The first sale of a card number activates the card with the amount as its
// balance; a later sale adds the amount to the stored balance. Either way the card's
// note becomes `notes` and one "Gift Card Purchase" row records the sale.
Saved sell(Db &db, const QString &cardId, double amount, const QString &clerk, const QString &notes, const Stamp &stamp);

// A redemption: takes the amount off the card only where the stored balance covers it,
// and records it as one "Gift Card Redemption" row. Nothing (and nothing written) when
// the card does not hold the amount or was never sold.
std::optional<Saved> redeem(Db &db, const QString &cardId, double amount, const QString &clerk, const Stamp &stamp);

// A balance inquiry: the card's balance (0 for a card never sold), with one "Gift Card
// Inquiry" row of amount 0 written for every inquiry, sold card or not.
double inquire(Db &db, const QString &cardId, const Stamp &stamp);

// A correction: sets the card's balance and note outright and records it as one "Gift
// Card Edit" row whose amount is the new balance. Nothing (and nothing written) when
// the card was never sold.
std::optional<Saved> edit(Db &db, const QString &cardId, double balance, const QString &notes, const Stamp &stamp);

} // namespace GiftCardStore
