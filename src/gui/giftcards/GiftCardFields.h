#pragma once

#include "giftcards/GiftCardStore.h"

#include <QString>

class AmountField;
class QPushButton;
class QWidget;

// The pieces every gift card screen builds its fields and rows from.
namespace GiftCardFields {

// A money box ("$#,##0.00;($#,##0.00)"); a display-only one is written by the screen
// alone and never takes the focus.
enum class Use { Typed, DisplayOnly };
AmountField *moneyBox(const char *name, Use use, QWidget *parent);

// A screen button that Enter presses while it has the focus.
QPushButton *button(const char *name, const QString &caption, QWidget *parent);

// Whether an amount box's text is a number at all (an empty text is not). Only such a
// text has a value; "12abc" or "$5" are refused rather than read as 12 or 0.
bool isNumber(const QString &text);

// A balance as the screens show it: plain decimal text, "0" for none.
QString balanceText(double balance);

// This workstation and location, now: what every gift card row is stamped with.
GiftCardStore::Stamp stampNow();

} // namespace GiftCardFields
