#pragma once

#include "giftcards/CardAmountScreen.h"

// "Gift Card Purchase": sells value on a gift card. The first sale of a card number
// activates the card; a later one reloads it, adding to whatever the card holds at the
// moment of the save. The card's note is replaced by the one typed.
class GiftCardPurchaseScreen : public CardAmountScreen
{
    Q_OBJECT
public:
    explicit GiftCardPurchaseScreen(QWidget *parent = nullptr);

protected:
    std::optional<QString> amountProblem() const override;
    double balanceAfter(double balance, double amount) const override { return balance + amount; }
    std::optional<GiftCardStore::Saved> store(const QString &cardId, double amount, const QString &clerk) override;
};
