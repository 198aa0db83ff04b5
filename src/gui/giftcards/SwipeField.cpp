#include "giftcards/SwipeField.h"

#include "app/FieldChecks.h"
#include "app/FieldRules.h"
#include "app/MessageBox.h"
#include "giftcards/SwipedCard.h"

#include <QKeyEvent>
#include <QProxyStyle>

namespace {

// The box's own style: the platform's, but hiding each character behind "*" (the
// platform would show a dot), as the card reader's box always has.
class StarStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget, QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        if (hint == SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

SwipeField::SwipeField(QWidget *parent, QWidget *cardNumberParent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("txtAcctNo"));
    auto *style = new StarStyle;
    style->setParent(this);
    setStyle(style);
    setEchoMode(QLineEdit::Password);
    TextRule::apply(this, FieldRules::Width::CardNumber, QStringLiteral("Acct No."));

    m_cardNumber = new QLineEdit(cardNumberParent);
    m_cardNumber->setObjectName(QStringLiteral("txtCardNumber"));
    m_cardNumber->setVisible(false);
    m_cardNumber->setFocusPolicy(Qt::NoFocus);

    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (!text.isEmpty())
            return;
        m_cut = false;
        emit emptied();
    });
}

QString SwipeField::cardNumber() const { return m_cardNumber->text(); }

void SwipeField::clearCardNumber() { m_cardNumber->clear(); }

void SwipeField::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        const qsizetype before = text().size();
        QLineEdit::keyPressEvent(event);
        if (before >= FieldRules::Width::CardNumber && text().size() == before && !event->text().isEmpty()
            && event->text().front().isPrint())
            m_cut = true;
        return;
    }
    // Enter is the end of a swipe, never a press of a screen's button.
    event->accept();
    if (isSwipeShape(text()) || m_cut)
        enterPressed();
}

void SwipeField::enterPressed()
{
    m_cut = false;
    const QString number = ParseSwipedCard(text());
    if (isMisreadCard(number)) {
        // Every misread would otherwise share one card number, and so one balance.
        m_cardNumber->clear();
        MessageBox::ok(window(), QStringLiteral("The card could not be read. Please swipe the card again."),
                       QStringLiteral("Card Not Read"));
        clear();
        setFocus(Qt::OtherFocusReason);
        return;
    }
    m_cardNumber->setText(number);
    emit swiped(number);
}
