#pragma once

#include "app/Settings.h"
#include "tickets/TicketLines.h"

#include <QGroupBox>
#include <QList>

#include <array>
#include <functional>

class AmountField;
class QRadioButton;

// The "Purchase Info" group both ticket screens share: the five fuel rows (gallons @
// price each = extension), the seven merchandise lines, subtotal, tax and total, and
// the two print options. Its rules follow the fields' plain text, so changes the screen
// makes run them as typing does:
// - a change of gallons or a price recomputes its extension (and a change of diesel or
//   off-road gallons the discount gallons);
// - a change of an extension or a merchandise amount recomputes subtotal, tax and total;
// - each merchandise field keeps a running sum: "+" puts the amount aside, Enter writes
//   the sum back, Escape forgets it.
// The screen says which merchandise lines are usable, and gives the tax rate and the
// default prices; the panel reads no settings of its own.
class PurchaseLinesPanel : public QGroupBox
{
    Q_OBJECT
public:
    // taxRate is asked for every time the totals are figured.
    PurchaseLinesPanel(std::function<double()> taxRate, QWidget *parent = nullptr);

    // Empties every line and puts the default prices per gallon (rounded to three
    // decimals) in the diesel, off-road, discount and DEF rows; the gas price stays
    // empty. Afterwards every extension and total reads 0. The print option and which
    // merchandise lines are usable stay as they are.
    void clear(const CompanySettings &prices);
    // True while no gallons and no merchandise amount have been typed or shown.
    bool isBlank() const;
    // A blank ticket takes new default prices per gallon, as clear() puts them; a ticket
    // with lines keeps the prices it shows.
    void takeNewPrices(const CompanySettings &prices);

    // The lines as their fields hold them.
    TicketLines::Amounts amounts() const;
    // Shows stored amounts. Every stored extension and the stored totals land after the
    // fields they are figured from, so the panel ends showing the row. A NULL amount
    // leaves its field as the change rules made it (extensions, totals) or empty.
    void showAmounts(const TicketLines::Amounts &amounts);

    void setMerchandiseUsable(int merchandise, bool usable);
    bool printDate() const;

    AmountField *gallons(int row) const { return m_gallons[row]; }
    AmountField *priceEach(int row) const { return m_priceEach[row]; }
    AmountField *priceExt(int row) const { return m_priceExt[row]; }
    AmountField *merchandise(int line) const { return m_merchandise[line]; }
    AmountField *total() const { return m_total; }

    // The fields the clerk can reach, in tab order: gallons and price of each row, the
    // merchandise lines, then the two print options.
    QList<QWidget *> tabOrder() const;

    // Where Enter in `field` sends the focus, walking `before` (the screen's fields
    // ahead of the panel) and then the panel's own lines, skipping lines that are not
    // usable; `after` once the walk is done. Enter in a merchandise line first writes its
    // running sum back. Null when the field is in neither walk.
    QWidget *enterPressed(QWidget *field, const QList<QWidget *> &before, QWidget *after);

    // Every extension and the totals again, from the fields as they stand.
    void recomputeAll();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void fuelChanged(int row);
    void recomputeTotals();
    // Runs a change whose lines move other lines (gallons move the discount gallons), with
    // the totals written once at its end instead of once for every line it moves: a
    // keystroke then formats and lays out each total once.
    template <typename Change>
    void changeThenTotal(Change change);
    int merchandiseIndex(const QObject *field) const;

    std::function<double()> m_taxRate;
    bool m_totalsHeld = false;
    bool m_totalsDue = false;
    std::array<AmountField *, TicketLines::FuelRowCount> m_gallons{};
    std::array<AmountField *, TicketLines::FuelRowCount> m_priceEach{};
    std::array<AmountField *, TicketLines::FuelRowCount> m_priceExt{};
    std::array<AmountField *, TicketLines::MerchandiseCount> m_merchandise{};
    AmountField *m_subtotal = nullptr;
    AmountField *m_tax = nullptr;
    AmountField *m_total = nullptr;
    QRadioButton *optPrint = nullptr;
    QRadioButton *optDontPrint = nullptr;
    std::array<TicketLines::RunningAmount, TicketLines::MerchandiseCount> m_running;
};
