#pragma once

#include "tickets/TicketLines.h"

#include <QObject>

#include <array>

class AmountField;
class QKeyEvent;

// The purchase-line fields of a ticket screen and the rules that tie them together:
// every change of gallons or a price recomputes its extension (and the discount
// gallons), every change of an extension or a merchandise amount recomputes the
// subtotal, tax and total, and each merchandise field keeps its running sum. The rules
// follow the fields' plain text, so changes the screen makes run them as typing does.
class PurchaseLines : public QObject
{
    Q_OBJECT
public:
    struct Fields
    {
        std::array<AmountField *, TicketLines::FuelRowCount> gallons{};
        std::array<AmountField *, TicketLines::FuelRowCount> priceEach{};
        std::array<AmountField *, TicketLines::FuelRowCount> priceExt{};
        std::array<AmountField *, TicketLines::MerchandiseCount> merchandise{};
        AmountField *subtotal = nullptr;
        AmountField *tax = nullptr;
        AmountField *total = nullptr;
    };

    PurchaseLines(const Fields &fields, QObject *parent = nullptr);

    const Fields &fields() const { return m_fields; }

    // The merchandise line a field is, or -1.
    int merchandiseIndex(const QObject *field) const;

    // Enter in a merchandise field: the running sum goes back into the field. The
    // screen moves the focus afterwards.
    void finishRunningSum(int merchandise);

    void recomputeTotals();
    // Every extension and the totals from the fields as they stand, whether or not a
    // change rule ran for them.
    void recomputeAll();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fuelChanged(int row);

    Fields m_fields;
    std::array<TicketLines::RunningAmount, TicketLines::MerchandiseCount> m_running;
};
