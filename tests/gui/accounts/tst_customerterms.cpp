// Payment terms on the customer screen (Finance Info) and the location's on the Pricing
// screen: what is typed is what is stored, an empty box leaves the customer on the
// location's terms, and anything else is refused with a message naming the box.

#include "AccountsFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSqlRecord>

class TestCustomerTerms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void customerTermsAreSaved_data();
    void customerTermsAreSaved();
    void storedTermsAreShown();
    void locationTermsAreSavedOnThePricingScreen();
};

void TestCustomerTerms::customerTermsAreSaved_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("stored"); // an invalid QVariant: no row saved
    QTest::addColumn<QString>("shown");

    QTest::newRow("days of its own") << "45" << QVariant(45) << "Net 45";
    QTest::newRow("0 days is due on receipt") << "0" << QVariant(0) << "Due on receipt";
    QTest::newRow("an empty box is the location's terms")
        << "" << QVariant(QMetaType::fromType<int>()) << "Location's terms: Net 30";
    QTest::newRow("letters are refused") << "net" << QVariant() << "";
    QTest::newRow("more than a year is refused") << "400" << QVariant() << "";
    QTest::newRow("a fraction is refused") << "30.5" << QVariant() << "";
}

void TestCustomerTerms::customerTermsAreSaved()
{
    QFETCH(QString, typed);
    QFETCH(QVariant, stored);
    QFETCH(QString, shown);
    AccountsFixture f(QStringLiteral("CustomerEntry"));
    QVERIFY(f.openScreen());
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("7001"));
    f.type(QStringLiteral("txtName"), QStringLiteral("TERMS FLEET"));
    f.type(QStringLiteral("txtLimit"), QStringLiteral("500"));
    f.type(QStringLiteral("txtWarn"), QStringLiteral("0.8"));
    f.type(QStringLiteral("txtTerms"), typed);
    QCOMPARE(f.find<QLabel>(QStringLiteral("lblTerms"))->text(), shown);
    f.find<QPushButton>(QStringLiteral("btnSave"))->click();

    const auto row = f.db->firstRow(QStringLiteral("SELECT PaymentTerms FROM Customer WHERE ID = '7001'"));
    const auto shownMessages = MessageBox::takeShown();
    if (!stored.isValid()) {
        QVERIFY(!row);
        QCOMPARE(shownMessages.size(), 1);
        QCOMPARE(shownMessages.first().title, QStringLiteral("Invalid Input"));
        QVERIFY(shownMessages.first().text.startsWith(QStringLiteral("Terms (days) must be")));
        QCOMPARE(f.focused(), QStringLiteral("txtTerms"));
        return;
    }
    QVERIFY(shownMessages.isEmpty());
    QVERIFY(row);
    QCOMPARE(row->value(0).isNull(), stored.isNull());
    if (!stored.isNull())
        QCOMPARE(row->value(0).toInt(), stored.toInt());
}

void TestCustomerTerms::storedTermsAreShown()
{
    AccountsFixture f(QStringLiteral("CustomerEntry"));
    f.addCustomer(QStringLiteral("7002"), QStringLiteral("OWN TERMS"), 0, 1000, {{"PaymentTerms", 15}});
    f.addCustomer(QStringLiteral("7003"), QStringLiteral("LOCATION TERMS"));
    QVERIFY(f.openScreen());
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("7002"));
    QCOMPARE(f.text(QStringLiteral("txtTerms")), QStringLiteral("15"));
    QCOMPARE(f.find<QLabel>(QStringLiteral("lblTerms"))->text(), QStringLiteral("Net 15"));
    // Saving again keeps them; clearing the box hands the customer back to the location.
    f.find<QPushButton>(QStringLiteral("btnSave"))->click();
    QCOMPARE(f.db->firstRow(QStringLiteral("SELECT PaymentTerms FROM Customer WHERE ID = '7002'"))->value(0).toInt(), 15);
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("7003"));
    QCOMPARE(f.text(QStringLiteral("txtTerms")), QString());
    f.type(QStringLiteral("txtAccountNumber"), QString());
    f.box(QStringLiteral("txtAccountNumber"))->setText(QStringLiteral("7002"));
    f.box(QStringLiteral("txtTerms"))->clear();
    f.find<QPushButton>(QStringLiteral("btnSave"))->click();
    QVERIFY(f.db->firstRow(QStringLiteral("SELECT PaymentTerms FROM Customer WHERE ID = '7002'"))->value(0).isNull());
}

void TestCustomerTerms::locationTermsAreSavedOnThePricingScreen()
{
    AccountsFixture f(QStringLiteral("Pricing"));
    f.db->insert(QStringLiteral("Company"),
                 {{"ID", 1},
                  {"Name", "Station"},
                  {"DieselPricePerGallon", 3.5},
                  {"ReeferPricePerGallon", 3.4},
                  {"DiscountPricePerGallon", -0.05},
                  {"DefPricePerGallon", 3.0},
                  {"WarnCustomer", 0.8},
                  {"Tax", 0.07}},
                 QString());
    QVERIFY(f.openScreen());
    ScreenTest::choose(f.find<QComboBox>(QStringLiteral("cmbLocation")), QStringLiteral("1"));
    // A location row made without terms has the default, 30 days.
    QCOMPARE(f.text(QStringLiteral("txtPaymentTerms")), QStringLiteral("30"));
    QCOMPARE(f.find<QLabel>(QStringLiteral("lblPaymentTerms"))->text(), QStringLiteral("Net 30"));
    f.box(QStringLiteral("txtPaymentTerms"))->setText(QStringLiteral("abc"));
    f.find<QPushButton>(QStringLiteral("btnSave"))->click();
    const auto refused = MessageBox::takeShown();
    QCOMPARE(refused.size(), 1);
    QVERIFY(refused.first().text.startsWith(QStringLiteral("Payment Terms (days) must be")));
    QCOMPARE(f.db->firstRow(QStringLiteral("SELECT PaymentTerms FROM Company WHERE ID = 1"))->value(0).toInt(), 30);
    f.box(QStringLiteral("txtPaymentTerms"))->setText(QStringLiteral("21"));
    QCOMPARE(f.find<QLabel>(QStringLiteral("lblPaymentTerms"))->text(), QStringLiteral("Net 21"));
    f.find<QPushButton>(QStringLiteral("btnSave"))->click();
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(f.db->firstRow(QStringLiteral("SELECT PaymentTerms FROM Company WHERE ID = 1"))->value(0).toInt(), 21);
}

QTEST_MAIN(TestCustomerTerms)
#include "tst_customerterms.moc"
