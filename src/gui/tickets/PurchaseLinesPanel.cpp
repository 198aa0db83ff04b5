#include "tickets/PurchaseLinesPanel.h"

#include "app/AmountField.h"
#include "app/FormLayout.h"

#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>

using namespace TicketLines;

namespace {

QLabel *headingLabel(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    return l;
}

AmountField *amount(const QString &name, const QString &format, QWidget *parent, bool displayOnly = false)
{
    auto *field = new AmountField(format, parent);
    field->setObjectName(name);
    if (displayOnly) {
        field->setDisplayOnly(true);
        markDisplayOnly(field);
    }
    field->setFixedWidth(96);
    return field;
}

} // namespace

PurchaseLinesPanel::PurchaseLinesPanel(std::function<double()> taxRate, QWidget *parent)
    : QGroupBox(QStringLiteral("Purchase Info"), parent),
      m_taxRate(std::move(taxRate))
{
    buildLayout();
    for (int r = 0; r < FuelRowCount; ++r) {
        connect(m_gallons[r], &AmountField::plainTextChanged, this, [this, r] {
            changeThenTotal([this, r] {
                fuelChanged(r);
                // Only a change of diesel or off-road gallons moves the discount gallons;
                // a new price does not.
                if (r == Diesel || r == Reefer)
                    m_gallons[Discount]->setPlainText(
                        discountGallons(m_gallons[Diesel]->plainText(), m_gallons[Reefer]->plainText()));
            });
        });
        connect(m_priceEach[r], &AmountField::plainTextChanged, this, [this, r] { fuelChanged(r); });
        connect(m_priceExt[r], &AmountField::plainTextChanged, this, &PurchaseLinesPanel::recomputeTotals);
    }
    for (AmountField *field : m_merchandise) {
        connect(field, &AmountField::plainTextChanged, this, &PurchaseLinesPanel::recomputeTotals);
        field->installEventFilter(this);
    }
    optPrint->setChecked(true);
}

void PurchaseLinesPanel::buildLayout()
{
    auto *grid = new QGridLayout(this);
    grid->setHorizontalSpacing(6);
    grid->addWidget(headingLabel(QStringLiteral("Gallons"), this), 0, 1);
    grid->addWidget(headingLabel(QStringLiteral("Price Each"), this), 0, 3);
    grid->addWidget(headingLabel(QStringLiteral("Price Ext"), this), 0, 5);
    for (int r = 0; r < FuelRowCount; ++r) {
        const FuelLine &line = fuelLines()[r];
        const bool discount = r == Discount;
        m_gallons[r] = amount(QStringLiteral("txt") + line.gallonsColumn(), AmountField::gallonsFormat(), this, discount);
        m_priceEach[r] = amount(QStringLiteral("txt") + line.priceEachColumn(), AmountField::priceFormat(), this, discount);
        m_priceExt[r] = amount(QStringLiteral("txt") + line.priceExtColumn(), AmountField::moneyFormat(), this, true);
        grid->addWidget(fieldLabel(line.caption, this), r + 1, 0);
        grid->addWidget(m_gallons[r], r + 1, 1);
        grid->addWidget(new QLabel(QStringLiteral("@"), this), r + 1, 2, Qt::AlignCenter);
        grid->addWidget(m_priceEach[r], r + 1, 3);
        grid->addWidget(new QLabel(QStringLiteral("="), this), r + 1, 4, Qt::AlignCenter);
        grid->addWidget(m_priceExt[r], r + 1, 5);
    }
    grid->setColumnMinimumWidth(6, 36);
    grid->setColumnStretch(6, 1);

    for (int m = 0; m < MerchandiseCount; ++m) {
        const MerchandiseLine &line = merchandiseLines()[m];
        m_merchandise[m] = amount(line.field, AmountField::moneyFormat(), this);
        grid->addWidget(fieldLabel(line.caption, this), m, 7);
        grid->addWidget(m_merchandise[m], m, 8);
    }
    auto *rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    grid->addWidget(rule, 7, 7, 1, 2);
    m_subtotal = amount(QStringLiteral("txtSubtotal"), AmountField::moneyFormat(), this, true);
    m_tax = amount(QStringLiteral("txtTax"), AmountField::moneyFormat(), this, true);
    m_total = amount(QStringLiteral("txtTotal"), AmountField::moneyFormat(), this, true);
    QFont bold = m_total->font();
    bold.setBold(true);
    m_total->setFont(bold);
    QLabel *totalLabel = fieldLabel(QStringLiteral("Total"), this);
    totalLabel->setFont(bold);
    grid->addWidget(fieldLabel(QStringLiteral("Subtotal"), this), 8, 7);
    grid->addWidget(m_subtotal, 8, 8);
    grid->addWidget(fieldLabel(QStringLiteral("Tax"), this), 9, 7);
    grid->addWidget(m_tax, 9, 8);
    grid->addWidget(totalLabel, 10, 7);
    grid->addWidget(m_total, 10, 8);

    optPrint = new QRadioButton(QStringLiteral("Print Date and Time"), this);
    optPrint->setObjectName(QStringLiteral("optPrint"));
    optDontPrint = new QRadioButton(QStringLiteral("DO NOT Print Date and Time"), this);
    optDontPrint->setObjectName(QStringLiteral("optDontPrint"));
    grid->setRowStretch(6, 1);
    grid->addWidget(optPrint, 9, 0, 1, 6);
    grid->addWidget(optDontPrint, 10, 0, 1, 6);
}

bool PurchaseLinesPanel::isBlank() const
{
    for (const AmountField *field : m_gallons)
        if (!field->plainText().isEmpty())
            return false;
    for (const AmountField *field : m_merchandise)
        if (!field->plainText().isEmpty())
            return false;
    return m_priceEach[Gas]->plainText().isEmpty();
}

void PurchaseLinesPanel::takeNewPrices(const CompanySettings &prices)
{
    if (isBlank())
        clear(prices);
}

void PurchaseLinesPanel::clear(const CompanySettings &prices)
{
    // Every line emptied would otherwise write the totals again: a clear after each save
    // and at each account would format and lay out the totals a score of times.
    changeThenTotal([this, &prices] {
        m_gallons[Gas]->setPlainText(QString());
        m_priceEach[Gas]->setPlainText(QString());
        m_gallons[Diesel]->setPlainText(QString());
        m_priceEach[Diesel]->setPlainText(defaultPrice(prices.DieselPricePerGallon));
        m_gallons[Reefer]->setPlainText(QString());
        m_priceEach[Reefer]->setPlainText(defaultPrice(prices.ReeferPricePerGallon));
        m_gallons[Discount]->setPlainText(QString());
        m_priceEach[Discount]->setPlainText(defaultPrice(prices.DiscountPricePerGallon));
        m_gallons[Def]->setPlainText(QString());
        m_priceEach[Def]->setPlainText(defaultPrice(prices.DefPricePerGallon));
        for (AmountField *field : m_merchandise)
            field->setPlainText(QString());
        m_subtotal->setPlainText(QStringLiteral("0"));
        // The change rules above only run for fields that changed; recomputing once more
        // makes sure every extension and total reads 0 whatever was shown before.
        recomputeAll();
    });
}

Amounts PurchaseLinesPanel::amounts() const
{
    Amounts a;
    for (int r = 0; r < FuelRowCount; ++r)
        a.fuel[r] = {m_gallons[r]->plainText(), m_priceEach[r]->plainText(), m_priceExt[r]->plainText()};
    for (int m = 0; m < MerchandiseCount; ++m)
        a.merchandise[m] = m_merchandise[m]->plainText();
    a.subtotal = m_subtotal->plainText();
    a.tax = m_tax->plainText();
    a.total = m_total->plainText();
    return a;
}

void PurchaseLinesPanel::showAmounts(const Amounts &a)
{
    auto put = [](AmountField *field, const QVariant &stored, bool keepWhenNull) {
        if (stored.isNull()) {
            if (!keepWhenNull)
                field->setPlainText(QString());
            return;
        }
        field->setPlainText(stored.toString());
    };
    for (int r = 0; r < FuelRowCount; ++r) {
        put(m_gallons[r], a.fuel[r].gallons, false);
        put(m_priceEach[r], a.fuel[r].priceEach, false);
        put(m_priceExt[r], a.fuel[r].priceExt, true);
    }
    for (int m = 0; m < MerchandiseCount; ++m)
        put(m_merchandise[m], a.merchandise[m], false);
    put(m_subtotal, a.subtotal, true);
    put(m_tax, a.tax, true);
    put(m_total, a.total, true);
}

void PurchaseLinesPanel::setMerchandiseUsable(int merchandise, bool usable) { m_merchandise[merchandise]->setEnabled(usable); }

bool PurchaseLinesPanel::printDate() const { return optPrint->isChecked(); }

QList<QWidget *> PurchaseLinesPanel::tabOrder() const
{
    QList<QWidget *> order;
    for (int r = 0; r < FuelRowCount; ++r)
        order << m_gallons[r] << m_priceEach[r];
    for (AmountField *field : m_merchandise)
        order << field;
    order << optPrint << optDontPrint;
    return order;
}

QWidget *PurchaseLinesPanel::enterPressed(QWidget *field, const QList<QWidget *> &before, QWidget *after)
{
    const int m = merchandiseIndex(field);
    if (m >= 0)
        m_merchandise[m]->setPlainText(m_running[m].total(m_merchandise[m]->plainText()));
    QList<QWidget *> walk = before;
    for (int r : {Gas, Diesel, Reefer, Def})
        walk << m_gallons[r] << m_priceEach[r];
    for (AmountField *line : m_merchandise)
        walk << line;
    const qsizetype at = walk.indexOf(field);
    if (at < 0)
        return nullptr;
    for (qsizetype i = at + 1; i < walk.size(); ++i)
        if (walk[i]->isEnabledTo(window()))
            return walk[i];
    return after;
}

int PurchaseLinesPanel::merchandiseIndex(const QObject *field) const
{
    for (int m = 0; m < MerchandiseCount; ++m)
        if (m_merchandise[m] == field)
            return m;
    return -1;
}

void PurchaseLinesPanel::fuelChanged(int row)
{
    m_priceExt[row]->setPlainText(extension(m_gallons[row]->plainText(), m_priceEach[row]->plainText()));
}

template <typename Change>
void PurchaseLinesPanel::changeThenTotal(Change change)
{
    if (m_totalsHeld) {
        change();
        return;
    }
    m_totalsHeld = true;
    m_totalsDue = false;
    try {
        change();
    } catch (...) {
        m_totalsHeld = false;
        throw;
    }
    m_totalsHeld = false;
    if (m_totalsDue)
        recomputeTotals();
}

void PurchaseLinesPanel::recomputeTotals()
{
    if (m_totalsHeld) {
        m_totalsDue = true;
        return;
    }
    // The views point into copies that live for the whole computation.
    std::array<QString, FuelRowCount> extensionTexts;
    std::array<QStringView, FuelRowCount> extensions;
    for (int r = 0; r < FuelRowCount; ++r) {
        extensionTexts[r] = m_priceExt[r]->plainText();
        extensions[r] = extensionTexts[r];
    }
    std::array<QString, MerchandiseCount> merchandiseTexts;
    std::array<QStringView, MerchandiseCount> merchandise;
    for (int m = 0; m < MerchandiseCount; ++m) {
        merchandiseTexts[m] = m_merchandise[m]->plainText();
        merchandise[m] = merchandiseTexts[m];
    }
    const Totals t = totals(extensions, merchandise, m_taxRate());
    m_subtotal->setPlainText(t.subtotal);
    m_tax->setPlainText(t.tax);
    m_total->setPlainText(t.total);
}

void PurchaseLinesPanel::recomputeAll()
{
    for (int r = 0; r < FuelRowCount; ++r)
        fuelChanged(r);
    recomputeTotals();
}

bool PurchaseLinesPanel::eventFilter(QObject *watched, QEvent *event)
{
    const int m = merchandiseIndex(watched);
    if (m < 0)
        return QGroupBox::eventFilter(watched, event);
    AmountField *field = m_merchandise[m];
    if (event->type() == QEvent::FocusIn) {
        m_running[m].reset();
    } else if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->text() == QLatin1String("+")) {
            // The amount so far is put aside and the "+" itself lands in the emptied
            // field, where it reads as the sign of the next amount.
            m_running[m].add(field->plainText());
            field->setPlainText(QString());
        } else if (key->key() == Qt::Key_Escape) {
            m_running[m].reset();
            field->setPlainText(QString());
            return true;
        }
    }
    return false;
}
