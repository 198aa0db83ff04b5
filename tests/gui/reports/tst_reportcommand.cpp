// "ams --report": a management report written to a PDF or CSV file without a window, on
// the connection of config.txt; status 0 with the file written, 2 and a usage message
// for a wrong command line, 1 and the reason for anything else that fails. It runs
// beside a running copy of the program.

#include "PdfText.h"
#include "ReportFixture.h"
#include "TestDb.h"

#include "db/Db.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

QString amsProgram()
{
    const QString dir = qEnvironmentVariable("AMS_BIN_DIR");
    return dir.isEmpty() ? QString() : QDir(dir).filePath(u"ams"_s);
}

struct Run
{
    int status = -1;
    QString err;
};

} // namespace

class TestReportCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void initTestCase() { QVERIFY2(QFile::exists(amsProgram()), "AMS_BIN_DIR must name the folder of the built program"); }
    void init();
    void cleanup();

    void writesTheReport_data();
    void writesTheReport();
    void wrongCommandLine_data();
    void wrongCommandLine();
    void failures_data();
    void failures();
    void runsBesideTheProgram();
    void progressOnlyOnATerminal_data();
    void progressOnlyOnATerminal();
    void fullDiskKeepsTheFileThere_data();
    void fullDiskKeepsTheFileThere();
    void targetThatIsNotAFile_data();
    void targetThatIsNotAFile();

private:
    QProcessEnvironment environment() const;
    QProcess *start(const QStringList &arguments, qint64 fileSizeLimit = -1);
    Run run(QStringList arguments, qint64 fileSizeLimit = -1);
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Db> m_db;
    QList<QProcess *> m_processes;
};

void TestReportCommand::init()
{
    QFETCH_GLOBAL(QString, server);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_db = TestDb::fresh(server);
    ReportFixture::fill(*m_db);
    m_db->insert(u"Company"_s,
                 {{u"ID"_s, 1},
                  {u"Name"_s, u"Prairie Fuel & Go"_s},
                  {u"Address1"_s, u"12 Route 66"_s},
                  {u"City"_s, u"Amarillo"_s},
                  {u"State"_s, u"TX"_s},
                  {u"Zip"_s, u"79101"_s},
                  {u"KeyPressDelay"_s, 1.0}},
                 QString());
    // config.txt names the connection without the program's password, which it adds.
    QString connection = TestDb::connectionText(server);
    connection.remove(u"PWD=QZ;"_s);
    QFile config(path(u"config.txt"_s));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(u"AMS\nConnection,\"%1\"\nWorkstation,WS1\nAdmin,1\nLocation,1\n"_s.arg(connection).toUtf8());
}

void TestReportCommand::cleanup()
{
    for (QProcess *p : m_processes) {
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(5000);
        }
        delete p;
    }
    m_processes.clear();
    m_db.reset();
    m_dir.reset();
}

QProcessEnvironment TestReportCommand::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display: the command must not need one.
    env.remove(u"QT_QPA_PLATFORM"_s);
    env.remove(u"DISPLAY"_s);
    env.insert(u"AMS_MESSAGES"_s, u"stderr"_s);
    env.insert(u"TMPDIR"_s, m_dir->path());
    return env;
}

QProcess *TestReportCommand::start(const QStringList &arguments, qint64 fileSizeLimit)
{
    auto *p = new QProcess;
    m_processes.append(p);
    p->setProcessEnvironment(environment());
    if (fileSizeLimit >= 0) {
        // No file of the command can grow past the limit: its writes fail as on a full disk.
        p->setChildProcessModifier([fileSizeLimit] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
    p->start(amsProgram(), arguments);
    p->waitForStarted(10000);
    return p;
}

Run TestReportCommand::run(QStringList arguments, qint64 fileSizeLimit)
{
    arguments.replaceInStrings(u"{dir}"_s, m_dir->path());
    QProcess *p = start(arguments, fileSizeLimit);
    Run result;
    if (!p->waitForFinished(60000))
        return result;
    result.status = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
    result.err = QString::fromUtf8(p->readAllStandardError());
    return result;
}

void TestReportCommand::writesTheReport_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("shows"); // in the PDF's text or the CSV's lines

    QTest::newRow("account balances as CSV")
        << QStringList{u"--report"_s, u"account-balance"_s, u"--csv"_s, u"{dir}/out.csv"_s}
        << QStringList{u"Customer ID,Name,Address"_s, u"0002,Birch Hauling,"_s,   u"0004,Dogwood Lines,"_s,
                       u"0001,Alder Freight,"_s,      u"0003,Cedar Transport,"_s, u"0005,\"O'Brien & Sons, Inc.\","_s};
    QTest::newRow("a week of detail sales as PDF")
        << QStringList{u"--report"_s, u"detail-sales"_s, u"--from"_s, u"2024-03-07"_s,
                       u"--to"_s,     u"2024-03-08"_s,   u"--pdf"_s,  u"{dir}/week.pdf"_s}
        << QStringList{u"Prairie Fuel & Go"_s, u"Detail Sales Report"_s, u"3/7/2024 - 3/8/2024"_s, u"Grand total: 5 tickets"_s,
                       u"Page 1 of 1"_s};
    QTest::newRow("a customer's history as CSV, options written with =")
        << QStringList{u"--report=customer-history"_s, u"--customer=0001"_s, u"--from=2024-03-07"_s, u"--to=2024-03-08"_s,
                       u"--csv={dir}/history.csv"_s}
        << QStringList{u"Customer ID,Name,Date,Type,Number,Location,Amount"_s,
                       u"0001,Alder Freight,2024-03-08T23:59:59,Charge Ticket,6,1,211"_s,
                       u"0001,Alder Freight,2024-03-08T00:00:00,Payment: ,3,N/A,-50"_s,
                       u"0001,Alder Freight,2024-03-07T00:00:00,Charge Ticket,2,1,100"_s,
                       u"0001,Alder Freight,2024-03-07T00:00:00,Payment: 1001,2,N/A,-100"_s};
    QTest::newRow("the customer and card listing as PDF")
        << QStringList{u"--report"_s, u"customer-cards"_s, u"--pdf"_s, u"{dir}/cards.pdf"_s}
        << QStringList{u"Customer / Card Listing"_s, u"5 customers, 6 cards (1 without a customer)"_s};
    QTest::newRow("gift card transactions as CSV")
        << QStringList{u"--report"_s, u"gift-card-transactions"_s, u"--from"_s, u"2024-03-07"_s, u"--to"_s, u"2024-03-08"_s,
                       u"--csv"_s,    u"{dir}/gift.csv"_s}
        << QStringList{u"Type,Date,Transaction No.,Card Number,Amount,Clerk,Workstation,Location"_s,
                       u"Gift Card Purchase,2024-03-07T09:00:00,3,600003,50,ANN,WS1,2"_s,
                       u"Gift Card Purchase,2024-03-08T23:59:59,2,600001,100,ANN,WS1,2"_s,
                       u"Gift Card Redemption,2024-03-07T00:00:00,4,600001,29.5,ANN,WS1,2"_s};
    // Location 1's tickets; the gift cards of the fixture were all used at location 2.
    QTest::newRow("one location's daily summary as CSV")
        << QStringList{u"--report"_s,   u"daily-summary"_s, u"--from"_s, u"2024-03-07"_s, u"--to"_s,
                       u"2024-03-08"_s, u"--location"_s,    u"1"_s,      u"--csv"_s,      u"{dir}/day.csv"_s}
        << QStringList{
               u"Day,Location,Workstation,Gas Gallons,Gas Amount,Diesel Gallons,Diesel Amount,Off Road Diesel Gallons,"
               "Off Road Diesel Amount,Discount Gallons,Discount Amount,DEF Gallons,DEF Amount,Oil,Additives,Antifreeze,"
               "Washer Fluid,Grocery,Deli,Tobacco,Tax,Charge Total,Cash Total,Charge Tickets,Cash Tickets,Gift Cards Sold,"
               "Gift Cards Sold Count,Gift Card Reloads,Gift Card Reload Count,Gift Card Redemptions,"
               "Gift Card Redemption Count,Payments Received,Payments Received Count"_s,
               u"2024-03-07,1,WS1,0,0,30,120,0,0,30,0,0,0,0,0,0,0,0,0,0,0,120,0,2,0,0,0,0,0,0,0,0,0"_s,
               u"2024-03-08,1,WS1,0,0,50,200,0,0,50,0,2.5,7.5,10,0,0,0,0,0,0,1,211,0,1,0,0,0,0,0,0,0,0,0"_s};
    // The range's totals: every charge ticket, the reloads and redemption of location 2
    // and every payment, each day's and each location's totals being smaller.
    QTest::newRow("every location's daily summary as PDF")
        << QStringList{u"--report=daily-summary"_s, u"--from=2024-03-07"_s, u"--to=2024-03-08"_s, u"--pdf"_s, u"{dir}/day.pdf"_s}
        << QStringList{u"Daily Sales Summary"_s,
                       u"3/7/2024 - 3/8/2024, all locations"_s,
                       u"Thursday, March 7, 2024"_s,
                       u"Location 2"_s,
                       u"Payments received on account"_s,
                       u"Range total"_s,
                       u"$384.30"_s,
                       u"$370.00"_s,
                       u"$150.00"_s,
                       u"$29.50"_s,
                       u"$220.00"_s,
                       u"Page 1 of"_s};
    QTest::newRow("a week of detail sales as an Excel workbook")
        << QStringList{u"--report"_s, u"detail-sales"_s, u"--from"_s, u"2024-03-07"_s,
                       u"--to"_s,     u"2024-03-08"_s,   u"--xlsx"_s, u"{dir}/week.xlsx"_s}
        << QStringList();
    QTest::newRow("the gift card listing as PDF, with the configuration named")
        << QStringList{u"--report"_s,        u"gift-card-listing"_s, u"--pdf"_s,
                       u"{dir}/cards.pdf"_s, u"--config"_s,          u"{dir}/config.txt"_s}
        << QStringList{u"Gift Card Listing"_s, u"Outstanding balance (owed to card holders) $120.50"_s};
}

void TestReportCommand::writesTheReport()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, shows);
    if (!arguments.contains(u"--config"_s))
        arguments << u"--config"_s << u"{dir}/config.txt"_s;
    const Run result = run(arguments);
    QVERIFY2(result.status == 0, qPrintable(u"status %1: %2"_s.arg(result.status).arg(result.err)));
    QVERIFY2(!result.err.contains(u"ams:"_s), qPrintable(result.err));

    QString file;
    for (const QString &argument : arguments) {
        if (argument.startsWith(u"{dir}/"_s) && !argument.endsWith(u"config.txt"_s))
            file = argument;
        else if (argument.startsWith(u"--csv="_s))
            file = argument.mid(6);
    }
    file.replace(u"{dir}"_s, m_dir->path());
    QVERIFY2(QFile::exists(file), qPrintable(file));
    if (file.endsWith(u".xlsx"_s)) {
        // A workbook is a zip archive; what it holds is read back in tst_reportxlsx.
        QFile xlsx(file);
        QVERIFY(xlsx.open(QIODevice::ReadOnly));
        QCOMPARE(xlsx.read(4), QByteArray("PK\x03\x04"));
    } else if (file.endsWith(u".pdf"_s)) {
        const QString text = PdfText::squeezed(PdfText::of(file));
        for (const QString &piece : shows)
            QVERIFY2(text.contains(piece), qPrintable(u"\"%1\" missing in:\n%2"_s.arg(piece, text)));
    } else {
        QFile csv(file);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(csv.readAll()).split(u"\r\n"_s, Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), shows.size());
        for (int i = 0; i < shows.size(); ++i)
            QVERIFY2(lines[i].startsWith(shows[i]), qPrintable(lines[i]));
    }
    // No window was shown, so no lock was taken.
    QVERIFY(!QFile::exists(path(u"AccountManagementSoftware.lock"_s)));
}

void TestReportCommand::wrongCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    const QStringList out = {u"--csv"_s, u"{dir}/out.csv"_s};
    QTest::newRow("an unknown report") << QStringList{u"--report"_s, u"sales"_s} + out << u"unknown report \"sales\""_s;
    QTest::newRow("a report without its name") << QStringList{u"--report"_s} << u"--report needs a value"_s;
    QTest::newRow("no file to write") << QStringList{u"--report"_s, u"account-balance"_s}
                                      << u"give one of --pdf FILE, --csv FILE or --xlsx FILE"_s;
    QTest::newRow("both files") << QStringList{u"--report"_s, u"account-balance"_s, u"--pdf"_s, u"{dir}/a.pdf"_s} + out
                                << u"give one of --pdf FILE, --csv FILE or --xlsx FILE"_s;
    QTest::newRow("a workbook and a CSV file")
        << QStringList{u"--report"_s, u"account-balance"_s, u"--xlsx"_s, u"{dir}/a.xlsx"_s} + out
        << u"give one of --pdf FILE, --csv FILE or --xlsx FILE"_s;
    QTest::newRow("a ranged report without its range")
        << QStringList{u"--report"_s, u"detail-sales"_s} + out << u"detail-sales needs --from and --to"_s;
    QTest::newRow("a date in the workstation's short form")
        << QStringList{u"--report"_s, u"detail-sales"_s, u"--from"_s, u"3/7/2024"_s, u"--to"_s, u"2024-03-08"_s} + out
        << u"--from 3/7/2024 is not a date written YYYY-MM-DD"_s;
    QTest::newRow("a date that does not exist")
        << QStringList{u"--report"_s, u"gift-card-transactions"_s, u"--from"_s, u"2024-03-07"_s, u"--to"_s, u"2024-02-30"_s} + out
        << u"--to 2024-02-30 is not a date written YYYY-MM-DD"_s;
    QTest::newRow("a range for a report without one")
        << QStringList{u"--report"_s, u"gift-card-listing"_s, u"--from"_s, u"2024-03-07"_s} + out
        << u"gift-card-listing takes no date range"_s;
    QTest::newRow("a history without its customer")
        << QStringList{u"--report"_s, u"customer-history"_s, u"--from"_s, u"2024-03-07"_s, u"--to"_s, u"2024-03-08"_s} + out
        << u"customer-history needs --customer ID"_s;
    QTest::newRow("a customer for another report")
        << QStringList{u"--report"_s, u"account-balance"_s, u"--customer"_s, u"0001"_s} + out
        << u"account-balance takes no customer"_s;
    QTest::newRow("a location for another report")
        << QStringList{u"--report"_s, u"detail-sales"_s, u"--from"_s,     u"2024-03-07"_s,
                       u"--to"_s,     u"2024-03-08"_s,   u"--location"_s, u"1"_s}
               + out
        << u"detail-sales takes no location"_s;
    QTest::newRow("a location that is not a number")
        << QStringList{u"--report"_s, u"daily-summary"_s, u"--from"_s,     u"2024-03-07"_s,
                       u"--to"_s,     u"2024-03-08"_s,    u"--location"_s, u"North"_s}
               + out
        << u"--location North is not a location number"_s;
    QTest::newRow("a daily summary without its range")
        << QStringList{u"--report"_s, u"daily-summary"_s} + out << u"daily-summary needs --from and --to"_s;
    QTest::newRow("an unknown option") << QStringList{u"--report"_s, u"account-balance"_s, u"--xml"_s, u"x"_s} + out
                                       << u"unknown option --xml"_s;
    QTest::newRow("an option twice") << QStringList{u"--report"_s, u"account-balance"_s} + out + out << u"--csv is given twice"_s;
}

void TestReportCommand::wrongCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run result = run(arguments << u"--config"_s << u"{dir}/config.txt"_s);
    QCOMPARE(result.status, 2);
    QVERIFY2(result.err.contains(u"ams: "_s + message), qPrintable(result.err));
    QVERIFY2(result.err.contains(u"usage: ams --report NAME"_s), qPrintable(result.err));
    QVERIFY2(result.err.contains(u"account-balance, customer-history, detail-sales"_s), qPrintable(result.err));
    QVERIFY(
        QDir(m_dir->path()).entryList({u"*.csv"_s, u"*.pdf"_s, u"*.xlsx"_s, u"*.part"_s}, QDir::Files | QDir::Hidden).isEmpty());
}

void TestReportCommand::failures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("drop"); // a table dropped first
    QTest::addColumn<QString>("message");
    const QStringList range = {u"--from"_s, u"2024-03-07"_s, u"--to"_s, u"2024-03-08"_s};
    QTest::newRow("a customer that is not there") << QStringList{u"--report"_s, u"customer-history"_s, u"--customer"_s, u"0042"_s}
                                                         + range + QStringList{u"--csv"_s, u"{dir}/h.csv"_s}
                                                  << QString() << u"ams: there is no customer with the ID 0042"_s;
    QTest::newRow("a failing query, to PDF")
        << QStringList{u"--report"_s, u"detail-sales"_s} + range + QStringList{u"--pdf"_s, u"{dir}/s.pdf"_s} << u"Tickets"_s
        << u"tickets"_s;
    QTest::newRow("a failing query, to CSV")
        << QStringList{u"--report"_s, u"gift-card-listing"_s, u"--csv"_s, u"{dir}/g.csv"_s} << u"GiftCards"_s << u"giftcards"_s;
    QTest::newRow("a failing summary query")
        << QStringList{u"--report"_s, u"daily-summary"_s} + range + QStringList{u"--csv"_s, u"{dir}/d.csv"_s} << u"CashTickets"_s
        << u"cashtickets"_s;
    QTest::newRow("a file that cannot be written")
        << QStringList{u"--report"_s, u"account-balance"_s, u"--csv"_s, u"{dir}/missing/out.csv"_s} << QString()
        << u"/missing/out.csv"_s;
    QTest::newRow("a failing query, to a workbook")
        << QStringList{u"--report"_s, u"account-balance"_s, u"--xlsx"_s, u"{dir}/a.xlsx"_s} << u"Customer"_s << u"customer"_s;
    QTest::newRow("a workbook that cannot be written")
        << QStringList{u"--report"_s, u"account-balance"_s, u"--xlsx"_s, u"{dir}/missing/out.xlsx"_s} << QString()
        << u"/missing/out.xlsx"_s;
    QTest::newRow("a PDF that cannot be written")
        << QStringList{u"--report"_s, u"account-balance"_s, u"--pdf"_s, u"{dir}/missing/out.pdf"_s} << QString()
        << u"ams: cannot write "_s;
    QTest::newRow("no configuration file") << QStringList{u"--report"_s,      u"account-balance"_s, u"--csv"_s,
                                                          u"{dir}/out.csv"_s, u"--config"_s,        u"{dir}/none.txt"_s}
                                           << QString() << u"File not found"_s;
}

void TestReportCommand::failures()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, drop);
    QFETCH(QString, message);
    if (!drop.isEmpty())
        m_db->exec(u"DROP TABLE "_s + drop);
    if (!arguments.contains(u"--config"_s))
        arguments << u"--config"_s << u"{dir}/config.txt"_s;
    const Run result = run(arguments);
    QCOMPARE(result.status, 1);
    QVERIFY2(result.err.contains(message, Qt::CaseInsensitive), qPrintable(result.err));
    QVERIFY(
        QDir(m_dir->path()).entryList({u"*.csv"_s, u"*.pdf"_s, u"*.xlsx"_s, u"*.part"_s}, QDir::Files | QDir::Hidden).isEmpty());
}

void TestReportCommand::runsBesideTheProgram()
{
    // The program itself, started with its window (offscreen), holds the machine's lock.
    QProcessEnvironment shown = QProcessEnvironment::systemEnvironment();
    auto *first = new QProcess;
    m_processes.append(first);
    shown.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    shown.insert(u"AMS_MESSAGES"_s, u"stderr"_s);
    shown.insert(u"TMPDIR"_s, m_dir->path());
    first->setProcessEnvironment(shown);
    first->start(amsProgram(), {u"--config"_s, path(u"config.txt"_s)});
    QVERIFY(first->waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path(u"AccountManagementSoftware.lock"_s)), 20000);

    const Run result =
        run({u"--report"_s, u"account-balance"_s, u"--csv"_s, u"{dir}/out.csv"_s, u"--config"_s, u"{dir}/config.txt"_s});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QVERIFY(QFile::exists(path(u"out.csv"_s)));
    QCOMPARE(first->state(), QProcess::Running);
}

void TestReportCommand::progressOnlyOnATerminal_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("progress");
    QTest::newRow("a PDF counts its pages") << u"out.pdf"_s << u"page 1 of 1"_s;
    QTest::newRow("a workbook counts its rows") << u"out.xlsx"_s << u"row 5 of 5"_s;
    QTest::newRow("a CSV file counts its rows") << u"out.csv"_s << u"row 5 of 5"_s;
}

void TestReportCommand::progressOnlyOnATerminal()
{
    QFETCH(QString, file);
    QFETCH(QString, progress);
    const QString option = u"--"_s + file.section(u'.', 1);
    const QStringList arguments = {u"--report"_s, u"detail-sales"_s,    u"--from"_s, u"2024-03-07"_s,
                                   u"--to"_s,     u"2024-03-08"_s,      option,      path(file),
                                   u"--config"_s, path(u"config.txt"_s)};
    // Standard error to a pipe (a log, cron's mail): nothing but failures.
    const Run piped = run(arguments);
    QCOMPARE(piped.status, 0);
    QVERIFY2(!piped.err.contains(progress) && !piped.err.contains(u'\r'), qPrintable(piped.err));
    QVERIFY(QFile::remove(path(file)));

    // On a terminal (script gives the command one), how far it has come.
    QStringList quoted;
    for (const QString &argument : QStringList{amsProgram()} + arguments)
        quoted << u"'"_s + argument + u"'"_s;
    auto *terminal = new QProcess;
    m_processes.append(terminal);
    terminal->setProcessEnvironment(environment());
    terminal->start(u"script"_s, {u"-qefc"_s, quoted.join(u' '), u"/dev/null"_s});
    QVERIFY2(terminal->waitForFinished(60000), "script did not finish");
    QCOMPARE(terminal->exitCode(), 0);
    const QString shown = QString::fromUtf8(terminal->readAllStandardOutput());
    QVERIFY2(shown.contains(progress), qPrintable(shown));
    QVERIFY(QFile::exists(path(file)));
}

void TestReportCommand::fullDiskKeepsTheFileThere_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("room"); // bytes a file may grow to
    QTest::newRow("a CSV file") << u"--csv"_s << u"balances.csv"_s << qint64(100);
    QTest::newRow("a PDF file") << u"--pdf"_s << u"balances.pdf"_s << qint64(2000);
}

// The file of yesterday's run stays as it was when today's cannot be written whole, and
// the reason is said.
void TestReportCommand::fullDiskKeepsTheFileThere()
{
    QFETCH(QString, option);
    QFETCH(QString, name);
    QFETCH(qint64, room);
    const QByteArray yesterday = "yesterday's report\n";
    QFile earlier(path(name));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write(yesterday);
    earlier.close();

    const Run result =
        run({u"--report"_s, u"account-balance"_s, option, u"{dir}/"_s + name, u"--config"_s, u"{dir}/config.txt"_s}, room);
    QCOMPARE(result.status, 1);
    QVERIFY2(result.err.contains(u"ams: Cannot write %1: File too large"_s.arg(path(name))), qPrintable(result.err));
    QVERIFY2(!result.err.contains(u"Unknown error"_s), qPrintable(result.err));
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), yesterday);
    // Nothing of the failed run is left beside it.
    QCOMPARE(QDir(m_dir->path()).entryList({u"*balances*"_s}, QDir::Files | QDir::Hidden), QStringList{name});
}

void TestReportCommand::targetThatIsNotAFile_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("a named pipe, as CSV") << u"--csv"_s << u"pipe"_s << u"it is not a regular file"_s;
    QTest::newRow("a named pipe, as PDF") << u"--pdf"_s << u"pipe"_s << u"it is not a regular file"_s;
    QTest::newRow("a folder, as CSV") << u"--csv"_s << u"folder"_s << u"it is a folder"_s;
    QTest::newRow("a named pipe, as Excel") << u"--xlsx"_s << u"pipe"_s << u"it is not a regular file"_s;
}

// Writing beside such a target and renaming would replace it (a device node, run as
// root) with a plain file.
void TestReportCommand::targetThatIsNotAFile()
{
    QFETCH(QString, option);
    QFETCH(QString, kind);
    QFETCH(QString, message);
    const QString target = path(u"target"_s);
    if (kind == u"pipe"_s)
        QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
    else
        QVERIFY(QDir().mkdir(target));

    const Run result = run({u"--report"_s, u"account-balance"_s, option, target, u"--config"_s, u"{dir}/config.txt"_s});
    QCOMPARE(result.status, 1);
    QVERIFY2(result.err.contains(u"ams: Cannot write %1: %2"_s.arg(target, message)), qPrintable(result.err));
    const QFileInfo after(target);
    QVERIFY(after.exists());
    QVERIFY(!after.isFile());
    QCOMPARE(QDir(m_dir->path()).entryList({u"*target*"_s}, QDir::AllEntries | QDir::System | QDir::Hidden),
             QStringList{u"target"_s});
}

QTEST_GUILESS_MAIN(TestReportCommand)
#include "tst_reportcommand.moc"
