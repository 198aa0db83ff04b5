#include "giftcards/GiftCardPurchaseScreen.h"

#include "app/AmountField.h"
#include "db/Db.h"
#include "giftcards/GiftCardFields.h"

GiftCardPurchaseScreen::GiftCardPurchaseScreen(QWidget *parent)
    : CardAmountScreen({"frmGiftCardPurchase", QStringLiteral("Gift Card Purchase"), QStringLiteral("Purchase Info"),
                        QStringLiteral("Purchase Amount"), true},
                       parent)
{
}

void GiftCardPurchaseScreen::amountChanged()
{
    // What was typed stays, so the clerk can mend it; the new balance keeps its last
    // value meanwhile.
    if (GiftCardFields::isNumber(amountBox()->plainText()) && amountBox()->value() >= 0)
        ShowNewBalance();
    else
        refuseAmount(QStringLiteral("Must be a positive numeric amount."));
}

std::optional<GiftCardStore::Saved> GiftCardPurchaseScreen::store(const QString &cardId, double amount, const QString &clerk)
{
    return GiftCardStore::sell(Db::current(), cardId, amount, clerk, notes(), GiftCardFields::stampNow());
}
