#pragma once

#include <optional>

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>

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

// How one fuel row is named everywhere: the stem of its columns and fields
// (<stem>Gallons, <stem>PriceEach, <stem>PriceExt; txt<stem>Gallons, ...) and its caption.
struct FuelLine
{
    QString stem;
    QString caption;

    QString gallonsColumn() const { return stem + QStringLiteral("Gallons"); }
    QString priceEachColumn() const { return stem + QStringLiteral("PriceEach"); }
    QString priceExtColumn() const { return stem + QStringLiteral("PriceExt"); }
};

// How one merchandise line is named: its column, its field, its caption on screen and
// its caption on the printed tickets.
struct MerchandiseLine
{
    QString column;
    QString field;
    QString caption;
    QString printedCaption;
};

// The line columns as data, defined once: in screen order, as the stores write them,
// the printed tickets show them and the database tool fills them.
const std::array<FuelLine, FuelRowCount> &fuelLines();
const std::array<MerchandiseLine, MerchandiseCount> &merchandiseLines();
// Every amount column of a ticket row in order: the fuel rows' three columns each, the
// merchandise columns, then Subtotal, Tax and Total.
QStringList amountColumns();

// The amounts of a ticket as the screens hold them: the plain text of every field. A
// stored NULL is an invalid value.
struct Amounts
{
    struct Fuel
    {
        QVariant gallons;
        QVariant priceEach;
        QVariant priceExt;
    };
    std::array<Fuel, FuelRowCount> fuel;
    std::array<QVariant, MerchandiseCount> merchandise;
    QVariant subtotal;
    QVariant tax;
    QVariant total;
};

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

// Every figure of a ticket from its gallons, prices and merchandise, as the screens'
// change rules leave them: each extension, the discount gallons over diesel and reefer,
// then the subtotal, tax and total.
void figure(Amounts &amounts, double taxRate);

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

// What a card type lets a card buy besides fuel, which is never restricted: the general
// lines (oil, additives, antifreeze, washer fluid) and the store lines (grocery, deli,
// tobacco). Types "1", "2" and "3" decide; any other type decides nothing, and the lines
// stay as the previous card left them.
struct CardTypeAllows
{
    bool general = false;
    bool store = false;

    // Whether the card may buy this merchandise line.
    bool line(int merchandise) const { return merchandise <= Washer ? general : store; }
};
std::optional<CardTypeAllows> cardTypeAllows(const QString &cardType);
// The same in words, for the customer screen's card type; "" for a type that decides
// nothing.
QString cardTypeMeaning(const QString &cardType);

// The first merchandise line of the amounts that the card type does not let the card
// buy, holding an amount other than 0; nothing when the type allows every line that
// holds one (a type that decides nothing allows them all). `stored` are the amounts of
// the same ticket as stored on the same card: a line that keeps its stored amount sells
// nothing new, so a ticket sold before its card's type changed can still be printed
// again, while anything added to it is checked.
std::optional<int> merchandiseRefused(const QString &cardType, const Amounts &amounts, const Amounts *stored = nullptr);
// "The card 1234AB may not buy Oil. Nothing was saved."
QString merchandiseRefusal(const QString &accountNumber, int merchandise);

} // namespace TicketLines
