// What an amount field shows after the screen and the clerk have worked on it: the plain
// text while it has the focus, the text through its display format otherwise. The field
// keeps the last text it formatted, so each row mixes the steps that could leave that
// text stale: a new format, the same value set again, typing, and focus coming and going.

#include "app/AmountField.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

class TestAmountField : public QObject
{
    Q_OBJECT

private slots:
    void showsWhatItHolds_data();
    void showsWhatItHolds();
};

void TestAmountField::showsWhatItHolds_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("plain");

    QTest::newRow("a value shows through the money format") << QStringList{"set 1234.5"} << "$1,234.50"
                                                            << "1234.5";
    QTest::newRow("the same value set again after a new format shows in the new format")
        << QStringList{"set 1234.5", "format #,##0.000", "set 1234.5"} << "1,234.500"
        << "1234.5";
    QTest::newRow("a value changed and set back shows the value set back")
        << QStringList{"set 12", "set 13", "set 12"} << "$12.00"
        << "12";
    QTest::newRow("the same value set twice keeps its display") << QStringList{"set 0.5", "set 0.5"} << "$0.50"
                                                                << "0.5";
    QTest::newRow("a negative value shows in its own section") << QStringList{"set -3", "set -3"} << "($3.00)"
                                                               << "-3";
    QTest::newRow("a value emptied shows nothing") << QStringList{"set 5", "set "} << ""
                                                   << "";
    QTest::newRow("a text that is no number shows as it is") << QStringList{"set 5", "set abc"} << "abc"
                                                             << "abc";
    QTest::newRow("a field being typed in shows the plain text") << QStringList{"set 1234.5", "focus"} << "1234.5"
                                                                 << "1234.5";
    QTest::newRow("a field left after typing shows the typed value formatted")
        << QStringList{"set 5", "focus", "type 7", "leave"} << "$57.00"
        << "57";
    QTest::newRow("a value set while the field has the focus is formatted on leaving")
        << QStringList{"focus", "set 1234.5", "leave"} << "$1,234.50"
        << "1234.5";
    QTest::newRow("the value set before typing, set again after it, shows the value set")
        << QStringList{"set 12", "focus", "type 3", "leave", "set 12"} << "$12.00"
        << "12";
    QTest::newRow("typing back the value formatted before shows it formatted again")
        << QStringList{"set 12", "focus", "type 3", "backspace", "leave"} << "$12.00"
        << "12";
    QTest::newRow("a new format while the field has the focus shows on leaving")
        << QStringList{"set 2", "focus", "format #,##0.000", "leave"} << "2.000"
        << "2";
}

void TestAmountField::showsWhatItHolds()
{
    QFETCH(QStringList, steps);

    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *field = new AmountField(AmountField::moneyFormat(), &window);
    auto *other = new QLineEdit(&window);
    layout->addWidget(field);
    layout->addWidget(other);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());

    for (const QString &step : steps) {
        const QString what = step.section(u' ', 0, 0);
        const QString value = step.section(u' ', 1);
        if (what == u"set") {
            field->setPlainText(value);
        } else if (what == u"format") {
            field->setDisplayFormat(value);
        } else if (what == u"focus") {
            field->setFocus();
            QTRY_VERIFY(field->hasFocus());
        } else if (what == u"leave") {
            other->setFocus();
            QTRY_VERIFY(!field->hasFocus());
        } else if (what == u"type") {
            QTest::keyClicks(field, value);
        } else if (what == u"backspace") {
            QTest::keyClick(field, Qt::Key_Backspace);
        } else {
            QFAIL(qPrintable(QStringLiteral("no such step: %1").arg(step)));
        }
    }
    QTEST(field->text(), "shown");
    QTEST(field->plainText(), "plain");
}

QTEST_MAIN(TestAmountField)
#include "tst_amountfield.moc"
