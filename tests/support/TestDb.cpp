#include "TestDb.h"

#include "db/DatabaseTool.h"
#include "db/DbError.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString postgresBase() { return qEnvironmentVariable("AMS_TEST_PG"); }

QTemporaryDir &tempDir()
{
    static QTemporaryDir dir;
    return dir;
}

QString &lastText(const QString &server)
{
    static QString sqlite, postgres;
    return server == QLatin1String("SQLite") ? sqlite : postgres;
}

// One PostgreSQL database per test process, so that test executables can run side by side.
QString postgresDatabaseText()
{
    static QString text;
    if (!text.isEmpty())
        return text;
    const QString base = postgresBase() + QStringLiteral("PWD=QZ;");
    const QString name = QStringLiteral("ams_t_%1_%2")
                             .arg(QCoreApplication::applicationName().toLower().remove(QRegularExpression(QStringLiteral("[^a-z0-9_]"))))
                             .arg(QCoreApplication::applicationPid());
    {
        auto admin = Db::open(base);
        admin->exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
        admin->exec(QStringLiteral("CREATE DATABASE %1").arg(name));
    }
    QString replaced = base;
    replaced.replace(QRegularExpression(QStringLiteral("Database=[^;]*;"), QRegularExpression::CaseInsensitiveOption),
                     QStringLiteral("Database=%1;").arg(name));
    text = replaced;
    // Dropped when the process ends.
    static struct Dropper
    {
        QString base, name;
        ~Dropper()
        {
            try {
                auto admin = Db::open(base);
                admin->exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
            } catch (...) {
            }
        }
    } dropper{base, name};
    return text;
}

} // namespace

namespace TestDb {

QStringList servers()
{
    QStringList list{QStringLiteral("SQLite")};
    if (!postgresBase().isEmpty())
        list << QStringLiteral("PostgreSQL");
    return list;
}

void addServerRows()
{
    QTest::addColumn<QString>("server");
    for (const QString &s : servers())
        QTest::newRow(qPrintable(s)) << s;
}

std::unique_ptr<Db> fresh(const QString &server)
{
    static int counter = 0;
    if (server == QLatin1String("SQLite")) {
        const QString file = tempDir().filePath(QStringLiteral("test%1.db").arg(++counter));
        QFile::remove(file);
        lastText(server) = QStringLiteral("Provider=SQLite;Data Source=%1;").arg(file);
        // The program opens existing files only; create the file first.
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.close();
        auto db = Db::open(lastText(server));
        DatabaseTool::createSchema(*db);
        return db;
    }
    if (postgresBase().isEmpty())
        throw DbError(QStringLiteral("PostgreSQL is not configured for the tests (AMS_TEST_PG)."));
    lastText(server) = postgresDatabaseText();
    auto db = Db::open(lastText(server));
    db->exec(QStringLiteral("SET client_min_messages TO WARNING"));
    DatabaseTool::dropSchema(*db);
    DatabaseTool::createSchema(*db);
    return db;
}

QString connectionText(const QString &server) { return lastText(server); }

void refuse(Db &db, const QString &table, const QString &event, const QString &when)
{
    if (db.dialect().name() == QLatin1String("SQLite")) {
        db.exec(QStringLiteral("CREATE TRIGGER Refuse_%1 BEFORE %2 ON %1 WHEN %3 "
                               "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END")
                    .arg(table, event, when));
        return;
    }
    db.exec(QStringLiteral("CREATE OR REPLACE FUNCTION refused_by_the_test() RETURNS trigger LANGUAGE plpgsql AS "
                           "$$ BEGIN RAISE EXCEPTION 'refused by the test'; END $$"));
    db.exec(QStringLiteral("CREATE TRIGGER Refuse_%1 BEFORE %2 ON %1 FOR EACH ROW WHEN (%3) EXECUTE FUNCTION refused_by_the_test()")
                .arg(table, event, when));
}

void stopRefusing(Db &db, const QString &table)
{
    if (db.dialect().name() == QLatin1String("SQLite"))
        db.exec(QStringLiteral("DROP TRIGGER Refuse_%1").arg(table));
    else
        db.exec(QStringLiteral("DROP TRIGGER Refuse_%1 ON %1").arg(table));
}

} // namespace TestDb
