#include "reports/ArAgingReport.h"

#include "accounts/ReceivablesStore.h"
#include "app/Numbers.h"
#include "reports/ListingLayout.h"
#include "reports/Report.h"

#include <QDateTime>
#include <QSqlField>
#include <QSqlRecord>

#include <algorithm>

namespace ArAgingReport {

namespace {

using Column = ReportColumn;
using namespace ReportStyle;
using namespace ListingLayout;

const QString balancePattern = QStringLiteral("$#,##0.00;$#,##0.00 CR");

QString bucketField(int b) { return QStringLiteral("Bucket%1").arg(b); }

void add(QSqlRecord &record, const QString &name, const QVariant &value)
{
    QSqlField field(name, value.metaType());
    field.setValue(value);
    record.append(field);
}

// The report's row of an account. The fields are made once, with their names and types,
// and each account's row is a copy given its values: tens of thousands of rows.
QSqlRecord recordOf(const AgedAccount &a)
{
    static const QSqlRecord shape = [] {
        QSqlRecord r;
        const QString text = QString();
        add(r, QStringLiteral("CustomerID"), text);
        add(r, QStringLiteral("Name"), text);
        add(r, QStringLiteral("Phone"), text);
        add(r, QStringLiteral("Contact"), text);
        add(r, QStringLiteral("Terms"), 0);
        add(r, QStringLiteral("TermsText"), text);
        add(r, QStringLiteral("Limit"), 0.0);
        add(r, QStringLiteral("AcctOnHold"), 0);
        for (int b = 0; b < Aging::BucketCount; ++b)
            add(r, bucketField(b), 0.0);
        add(r, QStringLiteral("Credit"), 0.0);
        add(r, QStringLiteral("Balance"), 0.0);
        add(r, QStringLiteral("HasCredit"), 0.0);
        return r;
    }();
    QSqlRecord r = shape;
    int i = 0;
    r.setValue(i++, a.customerId);
    r.setValue(i++, a.name);
    r.setValue(i++, a.phone);
    r.setValue(i++, a.contact);
    r.setValue(i++, a.terms);
    r.setValue(i++, PaymentTerms::text(a.terms));
    r.setValue(i++, a.limit);
    r.setValue(i++, a.onHold ? 1 : 0);
    for (int b = 0; b < Aging::BucketCount; ++b)
        r.setValue(i++, a.aged.amount(Aging::Bucket(b)));
    r.setValue(i++, a.aged.creditAmount());
    r.setValue(i++, a.aged.balanceAmount());
    r.setValue(i++, a.aged.credit > 0 ? 1.0 : 0.0);
    return r;
}

// The oldest money first: the most over 90 days, then 61-90 and so on; credit balances
// after everyone who owes; then by name and ID.
bool olderMoneyFirst(const AgedAccount *px, const AgedAccount *py)
{
    const AgedAccount &x = *px, &y = *py;
    for (int b = Aging::BucketCount - 1; b >= 0; --b) {
        if (x.aged.open[b] != y.aged.open[b])
            return x.aged.open[b] > y.aged.open[b];
    }
    if (x.aged.credit != y.aged.credit)
        return x.aged.credit < y.aged.credit;
    if (x.name != y.name)
        return x.name < y.name;
    return x.customerId < y.customerId;
}

double owedOf(const ReportTotals &t)
{
    double sum = 0;
    for (int b = 0; b < Aging::BucketCount; ++b)
        sum += t.sum(bucketField(b));
    return sum;
}

} // namespace

std::shared_ptr<Report> build(Db &db, const QDate &asOf, int locationTerms, const QStringList &headings)
{
    QList<AgedAccount> accounts = ReceivablesStore::agedAccounts(db, asOf, locationTerms);
    // The accounts stay where they are; only the order of pointers to them is sorted.
    QList<const AgedAccount *> owing;
    owing.reserve(accounts.size());
    for (const AgedAccount &a : std::as_const(accounts))
        if (a.aged.balance() != 0)
            owing << &a;
    std::stable_sort(owing.begin(), owing.end(), olderMoneyFirst);
    QList<QSqlRecord> rows;
    rows.reserve(owing.size());
    for (const AgedAccount *a : std::as_const(owing))
        rows << recordOf(*a);

    auto report = std::make_shared<Report>(QStringLiteral("crptArAging"));
    QPageLayout page = report->pageLayout();
    page.setOrientation(QPageLayout::Landscape);
    report->setPageLayout(page);
    report->setHeadingTexts(headings);
    report->setText(
        rangeText,
        QStringLiteral("As of %1, by days past the due date of each ticket").arg(asOf.toString(QStringLiteral("M/d/yyyy"))));
    report->setText(printedText, QStringLiteral("Printed ") + QDateTime::currentDateTime().toString(dateTimeFormat));

    const double w = report->bodyWidth();
    QList<Column> &columns = report->columns;
    columns << Column::text(QStringLiteral("Customer ID"), QStringLiteral("CustomerID"), 0, 45).shortened(QStringLiteral("ID"))
            << Column::text(QStringLiteral("Name"), QStringLiteral("Name"), 45, 140)
            << Column::text(QStringLiteral("Phone"), QStringLiteral("Phone"), 188, 62).shownAs(phonePattern)
            << Column::text(QStringLiteral("Contact"), QStringLiteral("Contact"))
            << Column::integer(QStringLiteral("Terms (days)"), QStringLiteral("Terms"))
            << Column::text(QStringLiteral("Terms"), QStringLiteral("TermsText"), 252, 42).onPageOnly()
            << Column::number(QStringLiteral("Limit"), QStringLiteral("Limit"), QStringLiteral("$#,##0;-$#,##0"), 296, 56)
            << Column::flag(QStringLiteral("On Hold"), QStringLiteral("AcctOnHold"), 356, 28).shortened(QStringLiteral("Hold"));
    const double first = 386, width = 55;
    for (int b = 0; b < Aging::BucketCount; ++b)
        columns << Column::number(Aging::buckets()[b].caption, bucketField(b), amountPattern, first + width * b,
                                  b == Aging::Over90 ? 52 : 53)
                       .total();
    columns << Column::number(QStringLiteral("Credit"), QStringLiteral("Credit"), amountPattern).total()
            << Column::number(QStringLiteral("Balance"), QStringLiteral("Balance"), balancePattern, first + width * 5,
                              w - first - width * 5)
                   .total();

    addCaptions(*report, addHeading(*report, QStringLiteral("A/R Aging Report")));
    addDetailLine(*report);
    addPageFooter(*report);
    sumColumns(*report);
    report->summedValues.append({QStringLiteral("CreditCustomers"),
                                 [](const QSqlRecord &row) { return row.value(QStringLiteral("HasCredit")).toDouble(); }});

    Band &f = report->reportFooter;
    f.height = 66;
    f.line(QPointF(0, 2), QPointF(w, 2), 1);
    addSums(
        *report, f, 5,
        [](const BandContext &c) {
            const int n = c.totals ? c.totals->count() : 0;
            return n == 0 ? QStringLiteral("No customer has a balance on this day.")
                          : QStringLiteral("Totals: %1 %2")
                                .arg(n)
                                .arg(n == 1 ? QStringLiteral("customer") : QStringLiteral("customers"));
        },
        true);
    // Each column's share of all that is owed (credits aside).
    f.label(QRectF(0, 19, first - 4, 12), QStringLiteral("Share of all owed"), left, boldFont());
    for (int b = 0; b < Aging::BucketCount; ++b) {
        const QString field = bucketField(b);
        f.text(
            QRectF(first + width * b, 19, b == Aging::Over90 ? 52 : 53, 12),
            [field](const BandContext &c) {
                if (!c.totals)
                    return QString();
                const double owed = owedOf(*c.totals);
                return owed > 0 ? Numbers::format(c.totals->sum(field) / owed, QStringLiteral("0.0%")) : QString();
            },
            right, detailFont());
    }
    f.text(
        QRectF(0, 35, w, 12),
        [](const BandContext &c) {
            if (!c.totals)
                return QString();
            const int n = qRound(c.totals->sum(QStringLiteral("CreditCustomers")));
            return QStringLiteral("Owed %1, less credit balances of %2 (%3 %4), leaves %5 receivable.")
                .arg(Numbers::format(owedOf(*c.totals), amountPattern),
                     Numbers::format(c.totals->sum(QStringLiteral("Credit")), amountPattern))
                .arg(n)
                .arg(n == 1 ? QStringLiteral("customer") : QStringLiteral("customers"))
                .arg(Numbers::format(c.totals->sum(QStringLiteral("Balance")), balancePattern));
        },
        left, detailFont());

    report->setRows(RowSource::fromRecords(std::move(rows)));
    return report;
}

} // namespace ArAgingReport
