// The company information screen, opened from File > Setup, on every server.

#include "ScreenTest.h"
#include "TestDb.h"

#include "app/AmountField.h"
#include "app/AppContext.h"
#include "app/MessageBox.h"
#include "db/Db.h"

#include <QClipboard>
#include <QComboBox>
#include <QAbstractItemView>
#include <QStatusBar>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QSqlRecord>
#include <QTest>

namespace {

void addLocation(Db &db, int id, const QString &name, const QVariant &address2, const QVariant &website, double diesel)
{
    db.insert(QStringLiteral("Company"),
              {{"ID", id},
               {"Name", name},
               {"Address1", "1 Main St"},
               {"Address2", address2},
               {"City", "Joplin"},
               {"State", "MO"},
               {"Zip", "64801"},
               {"Phone", "4175550100"},
               {"Fax", "417-555-0101"},
               {"Email", "a@b.c"},
               {"Website", website},
               {"KeyPressDelay", 1.5},
               {"DieselPricePerGallon", diesel},
               {"ReeferPricePerGallon", 3.1},
               {"DiscountPricePerGallon", -0.05},
               {"DefPricePerGallon", 2.9},
               {"WarnCustomer", 0.8},
               {"Tax", 0.0825}},
              QString());
}

const QVariant kNull = QVariant(QMetaType(QMetaType::QString));

} // namespace

class TestCompanyInfo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void init();
    void cleanup();
    void opening();
    void tabOrder();
    void choosingALocation();
    void requiredFields_data();
    void requiredFields();
    void leavingTheDelay_data();
    void leavingTheDelay();
    void enterInCitySavesAndReloads();
    void savingAnotherLocationReloadsOwnSettings();
    void enterInAnOpenLocationListChoosesTheLocation();
    void vanishedRowIsStoredUnderItsLocation();
    void ownLocationWithoutARowCanBeSetUp();
    void delayThatIsNotANumberIsRefused();
    void textsTheDatabaseCannotHoldAreRefused_data();
    void textsTheDatabaseCannotHoldAreRefused();
    void exitWritesNothing();

private:
    template <class T>
    T *control(const char *name) const
    {
        return m_company.control<T>(name);
    }
    void choose(int location) { ScreenTest::choose(control<QComboBox>("cmbLocation"), QString::number(location)); }
    void chooseState(const char *state) { ScreenTest::choose(control<QComboBox>("cmbState"), state); }
    QSqlRecord row(int id) const
    {
        const auto r = m_company.db->firstRow(QStringLiteral("SELECT * FROM Company WHERE ID = ?"), {id});
        return r ? *r : QSqlRecord();
    }

    ScreenTest::ScreenSession m_company;
};

void TestCompanyInfo::initTestCase_data() { TestDb::addServerRows(); }

void TestCompanyInfo::init()
{
    QFETCH_GLOBAL(QString, server);
    m_company.begin(server);
    for (const char *state : {"MO", "KS", "AR"})
        m_company.db->insert(QStringLiteral("State"), {{"State", state}}, QString());
    addLocation(*m_company.db, 2, "South Station", "", kNull, 3.5);
    addLocation(*m_company.db, 1, "North Station", "Suite 4", "www.north.example", 3.4);
    ScreenTest::administrationWorkstationAt(QStringLiteral("1"));
    QVERIFY(m_company.open(QStringLiteral("CompanyInfo")));
}

void TestCompanyInfo::cleanup() { m_company.end(); }

void TestCompanyInfo::opening()
{
    QCOMPARE(m_company.screen->objectName(), QStringLiteral("frmCompanyInfo"));
    QCOMPARE(m_company.screen->windowTitle(), QStringLiteral("Company Settings"));
    auto *locations = control<QComboBox>("cmbLocation");
    auto *states = control<QComboBox>("cmbState");
    QCOMPARE(locations->count(), 2);
    QCOMPARE(locations->itemText(0), QStringLiteral("1"));
    QCOMPARE(locations->itemText(1), QStringLiteral("2"));
    QCOMPARE(locations->currentIndex(), -1);
    QCOMPARE(states->count(), 3);
    QCOMPARE(states->itemText(0), QStringLiteral("AR"));
    QCOMPARE(states->currentIndex(), -1);
    QCOMPARE(control<QPushButton>("btnSave")->text(), QStringLiteral("Save And Close"));
    QCOMPARE(control<QPushButton>("btnExit")->text(), QStringLiteral("Exit"));
    QCOMPARE(m_company.screen->parentWidget()->pos(), QPoint(0, 0));
}

void TestCompanyInfo::tabOrder()
{
    const QStringList expected = {"cmbLocation", "txtCompany", "txtAddress1", "txtAddress2",      "txtCity", "cmbState", "txtZip",
                                  "txtPhone",    "txtFax",     "txtWebsite",  "txtKeyPressDelay", "btnSave", "btnExit"};
    QCOMPARE(ScreenTest::tabChain(control<QWidget>("cmbLocation"), expected.size()), expected);
}

void TestCompanyInfo::choosingALocation()
{
    choose(2);
    QCOMPARE(control<QLineEdit>("txtCompany")->text(), QStringLiteral("South Station"));
    QCOMPARE(control<QLineEdit>("txtAddress1")->text(), QStringLiteral("1 Main St"));
    QCOMPARE(control<QLineEdit>("txtAddress2")->text(), QString());
    QCOMPARE(control<QLineEdit>("txtWebsite")->text(), QString()); // NULL
    QCOMPARE(control<QComboBox>("cmbState")->currentText(), QStringLiteral("MO"));
    QCOMPARE(control<QLineEdit>("txtKeyPressDelay")->text(), QStringLiteral("1.5"));
    // Ten digits show through the telephone format while the field has no focus.
    auto *phone = control<AmountField>("txtPhone");
    QCOMPARE(phone->plainText(), QStringLiteral("4175550100"));
    QCOMPARE(phone->text(), QStringLiteral("(417) 555-0100"));
    QCOMPARE(control<AmountField>("txtFax")->text(), QStringLiteral("417-555-0101"));

    choose(1);
    QCOMPARE(control<QLineEdit>("txtCompany")->text(), QStringLiteral("North Station"));
    QCOMPARE(control<QLineEdit>("txtAddress2")->text(), QStringLiteral("Suite 4"));
    QCOMPARE(control<QLineEdit>("txtWebsite")->text(), QStringLiteral("www.north.example"));
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void TestCompanyInfo::requiredFields_data()
{
    QTest::addColumn<int>("location");
    QTest::addColumn<QString>("company");
    QTest::addColumn<bool>("clearState");
    QTest::newRow("a company name but no state") << 1 << "New Name" << true;
    QTest::newRow("a state but no company name") << 1 << "" << false;
    QTest::newRow("no location chosen") << 0 << "New Name" << false;
}

void TestCompanyInfo::requiredFields()
{
    QFETCH(int, location);
    QFETCH(QString, company);
    QFETCH(bool, clearState);
    if (location)
        choose(location);
    else
        control<QComboBox>("cmbState")->setCurrentIndex(0);
    control<QLineEdit>("txtCompany")->setText(company);
    control<QLineEdit>("txtKeyPressDelay")->setText(QStringLiteral("2"));
    if (clearState)
        control<QComboBox>("cmbState")->setCurrentIndex(-1);
    control<QPushButton>("btnSave")->click();

    const auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("Name and State Required."));
    QCOMPARE(shown[0].title, QStringLiteral("Required Fields"));
    QCOMPARE(shown[0].icon, MessageBox::Icon::None);
    QVERIFY(m_company.window->openedScreen(QStringLiteral("CompanyInfo")));
    QCOMPARE(row(1).value("Name").toString(), QStringLiteral("North Station"));
}

void TestCompanyInfo::leavingTheDelay_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("refused");
    QTest::newRow("half a second is refused") << "0.5" << true;
    QTest::newRow("zero is refused") << "0" << true;
    QTest::newRow("an empty delay is refused") << "" << true;
    QTest::newRow("letters read as zero and are refused") << "abc" << true;
    QTest::newRow("one second is accepted") << "1" << false;
    QTest::newRow("two and a half seconds are accepted") << "2.5" << false;
}

void TestCompanyInfo::leavingTheDelay()
{
    QFETCH(QString, typed);
    QFETCH(bool, refused);
    auto *delay = control<QLineEdit>("txtKeyPressDelay");
    delay->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(delay->hasFocus());
    delay->selectAll();
    QTest::keyClicks(delay, typed);
    QTest::keyClick(delay, Qt::Key_Tab);
    QTest::qWait(10);
    const auto shown = MessageBox::takeShown();
    if (refused) {
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("Quantity must be greater than 0."));
        QCOMPARE(shown[0].title, QStringLiteral("Invalid Entry"));
        QTRY_VERIFY(delay->hasFocus());
        QCOMPARE(delay->text(), typed);
    } else {
        QVERIFY(shown.isEmpty());
        QVERIFY(control<QPushButton>("btnSave")->hasFocus());
    }
}

void TestCompanyInfo::enterInCitySavesAndReloads()
{
    choose(1);
    control<QLineEdit>("txtCompany")->setText(QStringLiteral("North Station & Deli"));
    chooseState("KS");
    control<QLineEdit>("txtAddress2")->clear();
    control<AmountField>("txtPhone")->setPlainText(QStringLiteral("(417) 555-0199"));
    control<QLineEdit>("txtKeyPressDelay")->setText(QStringLiteral("2.5"));
    // A price saved elsewhere since start-up comes in with the reload.
    m_company.db->exec(QStringLiteral("UPDATE Company SET DieselPricePerGallon = 3.999 WHERE ID = 1"));

    auto *city = control<QLineEdit>("txtCity");
    city->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(city->hasFocus());
    QTest::keyClick(city, Qt::Key_Return);

    QVERIFY(MessageBox::takeShown().isEmpty());
    QTRY_VERIFY(!m_company.screen);
    const QSqlRecord r = row(1);
    QCOMPARE(r.value("Name").toString(), QStringLiteral("North Station & Deli"));
    QCOMPARE(r.value("State").toString(), QStringLiteral("KS"));
    QCOMPARE(r.value("Address2").toString(), QString());
    QVERIFY(!r.value("Address2").isNull());
    QCOMPARE(r.value("Phone").toString(), QStringLiteral("(417) 555-0199"));
    QCOMPARE(r.value("KeyPressDelay").toDouble(), 2.5);
    QCOMPARE(r.value("Email").toString(), QStringLiteral("a@b.c"));
    QCOMPARE(appContext().company.Name, QStringLiteral("North Station & Deli"));
    QCOMPARE(appContext().company.State, QStringLiteral("KS"));
    QCOMPARE(appContext().company.KeyPressDelay, 2.5);
    QCOMPARE(appContext().company.DieselPricePerGallon, 3.999);
    QCOMPARE(m_company.window->statusBar()->currentMessage(), QStringLiteral("Company settings of location 1 saved"));
}

void TestCompanyInfo::savingAnotherLocationReloadsOwnSettings()
{
    choose(2);
    control<QLineEdit>("txtCompany")->setText(QStringLiteral("South Station Two"));
    control<QPushButton>("btnSave")->click();
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(row(2).value("Name").toString(), QStringLiteral("South Station Two"));
    QCOMPARE(appContext().company.Name, QStringLiteral("North Station"));
    QCOMPARE(appContext().company.DieselPricePerGallon, 3.4);
    QCOMPARE(m_company.window->statusBar()->currentMessage(),
             QStringLiteral("Company settings of location 2 saved: its workstations take them at their next start"));
}

// Enter in the open location list chooses the highlighted location; it does not reach
// the screen's Save and Close.
void TestCompanyInfo::enterInAnOpenLocationListChoosesTheLocation()
{
    auto *locations = control<QComboBox>("cmbLocation");
    locations->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(locations->hasFocus());
    locations->showPopup();
    QTRY_VERIFY(locations->view()->isVisible());
    QWidget *list = locations->view();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_VERIFY(!locations->view()->isVisible());
    QVERIFY(m_company.screen);
    QVERIFY(MessageBox::takeShown().isEmpty());
    QVERIFY(locations->currentIndex() >= 0);
    const int chosen = locations->currentText().toInt();
    QCOMPARE(control<QLineEdit>("txtCompany")->text(), row(chosen).value("Name").toString());
    QCOMPARE(row(1).value("Name").toString(), QStringLiteral("North Station"));
    QCOMPARE(m_company.window->statusBar()->currentMessage(), QString());
}

void TestCompanyInfo::ownLocationWithoutARowCanBeSetUp()
{
    // A new workstation at location 3, which has no row yet: the screen offers 3 in
    // order, and saving it stores the row this workstation's settings load from.
    m_company.close();
    appContext().config.LocationID = QStringLiteral("3");
    QVERIFY(m_company.open(QStringLiteral("CompanyInfo")));
    auto *locations = control<QComboBox>("cmbLocation");
    QCOMPARE(locations->count(), 3);
    QCOMPARE(locations->itemText(2), QStringLiteral("3"));
    choose(3);
    QCOMPARE(control<QLineEdit>("txtCompany")->text(), QString());
    control<QLineEdit>("txtCompany")->setText(QStringLiteral("West Station"));
    chooseState("KS");
    control<QLineEdit>("txtKeyPressDelay")->setText(QStringLiteral("2"));
    control<QPushButton>("btnSave")->click();
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(row(3).value("Name").toString(), QStringLiteral("West Station"));
    QCOMPARE(appContext().company.Name, QStringLiteral("West Station"));
    QCOMPARE(appContext().company.KeyPressDelay, 2.0);
}

void TestCompanyInfo::vanishedRowIsStoredUnderItsLocation()
{
    choose(2);
    m_company.db->exec(QStringLiteral("DELETE FROM Company WHERE ID = 2"));
    control<QLineEdit>("txtCompany")->setText(QStringLiteral("South Again"));
    control<QPushButton>("btnSave")->click();
    QVERIFY(MessageBox::takeShown().isEmpty());
    const QSqlRecord r = row(2);
    QCOMPARE(r.value("Name").toString(), QStringLiteral("South Again"));
    QCOMPARE(r.value("City").toString(), QStringLiteral("Joplin"));
    QCOMPARE(m_company.db->rows(QStringLiteral("SELECT ID FROM Company")).size(), 2);
}

void TestCompanyInfo::delayThatIsNotANumberIsRefused()
{
    choose(1);
    auto *delay = control<QLineEdit>("txtKeyPressDelay");
    delay->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(delay->hasFocus());
    delay->setText(QStringLiteral("3 seconds"));
    QTest::keyClick(delay, Qt::Key_Return);
    const auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, QStringLiteral("Invalid Entry"));
    QVERIFY(m_company.screen);
    QCOMPARE(row(1).value("KeyPressDelay").toDouble(), 1.5);
}

void TestCompanyInfo::exitWritesNothing()
{
    choose(1);
    control<QLineEdit>("txtCompany")->setText(QStringLiteral("Changed"));
    control<QPushButton>("btnExit")->click();
    QTRY_VERIFY(!m_company.screen);
    QCOMPARE(row(1).value("Name").toString(), QStringLiteral("North Station"));
    QCOMPARE(appContext().company.Name, QString());
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void TestCompanyInfo::textsTheDatabaseCannotHoldAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("paste");
    QTest::newRow("a NUL in the company name") << "txtCompany"
                                               << "Company" << QStringLiteral("North") + QChar(0);
    QTest::newRow("a line break in the address") << "txtAddress1"
                                                 << "Address1"
                                                 << "1 Main\nSt";
    QTest::newRow("51 characters of city") << "txtCity"
                                           << "City" << QString(51, u'C');
    QTest::newRow("40,000 characters of website") << "txtWebsite"
                                                  << "Website" << QString(40000, u'w');
    QTest::newRow("a tab in the phone number") << "txtPhone"
                                               << "Phone"
                                               << "417\t5550100";
}

void TestCompanyInfo::textsTheDatabaseCannotHoldAreRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, paste);
    choose(1);
    auto *box = m_company.control<QLineEdit>(name);
    box->setFocus();
    const QString before = box->text();
    QGuiApplication::clipboard()->setText(paste);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    const auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, QStringLiteral("Text Not Pasted"));
    QFETCH(QString, caption);
    QVERIFY2(shown[0].text.startsWith(caption + u' '), qPrintable(shown[0].text));
    QCOMPARE(box->text(), before);
    // The full width is still taken, and stored as typed.
    const QString full(50, u'7');
    box->clear();
    QTest::keyClicks(box, full);
    control<QPushButton>("btnSave")->click();
    QVERIFY(MessageBox::takeShown().isEmpty());
    const QString column = name == u"txtCompany" ? QStringLiteral("Name") : name.mid(3);
    QCOMPARE(row(1).value(column).toString(), full);
}

QTEST_MAIN(TestCompanyInfo)
#include "tst_companyinfo.moc"
