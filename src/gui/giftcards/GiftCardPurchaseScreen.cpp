#include "giftcards/GiftCardPurchaseScreen.h"

#include "app/AmountField.h"
#include "db/Db.h"
#include "giftcards/GiftCardFields.h"

GiftCardPurchaseScreen::GiftCardPurchaseScreen(QWidget *parent)
    : CardAmountScreen({"frmGiftCardPurchase", QStringLiteral("Gift Card Purchase"), QStringLiteral("Purchase Info"),
                        QStringLiteral("Purchase Amount"), true},
                       parent)
{}

// What was typed stays when it is refused, so the clerk can mend it.
std::optional<QString> GiftCardPurchaseScreen::amountProblem() const
{
    if (GiftCardFields::isNumber(amountBox()->plainText()) && amountBox()->value() >= 0)
        return std::nullopt;
    return QStringLiteral("Must be a positive numeric amount.");
}

std::optional<GiftCardStore::Saved> GiftCardPurchaseScreen::store(const QString &cardId, double amount, const QString &clerk)
{
    return GiftCardStore::sell(Db::current(), cardId, amount, clerk, notes(), GiftCardFields::stampNow());
}
