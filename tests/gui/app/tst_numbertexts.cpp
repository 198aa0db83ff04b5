// When a typed text counts as a number, for every screen that asks: the gift card amount
// boxes, the pricing screen's fields, the company screen's keystroke delay, the payment
// amount and the amount fields' mark for a text read as less than it holds. One table, so
// that a change to any of them shows beside the others. All but the mark ask the one rule
// (Numbers::isNumber); the mark asks whether the reading rule reads all of the text.

#include "ScreenTest.h"
#include "TestDb.h"

#include "app/AmountField.h"
#include "app/MessageBox.h"
#include "app/PickList.h"
#include "giftcards/GiftCardFields.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLocale>
#include <QPushButton>
#include <QTest>

using namespace ScreenTest;

namespace {

// Puts the text into the box as a paste would, so that characters no key types (a
// vertical tab) arrive too, and leaves the box with Tab.
void pasteAndLeave(QLineEdit *box, const QString &text)
{
    box->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(box->hasFocus());
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    if (!text.isEmpty()) {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    }
    QTest::keyClick(box, Qt::Key_Tab);
    QTest::qWait(10);
}

QStringList shownTexts()
{
    QStringList texts;
    for (const MessageBox::Shown &shown : MessageBox::takeShown())
        texts << shown.text;
    return texts;
}

} // namespace

class TestNumberTexts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void eachScreenReadsTheText_data();
    void eachScreenReadsTheText();
};

void TestNumberTexts::initTestCase()
{
    // The payment amount has followed the workstation's locale: this is one that writes
    // 1,250.75.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestNumberTexts::eachScreenReadsTheText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("giftCard");   // the gift card screens take it as a number
    QTest::addColumn<bool>("pricing");    // the pricing screen lets the clerk leave Tax Percent
    QTest::addColumn<bool>("delay");      // the company screen saves it as the keystroke delay
    QTest::addColumn<QString>("payment"); // the payment amount after leaving it
    QTest::addColumn<QString>("mark");    // an amount field's mark: "" or "read as ..."

    QTest::newRow("a decimal") << "12.5" << true << true << true << "12.5"
                               << "";
    QTest::newRow("nothing") << "" << false << false << false << "0"
                             << "";
    QTest::newRow("blanks around a number") << " 7 " << true << true << true << " 7 "
                                            << "";
    QTest::newRow("a blank inside a number") << "1 2" << false << false << false << "0"
                                             << "";
    // It used to pass the payment screen and be stored and posted as $1.00.
    QTest::newRow("grouped thousands") << "1,250.75" << false << false << false << "0"
                                       << "read as 1";
    QTest::newRow("a currency sign") << "$3.10" << false << false << false << "0"
                                     << "read as 0";
    QTest::newRow("letters after a number") << "12abc" << false << false << false << "0"
                                            << "read as 12";
    QTest::newRow("a sign alone") << "-" << false << false << false << "0"
                                  << "read as 0";
    QTest::newRow("a fraction without its zero") << ".5" << true << true << false << ".5"
                                                 << "";
    QTest::newRow("an exponent") << "1e3" << true << true << true << "1e3"
                                 << "";
    QTest::newRow("an exponent without digits") << "1e" << false << false << false << "0"
                                                << "read as 1";
    QTest::newRow("a plus sign") << "+4" << true << true << true << "+4"
                                 << "";
    // The reading rule reads it as 0; it used to pass as a number, and the pricing screen
    // stored a tax or price of 0.
    QTest::newRow("a vertical tab before a number") << "\v5" << false << false << false << "0"
                                                    << "read as 0";
    QTest::newRow("a decimal comma") << "12,5" << false << false << false << "0"
                                     << "read as 12";
    QTest::newRow("infinity in words") << "inf" << false << false << false << "0"
                                       << "read as 0";
    QTest::newRow("a number beyond a double") << "1e999" << true << true << true << "0"
                                              << "";
    QTest::newRow("a hexadecimal number") << "0x1A" << false << false << false << "0"
                                          << "read as 0";
}

void TestNumberTexts::eachScreenReadsTheText()
{
    QFETCH(QString, text);
    ScreenSession session;
    session.begin(QStringLiteral("SQLite"));
    administrationWorkstationAt(QStringLiteral("1"));
    session.db->insert(QStringLiteral("State"), {{"State", "MO"}}, QString());
    session.db->insert(QStringLiteral("Company"),
                       {{"ID", 1},
                        {"Name", "North"},
                        {"State", "MO"},
                        {"KeyPressDelay", 1.0},
                        {"DieselPricePerGallon", 3.459},
                        {"ReeferPricePerGallon", 3.1},
                        {"DiscountPricePerGallon", -0.05},
                        {"DefPricePerGallon", 2.9},
                        {"WarnCustomer", 0.9},
                        {"Tax", 0.0825}},
                       QString());
    session.db->insert(QStringLiteral("Customer"),
                       {{"ID", "1001"}, {"Name", "SMITH TRUCKING"}, {"CurrentBalance", 400}, {"Limit", 1000}}, QString());

    QTEST(GiftCardFields::isNumber(text), "giftCard");

    QVERIFY(session.open(QStringLiteral("Pricing")));
    choose(session.control<QComboBox>(QStringLiteral("cmbLocation")), QStringLiteral("1"));
    pasteAndLeave(session.control<AmountField>(QStringLiteral("txtTax")), text);
    QFETCH(bool, pricing);
    QCOMPARE(shownTexts(),
             pricing ? QStringList() : QStringList{QStringLiteral("You must enter a valid number for Tax Percent.")});

    QVERIFY(session.open(QStringLiteral("CompanyInfo")));
    choose(session.control<QComboBox>(QStringLiteral("cmbLocation")), QStringLiteral("1"));
    session.control<QLineEdit>(QStringLiteral("txtKeyPressDelay"))->setText(text);
    session.control<QPushButton>(QStringLiteral("btnSave"))->click();
    QFETCH(bool, delay);
    QCOMPARE(shownTexts(), delay ? QStringList() : QStringList{QStringLiteral("Quantity must be greater than 0.")});

    QVERIFY(session.open(QStringLiteral("ReceivePayment")));
    auto *customers = session.control<PickList>(QStringLiteral("cmbCustomer"));
    customers->setCurrentIndex(customers->indexOfId(QStringLiteral("1001")));
    pasteAndLeave(session.control<AmountField>(QStringLiteral("txtPaymentAmount")), text);
    QTEST(boxText(session.screen, QStringLiteral("txtPaymentAmount")), "payment");
    session.end();

    AmountField field;
    field.setPlainText(text);
    QTEST(field.toolTip(), "mark");
}

QTEST_MAIN(TestNumberTexts)
#include "tst_numbertexts.moc"
