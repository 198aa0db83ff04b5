#include "tickets/PurchaseLines.h"

#include "app/AmountField.h"
#include "app/AppContext.h"

#include <QKeyEvent>

using namespace TicketLines;

PurchaseLines::PurchaseLines(const Fields &fields, QObject *parent) : QObject(parent), m_fields(fields)
{
    for (int r = 0; r < FuelRowCount; ++r) {
        connect(m_fields.gallons[r], &AmountField::plainTextChanged, this, [this, r] {
            fuelChanged(r);
            // Only a change of diesel or off-road gallons moves the discount gallons;
            // a new price does not.
            if (r == Diesel || r == Reefer)
                m_fields.gallons[Discount]->setPlainText(
                    discountGallons(m_fields.gallons[Diesel]->plainText(), m_fields.gallons[Reefer]->plainText()));
        });
        connect(m_fields.priceEach[r], &AmountField::plainTextChanged, this, [this, r] { fuelChanged(r); });
        connect(m_fields.priceExt[r], &AmountField::plainTextChanged, this, &PurchaseLines::recomputeTotals);
    }
    for (AmountField *field : m_fields.merchandise) {
        connect(field, &AmountField::plainTextChanged, this, &PurchaseLines::recomputeTotals);
        field->installEventFilter(this);
    }
}

int PurchaseLines::merchandiseIndex(const QObject *field) const
{
    for (int m = 0; m < MerchandiseCount; ++m)
        if (m_fields.merchandise[m] == field)
            return m;
    return -1;
}

void PurchaseLines::fuelChanged(int row)
{
    m_fields.priceExt[row]->setPlainText(extension(m_fields.gallons[row]->plainText(), m_fields.priceEach[row]->plainText()));
}

void PurchaseLines::recomputeTotals()
{
    // The views point into copies that live for the whole computation.
    std::array<QString, FuelRowCount> extensionTexts;
    std::array<QStringView, FuelRowCount> extensions;
    for (int r = 0; r < FuelRowCount; ++r) {
        extensionTexts[r] = m_fields.priceExt[r]->plainText();
        extensions[r] = extensionTexts[r];
    }
    std::array<QString, MerchandiseCount> merchandiseTexts;
    std::array<QStringView, MerchandiseCount> merchandise;
    for (int m = 0; m < MerchandiseCount; ++m) {
        merchandiseTexts[m] = m_fields.merchandise[m]->plainText();
        merchandise[m] = merchandiseTexts[m];
    }
    const Totals t = totals(extensions, merchandise, appContext().company.Tax);
    m_fields.subtotal->setPlainText(t.subtotal);
    m_fields.tax->setPlainText(t.tax);
    m_fields.total->setPlainText(t.total);
}

void PurchaseLines::recomputeAll()
{
    for (int r = 0; r < FuelRowCount; ++r)
        fuelChanged(r);
    recomputeTotals();
}

void PurchaseLines::finishRunningSum(int merchandise)
{
    AmountField *field = m_fields.merchandise[merchandise];
    field->setPlainText(m_running[merchandise].total(field->plainText()));
}

bool PurchaseLines::eventFilter(QObject *watched, QEvent *event)
{
    const int m = merchandiseIndex(watched);
    if (m < 0)
        return false;
    AmountField *field = m_fields.merchandise[m];
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
