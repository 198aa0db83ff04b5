// A charge ticket printed through the system's real default printer: the test command
// sets up a CUPS queue that writes each job as a PDF file (scripts/start-cups), and one
// ticket must come out as exactly three jobs.

#include "PdfText.h"
#include "TestDb.h"

#include "app/AppContext.h"
#include "db/Db.h"
#include "reports/ReportOutput.h"
#include "reports/Reports.h"
#include "reports/Viewer.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QPrinterInfo>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCupsPrinting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void chargeTicketComesOutAsThreeJobs();

private:
    // The printed files that carry this run's token.
    QStringList filesWith(const QString &token, const QSet<QString> &before);
};

QStringList TestCupsPrinting::filesWith(const QString &token, const QSet<QString> &before)
{
    const QString out = qEnvironmentVariable("AMS_CUPS_PDF_OUT");
    QStringList found;
    for (const QString &file : PdfText::files(out)) {
        if (!before.contains(file) && PdfText::of(file).contains(token))
            found << file;
    }
    return found;
}

void TestCupsPrinting::chargeTicketComesOutAsThreeJobs()
{
    QFETCH_GLOBAL(QString, server);
    QVERIFY2(!qEnvironmentVariable("CUPS_SERVER").isEmpty() && !qEnvironmentVariable("AMS_CUPS_PDF_OUT").isEmpty(),
             "no print system for the test: CUPS_SERVER and AMS_CUPS_PDF_OUT are not set. scripts/test sets them; "
             "for a single test, run scripts/start-cups DIR and set CUPS_SERVER to what it prints and "
             "AMS_CUPS_PDF_OUT to DIR/cups-pdf");
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    QVERIFY2(!printer.isNull(), "no default printer on the print system CUPS_SERVER names (scripts/start-cups makes one)");

    auto db = TestDb::fresh(server);
    Db::setCurrent(db.get());
    // Other tests may print to the same queue at the same time: this run's copies are
    // told apart by a company name no other run uses.
    const QString token = u"Cups%1x%2"_s.arg(QCoreApplication::applicationPid()).arg(QDateTime::currentMSecsSinceEpoch());
    appContext().company.Name = token;
    appContext().company.Address1 = u"1 Main St."_s;
    const int id = db->insert(u"Tickets"_s, {{u"CustomerID"_s, u"0001"_s},
                                             {u"CardNo"_s, u"01"_s},
                                             {u"Clerk"_s, u"AL"_s},
                                             {u"DieselGallons"_s, 12.0},
                                             {u"DieselPriceEach"_s, 4.0},
                                             {u"DieselPriceExt"_s, 48.0},
                                             {u"Total"_s, 48.0}})
                       .toInt();

    const QString out = qEnvironmentVariable("AMS_CUPS_PDF_OUT");
    const QStringList existing = PdfText::files(out);
    const QSet<QString> before(existing.begin(), existing.end());

    ReportOutput::setPrintTarget(ReportOutput::PrintTarget::DefaultPrinter);
    QVERIFY(PrintChargeTicket(id, false, true));

    // The queue writes its files a moment after the jobs are handed over.
    QElapsedTimer waited;
    waited.start();
    QStringList printed;
    while (waited.elapsed() < 60000) {
        printed = filesWith(token, before);
        if (printed.size() >= 3)
            break;
        QTest::qWait(250);
    }
    // A fourth copy would have come right behind the third.
    QTest::qWait(2000);
    printed = filesWith(token, before);
    QCOMPARE(printed.size(), 3);
    for (const QString &file : printed) {
        const QString text = PdfText::squeezed(PdfText::of(file));
        QVERIFY2(text.contains(u"Ticket No. %1"_s.arg(id)), qPrintable(text));
        QVERIFY2(text.contains(u"Diesel 12.000 $4.000 $48.00"_s), qPrintable(text));
        QFile::remove(file);
    }
    Db::setCurrent(nullptr);
}

QTEST_MAIN(TestCupsPrinting)
#include "tst_cupsprinting.moc"
