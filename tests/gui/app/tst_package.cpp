// The Debian package: built with cpack from this build tree, unpacked into a scratch
// root, its menu entry and metainfo valid, its dependencies computed, and the installed
// program started against a demo database made by the installed tool, up to its main
// window, on the system's own Qt libraries.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int status = -1;
    QString output;
};

Run run(const QString &program, const QStringList &args,
        const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(), const QString &workingDir = {},
        int timeoutMs = 120000)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return {-1, program + QStringLiteral(" did not start")};
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(5000);
        return {-1, program + QStringLiteral(" did not end in time\n") + QString::fromUtf8(p.readAll())};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

} // namespace

class tst_Package : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void dependencies();
    void menuEntryAndMetainfo();
    void installedToolMakesTheDemoInTheUsersDataFolder();
    void installedProgramStartsToItsMainWindow();
    void installedProgramSaysWhereItLookedForItsConfiguration();

private:
    QProcessEnvironment environment() const;

    QTemporaryDir m_dir;
    QString m_package;
    QString m_root;
};

void tst_Package::initTestCase()
{
    const QString build = qEnvironmentVariable("AMS_BUILD_DIR");
    const QString cpack = qEnvironmentVariable("AMS_CPACK");
    QVERIFY2(QFileInfo::exists(build + QStringLiteral("/CPackConfig.cmake")), "AMS_BUILD_DIR must name the build tree");
    QVERIFY(m_dir.isValid());

    const QString out = m_dir.filePath(QStringLiteral("out"));
    const Run built = run(cpack, {"-G", "DEB", "-B", out, "--config", build + QStringLiteral("/CPackConfig.cmake")},
                          QProcessEnvironment::systemEnvironment(), build, 480000);
    QVERIFY2(built.status == 0, qPrintable(built.output));
    QVERIFY2(!built.output.contains(QLatin1String("CMake Warning")), qPrintable(built.output));
    const QStringList packages = QDir(out).entryList({QStringLiteral("*.deb")}, QDir::Files);
    QCOMPARE(packages.size(), 1);
    m_package = QDir(out).filePath(packages.first());

    m_root = m_dir.filePath(QStringLiteral("root"));
    const Run unpacked = run(QStringLiteral("dpkg"), {"-x", m_package, m_root});
    QVERIFY2(unpacked.status == 0, qPrintable(unpacked.output));
    for (const char *file : {"usr/bin/ams", "usr/bin/amsdb", "etc/ams/config.txt", "usr/bin/ams-portal", "etc/ams/portal.conf",
                             "lib/systemd/system/ams-portal.service"})
        QVERIFY2(QFileInfo(QDir(m_root).filePath(QLatin1String(file))).isFile(), file);
}

QProcessEnvironment tst_Package::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("AMS_MESSAGES"), QStringLiteral("stderr"));
    // The single-copy lock, and the user's data folder, are this test's own.
    env.insert(QStringLiteral("TMPDIR"), m_dir.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    env.remove(QStringLiteral("LD_LIBRARY_PATH"));
    return env;
}

void tst_Package::dependencies()
{
    const Run depends = run(QStringLiteral("dpkg-deb"), {"--field", m_package, "Depends"});
    QCOMPARE(depends.status, 0);
    // Computed from the binaries, and the drivers Qt loads at run time.
    for (const char *package :
         {"libc6", "libstdc++6", "libqt6core6", "libqt6widgets6", "libqt6printsupport6", "libqt6sql6 ", "libqt6sql6-sqlite",
          "libqt6sql6-psql", "libsqlite3-0 (>= 3.27)", "libcpp-httplib0.11", "adduser"})
        QVERIFY2(depends.output.contains(QLatin1String(package)), qPrintable(QLatin1String(package) + u'\n' + depends.output));
    // A station's edits of the machine's configurations survive an upgrade.
    const Run conffiles = run(QStringLiteral("dpkg-deb"), {"--info", m_package, "conffiles"});
    QVERIFY2(conffiles.status == 0 && conffiles.output.trimmed() == QLatin1String("/etc/ams/config.txt\n/etc/ams/portal.conf"),
             qPrintable(conffiles.output));
}

void tst_Package::menuEntryAndMetainfo()
{
    const QStringList entries = QDir(m_root + QStringLiteral("/usr/share/applications")).entryList({"*.desktop"}, QDir::Files);
    QCOMPARE(entries.size(), 1);
    const QString id = entries.first().chopped(int(qstrlen(".desktop")));
    const QString entry = m_root + QStringLiteral("/usr/share/applications/") + entries.first();
    const Run desktop = run(QStringLiteral("desktop-file-validate"), {entry});
    QVERIFY2(desktop.status == 0 && desktop.output.trimmed().isEmpty(), qPrintable(desktop.output));

    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY2(text.contains(QStringLiteral("\nExec=ams\n")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("\nIcon=%1\n").arg(id)), qPrintable(text));
    QVERIFY(QFileInfo::exists(m_root + QStringLiteral("/usr/share/icons/hicolor/scalable/apps/%1.svg").arg(id)));

    const QString metainfo = m_root + QStringLiteral("/usr/share/metainfo/%1.metainfo.xml").arg(id);
    QVERIFY2(QFileInfo::exists(metainfo), qPrintable(metainfo));
    const Run validated = run(QStringLiteral("appstreamcli"), {"validate", "--no-net", "--explain", metainfo});
    QVERIFY2(validated.status == 0, qPrintable(validated.output));
    QVERIFY2(!validated.output.contains(QLatin1String("W: ")) && !validated.output.contains(QLatin1String("E: ")),
             qPrintable(validated.output));
}

void tst_Package::installedToolMakesTheDemoInTheUsersDataFolder()
{
    // No config.txt beside the installed tool: a relative file lies in the user's data
    // folder, where the machine's configuration looks for it.
    const Run created = run(m_root + QStringLiteral("/usr/bin/amsdb"),
                            {"create", "Provider=SQLite;Data Source=demo.db;", "--demo"}, environment());
    QVERIFY2(created.status == 0, qPrintable(created.output));
    QVERIFY(QFileInfo(m_dir.filePath(QStringLiteral("data/ams/demo.db"))).size() > 0);
    QVERIFY(!QFileInfo::exists(m_root + QStringLiteral("/usr/bin/demo.db")));

    QFile shipped(m_root + QStringLiteral("/etc/ams/config.txt"));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    QVERIFY(shipped.readAll().contains("Data Source=demo.db;"));
}

void tst_Package::installedProgramStartsToItsMainWindow()
{
    const QString database = m_dir.filePath(QStringLiteral("station.db"));
    const Run created = run(m_root + QStringLiteral("/usr/bin/amsdb"),
                            {"create", QStringLiteral("Provider=SQLite;Data Source=%1;").arg(database), "--demo"}, environment());
    QVERIFY2(created.status == 0, qPrintable(created.output));
    const QString config = m_dir.filePath(QStringLiteral("station.txt"));
    QFile file(config);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("AMS\nConnection,Provider=SQLite;Data Source=station.db;\nWorkstation,WS1\nAdmin,1\nLocation,1\n");
    file.close();

    QProcess ams;
    ams.setProcessEnvironment(environment());
    ams.start(m_root + QStringLiteral("/usr/bin/ams"), {"--config", config});
    QVERIFY(ams.waitForStarted(10000));
    // Past start-up the program holds its single-copy lock, the step before it shows
    // the main window; any message would have been printed and answered.
    const QString lock = m_dir.filePath(QStringLiteral("AccountManagementSoftware.lock"));
    bool holds = false;
    for (int i = 0; i < 300 && !holds && ams.state() == QProcess::Running; ++i) {
        QFile f(lock);
        holds = f.open(QIODevice::ReadOnly) && f.readLine().trimmed().toLongLong() == ams.processId();
        if (!holds)
            QTest::qWait(100);
    }
    QTest::qWait(500);
    const QString said = QString::fromUtf8(ams.readAllStandardError());
    const bool running = ams.state() == QProcess::Running;
    ams.kill();
    ams.waitForFinished(5000);
    QVERIFY2(holds && running, qPrintable(said));
    // No message was shown: a start-up failure is titled with the program's name.
    QVERIFY2(!said.contains(QLatin1String("Account Management Software: ")), qPrintable(said));
}

void tst_Package::installedProgramSaysWhereItLookedForItsConfiguration()
{
    if (QFileInfo::exists(QStringLiteral("/etc/ams/config.txt")))
        QSKIP("this machine has a configuration of its own in /etc/ams");
    const Run started = run(m_root + QStringLiteral("/usr/bin/ams"), {}, environment());
    QCOMPARE(started.status, 1);
    QVERIFY2(started.output.contains(QStringLiteral("File not found: config.txt, looked for as %1/usr/bin/config.txt and "
                                                    "/etc/ams/config.txt")
                                         .arg(QFileInfo(m_root).canonicalFilePath())),
             qPrintable(started.output));
}

QTEST_GUILESS_MAIN(tst_Package)
#include "tst_package.moc"
