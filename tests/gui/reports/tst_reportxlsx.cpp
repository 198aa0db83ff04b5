// The Excel export read back by a spreadsheet program (LibreOffice, headless): account and
// card numbers keep their leading zeros, numbers are numbers in the page's formats, dates
// are dates, the totals row is SUM formulas that come to the printed report's totals; and
// the file is written whole or not at all.

#include "PdfText.h"
#include "ReportFixture.h"
#include "TestDb.h"

#include "db/Db.h"
#include "reports/ManagementReports.h"
#include "reports/Report.h"
#include "reports/ReportOutput.h"
#include "reports/ReportXlsx.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlField>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;
using ReportFixture::firstDay;
using ReportFixture::headings;
using ReportFixture::lastDay;

namespace {

QString spreadsheetProgram()
{
    for (const char *name : {"soffice", "libreoffice"}) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

// A cell as the spreadsheet program stored it after reading the workbook.
struct Cell
{
    QString type; // string, float, currency, percentage, date; empty for an empty cell
    QString formula;
};
using Sheet = QList<QList<Cell>>;

// The first sheet of a flat OpenDocument spreadsheet.
Sheet readFods(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    Sheet sheet;
    QXmlStreamReader xml(&file);
    int rowRepeat = 1;
    QList<Cell> row;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"table-row"_s) {
            row.clear();
            rowRepeat = qMax(1, xml.attributes().value(u"table:number-rows-repeated"_s).toInt());
        } else if (xml.isStartElement() && (xml.name() == u"table-cell"_s || xml.name() == u"covered-table-cell"_s)) {
            const auto a = xml.attributes();
            const int repeat = qMax(1, a.value(u"table:number-columns-repeated"_s).toInt());
            const Cell cell{a.value(u"office:value-type"_s).toString(), a.value(u"table:formula"_s).toString()};
            // Long runs of empty cells fill the sheet to its edge: they hold nothing.
            for (int i = 0; i < qMin(repeat, 64); ++i)
                row.append(cell);
        } else if (xml.isEndElement() && xml.name() == u"table-row"_s) {
            for (int i = 0; i < qMin(rowRepeat, 4); ++i)
                sheet.append(row);
        } else if (xml.isEndElement() && xml.name() == u"table"_s) {
            break;
        }
    }
    return sheet;
}

// One CSV line as the spreadsheet program writes it: fields quoted with " where needed.
QStringList csvFields(const QString &line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

struct Exported
{
    QString name;
    std::shared_ptr<Report> report;
    // The PDF's line with the report's totals begins with this.
    QString totalsCaption;
    // Lines the spreadsheet shows, whole, as its CSV export writes them.
    QStringList lines;
};

} // namespace

class TestReportXlsx : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void initTestCase();
    void init();
    void cleanup() { m_db.reset(); }

    void readBackAsTheReportShowsIt();
    void writtenWholeOrNotAtAll_data();
    void writtenWholeOrNotAtAll();
    void sheetNames_data();
    void sheetNames();

private:
    // Converts the workbooks to `format` in one run of the spreadsheet program; false
    // with its output when it fails.
    bool convert(const QStringList &paths, const QString &format, QString *output);

    std::unique_ptr<Db> m_db;
    QTemporaryDir m_dir;
    QString m_program;
};

void TestReportXlsx::initTestCase()
{
    m_program = spreadsheetProgram();
    // Without it the export cannot be checked as a spreadsheet reads it: that is a
    // failure of the test machine's set-up, never a pass.
    QVERIFY2(!m_program.isEmpty(),
             "LibreOffice (soffice) is not installed: scripts/setup installs libreoffice-calc-nogui, which this test needs");
    // A profile of its own, told to recalculate every formula of an Excel file it opens,
    // so that the totals read back are the formulas' results and not what was stored.
    QVERIFY(QDir().mkpath(m_dir.filePath(u"profile/user"_s)));
    QFile settings(m_dir.filePath(u"profile/user/registrymodifications.xcu"_s));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="OOXMLRecalcMode" oor:op="fuse"><value>0</value></prop></item>
</oor:items>
)");
}

void TestReportXlsx::init()
{
    QFETCH_GLOBAL(QString, server);
    m_db = TestDb::fresh(server);
    ReportFixture::fill(*m_db);
    // A card number that is all digits with leading zeros.
    ReportFixture::addGiftCard(*m_db, u"000123456"_s, 10, 7.25, true, QString());
}

bool TestReportXlsx::convert(const QStringList &paths, const QString &format, QString *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(m_program, QStringList{u"-env:UserInstallation=file://"_s + m_dir.filePath(u"profile"_s), u"--headless"_s,
                                         u"--convert-to"_s, format, u"--outdir"_s, m_dir.filePath(u"read"_s)}
                                 + paths);
    const bool ok = process.waitForFinished(300000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    *output = QString::fromLocal8Bit(process.readAll());
    return ok;
}

void TestReportXlsx::readBackAsTheReportShowsIt()
{
    QList<Exported> exports = {
        {u"account-balance"_s,
         ManagementReports::accountBalance(*m_db, headings),
         u"All accounts:"_s,
         {u"Customer ID,Name,Address,City,State,Zip,Phone,Fax,Contact,Inactive,Balance,Limit,Warn At,On Hold,Date Entered"_s,
          u"0002,Birch Hauling,1 Main St,Dumas,TX,79101,8065550100,,Pat,No,\"$2,000.00\",\"$2,000.00\",80%,Yes,3/1/2024 9:30:00 AM"_s,
          // No balance and no hold flag are empty cells.
          u"0003,Cedar Transport,1 Main St,Pampa,TX,79101,8065550100,,Pat,Yes,,$500.00,80%,,3/1/2024 9:30:00 AM"_s,
          u"0005,\"O'Brien & Sons, Inc.\",1 Main St,Canyon,TX,79101,8065550100,,Pat,No,-$20.00,$300.00,80%,No,3/1/2024 9:30:00 AM"_s,
          u"Total,,,,,,,,,,\"$2,880.75\",\"$4,500.00\",,,"_s}},
        {u"customer-cards"_s,
         ManagementReports::customerCardListing(*m_db, headings),
         QString(),
         {u"0001,Alder Freight,1 Main St,Amarillo,TX,79101,8065550100,,Pat,No,$150.25,\"$1,000.00\",80%,No,3/1/2024 9:30:00 AM,01,2,No"_s,
          u"0999,,,,,,,,,,,,,,,01,1,No"_s}},
        {u"customer-history"_s,
         ManagementReports::customerHistory(*m_db, u"0001"_s, firstDay, lastDay, headings),
         u"Net for the range"_s,
         {u"0001,Alder Freight,3/8/2024 11:59:59 PM,Charge Ticket,6,1,$211.00"_s,
          u"0001,Alder Freight,3/7/2024 12:00:00 AM,Payment: 1001,2,N/A,-$100.00"_s, u"Total,,,,,,$161.00"_s}},
        {u"detail-sales"_s,
         ManagementReports::detailSales(*m_db, firstDay, lastDay, headings),
         u"Grand total:"_s,
         {u"3/7/2024 3:00:00 PM,4,0999,01,,1,WS1,ANN,T-1,,,,,,0.000,,,5.000,$4.000,$20.00,0.000,,,5.000,,,0.000,$0.000,$0.00,"
          "$0.00,,,,,,,$20.00,$0.00,$20.00"_s}},
        {u"gift-card-transactions"_s,
         ManagementReports::giftCardTransactions(*m_db, firstDay, lastDay, headings),
         QString(),
         {u"Gift Card Redemption,3/7/2024 12:00:00 AM,4,600001,$29.50,ANN,WS1,2"_s}},
        {u"gift-card-listing"_s,
         ManagementReports::giftCardListing(*m_db, headings),
         u"4 cards (3 active)"_s,
         {u"000123456,3/1/2024 10:00:00 AM,ANN,$10.00,$7.25,Yes,1,WS1,"_s, u"Total,,,$185.00,$127.75,,,,"_s}},
    };

    QDir(m_dir.path()).mkpath(u"read"_s);
    QStringList workbooks;
    for (const Exported &e : exports) {
        const QString path = m_dir.filePath(e.name + u".xlsx"_s);
        QString error;
        QVERIFY2(ReportXlsx::save(*e.report, path, &error), qPrintable(error));
        workbooks << path;
    }
    QString output;
    QVERIFY2(convert(workbooks, u"csv:Text - txt - csv (StarCalc):44,34,76,1,,1033,false,true,true"_s, &output),
             qPrintable(output));
    QVERIFY2(convert(workbooks, u"fods"_s, &output), qPrintable(output));

    for (const Exported &e : exports) {
        QFile csv(m_dir.filePath(u"read/"_s + e.name + u".csv"_s));
        QVERIFY2(csv.open(QIODevice::ReadOnly), qPrintable(e.name + u": not converted: "_s + output));
        const QStringList lines = QString::fromUtf8(csv.readAll()).split(QRegularExpression(u"\r?\n"_s), Qt::SkipEmptyParts);
        csv.close();
        QList<ReportColumn> columns;
        QStringList captions;
        for (const ReportColumn &column : e.report->columns) {
            if (column.inCsv()) {
                columns << column;
                captions << column.caption;
            }
        }
        // The captions, then what the report shows, each line whole.
        QCOMPARE(csvFields(lines.value(0)), captions);
        for (const QString &line : e.lines)
            QVERIFY2(lines.contains(line), qPrintable(u"%1: missing\n%2\nin\n%3"_s.arg(e.name, line, lines.join(u'\n'))));

        // Every cell holds its kind of value, and the totals are SUM formulas over the rows.
        const Sheet sheet = readFods(m_dir.filePath(u"read/"_s + e.name + u".fods"_s));
        const bool totals = e.report->grandTotals;
        const qsizetype rows = lines.size() - 1 - (totals ? 1 : 0);
        QVERIFY2(rows > 0, qPrintable(e.name));
        QVERIFY2(sheet.size() >= lines.size(), qPrintable(e.name));
        for (qsizetype r = 1; r <= rows; ++r) {
            for (qsizetype c = 0; c < columns.size(); ++c) {
                const QString type = sheet[r].value(c).type;
                if (type.isEmpty())
                    continue;
                using K = ReportColumn::Kind;
                QString expected;
                switch (columns[c].kind) {
                case K::Text:
                case K::Flag:
                    expected = u"string"_s;
                    break;
                case K::Integer:
                    expected = u"float"_s;
                    break;
                case K::Number:
                    expected = columns[c].pattern.contains(u'$')   ? u"currency"_s
                               : columns[c].pattern.contains(u'%') ? u"percentage"_s
                                                                   : u"float"_s;
                    break;
                case K::Date:
                case K::DateTime:
                    expected = u"date"_s;
                    break;
                }
                QVERIFY2(type == expected,
                         qPrintable(u"%1 row %2 %3: %4, not %5"_s.arg(e.name).arg(r).arg(columns[c].caption, type, expected)));
            }
        }
        if (!totals)
            continue;
        const QList<Cell> &sums = sheet[rows + 1];
        const QStringList shown = csvFields(lines.last());
        QStringList printed;
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const bool money = columns[c].kind == ReportColumn::Kind::Number
                               && (columns[c].summed || columns[c].pattern == ReportStyle::amountPattern);
            const QString formula = sums.value(c).formula;
            if (money) {
                const QString letter =
                    c < 26 ? QString(QChar(u'A' + int(c))) : QString(QChar(u'A' + int(c / 26) - 1)) + QChar(u'A' + int(c % 26));
                QCOMPARE(formula, u"of:=SUM([.%1%2:.%1%3])"_s.arg(letter).arg(2).arg(rows + 1));
                if (columns[c].summed && columns[c].onPage())
                    printed << shown.value(c);
            } else {
                QVERIFY2(formula.isEmpty(), qPrintable(e.name + u": "_s + columns[c].caption));
            }
        }
        // The sums come to the printed report's totals, in the same order on its line.
        const QString pdf = m_dir.filePath(e.name + u".pdf"_s);
        QVERIFY(ReportOutput::writePdf(*e.report, pdf));
        const QString text = PdfText::squeezed(PdfText::of(pdf));
        const qsizetype at = text.indexOf(e.totalsCaption);
        QVERIFY2(at >= 0, qPrintable(e.name + u": no totals in\n"_s + text));
        const QString totalsLine = text.mid(at, text.indexOf(u'\n', at) - at);
        QVERIFY2(!printed.isEmpty(), qPrintable(e.name));
        const QStringList words = totalsLine.split(u' ');
        qsizetype next = 0;
        for (const QString &sum : std::as_const(printed)) {
            next = words.indexOf(sum, next);
            QVERIFY2(next >= 0,
                     qPrintable(u"%1: %2 is not on the printed totals line, in order: %3"_s.arg(e.name, sum, totalsLine)));
            ++next;
        }
    }
}

void TestReportXlsx::writtenWholeOrNotAtAll_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("rows that fail halfway leave the file there as it was") << u"failing rows"_s;
    QTest::newRow("a cancel leaves the file there as it was") << u"cancel"_s;
    QTest::newRow("more rows than a worksheet holds are refused, not cut") << u"too many rows"_s;
}

void TestReportXlsx::writtenWholeOrNotAtAll()
{
    QFETCH(QString, how);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"out.xlsx"_s);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("what was there");
    old.close();

    Report report(u"xlsxTest"_s);
    report.columns = {ReportColumn::text(u"Name"_s, u"Name"_s)};
    const qint64 rows = how == u"too many rows"_s ? ReportXlsx::maxRows + 1 : 2000;
    report.setRows(RowSource([how, rows](const RowSource::Visitor &visit) {
        QSqlRecord record;
        record.append(QSqlField(u"Name"_s, QMetaType(QMetaType::QString)));
        for (qint64 i = 0; i < rows; ++i) {
            if (how == u"failing rows"_s && i == 1000)
                throw std::runtime_error("the connection went away");
            record.setValue(0, u"0%1"_s.arg(i));
            if (!visit(record))
                return;
        }
    }));
    qint64 told = 0;
    QString error;
    const bool saved = ReportXlsx::save(report, path, &error, [&](qint64 done) {
        told = done;
        return !(how == u"cancel"_s && done >= 1000);
    });
    QVERIFY(!saved);
    // Told every so many rows, and stopped at the first told after the cancel.
    QCOMPARE(told, how == u"failing rows"_s ? qint64(1000)
                   : how == u"cancel"_s     ? qint64(1000)
                                            : ReportXlsx::maxRows - ReportXlsx::maxRows % 500);
    if (how == u"failing rows"_s)
        QCOMPARE(error, u"the connection went away"_s);
    else if (how == u"cancel"_s)
        QCOMPARE(error, u"Cancelled."_s);
    else
        QVERIFY2(error.contains(u"more rows than a worksheet holds"_s), qPrintable(error));
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("what was there"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"out.xlsx"_s});
}

void TestReportXlsx::sheetNames_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("name");
    QTest::newRow("a short title stays") << u"Detail Sales Report"_s << u"Detail Sales Report"_s;
    QTest::newRow("a slash is not allowed in a sheet name") << u"Customer / Card Listing"_s << u"Customer - Card Listing"_s;
    QTest::newRow("a long title is cut to 31 characters")
        << u"Gift Card Transaction Report for the Whole Chain"_s << u"Gift Card Transaction Report fo"_s;
    QTest::newRow("nothing left is a sheet called Report") << u"''"_s << u"Report"_s;
}

void TestReportXlsx::sheetNames()
{
    QFETCH(QString, title);
    QFETCH(QString, name);
    QCOMPARE(ReportXlsx::sheetName(title), name);
}

QTEST_MAIN(TestReportXlsx)
#include "tst_reportxlsx.moc"
