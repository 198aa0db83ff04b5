#include "tickets/TicketEntryScreen.h"

#include "accounts/BalancePosting.h"
#include "app/AmountField.h"
#include "app/AppContext.h"
#include "app/BusyCursor.h"
#include "app/FieldChecks.h"
#include "app/FieldRules.h"
#include "app/MessageBox.h"
#include "app/PrintRetry.h"
#include "app/ScreenGuard.h"
#include "db/Db.h"
#include "reports/Reports.h"
#include "tickets/AccountCheck.h"
#include "tickets/CustomerLookupFromTicket.h"
#include "tickets/PurchaseLinesPanel.h"
#include "tickets/TicketInfoGroup.h"
#include "tickets/TicketScreenKit.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace TicketLines;

namespace {

const QString kWrongLength = QStringLiteral("Invalid Customer/Card Number. Acct/Card length too short. Please Retry.");
const QString kNotFound = QStringLiteral("Invalid Customer/Card Number. Acct/Card Not Found in DB. Please Retry.");
const QString kInvalidAccount = QStringLiteral("Invalid Account");

} // namespace

TicketEntryScreen::TicketEntryScreen(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmTicketEntry"));
    setWindowTitle(QStringLiteral("Ticket Entry"));
    buildForm();
    setTabOrder();

    // Enter is handled here for every box: it unwraps and checks the account number,
    // finishes a running sum and walks the clerk through the ticket.
    for (QLineEdit *box : findChildren<QLineEdit *>())
        box->installEventFilter(this);

    connect(txtAcctNo, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (text.isEmpty())
            ScreenGuard::run(this, [this] { clearTicket(); });
    });
    connect(btnLookup, &QToolButton::clicked, this, [this] { ScreenGuard::run(this, [this] { openLookup(); }); });
    connect(btnSave, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { save(); }); });
    connect(btnBack, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { showPrevious(); }); });
    connect(btnNext, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { showNext(); }); });
    connect(btnExit, &QPushButton::clicked, this, &TicketEntryScreen::exitScreen);

    using namespace FieldRules;
    TextRule::apply(txtAcctNo, Width::CardNumber, QStringLiteral("Acct No."));
    TextRule::apply(txtClerk, Width::Clerk, QStringLiteral("Clerk ID"));
    btnLookup->setEnabled(appContext().config.isAdminWorkstation());
    clearTicket();
    txtAcctNo->setFocus();
}

TicketEntryScreen::~TicketEntryScreen()
{
    if (m_lookup)
        delete m_lookup.data();
}

void TicketEntryScreen::clearTicket()
{
    for (QLineEdit *box : {txtID, txtClerk, txtCustomer})
        box->setText(QString());
    m_ticketInfo->clear();
    m_lines->clear(appContext().company);
    m_ticketInfo->setEnabled(false);
    m_lines->setEnabled(false);
}

void TicketEntryScreen::setAccountNumber(const QString &accountNumber) { txtAcctNo->setText(accountNumber); }

void TicketEntryScreen::getCustomer()
{
    ScreenGuard::run(this, [this] { checkAccount(); });
}

void TicketEntryScreen::checkAccount()
{
    using namespace AccountCheck;
    clearTicket();
    const QString accountNumber = txtAcctNo->text();
    if (!hasAccountLength(accountNumber)) {
        MessageBox::ok(this, kWrongLength, kInvalidAccount);
        refuseAccount();
        return;
    }
    const std::optional<CustomerCard> row = lookUp(Db::current(), accountNumber);
    if (!row) {
        MessageBox::ok(this, kNotFound, kInvalidAccount);
        refuseAccount();
        return;
    }
    txtCustomer->setText(row->name);
    const Decision decision = decide(*row);
    for (Refusal refusal : decision.refusals) {
        switch (refusal) {
        case Refusal::InactiveCustomer:
            MessageBox::ok(this, QStringLiteral("This Customer is Inactive. Cannot create ticket for Inactive Customers."),
                           QStringLiteral("Inactive Customer"));
            break;
        case Refusal::InactiveCard:
            MessageBox::ok(this, QStringLiteral("This Card is Inactive. Cannot create ticket for Inactive Cards."),
                           QStringLiteral("Inactive Card"));
            break;
        case Refusal::OnHold:
            MessageBox::ok(this,
                           QStringLiteral("This Account has exceed the credit limit. Cannot create ticket for this Account."),
                           QStringLiteral("Exceeded Credit Limit"));
            break;
        }
    }
    if (!decision.accepted()) {
        refuseAccount();
        return;
    }
    if (decision.warn)
        MessageBox::ok(this, QStringLiteral("This Account approaching the credit limit. Please make payment on account."),
                       QStringLiteral("Approaching Credit Limit"));
    txtClerk->setFocus();
    applyCardType(row->cardType);
    m_ticketInfo->setEnabled(true);
    m_lines->setEnabled(true);
}

void TicketEntryScreen::refuseAccount()
{
    txtAcctNo->setText(QString());
    txtCustomer->setText(QString());
    txtAcctNo->setFocus();
}

void TicketEntryScreen::applyCardType(const QString &cardType)
{
    // Fuel is never restricted; the card type decides the merchandise. An unknown type
    // leaves whatever the previous card allowed.
    bool general = false;
    bool store = false;
    if (cardType == QLatin1String("1")) {
        general = store = true;
    } else if (cardType == QLatin1String("2")) {
        general = true;
    } else if (cardType != QLatin1String("3")) {
        return;
    }
    for (int m : {Oil, Addatives, Antifreeze, Washer})
        m_lines->setMerchandiseUsable(m, general);
    for (int m : {Grocery, Deli, Tobacco})
        m_lines->setMerchandiseUsable(m, store);
}

void TicketEntryScreen::accountEntered()
{
    const std::optional<QString> accountNumber = AccountCheck::accountFromEnter(txtAcctNo->text());
    if (!accountNumber)
        return;
    if (*accountNumber != txtAcctNo->text())
        txtAcctNo->setText(*accountNumber);
    checkAccount();
}

bool TicketEntryScreen::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return QWidget::eventFilter(watched, event);
    auto *field = qobject_cast<QWidget *>(watched);
    if (field == txtAcctNo) {
        ScreenGuard::run(this, [this] { accountEntered(); });
        return true;
    }
    QList<QWidget *> before = {txtClerk};
    for (QLineEdit *box : m_ticketInfo->boxes())
        before << box;
    if (QWidget *next = m_lines->enterPressed(field, before, btnSave))
        next->setFocus(Qt::OtherFocusReason);
    return true;
}

TicketRecord TicketEntryScreen::ticketOnScreen() const
{
    TicketRecord t;
    t.id = txtID->text().isEmpty() ? 0 : txtID->text().toInt();
    const QString accountNumber = txtAcctNo->text();
    t.customerId = AccountCheck::customerIdOf(accountNumber);
    t.cardNo = AccountCheck::cardNumberOf(accountNumber);
    t.details = m_ticketInfo->details(txtClerk->text());
    t.amounts = m_lines->amounts();
    return t;
}

void TicketEntryScreen::save()
{
    const bool enough = m_lines->total()->value() != 0 && !txtClerk->text().isEmpty() && !txtAcctNo->text().isEmpty();
    const TicketRecord ticket = ticketOnScreen();
    if (!TicketScreenKit::readyToStore(this, enough,
                                       QStringLiteral("You must select an Account, Clerk, and some dollar amount before "
                                                      "saving/printing this record."),
                                       ticket.amounts))
        return;
    const bool newTicket = ticket.id == 0;
    Db &db = Db::current();
    int id = 0;
    {
        BusyCursor busy;
        id = TicketStore::save(db, ticket, TicketScreenKit::stampNow());
        txtID->setText(QString::number(id));
    }
    // Only a new ticket is posted: a rewritten one was posted when it was first stored.
    if (newTicket && !PostCustomerBalance(db, ticket.customerId, TicketStore::postedAmount(ticket)))
        MessageBox::ok(this, QStringLiteral("Error updating customer balance!"), QStringLiteral("DB Error"));
    const bool printDate = m_lines->printDate();
    PrintRetry::run(this, [id, printDate] { return Printers::chargeTicket()(id, false, printDate); });
    txtAcctNo->setText(QString());
    clearTicket();
    txtAcctNo->setFocus();
}

void TicketEntryScreen::showTicket(const std::optional<TicketRecord> &ticket)
{
    if (!ticket) {
        clearTicket();
        return;
    }
    const TicketRecord &t = *ticket;
    txtID->setText(QString::number(t.id));
    txtAcctNo->setText(t.accountNumber());
    txtClerk->setText(t.details.clerk);
    m_ticketInfo->setDetails(t.details);
    m_lines->showAmounts(t.amounts);
}

void TicketEntryScreen::showPrevious()
{
    BusyCursor busy;
    const int location = appContext().config.locationNumber();
    if (txtID->text().isEmpty())
        showTicket(TicketStore::newest(Db::current(), location));
    else
        showTicket(TicketStore::previous(Db::current(), location, txtID->text().toInt()));
}

void TicketEntryScreen::showNext()
{
    BusyCursor busy;
    if (txtID->text().isEmpty())
        return;
    showTicket(TicketStore::next(Db::current(), appContext().config.locationNumber(), txtID->text().toInt()));
}

void TicketEntryScreen::openLookup()
{
    if (m_lookup)
        return;
    // The dialog is a window of its own over the main window, so disabling this screen
    // while it is open leaves the dialog usable.
    QWidget *owner = window() == this ? nullptr : window();
    m_lookup = new CustomerLookupFromTicket(this, owner);
    setEnabled(false);
    m_lookup->show();
}

void TicketEntryScreen::exitScreen()
{
    // Nothing on the screen is kept; the next opening starts afresh.
    close();
}
