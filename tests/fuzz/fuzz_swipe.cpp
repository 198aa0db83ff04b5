// The gift card swipe: an 11-character swipe gives its middle nine characters, anything
// else "NA"; and the field rules a swiped or typed text goes through never fail.

#include "FuzzInput.h"

#include "app/FieldRules.h"
#include "giftcards/SwipedCard.h"

using FuzzInput::broken;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString swipe = FuzzInput::text(data, size);
    const QString card = ParseSwipedCard(swipe);
    if (swipe.size() == 11) {
        if (card != swipe.mid(1, 9))
            broken("an 11-character swipe did not give its middle nine", swipe, card);
    } else if (card != QLatin1String("NA")) {
        broken("a swipe of another length gave a card number", swipe, card);
    }

    const FieldRules::TextProblem problem = FieldRules::textProblem(swipe, 50);
    bool control = false;
    bool halfCharacter = false;
    for (qsizetype i = 0; i < swipe.size(); ++i) {
        const QChar c = swipe[i];
        control = control || c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line
                  || c.category() == QChar::Separator_Paragraph;
        if (c.isHighSurrogate() && i + 1 < swipe.size() && swipe[i + 1].isLowSurrogate())
            ++i;
        else
            halfCharacter = halfCharacter || c.isSurrogate();
    }
    if ((problem == FieldRules::TextProblem::ControlCharacter) != control)
        broken("a control character was judged wrongly", swipe);
    if (!control && (problem == FieldRules::TextProblem::BrokenCharacter) != halfCharacter)
        broken("half a character was judged wrongly", swipe);
    if (!control && !halfCharacter && (problem == FieldRules::TextProblem::TooLong) != (swipe.size() > 50))
        broken("the width was judged wrongly", swipe);
    return 0;
}
