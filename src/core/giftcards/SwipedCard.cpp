#include "giftcards/SwipedCard.h"

QString ParseSwipedCard(const QString &swipe)
{
    if (swipe.size() == 11)
        return swipe.mid(1, 9);
    return QStringLiteral("NA");
}
