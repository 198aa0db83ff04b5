#pragma once

#include <QString>

// The card number inside a gift card swipe: the middle nine characters of an
// 11-character swipe, "NA" for anything else.
QString ParseSwipedCard(const QString &swipe);
