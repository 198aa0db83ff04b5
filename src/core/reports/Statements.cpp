#include "reports/Statements.h"

#include "app/Numbers.h"
#include "db/Db.h"
#include "reports/ListingLayout.h"
#include "reports/Report.h"

#include <QSqlField>
#include <QSqlRecord>

#include <cstdlib>

namespace {

using Column = ReportColumn;
using namespace ReportStyle;

// A running balance below 0 is money the station owes the customer: a credit.
const QString balancePattern = QStringLiteral("$#,##0.00;$#,##0.00 CR");

QString money(Aging::Cents cents, const QString &pattern = amountPattern)
{
    return Numbers::format(Aging::fromCents(cents), pattern);
}

QString day(const QDate &date) { return date.toString(QStringLiteral("M/d/yyyy")); }

void add(QSqlRecord &record, const char *name, const QVariant &value, QMetaType type)
{
    QSqlField field(QLatin1String(name), type);
    if (!value.isNull())
        field.setValue(value);
    record.append(field);
}

const QMetaType textType = QMetaType::fromType<QString>();
const QMetaType numberType = QMetaType::fromType<double>();

QSqlRecord line(const QDateTime &when, const QString &type, const QVariant &number, const QString &reference, const QString &card,
                const QString &truck, const QVariant &gallons, const QVariant &charge, const QVariant &payment,
                Aging::Cents balance)
{
    QSqlRecord r;
    add(r, "Date", when, QMetaType::fromType<QDateTime>());
    add(r, "Type", type, textType);
    add(r, "Number", number, QMetaType::fromType<qlonglong>());
    add(r, "Reference", reference, textType);
    add(r, "CardNo", card, textType);
    add(r, "TruckNumber", truck, textType);
    add(r, "Gallons", gallons, numberType);
    add(r, "Charges", charge, numberType);
    add(r, "Payments", payment, numberType);
    add(r, "Balance", Aging::fromCents(balance), numberType);
    return r;
}

// The statement's lines: the balance brought forward, then every entry with the balance
// after it.
QList<QSqlRecord> lines(const Statement &s)
{
    QList<QSqlRecord> rows;
    Aging::Cents balance = s.opening;
    rows << line(QDateTime(s.start, QTime(0, 0)), QStringLiteral("Balance forward"), QVariant(),
                 QStringLiteral("Balance forward"), QString(), QString(), QVariant(), QVariant(), QVariant(), balance);
    for (const AccountEntry &e : s.entries) {
        if (e.kind == AccountEntry::Kind::Ticket) {
            balance += e.amount;
            rows << line(e.when, QStringLiteral("Ticket"), e.number, QStringLiteral("Ticket %1").arg(e.number), e.cardNo,
                         e.truckNumber, e.gallons, Aging::fromCents(e.amount), QVariant(), balance);
        } else {
            balance -= e.amount;
            const QString reference =
                e.checkNum.trimmed().isEmpty() ? QStringLiteral("Payment") : QStringLiteral("Payment: ") + e.checkNum;
            rows << line(e.when, QStringLiteral("Payment"), e.number, reference, QString(), QString(), QVariant(), QVariant(),
                         Aging::fromCents(e.amount), balance);
        }
    }
    return rows;
}

QString cityLine(const AgedAccount &a)
{
    QString text = a.city;
    if (!a.state.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral(", ")) + a.state;
    if (!a.zip.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral("  ")) + a.zip;
    return text;
}

// Report texts the layout shows.
namespace Text {
const QString statementDate = QStringLiteral("StatementDate");
const QString account = QStringLiteral("Account");
const QString terms = QStringLiteral("Terms");
const QString dueDate = QStringLiteral("DueDate");
const QString name = QStringLiteral("Name");
const QString address = QStringLiteral("Address%1");
const QString dueCaption = QStringLiteral("DueCaption");
const QString dueAmount = QStringLiteral("DueAmount");
const QString period = QStringLiteral("Period");
const QString continued = QStringLiteral("Continued");
const QString opening = QStringLiteral("Opening");
const QString charges = QStringLiteral("Charges");
const QString payments = QStringLiteral("Payments");
const QString closing = QStringLiteral("Closing");
const QString bucket = QStringLiteral("Bucket%1");
const QString creditNote = QStringLiteral("CreditNote");
} // namespace Text

// A framed box of label and value rows; returns the height it took.
double labelledBox(Band &b, double x, double y, double width, const QList<QPair<QString, QString>> &rows)
{
    const double rowHeight = 14;
    b.frame(QRectF(x, y, width, rows.size() * rowHeight + 6), 0.75);
    double at = y + 3;
    for (const auto &[label, text] : rows) {
        b.label(QRectF(x + 6, at, width * 0.45, rowHeight), label, left, reportFont(8.5));
        b.text(QRectF(x + width * 0.45, at, width * 0.55 - 6, rowHeight), ReportText::reportText(text), right,
               reportFont(8.5, true));
        at += rowHeight;
    }
    return rows.size() * rowHeight + 6;
}

void addHeader(Report &report)
{
    const double w = report.bodyWidth();
    const double boxX = w - 200;
    Band &h = report.reportHeader;
    // The station, to which the customer remits.
    h.text(QRectF(0, 0, boxX - 10, 18), ReportText::heading(0), left, reportFont(14, true));
    h.text(QRectF(0, 18, boxX - 10, 13), ReportText::heading(1), left, reportFont(9.5));
    h.text(QRectF(0, 31, boxX - 10, 13), ReportText::heading(2), left, reportFont(9.5));
    h.label(QRectF(boxX, 0, 200, 24), QStringLiteral("STATEMENT"), right, reportFont(18, true));
    labelledBox(h, boxX, 28, 200,
                {{QStringLiteral("Statement Date"), Text::statementDate},
                 {QStringLiteral("Account No."), Text::account},
                 {QStringLiteral("Terms"), Text::terms},
                 {QStringLiteral("Due Date"), Text::dueDate}});

    // The customer, where a window envelope shows it.
    h.label(QRectF(0, 74, 200, 11), QStringLiteral("Bill to:"), left, reportFont(7.5));
    h.text(QRectF(12, 86, boxX - 22, 14), ReportText::reportText(Text::name), left, reportFont(10, true));
    for (int i = 0; i < 3; ++i)
        h.text(QRectF(12, 100 + 12 * i, boxX - 22, 12), ReportText::reportText(Text::address.arg(i)), left, reportFont(9.5));

    h.frame(QRectF(boxX, 102, 200, 40), 1.25);
    h.text(QRectF(boxX + 6, 105, 188, 12), ReportText::reportText(Text::dueCaption), left, reportFont(8.5));
    h.text(QRectF(boxX + 6, 118, 188, 20), ReportText::reportText(Text::dueAmount), right, reportFont(14, true));

    h.text(QRectF(0, 152, w, 14), ReportText::reportText(Text::period), left, reportFont(9.5, true));
    h.height = 170;

    // Every later page says whose statement it continues.
    Band &p = report.pageHeader;
    p.text(
        QRectF(0, 0, w, 12), [](const BandContext &c) { return c.page > 1 ? c.report.text(Text::continued) : QString(); }, left,
        reportFont(8));
    ListingLayout::addCaptions(report, 14);
}

void addFooter(Report &report)
{
    const double w = report.bodyWidth();
    Band &f = report.reportFooter;
    f.line(QPointF(0, 2), QPointF(w, 2), 0.75);
    const double labelX = w - 240;
    double y = 6;
    auto figure = [&](const QString &caption, const QString &text, bool bold) {
        f.label(QRectF(labelX, y, 150, 13), caption, left, reportFont(9, bold));
        f.text(QRectF(w - 90, y, 90, 13), ReportText::reportText(text), right, reportFont(9, bold));
        y += 13;
    };
    figure(QStringLiteral("Balance forward"), Text::opening, false);
    figure(QStringLiteral("Charges"), Text::charges, false);
    figure(QStringLiteral("Payments and credits"), Text::payments, false);
    f.line(QPointF(labelX, y + 1), QPointF(w, y + 1), 0.75);
    y += 3;
    figure(QStringLiteral("Closing balance"), Text::closing, true);

    // How old the closing balance is, and what is due.
    y += 10;
    f.label(QRectF(0, y, w, 12), QStringLiteral("Aging of the closing balance, by days past the due date of each ticket"), left,
            reportFont(8, true));
    y += 13;
    const double cell = w / (Aging::BucketCount + 1);
    for (int b = 0; b <= Aging::BucketCount; ++b) {
        const QString caption = b == Aging::BucketCount ? QStringLiteral("Amount Due")
                                : b == Aging::Current   ? QStringLiteral("Current")
                                                        : Aging::buckets()[b].caption + QStringLiteral(" Days");
        const QString text = b == Aging::BucketCount ? Text::dueAmount : Text::bucket.arg(b);
        const bool due = b == Aging::BucketCount;
        f.frame(QRectF(cell * b, y, cell, 15), due ? 1.25 : 0.75);
        f.frame(QRectF(cell * b, y + 15, cell, 18), due ? 1.25 : 0.75);
        f.label(QRectF(cell * b, y, cell, 15), caption, centre, reportFont(8, true));
        f.text(QRectF(cell * b + 4, y + 15, cell - 8, 18), ReportText::reportText(text), right, reportFont(9, due));
    }
    y += 36;
    f.text(QRectF(0, y, w, 13), ReportText::reportText(Text::creditNote), left, reportFont(9, true));
    y += 20;

    // The part that comes back with the check.
    f.line(QPointF(0, y), QPointF(w, y), 0.5);
    f.label(QRectF(0, y + 1, w, 10), QStringLiteral("Please detach and return this part with your payment"), centre,
            reportFont(6.5));
    y += 14;
    f.label(QRectF(0, y, 200, 11), QStringLiteral("Remit to:"), left, reportFont(7.5));
    f.text(QRectF(12, y + 12, w - 240, 14), ReportText::heading(0), left, reportFont(10, true));
    f.text(QRectF(12, y + 26, w - 240, 12), ReportText::heading(1), left, reportFont(9.5));
    f.text(QRectF(12, y + 38, w - 240, 12), ReportText::heading(2), left, reportFont(9.5));
    const double boxX = w - 200;
    labelledBox(f, boxX, y, 200,
                {{QStringLiteral("Account No."), Text::account},
                 {QStringLiteral("Statement Date"), Text::statementDate},
                 {QStringLiteral("Amount Due"), Text::dueAmount}});
    f.label(QRectF(boxX + 6, y + 52, 90, 14), QStringLiteral("Amount Enclosed"), left, reportFont(8.5));
    f.line(QPointF(boxX + 96, y + 64), QPointF(w - 6, y + 64), 0.5);
    f.height = y + 70;
}

} // namespace

Aging::Cents Statement::charges() const
{
    Aging::Cents sum = 0;
    for (const AccountEntry &e : entries)
        if (e.kind == AccountEntry::Kind::Ticket)
            sum += e.amount;
    return sum;
}

Aging::Cents Statement::payments() const
{
    Aging::Cents sum = 0;
    for (const AccountEntry &e : entries)
        if (e.kind == AccountEntry::Kind::Payment)
            sum += e.amount;
    return sum;
}

bool Statement::differsFromCurrentBalance() const { return Aging::toCents(account.currentBalance.toDouble()) != closing(); }

namespace Statements {

QList<Statement> gather(Db &db, const QDate &start, const QDate &end, int locationTerms, const QString &customerId)
{
    const QList<AgedAccount> accounts = ReceivablesStore::agedAccounts(db, end, locationTerms, customerId);
    const QHash<QString, Aging::Cents> opening = ReceivablesStore::balancesBefore(db, start, customerId);
    const QList<AccountEntry> entries = ReceivablesStore::entries(db, start, end, customerId);

    // Both lists are in customer ID order as the server sorts: the entries are handed out
    // by a lookup, not by walking the two side by side.
    QHash<QString, QList<AccountEntry>> byCustomer;
    for (const AccountEntry &e : entries)
        byCustomer[e.customerId].append(e);

    QList<Statement> statements;
    for (const AgedAccount &a : accounts) {
        Statement s;
        s.account = a;
        s.start = start;
        s.end = end;
        s.opening = opening.value(a.customerId);
        s.entries = byCustomer.value(a.customerId);
        if (customerId.isNull() && s.entries.isEmpty() && s.closing() == 0 && s.opening == 0)
            continue;
        statements.append(s);
    }
    return statements;
}

std::shared_ptr<Report> report(const Statement &s, const QStringList &headings)
{
    auto report = std::make_shared<Report>(QStringLiteral("crptCustomerStatement"));
    const AgedAccount &a = s.account;
    report->setTitle(QStringLiteral("Statement %1").arg(a.customerId));
    report->setHeadingTexts(headings);

    report->columns = {
        Column::date(QStringLiteral("Date"), QStringLiteral("Date"), 0, 52),
        Column::text(QStringLiteral("Type"), QStringLiteral("Type")),
        Column::integer(QStringLiteral("Number"), QStringLiteral("Number")),
        Column::text(QStringLiteral("Reference"), QStringLiteral("Reference"), 54, 128).onPageOnly(),
        Column::text(QStringLiteral("Card"), QStringLiteral("CardNo"), 184, 34),
        Column::text(QStringLiteral("Truck"), QStringLiteral("TruckNumber"), 220, 58),
        Column::number(QStringLiteral("Gallons"), QStringLiteral("Gallons"), gallonsPattern, 280, 58),
        Column::number(QStringLiteral("Charges"), QStringLiteral("Charges"), amountPattern, 340, 64),
        Column::number(QStringLiteral("Payments"), QStringLiteral("Payments"), amountPattern, 406, 64),
        Column::number(QStringLiteral("Balance"), QStringLiteral("Balance"), balancePattern, 472, report->bodyWidth() - 472),
    };
    addHeader(*report);
    ListingLayout::addDetailLine(*report, 13);
    addFooter(*report);
    ListingLayout::addPageFooter(*report);

    report->setText(Text::statementDate, day(s.statementDate()));
    report->setText(Text::account, a.customerId);
    report->setText(Text::terms, PaymentTerms::text(a.terms));
    report->setText(Text::dueDate, day(s.dueDate()));
    report->setText(Text::name, a.name);
    QStringList address;
    for (const QString &part : {a.address1, a.address2, cityLine(a)})
        if (!part.trimmed().isEmpty())
            address << part;
    for (int i = 0; i < address.size(); ++i)
        report->setText(Text::address.arg(i), address[i]);
    const bool credit = s.closing() < 0;
    report->setText(Text::dueCaption, credit ? QStringLiteral("Credit Balance (nothing is due)")
                                             : QStringLiteral("Amount Due by %1").arg(day(s.dueDate())));
    report->setText(Text::dueAmount, credit ? money(s.closing(), balancePattern) : money(s.amountDue()));
    report->setText(Text::period, QStringLiteral("Activity from %1 through %2").arg(day(s.start), day(s.end)));
    report->setText(Text::continued,
                    QStringLiteral("Statement of %1 for %2 %3 (continued)").arg(day(s.statementDate()), a.customerId, a.name));
    report->setText(Text::opening, money(s.opening, balancePattern));
    report->setText(Text::charges, money(s.charges()));
    report->setText(Text::payments, money(s.payments()));
    report->setText(Text::closing, money(s.closing(), balancePattern));
    for (int b = 0; b < Aging::BucketCount; ++b)
        report->setText(Text::bucket.arg(b), money(a.aged.open[b]));
    if (credit)
        report->setText(Text::creditNote,
                        QStringLiteral("Your account has a credit balance of %1. Nothing is due.").arg(money(a.aged.credit)));
    report->setText(ListingLayout::printedText,
                    QStringLiteral("Account %1, statement of %2").arg(a.customerId, day(s.statementDate())));

    report->setRows(RowSource::fromRecords(lines(s)));
    return report;
}

QStringList differingBalances(const QList<Statement> &statements)
{
    QStringList list;
    for (const Statement &s : statements) {
        if (!s.differsFromCurrentBalance())
            continue;
        const QVariant &stored = s.account.currentBalance;
        list << QStringLiteral("%1 %2: statement %3, current balance %4")
                    .arg(s.account.customerId, s.account.name, money(s.closing()),
                         stored.isNull() ? QStringLiteral("none") : Numbers::format(stored.toDouble(), amountPattern));
    }
    return list;
}

QString fileNameFor(const QString &customerId)
{
    QString name;
    for (const QChar c : customerId.trimmed())
        name += c.isLetterOrNumber() || c == u'-' || c == u'_' ? c : QChar(u'_');
    if (name.isEmpty())
        name = QStringLiteral("_");
    return name + QStringLiteral(".pdf");
}

} // namespace Statements
