#include "tickets/TicketLines.h"

#include "app/Numbers.h"

namespace TicketLines {

using Numbers::parseLeadingNumber;
using Numbers::plainText;

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

void RunningAmount::add(QStringView fieldText) { m_amount += parseLeadingNumber(fieldText); }

QString RunningAmount::total(QStringView fieldText) const { return plainText(parseLeadingNumber(fieldText) + m_amount); }

} // namespace TicketLines
