#include "giftcards/GiftCardRedemptionScreen.h"

#include "app/AmountField.h"
#include "db/Db.h"
#include "giftcards/GiftCardFields.h"

namespace {

const QString kMoreThanTheCard = QStringLiteral("You cannot enter an amount greater than the balance available on the card.");

} // namespace

GiftCardRedemptionScreen::GiftCardRedemptionScreen(QWidget *parent)
    : CardAmountScreen({"frmGiftCardRedemption", QStringLiteral("Gift Card Redemption"), QStringLiteral("Redemption Info"),
                        QStringLiteral("Redemption Amount"), false, QStringLiteral("redemption"), true},
                       parent)
{}

std::optional<QString> GiftCardRedemptionScreen::amountProblem() const
{
    const double amount = amountBox()->value();
    if (!GiftCardFields::isNumber(amountBox()->plainText()) || amount < 0)
        return QStringLiteral("Must be a positive numeric amount.");
    if (balance() < amount)
        return kMoreThanTheCard;
    return std::nullopt;
}

void GiftCardRedemptionScreen::amountRefused(const QString &message)
{
    refuseAndReset(message);
    amountBox()->setFocus(Qt::OtherFocusReason);
}

void GiftCardRedemptionScreen::refuseAndReset(const QString &message)
{
    refuseAmount(message);
    // Setting 0 runs the rule again, which shows the whole balance as the new one.
    amountBox()->setPlainText(QStringLiteral("0"));
    amountBox()->selectAll();
}

std::optional<GiftCardStore::Saved> GiftCardRedemptionScreen::store(const QString &cardId, double amount, const QString &clerk)
{
    return GiftCardStore::redeem(Db::current(), cardId, amount, clerk, GiftCardFields::stampNow());
}

void GiftCardRedemptionScreen::storeRefused()
{
    // The card holds less than was shown: show what it holds now, and let the clerk
    // take an amount it covers.
    ShowCardBalance();
    refuseAndReset(kMoreThanTheCard);
    amountBox()->setFocus(Qt::OtherFocusReason);
}
