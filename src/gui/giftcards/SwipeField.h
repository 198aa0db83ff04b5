#pragma once

#include <QLineEdit>

class QWidget;

// The card reader's box of the gift card screens, `txtAcctNo` ("Acct No."). The reader
// types the swipe into it as text starting with "%" and ending with "?", then Enter;
// every character shows as "*". Enter on a text of that shape reads the card number
// from it into the hidden `txtCardNumber` box; Enter on any other text does nothing.
//
// A swipe the number cannot be read from (any length but 11) is refused with a message
// asking for the card to be swiped again, and the box is emptied, so the screen goes
// back to waiting for a swipe: a misread never stands for a card. A swipe longer than
// the box holds is one too: the box stops taking its characters (and so its closing
// "?"), and its Enter is answered with the same message instead of nothing.
class SwipeField : public QLineEdit
{
    Q_OBJECT
public:
    // The hidden card number box is made a child of cardNumberParent, the screen's group
    // that holds it.
    SwipeField(QWidget *parent, QWidget *cardNumberParent);

    // The card number of the last swipe; empty before the first and after a reset.
    QString cardNumber() const;
    void clearCardNumber();

signals:
    // A swipe was read; cardNumber() holds its number.
    void swiped(const QString &cardNumber);
    // The box's text became empty, by the clerk or the program.
    void emptied();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void enterPressed();

    QLineEdit *m_cardNumber = nullptr;
    // Characters of the swipe under way were refused because the box was full.
    bool m_cut = false;
};
