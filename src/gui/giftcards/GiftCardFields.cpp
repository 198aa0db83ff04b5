#include "giftcards/GiftCardFields.h"

#include "app/AmountField.h"
#include "app/AppContext.h"
#include "app/FormLayout.h"
#include "app/NumberText.h"
#include "app/Numbers.h"

#include <QPushButton>

namespace GiftCardFields {

AmountField *moneyBox(const char *name, Use use, QWidget *parent)
{
    auto *box = new AmountField(AmountField::moneyFormat(), parent);
    box->setObjectName(QLatin1String(name));
    box->setFixedWidth(120);
    if (use == Use::DisplayOnly) {
        markDisplayOnly(box);
    } else {
        // Typing replaces the whole amount, whatever way the box got the focus.
        box->setSelectOnFocus(true);
    }
    return box;
}

QPushButton *button(const char *name, const QString &caption, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(true);
    b->setMinimumWidth(96);
    return b;
}

bool isNumber(const QString &text) { return Numbers::isNumber(text); }

QString balanceText(double balance) { return Numbers::plainText(balance); }

GiftCardStore::Stamp stampNow()
{
    const Configuration &config = appContext().config;
    return {config.WorkstationID, config.locationNumber(), QDateTime::currentDateTime()};
}

} // namespace GiftCardFields
