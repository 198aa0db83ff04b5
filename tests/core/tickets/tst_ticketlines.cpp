// A ticket's figures worked out at once, as the database tool fills its demo tickets,
// must be what the screens' change rules leave; and a ticket whose amounts cannot be
// stored names the first such field.

#include "tickets/TicketColumns.h"
#include "tickets/TicketLines.h"

#include <QSqlField>
#include <QTest>

using namespace TicketLines;

namespace {

Amounts lines(const QList<QPair<int, QPair<QString, QString>>> &fuel, const QList<QPair<int, QString>> &merchandise)
{
    Amounts a;
    for (const auto &[row, gallonsAndPrice] : fuel) {
        a.fuel[row].gallons = gallonsAndPrice.first;
        a.fuel[row].priceEach = gallonsAndPrice.second;
    }
    for (const auto &[line, amount] : merchandise)
        a.merchandise[line] = amount;
    return a;
}

} // namespace

class tst_TicketLines : public QObject
{
    Q_OBJECT

private slots:
    void figure_data();
    void figure();
    void storedColumns();
    void unstorableAmounts_data();
    void unstorableAmounts();
};

void tst_TicketLines::figure_data()
{
    QTest::addColumn<Amounts>("amounts");
    QTest::addColumn<double>("taxRate");
    QTest::addColumn<QStringList>("expected"); // diesel ext, discount gallons, discount ext, subtotal, tax, total

    QTest::newRow("a tie goes to the even cent") << lines({{Gas, {"1", "2.125"}}, {Diesel, {"12.5", "3.459"}}}, {}) << 0.0825
                                                 << QStringList{"43.24", "12.5", "0", "45.36", "0", "45.36"};
    QTest::newRow("the discount runs over diesel and off-road gallons")
        << lines({{Diesel, {"100", "1"}}, {Reefer, {"20", "0"}}, {Discount, {"", "-0.05"}}}, {}) << 0.0825
        << QStringList{"100", "120", "-6", "94", "0", "94"};
    QTest::newRow("tax on merchandise only, unrounded")
        << lines({{Diesel, {"100", "1"}}}, {{Oil, "10"}}) << 0.0825 << QStringList{"100", "100", "0", "110", "0.825", "110.825"};
}

void tst_TicketLines::figure()
{
    QFETCH(Amounts, amounts);
    QFETCH(double, taxRate);
    QFETCH(QStringList, expected);
    TicketLines::figure(amounts, taxRate);
    const QStringList shown = {amounts.fuel[Diesel].priceExt.toString(),
                               amounts.fuel[Discount].gallons.toString(),
                               amounts.fuel[Discount].priceExt.toString(),
                               amounts.subtotal.toString(),
                               amounts.tax.toString(),
                               amounts.total.toString()};
    QCOMPARE(shown, expected);
}

// A save stores gallons, prices and lines as the numbers they read, unrounded, and the
// three totals to the cent; reading the row back shows the stored values.
void tst_TicketLines::storedColumns()
{
    Amounts a = lines({{Diesel, {"100.0005", "3.899"}}}, {{Oil, "$5"}, {Deli, "2.5abc"}});
    TicketLines::figure(a, 0.0825);
    TicketDetails details;
    details.clerk = QStringLiteral("JD");
    const ColumnValues columns = TicketColumns::write(details, a);
    QSqlRecord row;
    for (const auto &[column, value] : columns) {
        row.append(QSqlField(column, value.metaType()));
        row.setValue(column, value);
    }
    QCOMPARE(row.value("Clerk").toString(), QStringLiteral("JD"));
    QCOMPARE(row.value("DieselGallons").toDouble(), 100.0005);
    QCOMPARE(row.value("OilPriceExt").toDouble(), 0.0);
    QCOMPARE(row.value("DeliPriceExt").toDouble(), 2.5);
    QCOMPARE(row.value("Total").toDouble(), 392.61); // 389.90 + 2.50 + 0.20625 tax = 392.60625
    const Amounts back = TicketColumns::readAmounts(row);
    QCOMPARE(back.fuel[Diesel].gallons.toString(), QStringLiteral("100.0005"));
    QCOMPARE(back.total.toString(), QStringLiteral("392.61"));
    QCOMPARE(TicketColumns::write({}, back).size(), columns.size());
}

void tst_TicketLines::unstorableAmounts_data()
{
    QTest::addColumn<Amounts>("amounts");
    QTest::addColumn<QString>("field");
    QTest::newRow("an ordinary ticket") << lines({{Diesel, {"150", "3.899"}}}, {{Oil, "12"}}) << "";
    QTest::newRow("1e308 gallons of diesel") << lines({{Diesel, {"1e308", "3.899"}}}, {}) << "Diesel Gallons";
    QTest::newRow("1e400 reads as infinity") << lines({{Gas, {"1", "1e400"}}}, {}) << "Gas Price Each";
    QTest::newRow("forty nines in Oil") << lines({}, {{Oil, QString(40, u'9')}}) << "Oil";
    QTest::newRow("lines each storable, their product not") << lines({{Def, {"999999", "999999"}}}, {}) << "DEF Price Ext";
    QTest::newRow("lines each storable, their sum not") << lines({}, {{Oil, "900000000"}, {Grocery, "900000000"}}) << "Subtotal";
}

void tst_TicketLines::unstorableAmounts()
{
    QFETCH(Amounts, amounts);
    QFETCH(QString, field);
    TicketLines::figure(amounts, 0.0825);
    QCOMPARE(TicketColumns::unstorableAmount(amounts).value_or(QString()), field);
}

QTEST_APPLESS_MAIN(tst_TicketLines)
#include "tst_ticketlines.moc"
