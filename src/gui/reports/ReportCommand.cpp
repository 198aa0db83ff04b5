#include "reports/ReportCommand.h"

#include "accounts/CustomerStore.h"
#include "app/AppContext.h"
#include "app/ConfigFile.h"
#include "app/Startup.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "reports/DailySalesSummary.h"
#include "reports/ArAgingReport.h"
#include "reports/ManagementReports.h"
#include "reports/ReportBatch.h"
#include "reports/Report.h"
#include "reports/ReportCsv.h"
#include "reports/ReportOutput.h"
#include "reports/ReportRenderer.h"
#include "reports/ReportXlsx.h"
#include "reports/Statements.h"

#include <QDate>
#include <QGuiApplication>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>

#include <functional>
#include <optional>

#include <unistd.h>

namespace ReportCommand {

namespace {

const QString kUsage = QStringLiteral(
    "usage: ams --report NAME [--from YYYY-MM-DD --to YYYY-MM-DD] [--customer ID] [--location N] "
    "(--pdf FILE | --csv FILE | --xlsx FILE) [--config FILE]\n"
    "       ams --report statements --from YYYY-MM-DD --to YYYY-MM-DD [--customer ID] (--pdf FILE | --pdf-dir DIR)\n"
    "       ams --report ar-aging [--as-of YYYY-MM-DD] (--pdf FILE | --csv FILE | --xlsx FILE)\n");

struct Request
{
    QString name;
    QString from;
    QString to;
    QString customer;
    QString location;
    QString pdf;
    QString csv;
    QString xlsx;
    QString config;
    QString asOf;
    QString pdfDir;
};

// What each report needs besides its name.
struct Kind
{
    QString name;
    bool ranged = false;
    bool customer = false;
    bool location = false;
    // The statements: --customer may be left out, and --pdf-dir takes the place of --csv.
    bool statements = false;
    // The aging report: --as-of, today when left out.
    bool asOf = false;
};

const QList<Kind> &kinds()
{
    static const QList<Kind> list = {
        {QStringLiteral("account-balance"), false, false},
        {QStringLiteral("customer-history"), true, true},
        {QStringLiteral("detail-sales"), true, false},
        {QStringLiteral("daily-summary"), true, false, true},
        {QStringLiteral("customer-cards"), false, false},
        {QStringLiteral("gift-card-transactions"), true, false},
        {QStringLiteral("gift-card-listing"), false, false},
        {QStringLiteral("statements"), true, false, false, true},
        {QStringLiteral("ar-aging"), false, false, false, false, true},
    };
    return list;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

int fail(const QString &text, int status = 1)
{
    err() << "ams: " << text << "\n";
    err().flush();
    return status;
}

int usage(const QString &problem)
{
    err() << "ams: " << problem << "\n" << kUsage << "NAME is one of: " << names().join(QStringLiteral(", ")) << "\n";
    err().flush();
    return 2;
}

// Reads the options; a problem with them is returned as its text.
std::optional<QString> parse(const QStringList &args, Request &request)
{
    const QHash<QString, QString *> options = {
        {QStringLiteral("--report"), &request.name},
        {QStringLiteral("--from"), &request.from},
        {QStringLiteral("--to"), &request.to},
        {QStringLiteral("--customer"), &request.customer},
        {QStringLiteral("--location"), &request.location},
        {QStringLiteral("--pdf"), &request.pdf},
        {QStringLiteral("--csv"), &request.csv},
        {QStringLiteral("--xlsx"), &request.xlsx},
        {QStringLiteral("--config"), &request.config},
        {QStringLiteral("--as-of"), &request.asOf},
        {QStringLiteral("--pdf-dir"), &request.pdfDir},
    };
    QSet<QString> seen;
    for (qsizetype i = 1; i < args.size(); ++i) {
        QString option = args[i];
        QString value;
        bool hasValue = false;
        const qsizetype equals = option.indexOf(u'=');
        if (option.startsWith(QLatin1String("--")) && equals > 0) {
            value = option.mid(equals + 1);
            option = option.left(equals);
            hasValue = true;
        }
        QString *target = options.value(option);
        if (!target)
            return QStringLiteral("unknown option %1").arg(args[i]);
        if (!hasValue) {
            // An option in its value's place means the value was left out (a value that
            // begins with "--" is written --option=value).
            if (i + 1 >= args.size() || args[i + 1].startsWith(QLatin1String("--")))
                return QStringLiteral("%1 needs a value").arg(option);
            value = args[++i];
        }
        if (seen.contains(option))
            return QStringLiteral("%1 is given twice").arg(option);
        seen.insert(option);
        if (value.isEmpty())
            return QStringLiteral("%1 needs a value").arg(option);
        *target = value;
    }
    return std::nullopt;
}

// "page 3 of 120" on one line of the terminal, written over as the work goes on, and
// the line ended when it is done.
class TerminalProgress
{
public:
    TerminalProgress(bool shown, QString unit, qint64 total) : m_shown(shown), m_unit(std::move(unit)), m_total(total) {}
    ~TerminalProgress()
    {
        if (m_told) {
            err() << "\n";
            err().flush();
        }
    }
    ReportProgress callback()
    {
        if (!m_shown)
            return {};
        return [this](qint64 done) {
            err() << "\r" << m_unit << " " << done << " of " << m_total;
            err().flush();
            m_told = true;
            return true;
        };
    }

private:
    bool m_shown;
    QString m_unit;
    qint64 m_total;
    bool m_told = false;
};

std::optional<QDate> isoDate(const QString &text)
{
    static const QRegularExpression shape(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!shape.match(text).hasMatch())
        return std::nullopt;
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

// The statements of the period into one PDF or a folder of them. When the period ends
// today, a closing balance that differs from the balance the postings keep is said on
// standard error (the files are written all the same).
int writeStatements(Db &db, const Request &request, const QDate &from, const QDate &to, const QStringList &headings)
{
    const QList<Statement> statements = Statements::gather(db, from, to, appContext().company.PaymentTerms,
                                                           request.customer.isEmpty() ? QString() : request.customer);
    if (statements.isEmpty()) {
        err() << "ams: no customer has a ticket, a payment or a balance in the period; nothing was written\n";
        err().flush();
        return 0;
    }
    QList<std::shared_ptr<Report>> reports;
    for (const Statement &s : statements)
        reports << Statements::report(s, headings);
    const ReportBatch::Outcome outcome = request.pdfDir.isEmpty()
                                             ? ReportBatch::writeOnePdf(reports, request.pdf)
                                             : ReportBatch::writePdfFolder(reports, request.pdfDir, [&](int i) {
                                                   return Statements::fileNameFor(statements[i].account.customerId);
                                               });
    if (!outcome.written())
        return fail(outcome.error);
    if (to == QDate::currentDate()) {
        const QStringList differ = Statements::differingBalances(statements);
        if (!differ.isEmpty()) {
            err() << "ams: the closing balance of " << differ.size() << (differ.size() == 1 ? " customer" : " customers")
                  << " differs from the current balance; run \"Rebuild Customer Balance\" (Settings menu) and write the "
                     "statements again:\n";
            for (const QString &line : differ)
                err() << "  " << line << "\n";
            err().flush();
        }
    }
    return 0;
}

} // namespace

QStringList names()
{
    QStringList list;
    for (const Kind &kind : kinds())
        list << kind.name;
    return list;
}

bool requested(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--report" || arg.startsWith("--report="))
            return true;
    }
    return false;
}

int run(int argc, char *argv[])
{
    // No window is shown, so no display is needed: cron and services have none.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    Request request;
    if (const auto problem = parse(QGuiApplication::arguments(), request))
        return usage(*problem);
    const auto kind = std::find_if(kinds().begin(), kinds().end(), [&](const Kind &k) { return k.name == request.name; });
    if (kind == kinds().end())
        return usage(QStringLiteral("unknown report \"%1\"").arg(request.name));
    if (kind->statements) {
        if (!request.csv.isEmpty() || !request.xlsx.isEmpty())
            return usage(QStringLiteral("statements are written as PDF: give --pdf FILE or --pdf-dir DIR"));
        if (request.pdf.isEmpty() == request.pdfDir.isEmpty())
            return usage(QStringLiteral("give either --pdf FILE or --pdf-dir DIR"));
    } else if (!request.pdfDir.isEmpty()) {
        return usage(QStringLiteral("%1 takes no --pdf-dir").arg(kind->name));
    } else if (int(!request.pdf.isEmpty()) + int(!request.csv.isEmpty()) + int(!request.xlsx.isEmpty()) != 1) {
        return usage(QStringLiteral("give one of --pdf FILE, --csv FILE or --xlsx FILE"));
    }
    std::optional<QDate> asOf;
    if (!kind->asOf && !request.asOf.isEmpty())
        return usage(QStringLiteral("%1 takes no --as-of").arg(kind->name));
    if (kind->asOf) {
        asOf = request.asOf.isEmpty() ? std::optional<QDate>(QDate::currentDate()) : isoDate(request.asOf);
        if (!asOf)
            return usage(QStringLiteral("--as-of %1 is not a date written YYYY-MM-DD").arg(request.asOf));
    }
    std::optional<QDate> from, to;
    if (kind->ranged) {
        if (request.from.isEmpty() || request.to.isEmpty())
            return usage(QStringLiteral("%1 needs --from and --to").arg(kind->name));
        from = isoDate(request.from);
        if (!from)
            return usage(QStringLiteral("--from %1 is not a date written YYYY-MM-DD").arg(request.from));
        to = isoDate(request.to);
        if (!to)
            return usage(QStringLiteral("--to %1 is not a date written YYYY-MM-DD").arg(request.to));
    } else if (!request.from.isEmpty() || !request.to.isEmpty()) {
        return usage(QStringLiteral("%1 takes no date range").arg(kind->name));
    }
    if (kind->customer && request.customer.isEmpty())
        return usage(QStringLiteral("%1 needs --customer ID").arg(kind->name));
    if (!kind->customer && !kind->statements && !request.customer.isEmpty())
        return usage(QStringLiteral("%1 takes no customer").arg(kind->name));
    std::optional<int> location;
    if (!request.location.isEmpty()) {
        if (!kind->location)
            return usage(QStringLiteral("%1 takes no location").arg(kind->name));
        static const QRegularExpression number(QStringLiteral("^\\d{1,9}$"));
        if (!number.match(request.location).hasMatch())
            return usage(QStringLiteral("--location %1 is not a location number").arg(request.location));
        location = request.location.toInt();
    }

    try {
        ReadConfigFile(request.config);
        OpenDatabase();
        LoadCompanySettings();
        Db &db = Db::current();
        if (!request.customer.isEmpty() && !CustomerStore::nameOf(db, request.customer))
            return fail(QStringLiteral("there is no customer with the ID %1").arg(request.customer));

        const QStringList headings = appContext().company.headingTexts();
        if (kind->statements) {
            const int status = writeStatements(db, request, *from, *to, headings);
            db.close();
            return status;
        }
        std::shared_ptr<Report> report;
        if (kind->name == QLatin1String("ar-aging"))
            report = ArAgingReport::build(db, *asOf, appContext().company.PaymentTerms, headings);
        else if (kind->name == QLatin1String("account-balance"))
            report = ManagementReports::accountBalance(db, headings);
        else if (kind->name == QLatin1String("customer-cards"))
            report = ManagementReports::customerCardListing(db, headings);
        else if (kind->name == QLatin1String("customer-history"))
            report = ManagementReports::customerHistory(db, request.customer, *from, *to, headings);
        else if (kind->name == QLatin1String("detail-sales"))
            report = ManagementReports::detailSales(db, *from, *to, headings);
        else if (kind->name == QLatin1String("daily-summary"))
            report = ManagementReports::dailySalesSummary(db, *from, *to, location, headings);
        else if (kind->name == QLatin1String("gift-card-transactions"))
            report = ManagementReports::giftCardTransactions(db, *from, *to, headings);
        else
            report = ManagementReports::giftCardListing(db, headings);

        // Someone at a terminal is told how far a long report has come; a log or a pipe
        // gets only what went wrong.
        const bool watched = ::isatty(STDERR_FILENO) == 1;
        if (!request.pdf.isEmpty()) {
            // Laid out first, so that a failing query is told as such.
            const PageIndex index = paginate(*report);
            TerminalProgress progress(watched, QStringLiteral("page"), index.pageCount());
            QString error;
            if (!ReportOutput::writePdf(*report, request.pdf, &index, progress.callback(), &error))
                return fail(error);
        } else {
            // The rows are counted only for someone watching.
            TerminalProgress progress(watched, QStringLiteral("row"), watched ? paginate(*report).rowCount() : 0);
            QString error;
            const bool saved = request.csv.isEmpty() ? ReportXlsx::save(*report, request.xlsx, &error, progress.callback())
                                                     : ReportCsv::save(*report, request.csv, &error, progress.callback());
            if (!saved)
                return fail(error);
        }
        db.close();
        return 0;
    } catch (const ConfigError &error) {
        return fail(error.text());
    } catch (const DbError &error) {
        return fail(error.serverText());
    }
}

} // namespace ReportCommand
