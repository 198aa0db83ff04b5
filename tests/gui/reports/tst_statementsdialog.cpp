// "Statements..." and "A/R Aging Report" from the Customers menu: the statement dialog's
// fields and defaults, the three outputs and what they leave on disk, the warning when a
// closing balance differs from the customer's current balance, the statement's printed
// figures, and the aging report shown in the viewer.

#include "PdfText.h"
#include "ReportFixture.h"
#include "ScreenTest.h"

#include "app/AppContext.h"
#include "app/MessageBox.h"
#include "app/PickList.h"
#include "db/Db.h"
#include "reports/Report.h"
#include "reports/ReportOutput.h"
#include "reports/StatementsDialog.h"
#include "reports/Viewer.h"

#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestStatementsDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void init();
    void cleanup();

    void startsWithLastMonthForEveryone();
    void writesTheChosenOutput_data();
    void writesTheChosenOutput();
    void statementShowsWhatIsOwedAndWhen();
    void differingBalanceIsNamedBeforeAnythingIsWritten();
    void agingReportIsShownAsOfTheDay();

private:
    template <class T>
    T *control(const char *name) const
    {
        return m_session.control<T>(QLatin1String(name));
    }
    void run(const QDate &start, const QDate &end, const char *output, const QString &path, const QString &customer = {});

    ScreenTest::ScreenSession m_session;
    QTemporaryDir m_dir;
};

void TestStatementsDialog::init()
{
    QFETCH_GLOBAL(QString, server);
    m_session.begin(server);
    ReportFixture::fill(*m_session.db);
    ScreenTest::administrationWorkstationAt(u"1"_s);
    appContext().company.Name = u"Prairie Fuel & Go"_s;
    appContext().company.Address1 = u"12 Route 66"_s;
    appContext().company.City = u"Amarillo"_s;
    appContext().company.State = u"TX"_s;
    appContext().company.Zip = u"79101"_s;
    ReportOutput::setPrintTarget(ReportOutput::PrintTarget::PdfFiles, m_dir.path());
    QVERIFY(m_dir.isValid());
}

void TestStatementsDialog::cleanup()
{
    m_session.end();
    ReportOutput::setPrintTarget(ReportOutput::PrintTarget::DefaultPrinter);
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
}

void TestStatementsDialog::run(const QDate &start, const QDate &end, const char *output, const QString &path,
                               const QString &customer)
{
    QVERIFY(m_session.open(u"Statements"_s));
    control<QDateEdit>("dtStart")->setDate(start);
    control<QDateEdit>("dtEnd")->setDate(end);
    if (!customer.isEmpty()) {
        control<QRadioButton>("optOneCustomer")->setChecked(true);
        QVERIFY(control<PickList>("cmbCustomer")->selectId(customer));
    }
    control<QRadioButton>(output)->setChecked(true);
    control<QLineEdit>("txtPath")->setText(path);
    control<QPushButton>("btnOK")->click();
}

void TestStatementsDialog::startsWithLastMonthForEveryone()
{
    QVERIFY(m_session.open(u"Statements"_s));
    QCOMPARE(m_session.screen->objectName(), u"frmStatements"_s);
    QCOMPARE(m_session.screen->windowTitle(), u"Statements"_s);
    const QDate today = QDate::currentDate();
    const QDate first(today.year(), today.month(), 1);
    QCOMPARE(control<QDateEdit>("dtStart")->date(), first.addMonths(-1));
    QCOMPARE(control<QDateEdit>("dtEnd")->date(), first.addDays(-1));
    QCOMPARE(StatementsDialog::lastMonth(QDate(2024, 1, 15)), qMakePair(QDate(2023, 12, 1), QDate(2023, 12, 31)));
    QCOMPARE(StatementsDialog::lastMonth(QDate(2024, 3, 1)), qMakePair(QDate(2024, 2, 1), QDate(2024, 2, 29)));
    QVERIFY(control<QRadioButton>("optAllCustomers")->isChecked());
    QVERIFY(!control<PickList>("cmbCustomer")->isEnabled());
    QVERIFY(control<QRadioButton>("optPrint")->isChecked());
    QVERIFY(!control<QLineEdit>("txtPath")->isEnabled());
    control<QRadioButton>("optPdfFolder")->setChecked(true);
    QVERIFY(control<QLineEdit>("txtPath")->isEnabled());
}

void TestStatementsDialog::writesTheChosenOutput_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("message");

    // March 2024: tickets or payments for 0001, 0002 and 0004; 0003 and 0005 have neither
    // and no balance from tickets and payments; 0999's tickets belong to no customer.
    QTest::newRow("one PDF per customer, named by the ID")
        << QByteArray("optPdfFolder") << QString() << QStringList{u"0001.pdf"_s, u"0002.pdf"_s, u"0004.pdf"_s}
        << u"3 statements written to %1."_s;
    QTest::newRow("one customer alone") << QByteArray("optPdfFolder") << u"0004"_s << QStringList{u"0004.pdf"_s}
                                        << u"1 statement written to %1."_s;
    QTest::newRow("one combined PDF") << QByteArray("optPdfFile") << QString() << QStringList{u"march.pdf"_s}
                                      << u"3 statements written to %1."_s;
    QTest::newRow("printed, one print job each")
        << QByteArray("optPrint") << QString()
        << QStringList{u"crptCustomerStatement-1.pdf"_s, u"crptCustomerStatement-2.pdf"_s, u"crptCustomerStatement-3.pdf"_s}
        << u"3 statements printed."_s;
}

void TestStatementsDialog::writesTheChosenOutput()
{
    QFETCH(QByteArray, output);
    QFETCH(QString, customer);
    QFETCH(QStringList, files);
    QFETCH(QString, message);
    const QString path = output == "optPdfFile"     ? m_dir.filePath(u"march.pdf"_s)
                         : output == "optPdfFolder" ? m_dir.filePath(u"out"_s)
                                                    : QString();
    run(QDate(2024, 3, 1), QDate(2024, 3, 31), output.constData(), path, customer);
    const auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().text, message.contains(u"%1"_s) ? message.arg(path) : message);
    QVERIFY(m_session.screen.isNull() || !m_session.screen->isVisible());
    const QDir where(output == "optPdfFolder" ? path : m_dir.path());
    QCOMPARE(where.entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
    if (output == "optPdfFile") {
        // Each statement on pages of its own, numbered from 1.
        const QString text = PdfText::of(path);
        QCOMPARE(text.count(u"STATEMENT"_s), 3);
        QVERIFY2(text.contains(u"Alder Freight"_s) && text.contains(u"Birch Hauling"_s) && text.contains(u"Dogwood Lines"_s),
                 qPrintable(text));
    }
}

void TestStatementsDialog::statementShowsWhatIsOwedAndWhen()
{
    // 0001 in March 2024, nothing before: tickets of 40.00, 100.00, 0.00 and 211.00,
    // payments of 10, 100, 50, 0 and 25: 166.00 at the end, due 15 days after the 31st.
    m_session.db->exec(u"UPDATE Customer SET PaymentTerms = 15 WHERE ID = '0001'"_s);
    const QString folder = m_dir.filePath(u"one"_s);
    run(QDate(2024, 3, 1), QDate(2024, 3, 31), "optPdfFolder", folder, u"0001"_s);
    const QString text = PdfText::of(QDir(folder).filePath(u"0001.pdf"_s)).simplified();
    for (const QString &expected :
         {u"Prairie Fuel & Go"_s, u"Statement Date 3/31/2024"_s, u"Account No. 0001"_s, u"Terms Net 15"_s,
          u"Due Date 4/15/2024"_s, u"Alder Freight"_s, u"Activity from 3/1/2024 through 3/31/2024"_s, u"Ticket"_s,
          u"Payment: 1001"_s, u"Amount Due by 4/15/2024"_s, u"Closing balance $166.00"_s, u"Charges $351.00"_s,
          u"Payments and credits $185.00"_s,
          u"Current 1-30 Days 31-60 Days 61-90 Days Over 90 Days Amount Due $0.00 $166.00 $0.00 $0.00 $0.00 $166.00"_s,
          u"Remit to:"_s, u"Page 1 of 1"_s})
        QVERIFY2(text.contains(expected), qPrintable(expected + u" not in: "_s + text));
}

void TestStatementsDialog::differingBalanceIsNamedBeforeAnythingIsWritten()
{
    // The period ends today: the stored balances of 0001 (150.25), 0002 (2000) and 0004
    // (750.50) are not their tickets less their payments (166.00, 53.30, -10.00); 0003
    // has neither a balance nor tickets.
    MessageBox::queueAnswer(MessageBox::Answer::No);
    const QString folder = m_dir.filePath(u"today"_s);
    run(QDate(2024, 3, 1), QDate::currentDate(), "optPdfFolder", folder);
    const auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().title, u"Balances Differ"_s);
    QVERIFY2(shown.first().text.contains(u"0001 Alder Freight: statement $166.00, current balance $150.25"_s),
             qPrintable(shown.first().text));
    QVERIFY(shown.first().text.contains(u"Rebuild Customer Balance"_s));
    QVERIFY(shown.first().text.contains(u"0002 Birch Hauling: statement $53.30, current balance $2,000.00"_s));
    QVERIFY(shown.first().text.contains(u"0004 Dogwood Lines: statement -$10.00, current balance $750.50"_s));
    QVERIFY(!shown.first().text.contains(u"0003"_s));
    QVERIFY(!QDir(folder).exists());
}

void TestStatementsDialog::agingReportIsShownAsOfTheDay()
{
    QVERIFY(m_session.open(u"ArAgingReport"_s));
    QCOMPARE(m_session.screen->objectName(), u"frmArAging"_s);
    QCOMPARE(control<QDateEdit>("dtAsOf")->date(), QDate::currentDate());
    control<QDateEdit>("dtAsOf")->setDate(QDate(2024, 3, 8));
    control<QPushButton>("btnOK")->click();
    QVERIFY(MessageBox::takeShown().isEmpty());
    QVERIFY(Viewer::instance());
    QCOMPARE(Viewer::instance()->report()->layoutName(), u"crptArAging"_s);
    Viewer::instance()->close();
}

QTEST_MAIN(TestStatementsDialog)
#include "tst_statementsdialog.moc"
