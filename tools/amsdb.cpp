// amsdb: creates a database from the schema and fills it.
//
//   amsdb create  "<connection text>" [--replace] [--demo] [--volume CUSTOMERS TICKETS]
//                 [--cash-volume NAMES TICKETS]
//   amsdb check   "<connection text>"
//
// "check" confirms that every customer's balance equals its tickets less its payments.

#include "db/ConnectionText.h"
#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "db/DbError.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QSqlRecord>
#include <QTextStream>

#include <cmath>

namespace {

int usage()
{
    QTextStream(stderr) << "usage: amsdb create \"<connection text>\" [--replace] [--demo] [--volume CUSTOMERS TICKETS]\n"
                           "                     [--cash-volume NAMES TICKETS]\n"
                           "       amsdb check \"<connection text>\"\n";
    return 2;
}

int check(Db &db)
{
    const auto rows = db.rows(QStringLiteral(
        "SELECT ID, CurrentBalance, "
        "(SELECT SUM(Total) FROM Tickets WHERE Tickets.CustomerID = Customer.ID) AS Charged, "
        "(SELECT SUM(Amount) FROM Payments WHERE Payments.Customer = Customer.ID) AS Paid FROM Customer"));
    int wrong = 0;
    for (const QSqlRecord &r : rows) {
        const double expected = r.value("Charged").toDouble() - r.value("Paid").toDouble();
        if (std::fabs(expected - r.value("CurrentBalance").toDouble()) > 0.004) {
            QTextStream(stdout) << r.value("ID").toString() << ": balance " << r.value("CurrentBalance").toString()
                                << ", tickets less payments " << expected << "\n";
            ++wrong;
        }
    }
    QTextStream(stdout) << rows.size() << " customers, " << wrong << " with a balance that differs\n";
    return wrong == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2)
        return usage();
    try {
        const QString baseDir = QCoreApplication::applicationDirPath();
        if (args[0] == QLatin1String("create")) {
            // A new SQLite database starts as an empty file.
            const ConnectionText c = ConnectionText::parse(args[1], baseDir);
            if (c.provider == ConnectionText::Provider::SQLite && !QFileInfo::exists(c.dataSource)) {
                QFile file(c.dataSource);
                if (!file.open(QIODevice::WriteOnly))
                    throw DbError(QStringLiteral("Cannot create %1: %2").arg(c.dataSource, file.errorString()));
            }
        }
        auto db = Db::open(args[1], baseDir);
        if (args[0] == QLatin1String("check"))
            return check(*db);
        if (args[0] != QLatin1String("create"))
            return usage();
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
        const qsizetype cash = args.indexOf(QStringLiteral("--cash-volume"));
        if (cash >= 0) {
            if (cash + 2 >= args.size())
                return usage();
            DatabaseTool::fillCashVolume(*db, args[cash + 1].toInt(), args[cash + 2].toInt(), QDate::currentDate());
        }
        return 0;
    } catch (const DbError &e) {
        QTextStream(stderr) << "amsdb: " << e.serverText() << "\n";
        if (!e.statement().isEmpty())
            QTextStream(stderr) << "  in: " << e.statement() << "\n";
        return 1;
    }
}
