// amsdb: creates a database from the schema and fills it, checks balances, copies a
// station's data between databases and backs up an SQLite database.
//
//   amsdb create  "<connection text>" [--replace] [--demo] [--volume CUSTOMERS TICKETS]
//                                      [--customer-volume CUSTOMERS CARDS]
//                                      [--cash-volume NAMES TICKETS]
//                                      [--chain [--scale S]]
//   amsdb check   "<connection text>"
//   amsdb upgrade "<connection text>"
//   amsdb copy    "<from connection text>" "<to connection text>" [--replace]
//   amsdb backup  "<SQLite connection text>" FILE
//
// "check" prints the schema version and confirms that every customer's balance equals
// its tickets less its payments. "upgrade" brings an older database to the schema
// version this program needs, one step (one transaction) at a time.
// "--chain" fills a chain's volume for benchmarks (50 locations over five years, 5,000,000
// tickets; "--scale 0.01" makes a hundredth of every count, with the same shape).
// A relative SQLite file lies beside this executable when a config.txt lies there too,
// otherwise in the user's data folder: where the program would look for it.

#include "accounts/BalanceCheck.h"
#include "app/ConfigFile.h"
#include "db/ConnectionText.h"
#include "db/DatabaseBackup.h"
#include "db/DatabaseCopy.h"
#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "db/SchemaUpgrade.h"
#include "db/PartialFile.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <optional>

namespace {

int usage()
{
    QTextStream(stderr) << "usage: amsdb create \"<connection text>\" [--replace] [--demo] [--volume CUSTOMERS TICKETS]\n"
                           "                                         [--customer-volume CUSTOMERS CARDS]\n"
                           "                                         [--cash-volume NAMES TICKETS]\n"
                           "                                         [--chain [--scale S]]\n"
                           "       amsdb check \"<connection text>\"\n"
                           "       amsdb upgrade \"<connection text>\"\n"
                           "       amsdb copy \"<from connection text>\" \"<to connection text>\" [--replace]\n"
                           "       amsdb backup \"<SQLite connection text>\" FILE\n";
    return 2;
}

// Prints the customers whose balance differs and the tally; returns how many differ.
int printBalances(const QList<CustomerBalanceCheck> &balances)
{
    QTextStream out(stdout);
    int wrong = 0;
    for (const CustomerBalanceCheck &c : balances) {
        if (!c.differs())
            continue;
        out << c.customerId << ": balance " << c.balance << ", tickets less payments " << c.expected() << "\n";
        ++wrong;
    }
    out << balances.size() << " customers, " << wrong << " with a balance that differs\n";
    return wrong;
}

void printCounts(const QList<DatabaseCopy::TableCount> &counts)
{
    QTextStream out(stdout);
    qint64 all = 0;
    for (const auto &c : counts) {
        out << "  " << qSetFieldWidth(22) << Qt::left << c.table << qSetFieldWidth(9) << Qt::right << c.rows << qSetFieldWidth(0)
            << " rows\n";
        all += c.rows;
    }
    out << "  " << qSetFieldWidth(22) << Qt::left << "all tables" << qSetFieldWidth(9) << Qt::right << all << qSetFieldWidth(0)
        << " rows\n";
}

void printVersion(int version)
{
    QTextStream(stdout) << "Schema version " << version << " (this program's: " << SchemaUpgrade::newestVersion() << ")\n";
}

int check(Db &db)
{
    printVersion(SchemaUpgrade::versionOf(db));
    return printBalances(CheckCustomerBalances(db)) == 0 ? 0 : 1;
}

int upgrade(Db &db)
{
    QTextStream out(stdout);
    const int before = SchemaUpgrade::versionOf(db);
    out << "The database is at version " << before << "; this program's is " << SchemaUpgrade::newestVersion() << ".\n";
    out.flush();
    const auto applied = SchemaUpgrade::upgrade(db, [&out](const SchemaUpgrade::StepDone &step) {
        out << "Step " << step.version << ": " << step.title << ": " << step.rows << (step.rows == 1 ? " row" : " rows")
            << " changed\n";
        out.flush();
    });
    if (applied.isEmpty())
        out << "The database is up to date; nothing was changed.\n";
    else
        out << "The database is now at version " << applied.last().version << ".\n";
    return 0;
}

int printCopy(const QString &fromName, const QString &toName, const DatabaseCopy::Result &result)
{
    QTextStream(stdout) << "Copied from " << fromName << " to " << toName << " at schema version " << result.schemaVersion
                        << ", the same rows and values on both sides:\n";
    printCounts(result.counts);
    // The copy has checked that every balance reads as in the source; a difference listed
    // here was there before, and the rebuild command sets it right.
    printBalances(result.balances);
    return 0;
}

int backup(Db &from, const QString &file)
{
    const auto result = DatabaseBackup::backup(from, file);
    QTextStream(stdout) << "Backed up to " << QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath())
                        << " (integrity check: " << result.integrity << "), schema version " << result.schemaVersion << ":\n";
    printCounts(result.counts);
    printBalances(result.balances);
    return 0;
}

// A new SQLite database starts as an empty file, in a folder made for it if need be.
// Returns the file it created, or "".
QString createFile(const QString &connectionText, const QString &baseDir)
{
    const ConnectionText c = ConnectionText::parse(connectionText, baseDir);
    if (c.provider != ConnectionText::Provider::SQLite || QFileInfo::exists(c.dataSource))
        return {};
    QDir().mkpath(QFileInfo(c.dataSource).absolutePath());
    QFile file(c.dataSource);
    if (!file.open(QIODevice::WriteOnly))
        throw DbError(QStringLiteral("Cannot create %1: %2").arg(c.dataSource, file.errorString()));
    return c.dataSource;
}

// The scale of "--scale S" (1 without it); nothing, with the reason on stderr, when S is
// not a number above 0 and at most 10.
std::optional<double> chainScale(const QStringList &args)
{
    const qsizetype s = args.indexOf(QStringLiteral("--scale"));
    if (s < 0)
        return 1.0;
    bool ok = false;
    const double scale = s + 1 < args.size() ? args[s + 1].toDouble(&ok) : 0;
    if (!ok || !(scale > 0) || scale > 10) {
        QTextStream(stderr) << "amsdb: --scale must be a number above 0 and at most 10, such as 0.01 for a hundredth.\n";
        return std::nullopt;
    }
    return scale;
}

// "--chain": fills a chain's volume and says what it made.
int chain(Db &db, double scale)
{
    const auto volume = DatabaseTool::ChainVolume::at(scale);
    QElapsedTimer timer;
    timer.start();
    DatabaseTool::fillChain(db, volume, QDate::currentDate());
    QTextStream(stdout) << "Filled a chain at scale " << scale << " in " << timer.elapsed() / 1000 << " s: " << volume.locations
                        << " locations, " << volume.customers << " customers, " << volume.tickets << " tickets, "
                        << volume.payments << " payments, " << volume.giftCardTransactions << " gift card transactions.\n";
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2)
        return usage();
    const QString &command = args[0];
    try {
        const QString baseDir = ConfigFile::toolDatabaseFolder(QCoreApplication::applicationDirPath());
        if (command == QLatin1String("copy")) {
            if (args.size() < 3 || (args.size() == 4 && args[3] != QLatin1String("--replace")) || args.size() > 4)
                return usage();
            const auto mode = args.size() == 4 ? DatabaseCopy::Target::Replace : DatabaseCopy::Target::MustBeEmpty;
            auto from = Db::open(args[1], baseDir);
            const ConnectionText target = ConnectionText::parse(args[2], baseDir);
            if (target.provider != ConnectionText::Provider::SQLite || QFileInfo::exists(target.dataSource)) {
                auto to = Db::open(args[2], baseDir);
                return printCopy(from->dialect().name(), to->dialect().name(), DatabaseCopy::copy(*from, *to, mode));
            }
            // A new SQLite file is made under a passing name and named when the copy is
            // whole: a copy that fails or is killed leaves no database file that looks
            // like the real one.
            if (!QDir().mkpath(QFileInfo(target.dataSource).absolutePath()))
                throw DbError(QStringLiteral("Cannot make the folder of %1.").arg(target.dataSource));
            PartialFile partial(target.dataSource);
            partial.create();
            DatabaseCopy::Result result;
            {
                auto to = Db::open(partial.connectionText());
                result = DatabaseCopy::copy(*from, *to, mode);
                // A file of its own, with no write-ahead log beside it while it is named.
                to->exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
            }
            partial.name(QStringLiteral("database"));
            return printCopy(from->dialect().name(), QStringLiteral("SQLite"), result);
        }
        if (command == QLatin1String("backup")) {
            if (args.size() != 3)
                return usage();
            auto from = Db::open(args[1], baseDir);
            return backup(*from, args[2]);
        }
        std::optional<double> scale;
        if (command == QLatin1String("create")) {
            if (args.contains(QStringLiteral("--scale")) && !args.contains(QStringLiteral("--chain")))
                return usage();
            // A wrong scale is refused before anything is made.
            if (args.contains(QStringLiteral("--chain")) && !(scale = chainScale(args)))
                return 2;
            createFile(args[1], baseDir);
        } else if (command != QLatin1String("check") && command != QLatin1String("upgrade"))
            return usage();
        auto db = Db::open(args[1], baseDir);
        if (command == QLatin1String("check"))
            return check(*db);
        if (command == QLatin1String("upgrade"))
            return args.size() == 2 ? upgrade(*db) : usage();
        if (args.contains(QStringLiteral("--replace")))
            DatabaseTool::dropSchema(*db);
        DatabaseTool::createSchema(*db);
        if (args.contains(QStringLiteral("--demo")))
            DatabaseTool::fillDemo(*db, QDate::currentDate());
        const qsizetype v = args.indexOf(QStringLiteral("--volume"));
        if (v >= 0) {
            if (v + 2 >= args.size())
                return usage();
            DatabaseTool::fillVolume(*db, args[v + 1].toInt(), args[v + 2].toInt(), QDate::currentDate());
        }
        const qsizetype cv = args.indexOf(QStringLiteral("--customer-volume"));
        if (cv >= 0) {
            if (cv + 2 >= args.size())
                return usage();
            DatabaseTool::fillCustomerVolume(*db, args[cv + 1].toInt(), args[cv + 2].toInt(), QDate::currentDate());
        }
        const qsizetype cash = args.indexOf(QStringLiteral("--cash-volume"));
        if (cash >= 0) {
            if (cash + 2 >= args.size())
                return usage();
            DatabaseTool::fillCashVolume(*db, args[cash + 1].toInt(), args[cash + 2].toInt(), QDate::currentDate());
        }
        if (scale)
            return chain(*db, *scale);
        return 0;
    } catch (const DbError &e) {
        // No password of either connection text is ever shown, wherever it ended up.
        QString text = e.serverText();
        for (const QString &arg : args.mid(1, 2))
            text = ConnectionText::withoutPasswords(text, arg);
        QTextStream(stderr) << "amsdb: " << text << "\n";
        if (!e.statement().isEmpty())
            QTextStream(stderr) << "  in: " << e.statement() << "\n";
        return 1;
    }
}
