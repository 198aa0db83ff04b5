#include "giftcards/SwipedCard.h"

namespace {

const QString kMisread = QStringLiteral("NA");

} // namespace

QString ParseSwipedCard(const QString &swipe)
{
    if (swipe.size() == 11)
        return swipe.mid(1, 9);
    return kMisread;
}

bool isSwipeShape(const QString &text) { return text.startsWith(u'%') && text.endsWith(u'?'); }

bool isMisreadCard(const QString &cardNumber) { return cardNumber == kMisread; }
