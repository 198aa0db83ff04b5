// The main window's status bar says which company, location, workstation and database
// this copy works with, on every configured server, and never shows the password.

#include "ScreenTest.h"
#include "TestDb.h"

#include "app/Startup.h"
#include "db/ConnectionText.h"

#include <QFileInfo>

#include <QLabel>
#include <QStatusBar>

class TestStatusBar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void saysWhereThisCopyWorks()
    {
        QFETCH_GLOBAL(QString, server);
        ScreenTest::ScreenSession session;
        session.begin(server);
        session.db->insert(QStringLiteral("Company"), {{"ID", 2}, {"Name", "NORTH STATION FUEL"}, {"Tax", 0.0825}}, QString());
        ScreenTest::administrationWorkstationAt(QStringLiteral("2"));
        appContext().config.WorkstationID = QStringLiteral("WS3");
        QVERIFY(session.open(QStringLiteral("About")));
        auto label = [&](const char *name) { return ScreenTest::control<QLabel>(session.window.get(), name)->text(); };
        // Before the settings are loaded there is no company to name.
        QCOMPARE(label("lblCompany"), QStringLiteral("No company settings"));
        QVERIFY(LoadCompanySettings());
        QCOMPARE(label("lblCompany"), QStringLiteral("NORTH STATION FUEL"));
        QCOMPARE(label("lblLocation"), QStringLiteral("Location 2"));
        QCOMPARE(label("lblWorkstation"), QStringLiteral("Workstation WS3"));

        // Shortened to fit when it is long; the tooltip holds it whole.
        const QString database = ScreenTest::control<QLabel>(session.window.get(), "lblDatabase")->toolTip();
        const QString text = TestDb::connectionText(server);
        const QMap<QString, QString> pairs = ConnectionText::pairs(text);
        if (server == QLatin1String("SQLite")) {
            QCOMPARE(database, QStringLiteral("Database ") + QFileInfo(pairs.value("DATA SOURCE")).absoluteFilePath());
        } else {
            // The port is named only when it is not the server's usual one.
            const QString port = pairs.value("PORT");
            const QString where =
                pairs.value("SERVER") + (port.isEmpty() || port == QLatin1String("5432") ? QString() : u':' + port);
            QCOMPARE(database, QStringLiteral("Database %1 on %2").arg(pairs.value("DATABASE"), where));
        }
        // The server's password (SQLite files have none) and user appear nowhere.
        QStringList secrets = {QStringLiteral("PWD")};
        if (server != QLatin1String("SQLite"))
            secrets << pairs.value("PWD") << QStringLiteral("UID");
        for (const QLabel *l : session.window->statusBar()->findChildren<QLabel *>())
            for (const QString &secret : secrets)
                for (const QString &shown : {l->text(), l->toolTip()})
                    QVERIFY2(!secret.isEmpty() && !shown.contains(secret, Qt::CaseInsensitive), qPrintable(shown));
        session.end();
    }
};

QTEST_MAIN(TestStatusBar)
#include "tst_statusbar.moc"
