// The about box, opened from Help > About, and its System Info button.

#include "ScreenTest.h"

#include "app/MessageBox.h"
#include "setup/AboutScreen.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void texts();
    void keysCloseIt_data();
    void keysCloseIt();
    void noSystemInformationTool();
    void startsTheFirstToolFound();

private:
    QString label(const char *name) const { return m_about.control<QLabel>(name)->text(); }
    QPushButton *button(const char *name) const { return m_about.control<QPushButton>(name); }
    // Puts an executable script named `tool` on a PATH of the test's own.
    void provideTool(const QString &tool, const QString &marker);

    ScreenTest::OpenedScreen m_about;
    QTemporaryDir m_bin;
    QByteArray m_path;
};

void TestAbout::init()
{
    MessageBox::startRecording();
    m_path = qgetenv("PATH");
    QVERIFY(m_about.open(QStringLiteral("About")));
}

void TestAbout::cleanup()
{
    qputenv("PATH", m_path);
    m_about.close();
    MessageBox::stopRecording();
}

void TestAbout::provideTool(const QString &tool, const QString &marker)
{
    QFile script(QDir(m_bin.path()).filePath(tool));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\necho started > '%1'\n").arg(marker).toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestAbout::texts()
{
    QCOMPARE(m_about.screen->objectName(), QStringLiteral("frmAbout"));
    QCOMPARE(m_about.screen->windowTitle(), QStringLiteral("About Screen"));
    QCOMPARE(label("lblTitle"), QStringLiteral("Account Management Software"));
    // The build's own version, as the package and the program report it.
    QCOMPARE(label("lblVersion"), QStringLiteral("Version " AMS_VERSION));
    QCOMPARE(label("lblDescription"), QStringLiteral("Designed and Written By:"));
    QVERIFY(label("Label1").contains(QLatin1String("Account Management Software")));
    QVERIFY(label("Label2").contains(QLatin1String("git repository")));
    QCOMPARE(button("cmdOK")->text(), QStringLiteral("OK"));
    QCOMPARE(button("cmdSysInfo")->text(), QStringLiteral("&System Info..."));
    QCOMPARE(m_about.screen->parentWidget()->pos(), QPoint(0, 0));
}

void TestAbout::keysCloseIt_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter presses OK") << int(Qt::Key_Return);
    QTest::newRow("Escape presses OK") << int(Qt::Key_Escape);
}

void TestAbout::keysCloseIt()
{
    QFETCH(int, key);
    QPushButton *ok = button("cmdOK");
    ok->setFocus();
    QTRY_VERIFY(ok->hasFocus());
    QTest::keyClick(ok, Qt::Key(key));
    QTRY_VERIFY(!m_about.screen);
    QVERIFY(!m_about.window->openedScreen(QStringLiteral("About")));
}

void TestAbout::noSystemInformationTool()
{
    qputenv("PATH", m_bin.path().toLocal8Bit());
    button("cmdSysInfo")->click();
    const auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("System Information Is Unavailable At This Time"));
    QCOMPARE(shown[0].title, QStringLiteral("Account Management Software"));
    QVERIFY(m_about.screen);
}

void TestAbout::startsTheFirstToolFound()
{
    const QStringList tools = AboutScreen::systemInfoTools();
    QVERIFY(tools.size() >= 2);
    const QString started = m_bin.filePath(QStringLiteral("started.txt"));
    const QString passedOver = m_bin.filePath(QStringLiteral("passed-over.txt"));
    // Only the second and the last tool are installed: the second is started.
    provideTool(tools[1], started);
    provideTool(tools.last(), passedOver);
    qputenv("PATH", m_bin.path().toLocal8Bit());
    button("cmdSysInfo")->click();
    QVERIFY(MessageBox::takeShown().isEmpty());
    QTRY_VERIFY(QFile::exists(started));
    QVERIFY(!QFile::exists(passedOver));
    QVERIFY(m_about.screen);
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
