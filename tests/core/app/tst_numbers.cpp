// The number rules of every amount field: reading what was typed, writing computed
// values back, rounding half to even, and showing values through display patterns.

#include "giftcards/SwipedCard.h"
#include "app/Numbers.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <cmath>

class tst_Numbers : public QObject
{
    Q_OBJECT

private slots:
    void parseLeadingNumber_data();
    void parseLeadingNumber();
    void plainText_data();
    void plainText();
    void roundHalfEven_data();
    void roundHalfEven();
    void format_data();
    void format();
    void formatText_data();
    void formatText();
    void swipedCard_data();
    void swipedCard();
    void commaDecimalLocale_data();
    void commaDecimalLocale();
};

void tst_Numbers::parseLeadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("an empty text is 0") << "" << 0.0;
    QTest::newRow("blanks only are 0") << " \t\r\n " << 0.0;
    QTest::newRow("a currency sign in front gives 0") << "$5" << 0.0;
    QTest::newRow("letters only give 0") << "abc" << 0.0;
    QTest::newRow("a lone sign gives 0") << "-" << 0.0;
    QTest::newRow("a lone point gives 0") << "." << 0.0;
    QTest::newRow("a whole number") << "42" << 42.0;
    QTest::newRow("a number followed by letters stops at them") << "12.5abc" << 12.5;
    QTest::newRow("a thousands separator ends the number") << "1,234" << 1.0;
    QTest::newRow("a decimal comma ends the number") << "3,75" << 3.0;
    QTest::newRow("leading blanks, tabs and line ends are skipped") << " \t\n 4.25" << 4.25;
    QTest::newRow("blanks between digits are skipped") << "1 2 3" << 123.0;
    QTest::newRow("blanks between sign and digits are skipped") << "- 5" << -5.0;
    QTest::newRow("blanks around the point are skipped") << "1 . 5" << 1.5;
    QTest::newRow("a plus sign") << "+7" << 7.0;
    QTest::newRow("a minus sign") << "-30" << -30.0;
    QTest::newRow("a second sign ends the number before any digit") << "--5" << 0.0;
    QTest::newRow("a sign after the digits ends the number") << "5-3" << 5.0;
    QTest::newRow("a second decimal point ends the number") << "1.2.3" << 1.2;
    QTest::newRow("a fraction without integer digits") << ".5" << 0.5;
    QTest::newRow("a point without fraction digits") << "5." << 5.0;
    QTest::newRow("leading zeros") << "0012" << 12.0;
    QTest::newRow("an exponent") << "1E3" << 1000.0;
    QTest::newRow("an exponent after a fraction") << "1.5E2" << 150.0;
    QTest::newRow("a lower-case exponent") << "2e3" << 2000.0;
    QTest::newRow("a negative exponent") << "25E-2" << 0.25;
    QTest::newRow("blanks around the E are skipped") << "1 E 2" << 100.0;
    QTest::newRow("an E without digits is not an exponent") << "1E" << 1.0;
    QTest::newRow("an E with a sign but no digits is not an exponent") << "7E+" << 7.0;
    QTest::newRow("an E followed by letters is not an exponent") << "7Ex" << 7.0;
    QTest::newRow("a point in the exponent ends it") << "1E2.5" << 100.0;
    QTest::newRow("an E alone is not a number") << "E5" << 0.0;
    QTest::newRow("a multiplication ends at the x") << "12.5 x 3" << 12.5;
    QTest::newRow("a typographic minus is not a sign") << QString::fromUtf8("\u22125") << 0.0;
    QTest::newRow("full-width digits are not digits") << QString::fromUtf8("\uFF11\uFF12") << 0.0;
    QTest::newRow("a long fraction keeps its value") << "0.1234567890123456" << 0.1234567890123456;
}

void tst_Numbers::parseLeadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(Numbers::parseLeadingNumber(text), expected);
}

void tst_Numbers::plainText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("twelve and a half") << 12.5 << "12.5";
    QTest::newRow("minus thirty has no point") << -30.0 << "-30";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero is written as zero") << -0.0 << "0";
    QTest::newRow("a whole hundred keeps its zeros") << 100.0 << "100";
    QTest::newRow("a sum with binary noise is written as the user sees it") << 0.1 + 0.2 << "0.3";
    QTest::newRow("one third stops at 15 significant digits") << 1.0 / 3 << "0.333333333333333";
    QTest::newRow("two thirds rounds the 15th digit") << 2.0 / 3 << "0.666666666666667";
    QTest::newRow("an extension with four decimals") << 12.5 * 3.459 << "43.2375";
    QTest::newRow("a negative payment with cents") << -1234.56 << "-1234.56";
    QTest::newRow("no digit grouping") << 1234567.891 << "1234567.891";
    QTest::newRow("a tiny negative amount") << -0.000001 << "-0.000001";
    QTest::newRow("a small value without exponent") << 1.5e-7 << "0.00000015";
    QTest::newRow("a value of 18 digits keeps 15 and pads with zeros") << 123456789012345678.0 << "123456789012346000";
    QTest::newRow("fifteen nines and a fraction carry into a new digit") << 999999999999999.9 << "1000000000000000";
    QTest::newRow("a huge value without exponent") << 1e20 << "100000000000000000000";
    QTest::newRow("a tiny value without exponent") << 1e-20 << "0.00000000000000000001";
    QTest::newRow("a value near the top of the range") << 1.2345e300 << QStringLiteral("12345") + QString(296, u'0');
    QTest::newRow("the smallest double") << 4.9406564584124654e-324
                                         << QStringLiteral("0.") + QString(323, u'0') + QStringLiteral("494065645841247");
}

void tst_Numbers::plainText()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(Numbers::plainText(value), expected);
    // What the program writes it reads back as the same 15-digit value.
    QCOMPARE(Numbers::plainText(Numbers::parseLeadingNumber(Numbers::plainText(value))), expected);
}

void tst_Numbers::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("expected");

    QTest::newRow("2.125 is a tie and goes down to the even 2.12") << 2.125 << 2 << 2.12;
    QTest::newRow("0.125 is a tie and goes down to 0.12") << 0.125 << 2 << 0.12;
    QTest::newRow("0.135 is a tie and goes up to 0.14") << 0.135 << 2 << 0.14;
    QTest::newRow("12.5 gallons at 3.459 make 43.24") << 12.5 * 3.459 << 2 << 43.24;
    QTest::newRow("1 gallon at 2.125 makes 2.12") << 1 * 2.125 << 2 << 2.12;
    QTest::newRow("a negative tie goes to the even neighbour") << -2.125 << 2 << -2.12;
    QTest::newRow("a negative tie goes up in size when that is even") << -0.135 << 2 << -0.14;
    QTest::newRow("2.675 lies just below the tie in binary and still rounds as a tie") << 2.675 << 2 << 2.68;
    QTest::newRow("1.005 lies just below the tie in binary and goes to the even 1") << 1.005 << 2 << 1.0;
    QTest::newRow("1.015 lies just below the tie in binary and goes to 1.02") << 1.015 << 2 << 1.02;
    QTest::newRow("0.285 lies just below the tie in binary and goes to 0.28") << 0.285 << 2 << 0.28;
    QTest::newRow("0.045 lies just below the tie in binary and goes to 0.04") << 0.045 << 2 << 0.04;
    QTest::newRow("9.995 carries into a new digit") << 9.995 << 2 << 10.0;
    QTest::newRow("9.985 goes to the even 9.98") << 9.985 << 2 << 9.98;
    QTest::newRow("just above a tie goes up") << 2.1251 << 2 << 2.13;
    QTest::newRow("just below a tie goes down") << 2.12499 << 2 << 2.12;
    QTest::newRow("a value already at the decimals stays") << 43.24 << 2 << 43.24;
    QTest::newRow("a whole number stays") << 1000.0 << 2 << 1000.0;
    QTest::newRow("half a cent goes to zero") << 0.005 << 2 << 0.0;
    QTest::newRow("one and a half cents go to two") << 0.015 << 2 << 0.02;
    QTest::newRow("less than half a cent goes to zero") << 0.0049 << 2 << 0.0;
    QTest::newRow("a thousandth of a cent goes to zero") << 0.00001 << 2 << 0.0;
    QTest::newRow("a negative fraction of a cent gives zero, not minus zero") << -0.001 << 2 << 0.0;
    QTest::newRow("a price tie with three decimals goes down") << 3.4565 << 3 << 3.456;
    QTest::newRow("a price tie with three decimals goes up") << 3.4575 << 3 << 3.458;
    QTest::newRow("2.5 to a whole number is 2") << 2.5 << 0 << 2.0;
    QTest::newRow("3.5 to a whole number is 4") << 3.5 << 0 << 4.0;
    QTest::newRow("0.5 to a whole number is 0") << 0.5 << 0 << 0.0;
    QTest::newRow("-0.5 to a whole number is 0") << -0.5 << 0 << 0.0;
    QTest::newRow("0.6 to a whole number is 1") << 0.6 << 0 << 1.0;
    QTest::newRow("a huge value stays") << 1e20 << 2 << 1e20;
    QTest::newRow("a sum of cents with binary noise") << 0.1 + 0.7 << 2 << 0.8;
}

void tst_Numbers::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(double, expected);
    const double rounded = Numbers::roundHalfEven(value, decimals);
    QCOMPARE(rounded, expected);
    QCOMPARE(std::signbit(rounded), std::signbit(expected));
}

void tst_Numbers::format_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");

    const QString money = QStringLiteral("$#,##0.00;($#,##0.00)");
    QTest::newRow("money: an amount with cents") << 12.5 << money << "$12.50";
    QTest::newRow("money: thousands are grouped") << 1234.5 << money << "$1,234.50";
    QTest::newRow("money: millions are grouped") << 1234567890.5 << money << "$1,234,567,890.50";
    QTest::newRow("money: a round thousand") << 1000.0 << money << "$1,000.00";
    QTest::newRow("money: just below a thousand has no separator") << 999.0 << money << "$999.00";
    QTest::newRow("money: a negative amount in parentheses") << -1234.5 << money << "($1,234.50)";
    QTest::newRow("money: a negative amount below one dollar") << -0.5 << money << "($0.50)";
    QTest::newRow("money: zero") << 0.0 << money << "$0.00";
    QTest::newRow("money: a fraction of a cent shows as zero") << 0.001 << money << "$0.00";
    QTest::newRow("money: a tie rounds to even") << 2.125 << money << "$2.12";
    QTest::newRow("money: a tie below in binary rounds as a tie") << 2.675 << money << "$2.68";
    QTest::newRow("money: rounding carries into the thousands") << 999.995 << money << "$1,000.00";
    QTest::newRow("money: an extension of four decimals") << 12.5 * 3.459 << money << "$43.24";

    const QString gallons = QStringLiteral("#,##0.000;(#,##0.000)");
    QTest::newRow("three decimals: a price") << 3.899 << gallons << "3.899";
    QTest::newRow("three decimals: a whole number") << 1234.0 << gallons << "1,234.000";
    QTest::newRow("three decimals: a negative discount") << -0.05 << gallons << "(0.050)";
    QTest::newRow("three decimals: zero") << 0.0 << gallons << "0.000";
    QTest::newRow("three decimals: a tie rounds to even") << 3.4565 << gallons << "3.456";

    const QString price = QStringLiteral("$#,##0.000;($#,##0.000)");
    QTest::newRow("price: a diesel price") << 3.459 << price << "$3.459";
    QTest::newRow("price: a negative discount") << -0.04 << price << "($0.040)";
    QTest::newRow("price: zero") << 0.0 << price << "$0.000";
    QTest::newRow("price: a thousand") << 1000.0 << price << "$1,000.000";
    QTest::newRow("price: four decimals round") << 3.4587 << price << "$3.459";

    const QString rate = QStringLiteral("#,##0.00%;(#,##0.00)%");
    QTest::newRow("rate: a tax rate is shown times 100") << 0.0825 << rate << "8.25%";
    QTest::newRow("rate: a negative rate in parentheses") << -0.05 << rate << "(5.00)%";
    QTest::newRow("rate: zero") << 0.0 << rate << "0.00%";
    QTest::newRow("rate: a large rate is grouped") << 12.5 << rate << "1,250.00%";

    const QString percent = QStringLiteral("#,##0.00%");
    QTest::newRow("percent: a fraction") << 0.0785 << percent << "7.85%";
    QTest::newRow("percent: one is a hundred per cent") << 1.0 << percent << "100.00%";
    QTest::newRow("percent: a negative value without its own section has a minus") << -0.0825 << percent << "-8.25%";
    QTest::newRow("percent: a negative value that rounds to zero has no minus") << -0.00001 << percent << "0.00%";
    QTest::newRow("percent: zero") << 0.0 << percent << "0.00%";

    const QString phone = QStringLiteral("(###) ###-####");
    QTest::newRow("phone: ten digits") << 4175550142.0 << phone << "(417) 555-0142";
    QTest::newRow("phone: seven digits leave the area code empty") << 5551234.0 << phone << "() 555-1234";
    QTest::newRow("phone: a fraction rounds away") << 4175550142.6 << phone << "(417) 555-0143";
    QTest::newRow("phone: a negative number has a minus") << -4175550142.0 << phone << "-(417) 555-0142";
    QTest::newRow("phone: zero shows no digits") << 0.0 << phone << "() -";
    QTest::newRow("phone: extra digits go in front") << 14175550142.0 << phone << "(1417) 555-0142";
}

void tst_Numbers::format()
{
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(Numbers::format(value, pattern), expected);
}

void tst_Numbers::formatText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("an empty field stays empty") << ""
                                                << "";
    QTest::newRow("blanks stay as they are") << "  "
                                             << "  ";
    QTest::newRow("a word is shown unchanged") << "abc"
                                               << "abc";
    QTest::newRow("a number with letters after it is shown unchanged") << "12.5abc"
                                                                       << "12.5abc";
    QTest::newRow("a plain amount") << "12.5"
                                    << "$12.50";
    QTest::newRow("a negative amount") << "-30"
                                       << "($30.00)";
    QTest::newRow("an amount with blanks around it") << " 7 "
                                                     << "$7.00";
    QTest::newRow("a zero") << "0"
                            << "$0.00";
}

void tst_Numbers::formatText()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(Numbers::formatText(text, QStringLiteral("$#,##0.00;($#,##0.00)")), expected);
}

void tst_Numbers::swipedCard_data()
{
    QTest::addColumn<QString>("swipe");
    QTest::addColumn<QString>("expected");

    QTest::newRow("an 11-character swipe gives its middle nine") << "%600100001?"
                                                                 << "600100001";
    QTest::newRow("any 11 characters give their middle nine") << "ABCDEFGHIJK"
                                                              << "BCDEFGHIJ";
    QTest::newRow("10 characters are not a card") << "%60010000?"
                                                  << "NA";
    QTest::newRow("12 characters are not a card") << "%6001000011?"
                                                  << "NA";
    QTest::newRow("an empty field is not a card") << ""
                                                  << "NA";
    QTest::newRow("a typed card number without sentinels is not a card") << "600100001"
                                                                         << "NA";
}

void tst_Numbers::swipedCard()
{
    QFETCH(QString, swipe);
    QFETCH(QString, expected);
    QCOMPARE(ParseSwipedCard(swipe), expected);
}

// The program starts with the user's locale (Qt sets it from the environment), and a
// workstation set up for a language that writes 12,5 must still read and write 12.5.
void tst_Numbers::commaDecimalLocale_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");

    static QTemporaryDir locales;
    const QString localedef = QStandardPaths::findExecutable(QStringLiteral("localedef"));
    if (localedef.isEmpty())
        QSKIP("localedef is not installed; no comma-decimal locale to try");
    if (QProcess::execute(localedef, {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                                      QStringLiteral("UTF-8"), locales.filePath(QStringLiteral("de_DE.UTF-8"))})
        > 1)
        QSKIP("localedef could not build a comma-decimal locale");
    qputenv("LOCPATH", QFile::encodeName(locales.path()));
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        QSKIP("the comma-decimal locale cannot be selected");
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    QCOMPARE(QByteArray(probe), QByteArray("0,5")); // the locale really writes a comma

    const QString money = QStringLiteral("$#,##0.00;($#,##0.00)");
    QTest::newRow("plain text of twelve and a half") << Numbers::plainText(12.5) << "12.5";
    QTest::newRow("plain text of a tiny value") << Numbers::plainText(1.5e-7) << "0.00000015";
    QTest::newRow("reading a typed amount") << Numbers::plainText(Numbers::parseLeadingNumber(u"12.5abc")) << "12.5";
    QTest::newRow("reading an exponent") << Numbers::plainText(Numbers::parseLeadingNumber(u"1.5E2")) << "150";
    QTest::newRow("rounding a tie") << Numbers::plainText(Numbers::roundHalfEven(2.125, 2)) << "2.12";
    QTest::newRow("rounding an extension") << Numbers::plainText(Numbers::roundHalfEven(12.5 * 3.459, 2)) << "43.24";
    QTest::newRow("showing money") << Numbers::format(1234.5, money) << "$1,234.50";
    QTest::newRow("showing a rate") << Numbers::format(0.0825, QStringLiteral("#,##0.00%")) << "8.25%";
    QTest::newRow("showing a typed amount") << Numbers::formatText(QStringLiteral("12.5"), money) << "$12.50";
    std::setlocale(LC_NUMERIC, "C");
}

void tst_Numbers::commaDecimalLocale()
{
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

QTEST_GUILESS_MAIN(tst_Numbers)
#include "tst_numbers.moc"
