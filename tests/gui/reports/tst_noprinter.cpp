// With no default printer every printed document reports failure. The print system is
// pointed at a server that does not exist for this process only, so the real default
// queue stays in place for the tests running beside this one.

#include "TestDb.h"

#include "app/AppContext.h"
#include "db/Db.h"
#include "reports/ReportOutput.h"
#include "reports/Reports.h"
#include "reports/Viewer.h"

#include <QApplication>
#include <QPrinterInfo>
#include <QTest>

using namespace Qt::StringLiterals;

class TestNoPrinter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void initTestCase();
    void everyDocumentFails_data();
    void everyDocumentFails();
};

void TestNoPrinter::initTestCase()
{
    QVERIFY2(QPrinterInfo::defaultPrinter().isNull(), "the print system still names a default printer");
}

void TestNoPrinter::everyDocumentFails_data()
{
    QTest::addColumn<QString>("document");
    QTest::newRow("the charge ticket") << u"charge"_s;
    QTest::newRow("the cash ticket") << u"cash"_s;
    QTest::newRow("the gift card receipt") << u"gift"_s;
}

void TestNoPrinter::everyDocumentFails()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, document);

    auto db = TestDb::fresh(server);
    Db::setCurrent(db.get());
    ReportOutput::setPrintTarget(ReportOutput::PrintTarget::DefaultPrinter);
    bool printed = true;
    if (document == u"charge"_s) {
        const int id = db->insert(u"Tickets"_s, {{u"CustomerID"_s, u"0001"_s}, {u"Total"_s, 10.0}}).toInt();
        printed = PrintChargeTicket(id, false, true);
    } else if (document == u"cash"_s) {
        const int id = db->insert(u"CashTickets"_s, {{u"Customer"_s, u"Walk-in"_s}, {u"Total"_s, 10.0}}).toInt();
        printed = PrintCashTicket(id, false, false);
    } else {
        const int id = db->insert(u"GiftCardTransactions"_s, {{u"CardID"_s, u"99"_s}, {u"Amount"_s, 10.0}}).toInt();
        printed = PrintGiftCardReceipt(id);
    }
    Db::setCurrent(nullptr);
    QVERIFY(!printed);
}

int main(int argc, char **argv)
{
    // Set before the print system is first asked anything.
    qputenv("CUPS_SERVER", "/nonexistent/ams-no-cups.sock");
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
    qputenv("HOME", QByteArray("/nonexistent/ams-no-home"));
    QApplication app(argc, argv);
    TestNoPrinter test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_noprinter.moc"
