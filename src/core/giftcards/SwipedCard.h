#pragma once

#include <QString>

// The card number inside a gift card swipe: the middle nine characters of an
// 11-character swipe, "NA" for anything else.
QString ParseSwipedCard(const QString &swipe);

// Whether a text has the shape a card reader gives a swipe: "%" first, "?" last.
bool isSwipeShape(const QString &text);

// Whether the card number read from a swipe is the mark of a swipe that could not be
// read, rather than a card.
bool isMisreadCard(const QString &cardNumber);
