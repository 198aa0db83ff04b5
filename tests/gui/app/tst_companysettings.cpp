// Loading this location's company settings, on every server.

#include "TestDb.h"

#include "app/AppContext.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/Startup.h"
#include "db/Db.h"

#include <QTest>

class TestCompanySettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void init();
    void cleanup();
    void loadsOwnLocation();
    void nullColumnsReadAsEmptyAndZero();
    void missingRowOpensCompanyInformation();

private:
    std::unique_ptr<Db> m_db;
};

void TestCompanySettings::initTestCase_data() { TestDb::addServerRows(); }

void TestCompanySettings::init()
{
    QFETCH_GLOBAL(QString, server);
    m_db = TestDb::fresh(server);
    Db::setCurrent(m_db.get());
    appContext() = AppContext();
    appContext().config.AdminWorkstation = QStringLiteral("0");
    MessageBox::startRecording();
    for (int id : {1, 2})
        m_db->insert(QStringLiteral("Company"),
                     {{"ID", id},
                      {"Name", QStringLiteral("Station %1").arg(id)},
                      {"Address1", "1 Main St"},
                      {"City", "Joplin"},
                      {"State", "MO"},
                      {"Zip", "64801"},
                      {"KeyPressDelay", 1.5},
                      {"DieselPricePerGallon", 3.459 + id},
                      {"ReeferPricePerGallon", 3.1},
                      {"DiscountPricePerGallon", -0.05},
                      {"DefPricePerGallon", 2.9},
                      {"WarnCustomer", 0.8},
                      {"Tax", 0.0825}},
                     QString());
}

void TestCompanySettings::cleanup()
{
    MessageBox::stopRecording();
    Db::setCurrent(nullptr);
    m_db.reset();
}

void TestCompanySettings::loadsOwnLocation()
{
    appContext().config.LocationID = QStringLiteral("2");
    QVERIFY(LoadCompanySettings());
    const CompanySettings &c = appContext().company;
    QCOMPARE(c.Name, QStringLiteral("Station 2"));
    QCOMPARE(c.headingTexts(), (QStringList{"Station 2", "1 Main St", "Joplin, MO  64801"}));
    QCOMPARE(c.KeyPressDelay, 1.5);
    QCOMPARE(c.DieselPricePerGallon, 5.459);
    QCOMPARE(c.ReeferPricePerGallon, 3.1);
    QCOMPARE(c.DiscountPricePerGallon, -0.05);
    QCOMPARE(c.DefPricePerGallon, 2.9);
    QCOMPARE(c.Tax, 0.0825);
}

void TestCompanySettings::nullColumnsReadAsEmptyAndZero()
{
    m_db->insert(QStringLiteral("Company"), {{"ID", 3}, {"Name", "Bare"}}, QString());
    appContext().config.LocationID = QStringLiteral("2");
    QVERIFY(LoadCompanySettings());
    appContext().config.LocationID = QStringLiteral("3");
    QVERIFY(LoadCompanySettings());
    const CompanySettings &c = appContext().company;
    QCOMPARE(c.Name, QStringLiteral("Bare"));
    QCOMPARE(c.City, QString());
    QCOMPARE(c.KeyPressDelay, 0.0);
    QCOMPARE(c.DieselPricePerGallon, 0.0);
    QCOMPARE(c.Tax, 0.0);
}

void TestCompanySettings::missingRowOpensCompanyInformation()
{
    // Even on a counter workstation, whose Setup command is disabled.
    appContext().config.LocationID = QStringLiteral("7");
    MainWindow window;
    ApplyWorkstationRights(window);
    QVERIFY(!LoadCompanySettings());
    QVERIFY(window.openedScreen(QStringLiteral("CompanyInfo")));
    QCOMPARE(appContext().company.Name, QString());
    QCOMPARE(appContext().company.DieselPricePerGallon, 0.0);
    QCOMPARE(appContext().company.Tax, 0.0);
    QVERIFY(!window.action(QStringLiteral("CompanyInfo"))->isEnabled());
}

QTEST_MAIN(TestCompanySettings)
#include "tst_companysettings.moc"
