#include "tickets/TicketLines.h"

#include "app/Numbers.h"

namespace TicketLines {

using Numbers::parseLeadingNumber;
using Numbers::plainText;

const std::array<FuelLine, FuelRowCount> &fuelLines()
{
    static const std::array<FuelLine, FuelRowCount> lines = {{
        {QStringLiteral("Gas"), QStringLiteral("Gas")},
        {QStringLiteral("Diesel"), QStringLiteral("Diesel")},
        {QStringLiteral("Reefer"), QStringLiteral("Off Road Diesel")},
        {QStringLiteral("Discount"), QStringLiteral("Discount")},
        {QStringLiteral("DEF"), QStringLiteral("DEF")},
    }};
    return lines;
}

const std::array<MerchandiseLine, MerchandiseCount> &merchandiseLines()
{
    // The column and field names keep their historic spellings: stored rows use them.
    static const std::array<MerchandiseLine, MerchandiseCount> lines = {{
        {QStringLiteral("OilPriceExt"), QStringLiteral("txtOil"), QStringLiteral("Oil"), QStringLiteral("Oil")},
        {QStringLiteral("AddativePriceExt"), QStringLiteral("txtAddatives"), QStringLiteral("Addatives"),
         QStringLiteral("Additives")},
        {QStringLiteral("AntifreezePriceExt"), QStringLiteral("txtAntifreeze"), QStringLiteral("Antifreeze"),
         QStringLiteral("Antifreeze")},
        {QStringLiteral("WasherPriceExt"), QStringLiteral("txtWasher"), QStringLiteral("Windshield Washer Fluid"),
         QStringLiteral("Washer Fluid")},
        {QStringLiteral("GroceryPriceExt"), QStringLiteral("txtGrocery"), QStringLiteral("Grocery"), QStringLiteral("Grocery")},
        {QStringLiteral("DeliPriceExt"), QStringLiteral("txtDeli"), QStringLiteral("Deli"), QStringLiteral("Deli")},
        {QStringLiteral("TobaccoPriceExt"), QStringLiteral("txtTobacco"), QStringLiteral("Tobacco"), QStringLiteral("Tobacco")},
    }};
    return lines;
}

QStringList amountColumns()
{
    QStringList columns;
    for (const FuelLine &line : fuelLines())
        columns << line.gallonsColumn() << line.priceEachColumn() << line.priceExtColumn();
    for (const MerchandiseLine &line : merchandiseLines())
        columns << line.column;
    columns << QStringLiteral("Subtotal") << QStringLiteral("Tax") << QStringLiteral("Total");
    return columns;
}

QString extension(QStringView gallons, QStringView priceEach)
{
    return plainText(Numbers::roundHalfEven(parseLeadingNumber(gallons) * parseLeadingNumber(priceEach), 2));
}

QString discountGallons(QStringView dieselGallons, QStringView reeferGallons)
{
    return plainText(parseLeadingNumber(reeferGallons) + parseLeadingNumber(dieselGallons));
}

QString defaultPrice(double pricePerGallon) { return plainText(Numbers::roundHalfEven(pricePerGallon, 3)); }

Totals totals(const std::array<QStringView, FuelRowCount> &extensions,
              const std::array<QStringView, MerchandiseCount> &merchandise, double taxRate)
{
    double sum = 0;
    for (QStringView line : extensions)
        sum += parseLeadingNumber(line);
    double taxable = 0;
    for (QStringView line : merchandise) {
        const double amount = parseLeadingNumber(line);
        sum += amount;
        taxable += amount;
    }
    Totals result;
    result.subtotal = plainText(sum);
    result.tax = plainText(taxRate * taxable);
    result.total = plainText(parseLeadingNumber(result.subtotal) + parseLeadingNumber(result.tax));
    return result;
}

void figure(Amounts &a, double taxRate)
{
    auto text = [](const QVariant &v) { return v.toString(); };
    a.fuel[Discount].gallons = discountGallons(text(a.fuel[Diesel].gallons), text(a.fuel[Reefer].gallons));
    std::array<QString, FuelRowCount> extensionTexts;
    std::array<QStringView, FuelRowCount> extensions;
    for (int r = 0; r < FuelRowCount; ++r) {
        extensionTexts[r] = extension(text(a.fuel[r].gallons), text(a.fuel[r].priceEach));
        a.fuel[r].priceExt = extensionTexts[r];
        extensions[r] = extensionTexts[r];
    }
    std::array<QString, MerchandiseCount> merchandiseTexts;
    std::array<QStringView, MerchandiseCount> merchandise;
    for (int m = 0; m < MerchandiseCount; ++m) {
        merchandiseTexts[m] = text(a.merchandise[m]);
        merchandise[m] = merchandiseTexts[m];
    }
    const Totals t = totals(extensions, merchandise, taxRate);
    a.subtotal = t.subtotal;
    a.tax = t.tax;
    a.total = t.total;
}

void RunningAmount::add(QStringView fieldText) { m_amount += parseLeadingNumber(fieldText); }

QString RunningAmount::total(QStringView fieldText) const { return plainText(parseLeadingNumber(fieldText) + m_amount); }

std::optional<CardTypeAllows> cardTypeAllows(const QString &cardType)
{
    if (cardType == QLatin1String("1"))
        return CardTypeAllows{true, true};
    if (cardType == QLatin1String("2"))
        return CardTypeAllows{true, false};
    if (cardType == QLatin1String("3"))
        return CardTypeAllows{false, false};
    return std::nullopt;
}

std::optional<int> merchandiseRefused(const QString &cardType, const Amounts &amounts, const Amounts *stored)
{
    const std::optional<CardTypeAllows> allows = cardTypeAllows(cardType);
    if (!allows)
        return std::nullopt;
    for (int m = 0; m < MerchandiseCount; ++m) {
        if (allows->line(m))
            continue;
        const double amount = parseLeadingNumber(amounts.merchandise[m].toString());
        if (amount == 0)
            continue;
        if (stored && amount == parseLeadingNumber(stored->merchandise[m].toString()))
            continue;
        return m;
    }
    return std::nullopt;
}

QString merchandiseRefusal(const QString &accountNumber, int merchandise)
{
    return QStringLiteral("The card %1 may not buy %2. Nothing was saved.")
        .arg(accountNumber, merchandiseLines()[merchandise].caption);
}

QString cardTypeMeaning(const QString &cardType)
{
    const std::optional<CardTypeAllows> allows = cardTypeAllows(cardType);
    if (!allows)
        return {};
    if (allows->general && allows->store)
        return QStringLiteral("fuel and all merchandise");
    if (allows->general)
        return QStringLiteral("fuel, oil, additives, antifreeze and washer fluid");
    return QStringLiteral("fuel only");
}

} // namespace TicketLines
