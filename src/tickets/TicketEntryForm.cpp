// The layout of the charge ticket screen: its three groups, the bottom row and the tab
// order. The behaviour is in TicketEntryScreen.cpp.
#include "tickets/TicketEntryScreen.h"

#include "app/AmountField.h"

#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
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
