#include "tickets/AccountCheck.h"
#include "tickets/TicketLines.h"

#include <QTest>

using namespace TicketLines;

// The arithmetic and account rules that need no screen.
class TestTicketLines : public QObject
{
    Q_OBJECT

private slots:
    void extensionRoundsHalfEven_data()
    {
        QTest::addColumn<QString>("gallons");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("extension");
        QTest::newRow("twelve and a half gallons at 3.459") << "12.5" << "3.459" << "43.24";
        QTest::newRow("a tie goes down to the even cent") << "1" << "2.125" << "2.12";
        QTest::newRow("a tie goes up to the even cent") << "1" << "2.135" << "2.14";
        QTest::newRow("a negative tie goes to the even cent") << "1" << "-0.125" << "-0.12";
        QTest::newRow("whole dollars have no decimals") << "100" << "3" << "300";
        QTest::newRow("a price with a dollar sign reads as 0") << "10" << "$3.10" << "0";
        QTest::newRow("empty gallons give 0") << "" << "3.899" << "0";
        QTest::newRow("text after the number is ignored") << "10 gal" << "2.5" << "25";
    }
    void extensionRoundsHalfEven()
    {
        QFETCH(QString, gallons);
        QFETCH(QString, price);
        QTEST(extension(gallons, price), "extension");
    }

    void discountGallonsAddDieselAndReefer_data()
    {
        QTest::addColumn<QString>("diesel");
        QTest::addColumn<QString>("reefer");
        QTest::addColumn<QString>("discount");
        QTest::newRow("diesel and reefer together") << "100" << "20" << "120";
        QTest::newRow("unrounded") << "10.1234" << "0.0001" << "10.1235";
        QTest::newRow("both empty") << "" << "" << "0";
    }
    void discountGallonsAddDieselAndReefer()
    {
        QFETCH(QString, diesel);
        QFETCH(QString, reefer);
        QTEST(discountGallons(diesel, reefer), "discount");
    }

    void defaultPriceRoundsToThreeDecimals()
    {
        QCOMPARE(defaultPrice(3.8995), QStringLiteral("3.9"));
        QCOMPARE(defaultPrice(3.8985), QStringLiteral("3.898"));
        QCOMPARE(defaultPrice(0), QStringLiteral("0"));
    }

    void totalsTaxOnlyMerchandise_data()
    {
        QTest::addColumn<QStringList>("extensions");
        QTest::addColumn<QStringList>("merchandise");
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("subtotal");
        QTest::addColumn<QString>("tax");
        QTest::addColumn<QString>("total");
        QTest::newRow("fuel 100 and oil 10 keep the unrounded tax")
            << QStringList{"100", "0", "0", "0", "0"} << QStringList{"10", "", "", "", "", "", ""} << 0.0825 << "110"
            << "0.825" << "110.825";
        QTest::newRow("a negative discount lowers the subtotal")
            << QStringList{"0", "300", "70", "-6", "0"} << QStringList{"", "", "", "", "", "", ""} << 0.0825 << "364"
            << "0" << "364";
        QTest::newRow("every merchandise line is taxed")
            << QStringList{"0", "0", "0", "0", "0"} << QStringList{"1", "1", "1", "1", "1", "1", "1"} << 0.1 << "7"
            << "0.7" << "7.7";
        QTest::newRow("DEF counts but is not taxed")
            << QStringList{"0", "0", "0", "0", "7.5"} << QStringList{"", "", "", "", "", "", "2"} << 0.5 << "9.5" << "1"
            << "10.5";
    }
    void totalsTaxOnlyMerchandise()
    {
        QFETCH(QStringList, extensions);
        QFETCH(QStringList, merchandise);
        QFETCH(double, rate);
        std::array<QStringView, FuelRowCount> ext;
        for (int i = 0; i < FuelRowCount; ++i)
            ext[i] = extensions[i];
        std::array<QStringView, MerchandiseCount> merch;
        for (int i = 0; i < MerchandiseCount; ++i)
            merch[i] = merchandise[i];
        const Totals t = totals(ext, merch, rate);
        QTEST(t.subtotal, "subtotal");
        QTEST(t.tax, "tax");
        QTEST(t.total, "total");
    }

    void accountFromEnter_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("account"); // "-" when Enter does nothing
        QTest::newRow("six characters as typed") << "1234AB" << "1234AB";
        QTest::newRow("seven characters as typed") << "1234ABC" << "1234ABC";
        QTest::newRow("eight lose the first and the last") << ";1234AB?" << "1234AB";
        QTest::newRow("nine keep characters 2 to 8") << "%1234ABC?" << "1234ABC";
        QTest::newRow("eleven keep characters 2 to 7") << ";1234AB=99?" << "1234AB";
        QTest::newRow("five do nothing") << "1234A" << "-";
        QTest::newRow("ten do nothing") << "1234567890" << "-";
        QTest::newRow("twelve do nothing") << "123456789012" << "-";
        QTest::newRow("empty does nothing") << "" << "-";
    }
    void accountFromEnter()
    {
        QFETCH(QString, typed);
        const std::optional<QString> account = AccountCheck::accountFromEnter(typed);
        QTEST(account.value_or(QStringLiteral("-")), "account");
    }

    void cardNumberKeepsTheWholeCard()
    {
        QCOMPARE(AccountCheck::customerIdOf(QStringLiteral("1234ABC")), QStringLiteral("1234"));
        QCOMPARE(AccountCheck::cardNumberOf(QStringLiteral("1234ABC")), QStringLiteral("ABC"));
        QCOMPARE(AccountCheck::cardNumberOf(QStringLiteral("1234AB")), QStringLiteral("AB"));
        // Text edited after the check keeps the last two characters as the card.
        QCOMPARE(AccountCheck::cardNumberOf(QStringLiteral("1234ABCD")), QStringLiteral("CD"));
    }

    void runningAmount()
    {
        RunningAmount r;
        r.add(u"5");
        r.add(u"+3.25");
        QCOMPARE(r.total(u"+1.75"), QStringLiteral("10"));
        r.reset();
        QCOMPARE(r.total(u"+2"), QStringLiteral("2"));
    }
};

QTEST_GUILESS_MAIN(TestTicketLines)
#include "tst_ticketlines.moc"
