// The Daily Sales Summary against the rows it sums: charge and cash tickets (negative
// ones among them, and one stored before the DEF line existed), gift card sales, reloads
// and redemptions made through the gift card store, and payments, at the first and last
// second of the range's days and the seconds just outside it, at two locations with two
// workstations of the same name. The test keeps its own list of what it stored and sums
// it itself; every figure of every row of the export must equal that sum.

#include "TestDb.h"

#include "db/Db.h"
#include "giftcards/GiftCardStore.h"
#include "reports/DailySalesSummary.h"
#include "reports/Report.h"
#include "reports/ReportCsv.h"

#include <QBuffer>
#include <QMap>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QDate day6(2024, 3, 6), day7(2024, 3, 7), day8(2024, 3, 8), day9(2024, 3, 9);
const QStringList headings = {u"Prairie Fuel & Go"_s, u"12 Route 66"_s, u"Amarillo, TX  79101"_s};

// The export's captions of the ticket figures, beside the columns they sum.
const QList<QPair<QString, QString>> ticketFigures = {
    {u"GasGallons"_s, u"Gas Gallons"_s},
    {u"GasPriceExt"_s, u"Gas Amount"_s},
    {u"DieselGallons"_s, u"Diesel Gallons"_s},
    {u"DieselPriceExt"_s, u"Diesel Amount"_s},
    {u"ReeferGallons"_s, u"Off Road Diesel Gallons"_s},
    {u"ReeferPriceExt"_s, u"Off Road Diesel Amount"_s},
    {u"DiscountGallons"_s, u"Discount Gallons"_s},
    {u"DiscountPriceExt"_s, u"Discount Amount"_s},
    {u"DEFGallons"_s, u"DEF Gallons"_s},
    {u"DEFPriceExt"_s, u"DEF Amount"_s},
    {u"OilPriceExt"_s, u"Oil"_s},
    {u"AddativePriceExt"_s, u"Additives"_s},
    {u"AntifreezePriceExt"_s, u"Antifreeze"_s},
    {u"WasherPriceExt"_s, u"Washer Fluid"_s},
    {u"GroceryPriceExt"_s, u"Grocery"_s},
    {u"DeliPriceExt"_s, u"Deli"_s},
    {u"TobaccoPriceExt"_s, u"Tobacco"_s},
    {u"Tax"_s, u"Tax"_s},
};
const QStringList otherFigures = {u"Charge Total"_s,          u"Cash Total"_s,
                                  u"Charge Tickets"_s,        u"Cash Tickets"_s,
                                  u"Gift Cards Sold"_s,       u"Gift Cards Sold Count"_s,
                                  u"Gift Card Reloads"_s,     u"Gift Card Reload Count"_s,
                                  u"Gift Card Redemptions"_s, u"Gift Card Redemption Count"_s,
                                  u"Payments Received"_s,     u"Payments Received Count"_s};

// One row of the summary as the test expects it: Day, Location and Workstation as the
// export writes them, and the figures by caption.
using Key = QString;
using Figures = QMap<QString, double>;

Key keyOf(const QDate &day, const QVariant &location, const QVariant &workstation)
{
    return day.toString(Qt::ISODate) + u',' + (location.isNull() ? QString() : location.toString()) + u','
           + (workstation.isNull() ? QString() : workstation.toString());
}

struct Stored
{
    QDateTime when;
    int location;
    QString workstation;
};

} // namespace

class TestDailySalesSummary : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void init();
    void cleanup() { m_db.reset(); }

    void everyFigureIsTheSumOfItsRows_data();
    void everyFigureIsTheSumOfItsRows();
    void rowsComeByDayLocationAndWorkstation();
    void aRangeWithoutSalesHasNoRows();

private:
    void addTicket(bool cash, const QDateTime &when, int location, const QString &workstation, double scale, bool noDef = false);
    void sell(const QString &card, double amount, const Stored &at, bool firstSale);
    void redeem(const QString &card, double amount, const Stored &at);
    void addPayment(const QVariant &day, const QDate &counted, double amount);
    Figures &expected(const QDate &day, const QVariant &location, const QVariant &workstation)
    {
        return m_expected[keyOf(day, location, workstation)];
    }
    QMap<Key, Figures> expectedFor(const QDate &from, const QDate &to, std::optional<int> location) const;

    std::unique_ptr<Db> m_db;
    // What was stored, by the day it counts on, the location and the workstation (a row
    // without location or workstation for the payments).
    QMap<Key, Figures> m_expected;
    int m_tickets = 0;
};

void TestDailySalesSummary::init()
{
    QFETCH_GLOBAL(QString, server);
    m_db = TestDb::fresh(server);
    m_expected.clear();
    m_tickets = 0;

    auto at = [](const QDate &day, int h, int m, int s) { return QDateTime(day, QTime(h, m, s)); };
    // Charge and cash tickets at every edge of the days 3/7 and 3/8, and just outside.
    addTicket(false, at(day6, 23, 59, 59), 1, u"WS1"_s, 1.0);
    addTicket(false, at(day7, 0, 0, 0), 1, u"WS1"_s, 1.5);
    addTicket(true, at(day7, 0, 0, 0), 1, u"WS1"_s, 0.75);
    addTicket(false, at(day7, 9, 30, 0), 1, u"WS2"_s, 2.25, true); // stored before the DEF line: NULL there
    addTicket(false, at(day7, 14, 0, 0), 1, u"WS2"_s, -1.0);       // a return: every amount negative
    addTicket(true, at(day7, 23, 59, 59), 2, u"WS1"_s, 3.0);
    addTicket(true, at(day7, 23, 59, 59), 2, u"WS1"_s, -0.5);
    addTicket(false, at(day8, 0, 0, 0), 2, u"WS1"_s, 1.25);
    addTicket(false, at(day8, 12, 0, 0), 1, u"WS1"_s, 0.0); // a ticket of 0.00 counts as a ticket
    addTicket(true, at(day8, 12, 0, 1), 1, u"WS1"_s, 4.5);
    addTicket(false, at(day8, 23, 59, 59), 1, u"WS2"_s, 2.0);
    addTicket(true, at(day8, 23, 59, 59), 1, u"WS2"_s, -2.0);
    addTicket(false, at(day9, 0, 0, 0), 1, u"WS1"_s, 5.0);
    addTicket(true, at(day9, 0, 0, 0), 2, u"WS1"_s, 5.0);

    // Gift cards through the store, as the screens sell and redeem them.
    sell(u"700001"_s, 25, {at(day6, 23, 59, 59), 1, u"WS1"_s}, true); // sold the day before
    sell(u"700001"_s, 40, {at(day7, 0, 0, 0), 1, u"WS1"_s}, false);   // reloaded in the range
    sell(u"700002"_s, 50, {at(day7, 0, 0, 0), 2, u"WS1"_s}, true);
    sell(u"700002"_s, 50, {at(day7, 18, 0, 0), 2, u"WS1"_s}, false); // the same amount again: a reload
    sell(u"700003"_s, 100, {at(day8, 23, 59, 59), 1, u"WS2"_s}, true);
    redeem(u"700002"_s, 30.25, {at(day7, 23, 59, 59), 1, u"WS1"_s});
    redeem(u"700003"_s, 12.5, {at(day8, 23, 59, 59), 1, u"WS2"_s});
    redeem(u"700002"_s, 10, {at(day9, 0, 0, 0), 2, u"WS1"_s}); // the second after
    // Inquiries and edits are neither sales nor redemptions.
    GiftCardStore::inquire(*m_db, u"700001"_s, {u"WS1"_s, 1, at(day7, 10, 0, 0)});
    GiftCardStore::edit(*m_db, u"700003"_s, 500, QString(), {u"WS1"_s, 1, at(day8, 10, 0, 0)});

    addPayment(m_db->dialect().dateValue(day6), day6, 11);
    addPayment(m_db->dialect().dateValue(day7), day7, 100.1);
    addPayment(m_db->dialect().dateValue(day7), day7, -5);                     // a payment taken back
    addPayment(m_db->dialect().dateTimeValue(at(day8, 23, 59, 59)), day8, 70); // with a time of day
    addPayment(m_db->dialect().dateValue(day9), day9, 13);
}

void TestDailySalesSummary::addTicket(bool cash, const QDateTime &when, int location, const QString &workstation, double scale,
                                      bool noDef)
{
    // Every column of its own value, so that a figure summed from the wrong column shows.
    ++m_tickets;
    ColumnValues row;
    if (cash)
        row << qMakePair(u"Customer"_s, QVariant(u"Walk-in %1"_s.arg(m_tickets)));
    else
        row << qMakePair(u"CustomerID"_s, QVariant(u"0001"_s)) << qMakePair(u"CardNo"_s, QVariant(u"01"_s));
    Figures &sums = expected(when.date(), location, workstation);
    double total = 0;
    int n = 0;
    for (const auto &[column, caption] : ticketFigures) {
        ++n;
        if (noDef && column.startsWith(u"DEF"_s))
            continue;
        const bool gallons = column.endsWith(u"Gallons"_s);
        // Gallons to the thousandth, amounts to the cent.
        const double value =
            gallons ? std::round(scale * (10.125 + n * 3.5) * 1000) / 1000 : std::round(scale * (n * 7.31 + 0.02) * 100) / 100;
        row << qMakePair(column, QVariant(value));
        sums[caption] += value;
        if (!gallons)
            total += value;
    }
    total = std::round(total * 100) / 100;
    row << qMakePair(u"Subtotal"_s, QVariant(total)) << qMakePair(u"Total"_s, QVariant(total))
        << qMakePair(u"WorkStationID"_s, QVariant(workstation)) << qMakePair(u"Location"_s, QVariant(location))
        << qMakePair(u"DateEntered"_s, m_db->dialect().dateTimeValue(when));
    m_db->insert(cash ? u"CashTickets"_s : u"Tickets"_s, row);
    sums[cash ? u"Cash Total"_s : u"Charge Total"_s] += total;
    sums[cash ? u"Cash Tickets"_s : u"Charge Tickets"_s] += 1;
}

void TestDailySalesSummary::sell(const QString &card, double amount, const Stored &at, bool firstSale)
{
    GiftCardStore::sell(*m_db, card, amount, u"ANN"_s, QString(), {at.workstation, at.location, at.when});
    Figures &sums = expected(at.when.date(), at.location, at.workstation);
    sums[firstSale ? u"Gift Cards Sold"_s : u"Gift Card Reloads"_s] += amount;
    sums[firstSale ? u"Gift Cards Sold Count"_s : u"Gift Card Reload Count"_s] += 1;
}

void TestDailySalesSummary::redeem(const QString &card, double amount, const Stored &at)
{
    QVERIFY(GiftCardStore::redeem(*m_db, card, amount, u"ANN"_s, {at.workstation, at.location, at.when}));
    Figures &sums = expected(at.when.date(), at.location, at.workstation);
    sums[u"Gift Card Redemptions"_s] += amount;
    sums[u"Gift Card Redemption Count"_s] += 1;
}

void TestDailySalesSummary::addPayment(const QVariant &day, const QDate &counted, double amount)
{
    m_db->insert(u"Payments"_s, {{u"Customer"_s, u"0001"_s},
                                 {u"PaymentDate"_s, day},
                                 {u"Amount"_s, amount},
                                 {u"CheckNum"_s, u"1001"_s},
                                 {u"EntryDate"_s, m_db->dialect().dateTimeValue(QDateTime(counted, QTime(8, 0)))}});
    Figures &sums = expected(counted, QVariant(), QVariant());
    sums[u"Payments Received"_s] += amount;
    sums[u"Payments Received Count"_s] += 1;
}

// The stored rows that fall in the range (and the location), by the test's own reckoning.
QMap<Key, Figures> TestDailySalesSummary::expectedFor(const QDate &from, const QDate &to, std::optional<int> location) const
{
    QMap<Key, Figures> rows;
    for (auto it = m_expected.begin(); it != m_expected.end(); ++it) {
        const QStringList parts = it.key().split(u',');
        const QDate day = QDate::fromString(parts[0], Qt::ISODate);
        if (day < from || day > to)
            continue;
        if (location && parts[1] != QString::number(*location))
            continue;
        rows.insert(it.key(), it.value());
    }
    return rows;
}

namespace {

// The export as lines of fields (no field here holds a comma).
QList<QStringList> exported(const Report &report)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ReportCsv::write(report, buffer);
    QList<QStringList> lines;
    for (const QString &line : QString::fromUtf8(buffer.data()).split(u"\r\n"_s, Qt::SkipEmptyParts))
        lines << line.split(u',');
    return lines;
}

} // namespace

void TestDailySalesSummary::everyFigureIsTheSumOfItsRows_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<int>("location"); // 0: all

    QTest::newRow("two days, every location, from midnight of the first to 23:59:59 of the last") << day7 << day8 << 0;
    QTest::newRow("one day alone") << day7 << day7 << 0;
    QTest::newRow("the last day alone, its last second included") << day8 << day8 << 0;
    QTest::newRow("location 1 alone, without the payments") << day7 << day8 << 1;
    QTest::newRow("location 2 alone") << day7 << day8 << 2;
    QTest::newRow("three days with the edges outside") << day6 << day9 << 0;
}

void TestDailySalesSummary::everyFigureIsTheSumOfItsRows()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(int, location);
    const std::optional<int> one = location ? std::optional<int>(location) : std::nullopt;

    auto report = ManagementReports::dailySalesSummary(*m_db, from, to, one, headings);
    const QList<QStringList> lines = exported(*report);
    QVERIFY(!lines.isEmpty());
    const QStringList captions = lines.first();
    QCOMPARE(captions.mid(0, 3), QStringList({u"Day"_s, u"Location"_s, u"Workstation"_s}));
    QStringList figures;
    for (const auto &figure : ticketFigures)
        figures << figure.second;
    figures << otherFigures;
    QCOMPARE(captions.mid(3), figures);

    const QMap<Key, Figures> expected = expectedFor(from, to, one);
    QMap<Key, Figures> shown;
    for (const QStringList &line : lines.mid(1)) {
        QCOMPARE(line.size(), captions.size());
        const Key key = line.mid(0, 3).join(u',');
        QVERIFY2(!shown.contains(key), qPrintable(u"row twice: "_s + key));
        Figures values;
        for (qsizetype i = 3; i < captions.size(); ++i)
            values[captions[i]] = line[i].toDouble();
        shown.insert(key, values);
    }
    QCOMPARE(shown.keys(), expected.keys());
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        for (const QString &figure : figures) {
            const double want = it.value().value(figure);
            const double got = shown[it.key()].value(figure);
            QVERIFY2(qAbs(want - got) < 0.0005,
                     qPrintable(u"%1 %2: %3 shown, %4 stored"_s.arg(it.key(), figure).arg(got, 0, 'f', 4).arg(want, 0, 'f', 4)));
        }
    }
}

void TestDailySalesSummary::rowsComeByDayLocationAndWorkstation()
{
    auto report = ManagementReports::dailySalesSummary(*m_db, day7, day8, std::nullopt, headings);
    QStringList keys;
    for (const QStringList &line : exported(*report).mid(1))
        keys << line.mid(0, 3).join(u',');
    // Each day's workstations by location, then the day's payments.
    QCOMPARE(keys, QStringList({u"2024-03-07,1,WS1"_s, u"2024-03-07,1,WS2"_s, u"2024-03-07,2,WS1"_s, u"2024-03-07,,"_s,
                                u"2024-03-08,1,WS1"_s, u"2024-03-08,1,WS2"_s, u"2024-03-08,2,WS1"_s, u"2024-03-08,,"_s}));
}

void TestDailySalesSummary::aRangeWithoutSalesHasNoRows()
{
    // An end before the start, as the dialog allows.
    auto report = ManagementReports::dailySalesSummary(*m_db, day8, day7, std::nullopt, headings);
    QCOMPARE(exported(*report).size(), 1);
    report = ManagementReports::dailySalesSummary(*m_db, QDate(2025, 1, 1), QDate(2025, 1, 31), std::nullopt, headings);
    QCOMPARE(exported(*report).size(), 1);
}

QTEST_GUILESS_MAIN(TestDailySalesSummary)
#include "tst_dailysalessummary.moc"
