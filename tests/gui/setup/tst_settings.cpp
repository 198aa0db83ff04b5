// The pricing screen, opened from Settings > Pricing, on every server.

#include "ScreenTest.h"
#include "TestDb.h"

#include "app/AmountField.h"
#include "app/AppContext.h"
#include "app/MessageBox.h"
#include "db/Db.h"

#include <QComboBox>
#include <QPushButton>
#include <QStatusBar>
#include <QSqlRecord>
#include <QTest>

namespace {

const char *const kFields[] = {"txtDieselPricePerGallon", "txtReeferPricePerGallon", "txtDiscountPerGallon",
                               "txtDEFPerGallon",         "txtWarnCustomer",         "txtTax"};

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void init();
    void cleanup();
    void opening();
    void choosingALocation();
    void emptyColumnsShowEmptyFields();
    void leavingAField_data();
    void leavingAField();
    void missingValues_data();
    void missingValues();
    void savingWritesTheRowOnly();
    void unstorablePriceIsRefused_data();
    void unstorablePriceIsRefused();
    void taxThatIsNoFractionIsRefused_data();
    void taxThatIsNoFractionIsRefused();
    void savedPricesReachAnOpenBlankTicket();
    void exitWritesNothing();

private:
    AmountField *field(const QString &name) const { return m_pricing.control<AmountField>(name); }
    QComboBox *locations() const { return m_pricing.control<QComboBox>(QStringLiteral("cmbLocation")); }
    QPushButton *button(const char *name) const { return m_pricing.control<QPushButton>(name); }
    void choose(int location) { ScreenTest::choose(locations(), QString::number(location)); }
    QSqlRecord row(int id) const { return *m_pricing.db->firstRow(QStringLiteral("SELECT * FROM Company WHERE ID = ?"), {id}); }

    ScreenTest::ScreenSession m_pricing;
};

void TestSettings::initTestCase_data() { TestDb::addServerRows(); }

void TestSettings::init()
{
    QFETCH_GLOBAL(QString, server);
    m_pricing.begin(server);
    m_pricing.db->insert(QStringLiteral("Company"),
                         {{"ID", 1},
                          {"Name", "North"},
                          {"KeyPressDelay", 1.0},
                          {"DieselPricePerGallon", 3.459},
                          {"ReeferPricePerGallon", 3.1},
                          {"DiscountPricePerGallon", -0.05},
                          {"DefPricePerGallon", 2.9},
                          {"WarnCustomer", 0.9},
                          {"Tax", 0.0825}},
                         QString());
    m_pricing.db->insert(QStringLiteral("Company"), {{"ID", 4}, {"Name", "New, no prices yet"}}, QString());
    ScreenTest::administrationWorkstationAt(QStringLiteral("1"));
    appContext().company.DieselPricePerGallon = 3.459;
    QVERIFY(m_pricing.open(QStringLiteral("Pricing")));
}

void TestSettings::cleanup() { m_pricing.end(); }

void TestSettings::opening()
{
    QCOMPARE(m_pricing.screen->objectName(), QStringLiteral("frmSettings"));
    QCOMPARE(m_pricing.screen->windowTitle(), QStringLiteral("System Settings"));
    QCOMPARE(locations()->count(), 2);
    QCOMPARE(locations()->currentIndex(), -1);
    for (const char *name : kFields)
        QCOMPARE(field(name)->plainText(), QString());
    QCOMPARE(button("btnSave")->text(), QStringLiteral("Save and Close"));
    QCOMPARE(m_pricing.screen->parentWidget()->pos(), QPoint(0, 0));
}

void TestSettings::choosingALocation()
{
    choose(1);
    QCOMPARE(field("txtDieselPricePerGallon")->plainText(), QStringLiteral("3.459"));
    QCOMPARE(field("txtDieselPricePerGallon")->text(), QStringLiteral("$3.459"));
    QCOMPARE(field("txtDiscountPerGallon")->text(), QStringLiteral("($0.050)"));
    QCOMPARE(field("txtWarnCustomer")->text(), QStringLiteral("90.00%"));
    QCOMPARE(field("txtTax")->plainText(), QStringLiteral("0.0825"));
    QCOMPARE(field("txtTax")->text(), QStringLiteral("8.25%"));
}

void TestSettings::emptyColumnsShowEmptyFields()
{
    // A location set up on the company screen has no prices; they can be entered here.
    choose(1);
    choose(4);
    QVERIFY(MessageBox::takeShown().isEmpty());
    for (const char *name : kFields)
        QCOMPARE(field(name)->plainText(), QString());
}

void TestSettings::leavingAField_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("caption");
    QTest::newRow("letters in the DEF price") << "txtDEFPerGallon"
                                              << "abc" << true << "DEF Per Gallon";
    QTest::newRow("an emptied diesel price") << "txtDieselPricePerGallon"
                                             << "" << true << "Diesel Price Per Gallon";
    QTest::newRow("a number followed by letters in the reefer price") << "txtReeferPricePerGallon"
                                                                      << "3.1x" << true << "Reefer Diesel Price Per Gallon";
    QTest::newRow("a currency sign in the discount") << "txtDiscountPerGallon"
                                                     << "$0.05" << true << "Diesel Disc. Per Gallon";
    QTest::newRow("digit grouping in the warning threshold") << "txtWarnCustomer"
                                                             << "1,000" << true << "Warn Customer At % of Limit";
    QTest::newRow("letters in the tax rate, checked like the others") << "txtTax"
                                                                      << "tax" << true << "Tax Percent";
    QTest::newRow("a negative discount is a number") << "txtDiscountPerGallon"
                                                     << "-0.05" << false << "";
    QTest::newRow("an exponent is a number") << "txtTax"
                                             << "8.25E-2" << false << "";
    QTest::newRow("a bare decimal fraction is a number") << "txtWarnCustomer"
                                                         << ".9" << false << "";
}

void TestSettings::leavingAField()
{
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(bool, refused);
    choose(1);
    AmountField *f = field(name);
    f->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(f->hasFocus());
    f->selectAll();
    QTest::keyClick(f, Qt::Key_Delete);
    QTest::keyClicks(f, typed);
    QTest::keyClick(f, Qt::Key_Tab);
    QTest::qWait(10);
    const auto shown = MessageBox::takeShown();
    if (refused) {
        QFETCH(QString, caption);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("You must enter a valid number for %1.").arg(caption));
        QCOMPARE(shown[0].title, QStringLiteral("Invalid Entry"));
        QCOMPARE(shown[0].icon, MessageBox::Icon::None);
        // The text stays for the clerk to put right; Save refuses it the same way, so
        // it is never stored as 0.
        QCOMPARE(f->plainText(), typed);
        QTRY_VERIFY(f->hasFocus());
        button("btnSave")->click();
        const auto again = MessageBox::takeShown();
        QCOMPARE(again.size(), 1);
        QVERIFY2(again[0].text.contains(typed.isEmpty() ? QStringLiteral("all fields") : caption), qPrintable(again[0].text));
        QVERIFY(m_pricing.screen);
        QCOMPARE(row(1).value("DefPricePerGallon").toDouble(), 2.9);
        QCOMPARE(row(1).value("Tax").toDouble(), 0.0825);
    } else {
        QVERIFY(shown.isEmpty());
        QCOMPARE(f->plainText(), typed);
        QVERIFY(!f->hasFocus());
    }
}

void TestSettings::missingValues_data()
{
    QTest::addColumn<int>("location");
    QTest::addColumn<QString>("emptied");
    QTest::newRow("no location chosen, even with every price filled") << 0 << "";
    QTest::newRow("an empty DEF price") << 1 << "txtDEFPerGallon";
    QTest::newRow("an empty warning threshold") << 1 << "txtWarnCustomer";
    QTest::newRow("an empty tax rate") << 1 << "txtTax";
}

void TestSettings::missingValues()
{
    QFETCH(int, location);
    QFETCH(QString, emptied);
    if (location)
        choose(location);
    else
        for (const char *name : kFields)
            field(name)->setPlainText(QStringLiteral("1"));
    if (!emptied.isEmpty())
        field(emptied)->setPlainText(QString());
    button("btnSave")->click();
    const auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("You must enter all fields."));
    QCOMPARE(shown[0].title, QStringLiteral("Invalid Information"));
    QCOMPARE(shown[0].icon, MessageBox::Icon::Exclamation);
    QVERIFY(m_pricing.screen);
    QCOMPARE(row(1).value("DefPricePerGallon").toDouble(), 2.9);
}

void TestSettings::unstorablePriceIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::newRow("a diesel price of 1e308") << "txtDieselPricePerGallon"
                                             << "1e308"
                                             << "Diesel Price Per Gallon";
    QTest::newRow("a DEF price of forty nines") << "txtDEFPerGallon" << QString(40, u'9') << "DEF Per Gallon";
    QTest::newRow("a tax rate beyond every number") << "txtTax"
                                                    << "1e400"
                                                    << "Tax Percent";
}

void TestSettings::unstorablePriceIsRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    choose(1);
    field(name)->setPlainText(text);
    button("btnSave")->click();
    const auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, QStringLiteral("Amount Cannot Be Saved"));
    QFETCH(QString, caption);
    QVERIFY2(shown[0].text.startsWith(caption + QStringLiteral(" holds an amount")), qPrintable(shown[0].text));
    QVERIFY(m_pricing.screen);
    QCOMPARE(row(1).value("DieselPricePerGallon").toDouble(), 3.459);
    QCOMPARE(row(1).value("DefPricePerGallon").toDouble(), 2.9);
    QCOMPARE(row(1).value("Tax").toDouble(), 0.0825);
}

void TestSettings::savingWritesTheRowOnly()
{
    choose(1);
    field("txtDieselPricePerGallon")->setPlainText(QStringLiteral("3.799"));
    field("txtReeferPricePerGallon")->setPlainText(QStringLiteral("3.25"));
    field("txtDiscountPerGallon")->setPlainText(QStringLiteral("-0.1"));
    field("txtDEFPerGallon")->setPlainText(QStringLiteral("3"));
    field("txtWarnCustomer")->setPlainText(QStringLiteral("0.75"));
    field("txtTax")->setPlainText(QStringLiteral("0.07"));
    button("btnSave")->click();
    QVERIFY(MessageBox::takeShown().isEmpty());
    QTRY_VERIFY(!m_pricing.screen);
    const QSqlRecord r = row(1);
    QCOMPARE(r.value("DieselPricePerGallon").toDouble(), 3.799);
    QCOMPARE(r.value("ReeferPricePerGallon").toDouble(), 3.25);
    QCOMPARE(r.value("DiscountPricePerGallon").toDouble(), -0.1);
    QCOMPARE(r.value("DefPricePerGallon").toDouble(), 3.0);
    QCOMPARE(r.value("WarnCustomer").toDouble(), 0.75);
    QCOMPARE(r.value("Tax").toDouble(), 0.07);
    QCOMPARE(r.value("Name").toString(), QStringLiteral("North"));
    // This workstation's location: the running program prices with them at once, and
    // the status line says the other workstations take them at their next start.
    QCOMPARE(appContext().company.DieselPricePerGallon, 3.799);
    QCOMPARE(appContext().company.Tax, 0.07);
    QCOMPARE(m_pricing.window->statusBar()->currentMessage(),
             QStringLiteral("Prices of location 1 saved: in use on this workstation now, on other workstations at their "
                            "next start"));
}

void TestSettings::taxThatIsNoFractionIsRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shows");
    // 8.25 meant as 8.25% is a rate of 825% once shown through the percentage format.
    QTest::newRow("8.25 typed for 8.25%") << "8.25"
                                          << "825.00%";
    QTest::newRow("exactly 100%") << "1"
                                  << "100.00%";
}

void TestSettings::taxThatIsNoFractionIsRefused()
{
    QFETCH(QString, typed);
    choose(1);
    field("txtTax")->setPlainText(typed);
    QTEST(field("txtTax")->text(), "shows");
    button("btnSave")->click();
    const auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("Tax Percent must be less than 100%. Type the rate as a fraction: 0.0825 for 8.25%."));
    QCOMPARE(shown[0].title, QStringLiteral("Invalid Entry"));
    QVERIFY(m_pricing.screen);
    QTRY_VERIFY(field("txtTax")->hasFocus());
    QCOMPARE(row(1).value("Tax").toDouble(), 0.0825);
    QCOMPARE(appContext().company.Tax, 0.0);
}

// A cash ticket screen left open and blank takes the new prices; one with lines typed
// keeps what it shows. Another location's prices change nothing here.
void TestSettings::savedPricesReachAnOpenBlankTicket()
{
    QVERIFY(m_pricing.window->action(QStringLiteral("CashTicketEntry")));
    m_pricing.window->runCommand(QStringLiteral("CashTicketEntry"));
    QWidget *cash = m_pricing.window->openedScreen(QStringLiteral("CashTicketEntry"));
    QVERIFY(cash);
    auto *diesel = ScreenTest::control<AmountField>(cash, QStringLiteral("txtDieselPriceEach"));
    QCOMPARE(diesel->plainText(), QStringLiteral("3.459"));

    choose(4);
    for (const char *name : kFields)
        field(name)->setPlainText(QStringLiteral("0.5"));
    button("btnSave")->click();
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(diesel->plainText(), QStringLiteral("3.459"));
    QCOMPARE(m_pricing.window->statusBar()->currentMessage(),
             QStringLiteral("Prices of location 4 saved: its workstations take them at their next start"));

    QVERIFY(m_pricing.open(QStringLiteral("Pricing")));
    m_pricing.window->runCommand(QStringLiteral("CashTicketEntry"));
    cash = m_pricing.window->openedScreen(QStringLiteral("CashTicketEntry"));
    diesel = ScreenTest::control<AmountField>(cash, QStringLiteral("txtDieselPriceEach"));
    choose(1);
    field("txtDieselPricePerGallon")->setPlainText(QStringLiteral("3.999"));
    button("btnSave")->click();
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(diesel->plainText(), QStringLiteral("3.999"));

    // Lines typed: the prices on the ticket stay as the clerk sees them.
    ScreenTest::control<AmountField>(cash, QStringLiteral("txtDieselGallons"))->setPlainText(QStringLiteral("10"));
    m_pricing.window->runCommand(QStringLiteral("Pricing"));
    QWidget *pricing = m_pricing.window->openedScreen(QStringLiteral("Pricing"));
    ScreenTest::choose(ScreenTest::control<QComboBox>(pricing, QStringLiteral("cmbLocation")), QStringLiteral("1"));
    ScreenTest::control<AmountField>(pricing, QStringLiteral("txtDieselPricePerGallon"))->setPlainText(QStringLiteral("4.25"));
    ScreenTest::control<QPushButton>(pricing, QStringLiteral("btnSave"))->click();
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(appContext().company.DieselPricePerGallon, 4.25);
    QCOMPARE(diesel->plainText(), QStringLiteral("3.999"));
}

void TestSettings::exitWritesNothing()
{
    choose(1);
    field("txtDEFPerGallon")->setPlainText(QStringLiteral("9"));
    button("btnExit")->click();
    QTRY_VERIFY(!m_pricing.screen);
    QCOMPARE(row(1).value("DefPricePerGallon").toDouble(), 2.9);
    QVERIFY(MessageBox::takeShown().isEmpty());
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
