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

#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace TicketLines;

namespace {

// A free-text box of this screen. Gaining the focus never selects the text, whichever
// way the focus came: a clerk tabbing through a shown ticket must not wipe a field with
// the first key.
class TextBox : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent *event) override
    {
        QLineEdit::focusInEvent(event);
        if (event->reason() != Qt::MouseFocusReason) {
            deselect();
            end(false);
        }
    }
};

// The lookup button's picture: a small magnifying glass.
QIcon searchIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), 1.6));
    painter.drawEllipse(QRectF(2, 2, 8.5, 8.5));
    painter.setPen(QPen(QColor(40, 40, 40), 2.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10, 10), QPointF(14, 14));
    return QIcon(pixmap);
}

// Fields only the screen writes look like the form behind them, so the clerk's eye goes
// to the boxes that take typing.
void markDisplayOnly(QLineEdit *box)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    box->setPalette(palette);
}

const QString kNoCardLength = QStringLiteral("Invalid Customer/Card Number. Acct/Card length too short. Please Retry.");
const QString kNotFound = QStringLiteral("Invalid Customer/Card Number. Acct/Card Not Found in DB. Please Retry.");
const QString kInvalidAccount = QStringLiteral("Invalid Account");

QLabel *label(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

QLabel *headingLabel(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    return l;
}

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

void TicketEntryScreen::buildForm()
{
    auto textBox = [this](const char *name, QWidget *parent) {
        auto *box = new TextBox(parent);
        box->setObjectName(QLatin1String(name));
        return box;
    };
    auto amount = [](const char *name, const QString &format, QWidget *parent, bool displayOnly = false) {
        auto *field = new AmountField(format, parent);
        field->setObjectName(QLatin1String(name));
        field->setDisplayOnly(displayOnly);
        if (displayOnly)
            markDisplayOnly(field);
        field->setFixedWidth(96);
        return field;
    };

    // Acct Info: always usable.
    m_acctInfo = new QGroupBox(QStringLiteral("Acct Info"), this);
    txtAcctNo = textBox("txtAcctNo", m_acctInfo);
    txtAcctNo->setFixedWidth(120);
    btnLookup = new QToolButton(m_acctInfo);
    btnLookup->setObjectName(QStringLiteral("btnLookup"));
    btnLookup->setIcon(searchIcon());
    btnLookup->setToolTip(QStringLiteral("Find the account by customer name"));
    btnLookup->setFocusPolicy(Qt::StrongFocus);
    txtClerk = textBox("txtClerk", m_acctInfo);
    txtClerk->setFixedWidth(120);
    txtCustomer = textBox("txtCustomer", m_acctInfo);
    txtCustomer->setReadOnly(true);
    txtCustomer->setFocusPolicy(Qt::NoFocus);
    markDisplayOnly(txtCustomer);
    {
        auto *grid = new QGridLayout(m_acctInfo);
        grid->addWidget(label(QStringLiteral("Acct No."), m_acctInfo), 0, 0);
        grid->addWidget(txtAcctNo, 0, 1);
        grid->addWidget(btnLookup, 0, 2);
        grid->setColumnStretch(3, 1);
        grid->addWidget(label(QStringLiteral("Clerk ID"), m_acctInfo), 0, 4);
        grid->addWidget(txtClerk, 0, 5);
        grid->addWidget(label(QStringLiteral("Customer"), m_acctInfo), 1, 0);
        grid->addWidget(txtCustomer, 1, 1, 1, 5);
    }

    // Ticket Info: truck, mileage and driver on the left; license, trip, trailer right.
    m_ticketInfo = new QGroupBox(QStringLiteral("Ticket Info"), this);
    txtTruckNo = textBox("txtTruckNo", m_ticketInfo);
    txtMileage = textBox("txtMileage", m_ticketInfo);
    txtDriverID = textBox("txtDriverID", m_ticketInfo);
    txtLicense = textBox("txtLicense", m_ticketInfo);
    txtTrip = textBox("txtTrip", m_ticketInfo);
    txtTrailer = textBox("txtTrailer", m_ticketInfo);
    {
        auto *grid = new QGridLayout(m_ticketInfo);
        const QList<QPair<QString, QLineEdit *>> left = {{QStringLiteral("Truck Number"), txtTruckNo},
                                                         {QStringLiteral("Mileage"), txtMileage},
                                                         {QStringLiteral("Driver ID"), txtDriverID}};
        const QList<QPair<QString, QLineEdit *>> right = {{QStringLiteral("Drivers License"), txtLicense},
                                                          {QStringLiteral("Trip Number"), txtTrip},
                                                          {QStringLiteral("Trailer Number"), txtTrailer}};
        for (int row = 0; row < 3; ++row) {
            grid->addWidget(label(left[row].first, m_ticketInfo), row, 0);
            grid->addWidget(left[row].second, row, 1);
            grid->addWidget(label(right[row].first, m_ticketInfo), row, 3);
            grid->addWidget(right[row].second, row, 4);
        }
        grid->setColumnMinimumWidth(2, 24);
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(4, 1);
    }

    // Purchase Info: fuel rows on the left, merchandise and totals in the right column.
    m_purchaseInfo = new QGroupBox(QStringLiteral("Purchase Info"), this);
    QWidget *p = m_purchaseInfo;
    struct FuelNames
    {
        const char *label, *gallons, *priceEach, *priceExt;
    };
    // Screen order; the enum order of TicketLines keeps Discount before DEF.
    const std::array<FuelNames, FuelRowCount> fuel = {{
        {"Gas", "txtGasGallons", "txtGasPriceEach", "txtGasPriceExt"},
        {"Diesel", "txtDieselGallons", "txtDieselPriceEach", "txtDieselPriceExt"},
        {"Off Road Diesel", "txtReeferGallons", "txtReeferPriceEach", "txtReeferPriceExt"},
        {"Discount", "txtDiscountGallons", "txtDiscountPriceEach", "txtDiscountPriceExt"},
        {"DEF", "txtDEFGallons", "txtDEFPriceEach", "txtDEFPriceExt"},
    }};
    auto *grid = new QGridLayout(p);
    grid->setHorizontalSpacing(6);
    grid->addWidget(headingLabel(QStringLiteral("Gallons"), p), 0, 1);
    grid->addWidget(headingLabel(QStringLiteral("Price Each"), p), 0, 3);
    grid->addWidget(headingLabel(QStringLiteral("Price Ext"), p), 0, 5);
    for (int r = 0; r < FuelRowCount; ++r) {
        const bool discount = r == Discount;
        m_gallons[r] = amount(fuel[r].gallons, AmountField::gallonsFormat(), p, discount);
        m_priceEach[r] = amount(fuel[r].priceEach, AmountField::priceFormat(), p, discount);
        m_priceExt[r] = amount(fuel[r].priceExt, AmountField::moneyFormat(), p, true);
        grid->addWidget(label(QLatin1String(fuel[r].label), p), r + 1, 0);
        grid->addWidget(m_gallons[r], r + 1, 1);
        grid->addWidget(new QLabel(QStringLiteral("@"), p), r + 1, 2, Qt::AlignCenter);
        grid->addWidget(m_priceEach[r], r + 1, 3);
        grid->addWidget(new QLabel(QStringLiteral("="), p), r + 1, 4, Qt::AlignCenter);
        grid->addWidget(m_priceExt[r], r + 1, 5);
    }
    grid->setColumnMinimumWidth(6, 36);
    grid->setColumnStretch(6, 1);

    const std::array<QPair<const char *, const char *>, MerchandiseCount> merchandise = {{
        {"Oil", "txtOil"},
        {"Addatives", "txtAddatives"},
        {"Antifreeze", "txtAntifreeze"},
        {"Windshield Washer Fluid", "txtWasher"},
        {"Grocery", "txtGrocery"},
        {"Deli", "txtDeli"},
        {"Tobacco", "txtTobacco"},
    }};
    for (int m = 0; m < MerchandiseCount; ++m) {
        m_merchandise[m] = amount(merchandise[m].second, AmountField::moneyFormat(), p);
        grid->addWidget(label(QLatin1String(merchandise[m].first), p), m, 7);
        grid->addWidget(m_merchandise[m], m, 8);
    }
    auto *rule = new QFrame(p);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    grid->addWidget(rule, 7, 7, 1, 2);
    txtSubtotal = amount("txtSubtotal", AmountField::moneyFormat(), p, true);
    txtTax = amount("txtTax", AmountField::moneyFormat(), p, true);
    txtTotal = amount("txtTotal", AmountField::moneyFormat(), p, true);
    QFont bold = txtTotal->font();
    bold.setBold(true);
    txtTotal->setFont(bold);
    auto *totalLabel = label(QStringLiteral("Total"), p);
    totalLabel->setFont(bold);
    grid->addWidget(label(QStringLiteral("Subtotal"), p), 8, 7);
    grid->addWidget(txtSubtotal, 8, 8);
    grid->addWidget(label(QStringLiteral("Tax"), p), 9, 7);
    grid->addWidget(txtTax, 9, 8);
    grid->addWidget(totalLabel, 10, 7);
    grid->addWidget(txtTotal, 10, 8);

    optPrint = new QRadioButton(QStringLiteral("Print Date and Time"), p);
    optPrint->setObjectName(QStringLiteral("optPrint"));
    optDontPrint = new QRadioButton(QStringLiteral("DO NOT Print Date and Time"), p);
    optDontPrint->setObjectName(QStringLiteral("optDontPrint"));
    grid->setRowStretch(6, 1);
    grid->addWidget(optPrint, 9, 0, 1, 6);
    grid->addWidget(optDontPrint, 10, 0, 1, 6);

    // The bottom row, outside the groups.
    btnBack = new QPushButton(QStringLiteral("<<"), this);
    btnBack->setObjectName(QStringLiteral("btnBack"));
    btnNext = new QPushButton(QStringLiteral(">>"), this);
    btnNext->setObjectName(QStringLiteral("btnNext"));
    txtID = textBox("txtID", this);
    txtID->setReadOnly(true);
    txtID->setFocusPolicy(Qt::NoFocus);
    markDisplayOnly(txtID);
    txtID->setFixedWidth(80);
    txtID->setAlignment(Qt::AlignCenter);
    btnSave = new QPushButton(QStringLiteral("Print/Save"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnExit = new QPushButton(QStringLiteral("Exit"), this);
    btnExit->setObjectName(QStringLiteral("btnExit"));
    for (QPushButton *button : {btnBack, btnNext, btnSave, btnExit}) {
        // Enter on a focused button presses it, so the keyboard alone finishes a ticket.
        button->setAutoDefault(true);
        button->setMinimumWidth(button == btnBack || button == btnNext ? 48 : 96);
    }

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(btnBack);
    bottom->addWidget(btnNext);
    bottom->addWidget(txtID);
    bottom->addStretch(1);
    bottom->addWidget(btnSave);
    bottom->addWidget(btnExit);

    auto *top = new QHBoxLayout;
    top->addWidget(m_acctInfo, 1);
    top->addWidget(m_ticketInfo, 1);

    auto *column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(m_purchaseInfo);
    column->addLayout(bottom);
    column->setSizeConstraint(QLayout::SetFixedSize);
}

void TicketEntryScreen::setTabOrder()
{
    QList<QWidget *> order = {txtAcctNo, btnLookup, txtClerk, txtTruckNo, txtMileage, txtDriverID, txtLicense, txtTrip,
                              txtTrailer};
    for (int r : {Gas, Diesel, Reefer, Discount, Def}) {
        order << m_gallons[r] << m_priceEach[r];
    }
    for (AmountField *field : m_merchandise)
        order << field;
    order << optPrint << optDontPrint << btnSave << btnExit << btnBack << btnNext;
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
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
        MessageBox::ok(this, kNoCardLength, kInvalidAccount);
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
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}
