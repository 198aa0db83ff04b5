#pragma once

#include "accounts/CustomerStore.h"
#include "tickets/TicketStore.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class AccountStatusPanel;
class PurchaseLinesPanel;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class CustomerLookupFromTicket;
class TicketInfoGroup;
struct CustomerCard;

// The charge ticket screen: the clerk enters an account number, the customer and card
// are checked, the ticket is written, stored, posted to the customer's balance and
// printed, and the screen is ready for the next one. "<<" and ">>" page through the
// tickets stored at this location; saving a shown ticket rewrites and reprints it, and
// posts whatever the rewrite changed.
//
// A ticket is only ever charged to an account that passed the check: the screen keeps
// the account it accepted, and when the account field holds anything else at
// Print/Save, that text is checked first.
class TicketEntryScreen : public QWidget
{
    Q_OBJECT
public:
    explicit TicketEntryScreen(QWidget *parent = nullptr);
    ~TicketEntryScreen() override;

    // Checks the account number in the account field, as Enter there does after
    // unwrapping it. The lookup dialog calls it after filling the field.
    void getCustomer();
    void setAccountNumber(const QString &accountNumber);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildForm();
    void setTabOrder();

    void clearTicket();
    void checkAccount();
    // The account check with every message it gives: the card when a ticket may be
    // written on it. `found` runs once the card is found, before the refusals are told.
    std::optional<CustomerCard> checkedCard(const QString &accountNumber, const std::function<void(const CustomerCard &)> &found);
    void accept(const QString &accountNumber, const CustomerCard &card);
    void refuseAccount();
    void applyCardType(const QString &cardType);
    void accountEntered();

    void save();
    // The account Print/Save charges the ticket to; nothing when the account field holds
    // an account that is refused (the clerk has been told why).
    std::optional<QString> accountToSave();
    bool merchandiseAllowed(const QString &accountNumber);
    void showTicket(const std::optional<TicketRecord> &ticket);
    bool mayLeaveTicket();
    void showPrevious();
    void showNext();
    void openLookup();
    void exitScreen();

    TicketRecord ticketOnScreen(const QString &accountNumber) const;

    QGroupBox *m_acctInfo = nullptr;
    TicketInfoGroup *m_ticketInfo = nullptr;
    PurchaseLinesPanel *m_lines = nullptr;
    AccountStatusPanel *m_status = nullptr;

    QLineEdit *txtAcctNo = nullptr;
    QToolButton *btnLookup = nullptr;
    QLineEdit *txtClerk = nullptr;
    QLineEdit *txtCustomer = nullptr;

    QPushButton *btnBack = nullptr;
    QPushButton *btnNext = nullptr;
    QLineEdit *txtID = nullptr;
    QLineEdit *txtDateEntered = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnExit = nullptr;

    QPointer<CustomerLookupFromTicket> m_lookup;

    // The account that passed the check, and its card as the check read it, until the
    // ticket is cleared.
    std::optional<QString> m_accepted;
    std::optional<CustomerCard> m_acceptedCard;
    // The stored ticket on show, as it was read.
    std::optional<TicketRecord> m_shown;
};
