#include "tickets/TicketEntryScreen.h"

#include "app/AmountField.h"
#include "app/AppContext.h"
#include "app/BusyCursor.h"
#include "app/MainMod.h"
#include "app/MessageBox.h"
#include "app/ScreenGuard.h"
#include "db/Db.h"
#include "tickets/AccountCheck.h"
#include "tickets/CustomerLookupFromTicket.h"
#include "tickets/PurchaseLines.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
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

    PurchaseLines::Fields lines;
    lines.gallons = m_gallons;
    lines.priceEach = m_priceEach;
    lines.priceExt = m_priceExt;
    lines.merchandise = m_merchandise;
    lines.subtotal = txtSubtotal;
    lines.tax = txtTax;
    lines.total = txtTotal;
    m_lines = new PurchaseLines(lines, this);

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

    btnLookup->setEnabled(appContext().config.isAdminWorkstation());
    clearTicket();
    optPrint->setChecked(true);
    txtAcctNo->setFocus();
}

TicketEntryScreen::~TicketEntryScreen()
{
    if (m_lookup)
        delete m_lookup.data();
}

void TicketEntryScreen::clearTicket()
{
    const CompanySettings &company = appContext().company;
    for (QLineEdit *box : {txtID, txtClerk, txtCustomer, txtTruckNo, txtMileage, txtDriverID, txtLicense, txtTrip, txtTrailer})
        box->setText(QString());
    m_gallons[Gas]->setPlainText(QString());
    m_priceEach[Gas]->setPlainText(QString());
    m_gallons[Diesel]->setPlainText(QString());
    m_priceEach[Diesel]->setPlainText(defaultPrice(company.DieselPricePerGallon));
    m_gallons[Reefer]->setPlainText(QString());
    m_priceEach[Reefer]->setPlainText(defaultPrice(company.ReeferPricePerGallon));
    m_gallons[Discount]->setPlainText(QString());
    m_priceEach[Discount]->setPlainText(defaultPrice(company.DiscountPricePerGallon));
    m_gallons[Def]->setPlainText(QString());
    m_priceEach[Def]->setPlainText(defaultPrice(company.DefPricePerGallon));
    for (AmountField *field : m_merchandise)
        field->setPlainText(QString());
    txtSubtotal->setPlainText(QStringLiteral("0"));
    // The change rules above only run for fields that changed; recomputing once more
    // makes sure every extension and total reads 0 whatever was shown before.
    m_lines->recomputeAll();
    m_ticketInfo->setEnabled(false);
    m_purchaseInfo->setEnabled(false);
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
    m_purchaseInfo->setEnabled(true);
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
        m_merchandise[m]->setEnabled(general);
    for (int m : {Grocery, Deli, Tobacco})
        m_merchandise[m]->setEnabled(store);
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

QWidget *TicketEntryScreen::nextOnEnter(QWidget *field) const
{
    auto usable = [this](QWidget *w) { return w->isEnabledTo(m_purchaseInfo); };
    if (field == m_priceEach[Def])
        return usable(m_merchandise[Oil]) ? static_cast<QWidget *>(m_merchandise[Oil]) : btnSave;
    if (field == m_merchandise[Washer])
        return usable(m_merchandise[Grocery]) ? static_cast<QWidget *>(m_merchandise[Grocery]) : btnSave;
    if (field == m_merchandise[Tobacco])
        return btnSave;
    const QList<QWidget *> walk = {txtClerk,           txtTruckNo,          txtMileage,           txtDriverID,
                                   txtLicense,         txtTrip,             txtTrailer,           m_gallons[Gas],
                                   m_priceEach[Gas],   m_gallons[Diesel],   m_priceEach[Diesel],  m_gallons[Reefer],
                                   m_priceEach[Reefer], m_gallons[Def],     m_priceEach[Def],     m_merchandise[Oil],
                                   m_merchandise[Addatives], m_merchandise[Antifreeze], m_merchandise[Washer],
                                   m_merchandise[Grocery], m_merchandise[Deli], m_merchandise[Tobacco]};
    const qsizetype at = walk.indexOf(field);
    if (at < 0 || at + 1 >= walk.size())
        return nullptr;
    return walk[at + 1];
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
    const int merchandise = m_lines->merchandiseIndex(watched);
    if (merchandise >= 0)
        m_lines->finishRunningSum(merchandise);
    if (QWidget *next = nextOnEnter(field))
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
    t.clerk = txtClerk->text();
    t.truckNumber = txtTruckNo->text();
    t.mileage = txtMileage->text();
    t.license = txtLicense->text();
    t.driverId = txtDriverID->text();
    t.trip = txtTrip->text();
    t.trailer = txtTrailer->text();
    for (int r = 0; r < FuelRowCount; ++r)
        t.fuel[r] = {m_gallons[r]->plainText(), m_priceEach[r]->plainText(), m_priceExt[r]->plainText()};
    for (int m = 0; m < MerchandiseCount; ++m)
        t.merchandise[m] = m_merchandise[m]->plainText();
    t.subtotal = txtSubtotal->plainText();
    t.tax = txtTax->plainText();
    t.total = txtTotal->plainText();
    return t;
}

void TicketEntryScreen::save()
{
    if (txtTotal->value() == 0 || txtClerk->text().isEmpty() || txtAcctNo->text().isEmpty()) {
        MessageBox::ok(this,
                       QStringLiteral("You must select an Account, Clerk, and some dollar amount before saving/printing "
                                      "this record."),
                       QStringLiteral("Not Enough Information"), MessageBox::Icon::Exclamation);
        return;
    }
    const TicketRecord ticket = ticketOnScreen();
    const bool newTicket = ticket.id == 0;
    Db &db = Db::current();
    int id = 0;
    {
        BusyCursor busy;
        const Configuration &config = appContext().config;
        id = TicketStore::save(db, ticket, {config.WorkstationID, config.locationNumber(), QDateTime::currentDateTime()});
        txtID->setText(QString::number(id));
    }
    // Only a new ticket is posted: a rewritten one was posted when it was first stored.
    if (newTicket && !PostCustomerBalance(db, ticket.customerId, TicketStore::postedAmount(ticket)))
        MessageBox::ok(this, QStringLiteral("Error updating customer balance!"), QStringLiteral("DB Error"));
    printWithRetry(id);
    txtAcctNo->setText(QString());
    clearTicket();
    txtAcctNo->setFocus();
}

bool TicketEntryScreen::printWithRetry(int id)
{
    const bool printDate = optPrint->isChecked();
    for (;;) {
        bool printed = false;
        {
            BusyCursor busy;
            printed = TicketStore::printChargeTicket()(id, false, printDate);
        }
        if (printed)
            return true;
        if (!MessageBox::askYesNo(this, QStringLiteral("There was an error printing the Ticket. Would you like to retry?"),
                                  QStringLiteral("Error Printing")))
            return false;
    }
}

void TicketEntryScreen::showTicket(const std::optional<TicketRecord> &ticket)
{
    if (!ticket) {
        clearTicket();
        return;
    }
    // Fields are set in this order so that every stored extension and the stored totals
    // land after the fields they are computed from: the screen ends showing the row.
    // A NULL amount leaves its field as the change rules made it (extensions, totals)
    // or empty (gallons, prices, merchandise).
    auto put = [](AmountField *field, const QVariant &stored, bool keepWhenNull) {
        if (stored.isNull()) {
            if (!keepWhenNull)
                field->setPlainText(QString());
            return;
        }
        field->setPlainText(stored.toString());
    };
    const TicketRecord &t = *ticket;
    txtID->setText(QString::number(t.id));
    txtAcctNo->setText(t.accountNumber());
    txtClerk->setText(t.clerk);
    txtTruckNo->setText(t.truckNumber);
    txtMileage->setText(t.mileage);
    txtLicense->setText(t.license);
    txtDriverID->setText(t.driverId);
    txtTrip->setText(t.trip);
    txtTrailer->setText(t.trailer);
    for (int r : {Gas, Diesel, Reefer, Discount, Def}) {
        put(m_gallons[r], t.fuel[r].gallons, false);
        put(m_priceEach[r], t.fuel[r].priceEach, false);
        put(m_priceExt[r], t.fuel[r].priceExt, true);
    }
    for (int m = 0; m < MerchandiseCount; ++m)
        put(m_merchandise[m], t.merchandise[m], false);
    put(txtSubtotal, t.subtotal, true);
    put(txtTax, t.tax, true);
    put(txtTotal, t.total, true);
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
