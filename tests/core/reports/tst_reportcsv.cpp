// The CSV export as a spreadsheet reads it: RFC 4180 quoting, UTF-8, CRLF lines, numbers
// as plain decimal text, ISO dates, and a file that is written whole or not at all.

#include "reports/Report.h"
#include "reports/ReportCsv.h"

#include <QBuffer>
#include <QFile>
#include <QSqlField>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QSqlRecord row(const QVariantList &values)
{
    QSqlRecord r;
    for (qsizetype i = 0; i < values.size(); ++i) {
        r.append(QSqlField(u"F%1"_s.arg(i), QMetaType(QMetaType::QString)));
        r.setValue(int(i), values[i]);
    }
    return r;
}

Report reportOf(const QList<ReportColumn> &columns, const QList<QSqlRecord> &rows)
{
    Report report(u"csvTest"_s);
    report.columns = columns;
    report.setRows(RowSource::fromRecords(rows));
    return report;
}

QByteArray csvOf(const Report &report)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ReportCsv::write(report, buffer);
    return buffer.data();
}

} // namespace

class TestReportCsv : public QObject
{
    Q_OBJECT

private slots:
    void quoting_data();
    void quoting();
    void valuesByKind_data();
    void valuesByKind();
    void captionsThenRowsInUtf8();
    void pageOnlyColumnsStayOut();
    void savedWholeOrNotAtAll();
};

void TestReportCsv::quoting_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("written");
    QTest::newRow("a plain text stays as it is") << u"Alder Freight"_s << u"Alder Freight"_s;
    QTest::newRow("an empty text stays empty") << QString() << QString();
    QTest::newRow("a comma is quoted") << u"Smith, Inc."_s << u"\"Smith, Inc.\""_s;
    QTest::newRow("a quote is doubled inside quotes") << u"12\" tire"_s << u"\"12\"\" tire\""_s;
    QTest::newRow("a line end is quoted") << u"line one\nline two"_s << u"\"line one\nline two\""_s;
    QTest::newRow("a carriage return is quoted") << u"a\rb"_s << u"\"a\rb\""_s;
    QTest::newRow("an apostrophe needs nothing") << u"O'Brien"_s << u"O'Brien"_s;
}

void TestReportCsv::quoting()
{
    QFETCH(QString, field);
    QFETCH(QString, written);
    QCOMPARE(ReportCsv::quoted(field), written);
}

void TestReportCsv::valuesByKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("written");
    using K = ReportColumn::Kind;
    QTest::newRow("a number is plain decimal text") << int(K::Number) << QVariant(1234.5) << u"1234.5"_s;
    QTest::newRow("a whole number has no decimal point") << int(K::Number) << QVariant(100.0) << u"100"_s;
    QTest::newRow("a negative number has its minus") << int(K::Number) << QVariant(-0.25) << u"-0.25"_s;
    QTest::newRow("a number held as text reads as its number") << int(K::Number) << QVariant(u"12.50"_s) << u"12.5"_s;
    QTest::newRow("a NULL number is an empty field") << int(K::Number) << QVariant(QMetaType(QMetaType::Double)) << QString();
    QTest::newRow("an integer") << int(K::Integer) << QVariant(42) << u"42"_s;
    QTest::newRow("a date and time as ISO text is ISO 8601")
        << int(K::DateTime) << QVariant(u"2024-03-07 14:05:09"_s) << u"2024-03-07T14:05:09"_s;
    QTest::newRow("a QDateTime is ISO 8601")
        << int(K::DateTime) << QVariant(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59))) << u"2024-12-31T23:59:59"_s;
    QTest::newRow("a day alone as a date and time is its midnight")
        << int(K::DateTime) << QVariant(u"2024-03-07"_s) << u"2024-03-07T00:00:00"_s;
    QTest::newRow("a date keeps its day only") << int(K::Date) << QVariant(u"2024-03-07 14:05:09"_s) << u"2024-03-07"_s;
    QTest::newRow("a flag set is Yes") << int(K::Flag) << QVariant(1) << u"Yes"_s;
    QTest::newRow("a flag clear is No") << int(K::Flag) << QVariant(0) << u"No"_s;
    QTest::newRow("a flag never set is an empty field, not No")
        << int(K::Flag) << QVariant(QMetaType(QMetaType::Int)) << QString();
    QTest::newRow("a text with a comma is quoted") << int(K::Text) << QVariant(u"Pampa, TX"_s) << u"\"Pampa, TX\""_s;
}

void TestReportCsv::valuesByKind()
{
    QFETCH(int, kind);
    QFETCH(QVariant, value);
    QFETCH(QString, written);
    ReportColumn column = ReportColumn::text(u"Value"_s, u"F0"_s);
    column.kind = ReportColumn::Kind(kind);
    const QByteArray out = csvOf(reportOf({column}, {row({value})}));
    QCOMPARE(QString::fromUtf8(out), u"Value\r\n"_s + written + u"\r\n"_s);
}

void TestReportCsv::captionsThenRowsInUtf8()
{
    const Report report =
        reportOf({ReportColumn::text(u"Name"_s, u"F0"_s), ReportColumn::number(u"Balance, $"_s, u"F1"_s, u"$0.00"_s)},
                 {row({u"Café Züri"_s, 10.5}), row({u"Ørsted"_s, -3})});
    const QByteArray expected = "Name,\"Balance, $\"\r\nCaf\xc3\xa9 Z\xc3\xbcri,10.5\r\n\xc3\x98rsted,-3\r\n";
    QCOMPARE(csvOf(report), expected);
    // Without rows the captions stand alone.
    QCOMPARE(csvOf(reportOf(report.columns, {})), QByteArray("Name,\"Balance, $\"\r\n"));
}

void TestReportCsv::pageOnlyColumnsStayOut()
{
    ReportColumn sum = ReportColumn::number(u"Both"_s, u"Both"_s, u"0.00"_s, 10, 50).onPageOnly();
    sum.compute = [](const QSqlRecord &r) { return QVariant(r.value(0).toDouble() + r.value(1).toDouble()); };
    const Report report = reportOf(
        {ReportColumn::number(u"A"_s, u"F0"_s, u"0"_s), sum, ReportColumn::number(u"B"_s, u"F1"_s, u"0"_s)}, {row({1, 2})});
    QCOMPARE(csvOf(report), QByteArray("A,B\r\n1,2\r\n"));
}

void TestReportCsv::savedWholeOrNotAtAll()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"out.csv"_s);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("what was there\r\n");
    old.close();

    // Rows that fail halfway leave the file as it was.
    Report failing(u"csvTest"_s);
    failing.columns = {ReportColumn::text(u"Name"_s, u"F0"_s)};
    failing.setRows(RowSource([](const RowSource::Visitor &visit) {
        visit(row({u"first"_s}));
        throw std::runtime_error("the connection went away");
    }));
    QString error;
    QVERIFY(!ReportCsv::save(failing, path, &error));
    QVERIFY2(error.startsWith(u"Cannot write "_s) && error.endsWith(u": the connection went away"_s), qPrintable(error));
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("what was there\r\n"));
    kept.close();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"out.csv"_s});

    // A folder that is not there is said so.
    QVERIFY(!ReportCsv::save(failing, dir.filePath(u"missing/out.csv"_s), &error));
    QVERIFY2(error.contains(u"missing/out.csv"_s), qPrintable(error));

    // Rows read through replace it.
    const Report good = reportOf(failing.columns, {row({u"new"_s})});
    QVERIFY(ReportCsv::save(good, path, &error));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("Name\r\nnew\r\n"));
}

QTEST_GUILESS_MAIN(TestReportCsv)
#include "tst_reportcsv.moc"
