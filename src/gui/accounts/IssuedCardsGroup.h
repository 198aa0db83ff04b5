#pragma once

#include "accounts/CustomerStore.h"

#include <QGroupBox>
#include <QList>

#include <functional>

class PickList;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The "Issued Cards" group of the customer screen: the cards filed under the screen's
// account number in the grid vsfgCards, and the entry fields that add, change and remove
// one. Cards are written at once, and only under a customer that is stored: a card
// filed under a number no customer has would charge tickets to nobody.
class IssuedCardsGroup : public QGroupBox
{
    Q_OBJECT
public:
    // accountNumber gives the screen's account number, as typed, whenever it is needed.
    explicit IssuedCardsGroup(std::function<QString()> accountNumber, QWidget *parent = nullptr);

    // The entries of the card type list (each its own ID).
    void setCardTypes(const QList<NameEntry> &types);

    // Shows the cards of the account number: no columns at all when it is empty, else
    // the heading row and one row per card.
    void LoadCards();

    // The group's controls in tab order.
    QList<QWidget *> tabOrder() const;
    // The free-text boxes, for the screen's checks before a save.
    QList<QLineEdit *> textBoxes() const;

private:
    void pickRow(int row);
    void saveCard();
    void removeCard();
    void clearEntry();

    std::function<QString()> m_accountNumber;
    // The cards the grid shows, row by row.
    QList<IssuedCard> m_cards;

    QTableWidget *vsfgCards = nullptr;
    QLineEdit *txtCardNo = nullptr;
    PickList *cmbCardType = nullptr;
    QLabel *lblCardTypeMeaning = nullptr;
    QCheckBox *chkCardInActive = nullptr;
    QLineEdit *txtCardNote = nullptr;
    QPushButton *btnSaveCard = nullptr;
    QPushButton *btnRemoveCard = nullptr;
};
