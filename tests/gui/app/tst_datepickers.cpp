// Every date picker, the payment screen's and the report dialogs', shows dates as this
// workstation writes them and takes a date typed that way, whatever the locale.

#include "ScreenTest.h"

#include "app/DatePicker.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QLocale>
#include <QTest>

class TestDatePickers : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void typedAsTheWorkstationWritesDates_data();
    void typedAsTheWorkstationWritesDates();
};

void TestDatePickers::cleanup() { QLocale::setDefault(QLocale::c()); }

void TestDatePickers::typedAsTheWorkstationWritesDates_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("picker");
    const QList<QPair<QString, QString>> pickers = {{"ReceivePayment", "dtDate"},
                                                    {"DetailSalesReport", "dtStart"},
                                                    {"GiftCardTransactionReport", "dtEnd"},
                                                    {"CustomerHistoryReport", "dtStart"}};
    for (const auto &[command, picker] : pickers) {
        // A two-digit year in the locale's own short date becomes the whole year.
        QTest::addRow("%s %s, United States", qPrintable(command), qPrintable(picker))
            << QLocale(QLocale::English, QLocale::UnitedStates) << "M/d/yyyy" << command << picker;
        QTest::addRow("%s %s, Germany", qPrintable(command), qPrintable(picker))
            << QLocale(QLocale::German, QLocale::Germany) << "dd.MM.yyyy" << command << picker;
    }
}

void TestDatePickers::typedAsTheWorkstationWritesDates()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, command);
    QFETCH(QString, picker);
    QLocale::setDefault(locale);
    QTEST(DatePicker::workstationFormat(), "format");

    ScreenTest::ScreenSession session;
    session.begin(QStringLiteral("SQLite"));
    ScreenTest::administrationWorkstationAt(QStringLiteral("1"));
    QVERIFY(session.open(command));
    auto *box = session.control<QDateEdit>(picker);
    QCOMPARE(box->displayFormat(), DatePicker::workstationFormat());

    const QDate christmas(1998, 12, 24);
    box->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(box->hasFocus());
    // The date written out as the workstation writes it, put in the box's own line and
    // read back as the box reads what was typed when the clerk moves on.
    auto *line = box->findChild<QLineEdit *>();
    QVERIFY(line);
    line->setText(locale.toString(christmas, DatePicker::workstationFormat()));
    box->interpretText();
    QCOMPARE(box->date(), christmas);
    session.end();
}

QTEST_MAIN(TestDatePickers)
#include "tst_datepickers.moc"
