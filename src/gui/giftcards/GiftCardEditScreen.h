#pragma once

#include <QWidget>

class AmountField;
class QLineEdit;
class QPushButton;

// "Gift Card Edit": the clerk types a card number (not swiped), the card's balance and
// note show, and "Save" sets them outright, recorded as a "Gift Card Edit" row that
// carries the new balance. A card cannot be emptied here: the balance must stay above 0.
class GiftCardEditScreen : public QWidget
{
    Q_OBJECT
public:
    explicit GiftCardEditScreen(QWidget *parent = nullptr);

private:
    void ClearGiftCardFields();
    void LoadGiftCard();
    void cardNotFound();
    void save();

    QLineEdit *txtAcctNo = nullptr;
    AmountField *txtBalance = nullptr;
    QLineEdit *txtNotes = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnExit = nullptr;
};
