#include "tickets/TicketEntryScreen.h"

#include "accounts/CustomerStore.h"
#include "app/AmountField.h"
#include "app/AppContext.h"
#include "app/BusyCursor.h"
#include "app/ButtonKeys.h"
#include "app/FieldChecks.h"
#include "app/FieldRules.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/Numbers.h"
#include "app/PrintRetry.h"
#include "app/ScreenGuard.h"
#include "app/Logging.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "reports/Reports.h"
#include "tickets/AccountCheck.h"
#include "tickets/AccountStatusPanel.h"
#include "tickets/CustomerLookupFromTicket.h"
#include "tickets/PurchaseLinesPanel.h"
#include "tickets/TicketInfoGroup.h"
#include "tickets/TicketLines.h"
#include "tickets/TicketSaving.h"
#include "tickets/TicketScreenKit.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
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
    ButtonKeys::bind(this, QKeySequence(Qt::CTRL | Qt::Key_S), btnSave);
    ButtonKeys::bind(this, QKeySequence(Qt::Key_PageUp), btnBack);
    ButtonKeys::bind(this, QKeySequence(Qt::Key_PageDown), btnNext);

    using namespace FieldRules;
    TextRule::apply(txtAcctNo, Width::CardNumber, QStringLiteral("Acct No."));
    TextRule::apply(txtClerk, Width::Clerk, QStringLiteral("Clerk ID"));
    btnLookup->setEnabled(appContext().config.isAdminWorkstation());
    // Prices saved on this workstation reach a ticket not yet begun at once.
    if (MainWindow *window = MainWindow::instance())
        connect(window, &MainWindow::companySettingsLoaded, this, [this] {
            if (!m_shown)
                m_lines->takeNewPrices(appContext().company);
        });
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
    txtDateEntered->setText(QString());
    m_status->clear();
    m_accepted.reset();
    m_acceptedCard.reset();
    m_shown.reset();
}

void TicketEntryScreen::setAccountNumber(const QString &accountNumber) { txtAcctNo->setText(accountNumber); }

void TicketEntryScreen::getCustomer()
{
    ScreenGuard::run(this, [this] { checkAccount(); });
}

void TicketEntryScreen::checkAccount()
{
    clearTicket();
    const QString accountNumber = txtAcctNo->text();
    const std::optional<CustomerCard> card =
        checkedCard(accountNumber, [this](const CustomerCard &row) { txtCustomer->setText(row.name); });
    if (!card) {
        refuseAccount();
        return;
    }
    txtClerk->setFocus();
    accept(accountNumber, *card);
}

std::optional<CustomerCard> TicketEntryScreen::checkedCard(const QString &accountNumber,
                                                           const std::function<void(const CustomerCard &)> &found)
{
    using namespace AccountCheck;
    if (!hasAccountLength(accountNumber)) {
        MessageBox::ok(this, kWrongLength, kInvalidAccount);
        return std::nullopt;
    }
    std::optional<CustomerCard> row = lookUp(Db::current(), accountNumber);
    if (!row) {
        MessageBox::ok(this, kNotFound, kInvalidAccount);
        return std::nullopt;
    }
    if (found)
        found(*row);
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
    if (!decision.accepted())
        return std::nullopt;
    if (decision.warn)
        MessageBox::ok(this, QStringLiteral("This Account approaching the credit limit. Please make payment on account."),
                       QStringLiteral("Approaching Credit Limit"));
    return row;
}

void TicketEntryScreen::accept(const QString &accountNumber, const CustomerCard &card)
{
    m_accepted = accountNumber;
    m_acceptedCard = card;
    txtCustomer->setText(card.name);
    m_status->showCard(card);
    applyCardType(card.cardType);
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
    const std::optional<CardTypeAllows> allows = cardTypeAllows(cardType);
    if (!allows)
        return;
    for (int m = 0; m < MerchandiseCount; ++m)
        m_lines->setMerchandiseUsable(m, allows->line(m));
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

TicketRecord TicketEntryScreen::ticketOnScreen(const QString &accountNumber) const
{
    TicketRecord t;
    t.id = m_shown ? m_shown->id : 0;
    t.customerId = AccountCheck::customerIdOf(accountNumber);
    t.cardNo = AccountCheck::cardNumberOf(accountNumber);
    t.details = m_ticketInfo->details(txtClerk->text());
    t.amounts = m_lines->amounts();
    return t;
}

std::optional<QString> TicketEntryScreen::accountToSave()
{
    const QString typed = txtAcctNo->text();
    if (m_accepted && typed == *m_accepted)
        return typed;
    // A stored ticket printed again for the same total is charged where it always was:
    // nothing moves, so there is nothing to check.
    if (m_shown && typed == m_shown->accountNumber()
        && TicketStore::postedAmount(ticketOnScreen(typed)) == TicketStore::postedAmount(*m_shown))
        return typed;
    // Anything else in the field is checked as Enter would check it, messages and all;
    // a refusal leaves the ticket on the screen for the clerk to put right.
    const QString accountNumber = AccountCheck::accountFromEnter(typed).value_or(typed);
    const std::optional<CustomerCard> card = checkedCard(accountNumber, {});
    if (!card) {
        txtAcctNo->setFocus(Qt::OtherFocusReason);
        txtAcctNo->selectAll();
        return std::nullopt;
    }
    if (accountNumber != typed)
        txtAcctNo->setText(accountNumber);
    accept(accountNumber, *card);
    return accountNumber;
}

bool TicketEntryScreen::merchandiseAllowed(const TicketRecord &ticket)
{
    // The save's own rule, asked first so that the clerk gets a message of its kind
    // rather than a database error. The card accepted for this account and the stored
    // ticket on screen are what the save reads again; without them the rule asks the
    // database itself.
    const QString accountNumber = ticket.accountNumber();
    std::optional<QString> refusal;
    if (m_accepted && *m_accepted == accountNumber && m_acceptedCard) {
        const bool sameCard = m_shown && m_shown->customerId == ticket.customerId && m_shown->cardNo == ticket.cardNo;
        const std::optional<int> line =
            TicketLines::merchandiseRefused(m_acceptedCard->cardType, ticket.amounts, sameCard ? &m_shown->amounts : nullptr);
        if (line)
            refusal = TicketLines::merchandiseRefusal(accountNumber, *line);
    } else {
        refusal = TicketSaving::merchandiseRefusal(Db::current(), ticket);
    }
    if (!refusal)
        return true;
    MessageBox::ok(this, *refusal, QStringLiteral("Merchandise Not Allowed"), MessageBox::Icon::Exclamation);
    txtAcctNo->setFocus(Qt::OtherFocusReason);
    return false;
}

void TicketEntryScreen::save()
{
    const bool enough = m_lines->total()->value() != 0 && !txtClerk->text().isEmpty() && !txtAcctNo->text().isEmpty();
    if (!TicketScreenKit::readyToStore(this, enough,
                                       QStringLiteral("You must select an Account, Clerk, and some dollar amount before "
                                                      "saving/printing this record."),
                                       m_lines->amounts()))
        return;
    const std::optional<QString> accountNumber = accountToSave();
    if (!accountNumber)
        return;
    // Merchandise the card may not buy comes from another card's lines: a ticket typed
    // for one account and then sent to another, a stored ticket moved, or lines typed
    // into a stored ticket shown after another card unlocked them.
    const TicketRecord ticket = ticketOnScreen(*accountNumber);
    if (!merchandiseAllowed(ticket))
        return;
    Db &db = Db::current();
    TicketSaving::Outcome outcome;
    {
        BusyCursor busy;
        outcome = TicketSaving::save(db, ticket, TicketScreenKit::stampNow());
        txtID->setText(QString::number(outcome.id));
    }
    if (!outcome.posted)
        MessageBox::ok(this, QStringLiteral("Error updating customer balance!"), QStringLiteral("DB Error"));
    const int id = outcome.id;
    // The card as the check read it, with the account as the posting left it.
    std::optional<CustomerCard> card;
    if (outcome.account && m_accepted == *accountNumber && m_acceptedCard) {
        card = m_acceptedCard;
        card->balance = outcome.account->balance;
        card->limit = outcome.account->limit;
        card->onHold = outcome.account->onHold;
    }
    const bool printDate = m_lines->printDate();
    const bool printed = PrintRetry::run(this, [id, printDate] { return Printers::chargeTicket()(id, false, printDate); });
    // Emptying the account number clears the ticket through its change handler; only
    // an account number emptied already needs the clear asked for.
    if (txtAcctNo->text().isEmpty())
        clearTicket();
    else
        txtAcctNo->setText(QString());
    txtAcctNo->setFocus();

    // The ticket leaves the screen; the account it went to stays in view with the
    // balance the ticket left it, and the main window says what became of the ticket.
    // When the save posted nothing to it (an unchanged reprint) it is read back. The
    // ticket is stored and printed by now, so a failure to read the account back is no
    // reason for another message: the panel stays empty and the log says why.
    if (!card) {
        try {
            card = CustomerStore::card(db, ticket.customerId, ticket.cardNo);
        } catch (const DbError &error) {
            qCWarning(lcPosting) << "ticket" << id << "saved; its account could not be read back:" << error.serverText();
        }
    }
    const QString customer = card && !card->name.isEmpty() ? ticket.customerId + u' ' + card->name : ticket.customerId;
    if (card)
        m_status->showCard(*card, QStringLiteral("After ticket %1: %2 %3").arg(id).arg(*accountNumber, card->name));
    QString line = QStringLiteral("Ticket %1 saved for %2: %3, ")
                       .arg(id)
                       .arg(customer, Numbers::format(TicketStore::postedAmount(ticket), AmountField::moneyFormat()));
    line += printed ? QStringLiteral("printed %1 copies").arg(kChargeTicketCopies) : QStringLiteral("not printed");
    if (!outcome.posted)
        line += QStringLiteral("; the balance was not updated");
    MainWindow::showStatusLine(line);
}

void TicketEntryScreen::showTicket(const std::optional<TicketRecord> &ticket)
{
    if (!ticket) {
        // Past the newest ticket the screen is a new one: no account is left behind
        // without its customer.
        txtAcctNo->setText(QString());
        clearTicket();
        return;
    }
    const TicketRecord &t = *ticket;
    txtID->setText(QString::number(t.id));
    txtAcctNo->setText(t.accountNumber());
    txtClerk->setText(t.details.clerk);
    m_ticketInfo->setDetails(t.details);
    m_lines->showAmounts(t.amounts);
    // The ticket's own customer and when it was saved, whatever account was accepted
    // before; a customer whose row is gone shows no name.
    Db &db = Db::current();
    txtCustomer->setText(CustomerStore::nameOf(db, t.customerId).value_or(QString()));
    txtDateEntered->setText(t.entered.isValid() ? QLocale().toString(t.entered, QLocale::ShortFormat) : QString());
    if (const std::optional<CustomerCard> card = CustomerStore::card(db, t.customerId, t.cardNo))
        m_status->showCard(*card);
    else
        m_status->clear();
    m_shown = t;
}

bool TicketEntryScreen::mayLeaveTicket()
{
    // A stored ticket on view, or a screen with no lines typed, pages without a word;
    // a ticket being typed goes only when the clerk says so.
    if (m_shown || m_lines->isBlank())
        return true;
    return MessageBox::askYesNo(this, QStringLiteral("Discard the ticket being typed?"), QStringLiteral("Ticket Entry"),
                                MessageBox::Icon::Question);
}

void TicketEntryScreen::showPrevious()
{
    if (!mayLeaveTicket())
        return;
    BusyCursor busy;
    const int location = appContext().config.locationNumber();
    if (txtID->text().isEmpty())
        showTicket(TicketStore::newest(Db::current(), location));
    else
        showTicket(TicketStore::previous(Db::current(), location, txtID->text().toInt()));
}

void TicketEntryScreen::showNext()
{
    if (txtID->text().isEmpty() || !mayLeaveTicket())
        return;
    BusyCursor busy;
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
