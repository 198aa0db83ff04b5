#pragma once

#include <QString>
#include <QStringView>

#include <array>

// The arithmetic of a ticket's purchase lines, shared by the charge and the cash ticket
// screens. Everything works on the fields' plain texts: a field is read with
// Numbers::parseLeadingNumber and a computed value goes back as Numbers::plainText, so
// what a screen shows is exactly what the next rule reads.
namespace TicketLines {

// The fuel rows in screen order.
enum FuelRow { Gas, Diesel, Reefer, Discount, Def, FuelRowCount };
// The merchandise lines in screen order; all of them are taxed.
enum Merchandise { Oil, Addatives, Antifreeze, Washer, Grocery, Deli, Tobacco, MerchandiseCount };

// Gallons times price each, rounded half-even to the cent.
QString extension(QStringView gallons, QStringView priceEach);

// The gallons the discount applies to: diesel and off-road diesel together, unrounded.
// Gas and DEF are never discounted.
QString discountGallons(QStringView dieselGallons, QStringView reeferGallons);

// A default price per gallon from the settings, rounded half-even to three decimals.
QString defaultPrice(double pricePerGallon);

struct Totals
{
    QString subtotal;
    QString tax;
    QString total;
};

// Subtotal of every extension and merchandise amount, tax on the merchandise only, and
// their sum. None of them is rounded: the fields show two decimals and the save rounds.
// The total adds the subtotal and tax as written, so it matches what the fields show.
Totals totals(const std::array<QStringView, FuelRowCount> &extensions,
              const std::array<QStringView, MerchandiseCount> &merchandise, double taxRate);

// The running sum of one merchandise field: "+" puts the amount typed so far aside and
// starts the next one; Enter writes the sum back; Escape forgets it.
class RunningAmount
{
public:
    // Gaining the focus starts a new sum.
    void reset() { m_amount = 0; }
    // "+": the field's amount is put aside; the field is then emptied.
    void add(QStringView fieldText);
    // Enter: the field's new text, its amount plus what was put aside.
    QString total(QStringView fieldText) const;
    double amount() const { return m_amount; }

private:
    double m_amount = 0;
};

} // namespace TicketLines
