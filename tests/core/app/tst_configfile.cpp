#include "app/ConfigFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestConfigFile : public QObject
{
    Q_OBJECT

private slots:
    void values_data();
    void values();
    void items_data();
    void items();
    void tooFewItems_data();
    void tooFewItems();
    void refusedValues_data();
    void refusedValues();
    void widestValuesAreTaken();
    void refusedFiles_data();
    void refusedFiles();
    void missingFile();
    void fileOnDisk();
    void lookup_data();
    void lookup();
    void databaseFolder_data();
    void databaseFolder();
};

void TestConfigFile::values_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("workstation");
    QTest::addColumn<QString>("admin");
    QTest::addColumn<QString>("location");

    QTest::newRow("a heading and four label, value lines give the four values")
        << "AMS\nConnection,Provider=SQLite;Data Source=demo.db;\nWorkstation,WS1\nAdmin,1\nLocation,1\n"
        << "Provider=SQLite;Data Source=demo.db;"
        << "WS1"
        << "1"
        << "1";
    QTest::newRow("Windows line ends read like plain ones")
        << "AMS\r\nConnection,Provider=SQLite;Data Source=demo.db;\r\nWorkstation,WS1\r\nAdmin,0\r\nLocation,2\r\n"
        << "Provider=SQLite;Data Source=demo.db;"
        << "WS1"
        << "0"
        << "2";
    QTest::newRow("a quoted connection text keeps its commas and loses its quotes")
        << "AMS\nConnection,\"Provider=PostgreSQL;Server=a,b;Database=x;UID=u;\"\nWorkstation,WS1\nAdmin,1\nLocation,3"
        << "Provider=PostgreSQL;Server=a,b;Database=x;UID=u;"
        << "WS1"
        << "1"
        << "3";
    QTest::newRow("an unquoted comma in the connection text shifts every later item")
        << "AMS\nConnection,Provider=PostgreSQL;Server=a,b;\nWorkstation,WS1\nAdmin,1\nLocation,3\n"
        << "Provider=PostgreSQL;Server=a"
        << "Workstation"
        << "Admin"
        << "Location";
    QTest::newRow("a connection text without its final semicolon is kept as it is")
        << "AMS\nConnection,Provider=SQLite;Data Source=demo.db\nWorkstation,WS1\nAdmin,1\nLocation,1\n"
        << "Provider=SQLite;Data Source=demo.db"
        << "WS1"
        << "1"
        << "1";
    QTest::newRow("blanks before an item are skipped, blanks after it are kept")
        << "AMS\nConnection,   Provider=SQLite;Data Source=demo.db;  \nWorkstation,\tWS 1 \nAdmin, 1\nLocation,  7"
        << "Provider=SQLite;Data Source=demo.db;  "
        << "WS 1 "
        << "1"
        << "7";
    QTest::newRow("a quoted blank before the flag is part of it")
        << "AMS\nConnection,x;\nWorkstation,WS1\nAdmin,\" 1\"\nLocation,1"
        << "x;"
        << "WS1"
        << " 1"
        << "1";
    QTest::newRow("an empty value after the comma is an empty item") << "AMS\nConnection,x;\nWorkstation,\nAdmin,1\nLocation,1"
                                                                     << "x;"
                                                                     << ""
                                                                     << "1"
                                                                     << "1";
    QTest::newRow("empty lines between the lines are no items")
        << "AMS\n\nConnection,x;\n\n   \nWorkstation,WS1\nAdmin,1\nLocation,1\n"
        << "x;"
        << "WS1"
        << "1"
        << "1";
    QTest::newRow("everything on one line, separated by commas") << "AMS,Connection,x;,Workstation,WS1,Admin,1,Location,4"
                                                                 << "x;"
                                                                 << "WS1"
                                                                 << "1"
                                                                 << "4";
    QTest::newRow("anything after the ninth item is ignored")
        << "AMS\nConnection,x;\nWorkstation,WS1\nAdmin,1\nLocation,1,extra\nmore,lines\n"
        << "x;"
        << "WS1"
        << "1"
        << "1";
    QTest::newRow("text after a closing quote up to the comma is dropped")
        << "AMS\nConnection,\"x;\" trailing\nWorkstation,WS1\nAdmin,1\nLocation,1"
        << "x;"
        << "WS1"
        << "1"
        << "1";
}

void TestConfigFile::values()
{
    QFETCH(QString, text);
    const Configuration c = ConfigFile::parse(text);
    QTEST(c.ConnectionInfo, "connection");
    QTEST(c.WorkstationID, "workstation");
    QTEST(c.AdminWorkstation, "admin");
    QTEST(c.LocationID, "location");
}

void TestConfigFile::items_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("a quoted item may run over a line end") << "\"a\nb\",c" << QStringList{"a\nb", "c"};
    QTest::newRow("an unclosed quote runs to the end of the text") << "a,\"b,c" << QStringList{"a", "b,c"};
    QTest::newRow("an empty quoted item is an empty item") << "\"\",b" << QStringList{"", "b"};
    QTest::newRow("two commas in a row hold an empty item") << "a,,b" << QStringList{"a", "", "b"};
    QTest::newRow("a comma at the end opens a last empty item") << "a," << QStringList{"a", ""};
    QTest::newRow("an empty text has no items") << "" << QStringList{};
}

void TestConfigFile::items()
{
    QFETCH(QString, text);
    QTEST(ConfigFile::readItems(text, 9), "expected");
}

void TestConfigFile::tooFewItems_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("an empty file") << "";
    QTest::newRow("four lines without the location line") << "AMS\nConnection,x;\nWorkstation,WS1\nAdmin,1\n";
    QTest::newRow("the location label without its value") << "AMS\nConnection,x;\nWorkstation,WS1\nAdmin,1\nLocation";
}

void TestConfigFile::tooFewItems()
{
    QFETCH(QString, text);
    try {
        ConfigFile::parse(text, QStringLiteral("/some/config.txt"));
        QFAIL("a file with fewer than nine items was accepted");
    } catch (const ConfigError &e) {
        QVERIFY2(e.text().contains(QLatin1String("/some/config.txt")), qPrintable(e.text()));
    }
}

void TestConfigFile::refusedValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString nul = QString(QChar(0));
    QTest::newRow("a NUL in the workstation")
        << "AMS\nConnection,x;\nWorkstation,WS" + nul + "1\nAdmin,1\nLocation,1\n"
        << "The Workstation value (item 5) cannot hold tabs, line breaks or other control characters.";
    QTest::newRow("a tab in the connection text")
        << "AMS\nConnection,Provider=SQLite;\tData Source=a.db;\nWorkstation,WS1\nAdmin,1\nLocation,1\n"
        << "The Connection value (item 3) cannot hold";
    QTest::newRow("a line break inside a quoted connection text")
        << "AMS\nConnection,\"Provider=SQLite;\nData Source=a.db;\"\nWorkstation,WS1\nAdmin,1\nLocation,1\n"
        << "The Connection value (item 3) cannot hold";
    QTest::newRow("an escape character in the administration flag")
        << "AMS\nConnection,x;\nWorkstation,WS1\nAdmin,1\x1b\nLocation,1\n"
        << "The Admin value (item 7) cannot hold";
    QTest::newRow("a DEL in the location") << "AMS\nConnection,x;\nWorkstation,WS1\nAdmin,1\nLocation,1\x7f\n"
                                           << "The Location value (item 9) cannot hold";
    QTest::newRow("half a character in the workstation")
        << "AMS\nConnection,x;\nWorkstation,WS" + QString(QChar(0xd800)) + "\nAdmin,1\nLocation,1\n"
        << "The Workstation value (item 5) holds a broken character";
    QTest::newRow("a workstation wider than its column")
        << "AMS\nConnection,x;\nWorkstation," + QString(51, u'W') + "\nAdmin,1\nLocation,1\n"
        << "The Workstation value (item 5) holds at most 50 characters.";
    QTest::newRow("a location wider than a whole number")
        << "AMS\nConnection,x;\nWorkstation,WS1\nAdmin,1\nLocation," + QString(12, u'1') + "\n"
        << "The Location value (item 9) holds at most 11 characters.";
}

// Such a value let the program start, then failed every save or was stored on every row.
void TestConfigFile::refusedValues()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    try {
        ConfigFile::parse(text, QStringLiteral("/some/config.txt"));
        QFAIL("the value was accepted");
    } catch (const ConfigError &e) {
        QVERIFY2(e.text().startsWith(QLatin1String("/some/config.txt: ")), qPrintable(e.text()));
        QVERIFY2(e.text().contains(message), qPrintable(e.text()));
    }
}

void TestConfigFile::widestValuesAreTaken()
{
    // The heading and the labels are read over, whatever they hold.
    const Configuration c =
        ConfigFile::parse("AMS\tX\nConnection,x;\nWorkstation," + QString(50, u'W') + "\nAdmin,01\nLocation,-2147483648\n");
    QCOMPARE(c.WorkstationID, QString(50, u'W'));
    QCOMPARE(c.AdminWorkstation, QStringLiteral("01"));
    QCOMPARE(c.LocationID, QStringLiteral("-2147483648"));
}

void TestConfigFile::refusedFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("a device that never ends") << "/dev/zero"
                                              << "it is not a regular file";
    QTest::newRow("a named pipe nobody writes to") << "pipe"
                                                   << "it is not a regular file";
    QTest::newRow("a folder") << "folder"
                              << "it is not a regular file";
    QTest::newRow("a file over 64 KiB") << "large"
                                        << "a configuration file holds at most 65536 (64 KiB)";
}

// Refused at once with a message: no hang, no running out of memory.
void TestConfigFile::refusedFiles()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("config.txt"));
    if (kind.startsWith(u'/')) {
        path = kind;
    } else if (kind == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("AMS\nConnection,x;\nWorkstation,WS1\nAdmin,1\nLocation,1\n");
        file.write(QByteArray(ConfigFile::kLargestFile, ' '));
    }
    try {
        ConfigFile::read(path);
        QFAIL("the file was read");
    } catch (const ConfigError &e) {
        QVERIFY2(e.text().contains(QStringLiteral("Cannot read %1: ").arg(path)), qPrintable(e.text()));
        QVERIFY2(e.text().contains(message), qPrintable(e.text()));
    }
}

void TestConfigFile::missingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.txt"));
    try {
        ConfigFile::read(path);
        QFAIL("a missing file was read");
    } catch (const ConfigError &e) {
        QVERIFY2(e.text().contains(path), qPrintable(e.text()));
    }
}

void TestConfigFile::fileOnDisk()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "AMS\r\nConnection,\"Provider=SQLite;Data Source=d\xc3\xa9mo.db;\"\r\nWorkstation,WS9\r\nAdmin,0\r\nLocation,12\r\n");
    file.close();
    const Configuration c = ConfigFile::read(path);
    QCOMPARE(c.ConnectionInfo, QStringLiteral("Provider=SQLite;Data Source=d\u00e9mo.db;"));
    QCOMPARE(c.WorkstationID, QStringLiteral("WS9"));
    QCOMPARE(c.AdminWorkstation, QStringLiteral("0"));
    QCOMPARE(c.LocationID, QStringLiteral("12"));
}

void TestConfigFile::lookup_data()
{
    QTest::addColumn<QString>("named");     // --config FILE, or ""
    QTest::addColumn<QStringList>("exist"); // which of "beside" and "machine" are there
    QTest::addColumn<QString>("read");      // the one read: "named", "beside" or "machine"

    QTest::newRow("a file named on the command line is read whatever else is there")
        << "named" << QStringList{"beside", "machine"} << "named";
    QTest::newRow("a config.txt beside the executable comes before the machine's")
        << "" << QStringList{"beside", "machine"} << "beside";
    QTest::newRow("an installed program reads the machine's file") << "" << QStringList{"machine"} << "machine";
    QTest::newRow("with none there the message names every place looked in") << "" << QStringList{} << "";
}

void TestConfigFile::lookup()
{
    QFETCH(QString, named);
    QFETCH(QStringList, exist);
    QFETCH(QString, read);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("bin"));
    QDir(dir.path()).mkpath(QStringLiteral("etc/ams"));
    const QMap<QString, QString> paths = {{"named", dir.filePath("named.txt")},
                                          {"beside", dir.filePath("bin/config.txt")},
                                          {"machine", dir.filePath("etc/ams/config.txt")}};
    for (const QString &which : exist) {
        QFile file(paths[which]);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QString namedPath = named.isEmpty() ? QString() : paths[named];
    if (!read.isEmpty()) {
        QCOMPARE(ConfigFile::locate(namedPath, {paths["beside"], paths["machine"]}), paths[read]);
        return;
    }
    try {
        ConfigFile::locate(namedPath, {paths["beside"], paths["machine"]});
        QFAIL("a configuration was found where there is none");
    } catch (const ConfigError &e) {
        QVERIFY2(e.text().startsWith(QLatin1String("File not found:")), qPrintable(e.text()));
        QVERIFY2(e.text().contains(paths["beside"]) && e.text().contains(paths["machine"]), qPrintable(e.text()));
    }
}

void TestConfigFile::databaseFolder_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("folder"); // {user} is the user's data folder

    QTest::newRow("a database beside the config.txt that names it") << "/opt/station/ws2.txt"
                                                                    << "/opt/station";
    QTest::newRow("a development build's database beside its executable") << "/home/dev/ams/build/src/config.txt"
                                                                          << "/home/dev/ams/build/src";
    QTest::newRow("the machine's file takes it from the user's data folder") << "/etc/ams/config.txt"
                                                                             << "{user}";
}

void TestConfigFile::databaseFolder()
{
    QFETCH(QString, config);
    QFETCH(QString, folder);
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    folder.replace(QLatin1String("{user}"), home.filePath(QStringLiteral("ams")));
    QCOMPARE(ConfigFile::databaseFolder(config, QStringLiteral("/etc/ams/config.txt")), folder);
}

QTEST_GUILESS_MAIN(TestConfigFile)
#include "tst_configfile.moc"
