// What may be stored: amounts a money column holds exactly, texts a one-line field can
// hold, and whether an amount field's text is wholly the number it reads.

#include "app/FieldRules.h"
#include "app/Numbers.h"

#include <QTest>

#include <limits>

class tst_FieldRules : public QObject
{
    Q_OBJECT

private slots:
    void storableAmounts_data();
    void storableAmounts();
    void texts_data();
    void texts();
    void readsWhole_data();
    void readsWhole();
    void refusalsNameTheField();
};

void tst_FieldRules::storableAmounts_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("storable");
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("zero") << 0.0 << true;
    QTest::newRow("a day's diesel") << 1234.56 << true;
    QTest::newRow("the largest amount") << 999999999.99 << true;
    QTest::newRow("the largest amount, negative") << -999999999.99 << true;
    QTest::newRow("a cent past the largest amount") << 1000000000.00 << false;
    QTest::newRow("forty nines") << Numbers::parseLeadingNumber(QString(40, u'9')) << false;
    QTest::newRow("1e308 gallons") << 1e308 << false;
    QTest::newRow("infinity (1e400 read)") << Numbers::parseLeadingNumber(u"1e400") << false;
    QTest::newRow("minus infinity") << -inf << false;
    QTest::newRow("not a number (infinity times zero)") << inf * 0.0 << false;
}

void tst_FieldRules::storableAmounts()
{
    QFETCH(double, value);
    QFETCH(bool, storable);
    QCOMPARE(FieldRules::isStorableAmount(value), storable);
}

void tst_FieldRules::texts_data()
{
    using FieldRules::TextProblem;
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("problem");
    QTest::newRow("apostrophes and quotes are data")
        << "O'NEIL \"BIG\" TRUCKING; DROP TABLE Tickets;--" << 75 << int(TextProblem::None);
    QTest::newRow("accented, CJK and right-to-left text") << QStringLiteral("Café 東京 שלום") << 50 << int(TextProblem::None);
    QTest::newRow("exactly the width") << QString(53, u'x') << 53 << int(TextProblem::None);
    QTest::newRow("one past the width") << QString(54, u'x') << 53 << int(TextProblem::TooLong);
    QTest::newRow("a NUL") << QString::fromUtf16(u"AB\u0000CD", 5) << 50 << int(TextProblem::ControlCharacter);
    QTest::newRow("a tab") << "A\tB" << 50 << int(TextProblem::ControlCharacter);
    QTest::newRow("a line break") << "A\nB" << 50 << int(TextProblem::ControlCharacter);
    QTest::newRow("an escape") << "A\x1b"
                                  "B"
                               << 50 << int(TextProblem::ControlCharacter);
    QTest::newRow("delete") << "A\x7f" << 50 << int(TextProblem::ControlCharacter);
    // Pasted from a web page or a word processor, these break a printed line too.
    QTest::newRow("a next-line control character")
        << QString::fromUtf16(u"A\u0085B", 3) << 50 << int(TextProblem::ControlCharacter);
    QTest::newRow("a line separator") << QString::fromUtf16(u"A\u2028B", 3) << 50 << int(TextProblem::ControlCharacter);
    QTest::newRow("a paragraph separator") << QString::fromUtf16(u"A\u2029", 2) << 50 << int(TextProblem::ControlCharacter);
    QTest::newRow("an emoji is one whole character") << QStringLiteral("Rig \U0001F69A") << 50 << int(TextProblem::None);
    QTest::newRow("half an emoji") << QString::fromUtf16(u"Rig \xD83D", 5) << 50 << int(TextProblem::BrokenCharacter);
    QTest::newRow("the other half alone") << QString::fromUtf16(u"\xDE9A Rig", 5) << 50 << int(TextProblem::BrokenCharacter);
    QTest::newRow("a control character in an over-long text")
        << QString(60, u'x') + u'\x01' << 50 << int(TextProblem::ControlCharacter);
}

void tst_FieldRules::texts()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(int, problem);
    QCOMPARE(int(FieldRules::textProblem(text, width)), problem);
}

void tst_FieldRules::readsWhole_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("whole");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("blanks") << "  " << true;
    QTest::newRow("a plain number") << "12.5" << true;
    QTest::newRow("blanks inside are skipped") << " 1 2 " << true;
    QTest::newRow("a sign and an exponent") << "-1.5E3" << true;
    QTest::newRow("grouping reads 1") << "1,234.56" << false;
    QTest::newRow("a currency sign reads 0") << "$3.10" << false;
    QTest::newRow("letters after the number") << "12abc" << false;
    QTest::newRow("an E without digits") << "12E" << false;
    QTest::newRow("a sign alone") << "-" << false;
    QTest::newRow("two points") << ".." << false;
    QTest::newRow("inf") << "inf" << false;
    QTest::newRow("NaN") << "NaN" << false;
}

void tst_FieldRules::readsWhole()
{
    QFETCH(QString, text);
    QFETCH(bool, whole);
    QCOMPARE(Numbers::readsWhole(text), whole);
}

void tst_FieldRules::refusalsNameTheField()
{
    QVERIFY(FieldRules::amountRefusal(QStringLiteral("Diesel Gallons")).startsWith(QStringLiteral("Diesel Gallons ")));
    QCOMPARE(FieldRules::textRefusal(FieldRules::TextProblem::TooLong, QStringLiteral("Clerk ID"), 50),
             QStringLiteral("Clerk ID holds at most 50 characters."));
    QCOMPARE(FieldRules::firstUnstorableAmount(
                 {{QStringLiteral("Oil"), 5.0}, {QStringLiteral("Deli"), 1e12}, {QStringLiteral("Total"), 1e13}}),
             std::optional<QString>(QStringLiteral("Deli")));
    QCOMPARE(FieldRules::firstUnstorableAmount({{QStringLiteral("Oil"), 5.0}}), std::nullopt);
}

QTEST_APPLESS_MAIN(tst_FieldRules)
#include "tst_fieldrules.moc"
