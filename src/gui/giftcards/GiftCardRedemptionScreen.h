#pragma once

#include "giftcards/CardAmountScreen.h"

// "Gift Card Redemption": spends value from a gift card. The amount may never exceed
// the card's balance: not when the clerk leaves it, against the balance shown, and not at the
// save, against the balance stored then (another workstation may have spent from the
// card meanwhile). The receipt is the same as a purchase's.
class GiftCardRedemptionScreen : public CardAmountScreen
{
    Q_OBJECT
public:
    explicit GiftCardRedemptionScreen(QWidget *parent = nullptr);

protected:
    std::optional<QString> amountProblem() const override;
    void amountRefused(const QString &message) override;
    double balanceAfter(double balance, double amount) const override { return balance - amount; }
    std::optional<GiftCardStore::Saved> store(const QString &cardId, double amount, const QString &clerk) override;
    void storeRefused() override;

private:
    // The message, then the amount back to 0 and selected, ready to be typed over.
    void refuseAndReset(const QString &message);
};
