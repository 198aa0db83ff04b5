// The payment screen, opened from Customers > Receive Payment, on every server.

#include "AccountsFixture.h"

#include "app/PickList.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QPushButton>
#include <QSqlRecord>
#include <QStatusBar>

namespace {

struct PaymentScreen : AccountsFixture
{
    PaymentScreen() : AccountsFixture(QStringLiteral("ReceivePayment")) {}

    // ACME (balance 400 of 1000), two customers named SMITH TRUCKING (1001 owes 75.25,
    // 2001 owes 10) and the screen opened.
    bool openWithCustomers()
    {
        addCustomer(QStringLiteral("3001"), QStringLiteral("ACME FREIGHT"), 400, 1000);
        addCustomer(QStringLiteral("2001"), QStringLiteral("SMITH TRUCKING"), 10, 1000);
        addCustomer(QStringLiteral("1001"), QStringLiteral("SMITH TRUCKING"), 75.25, 1000);
        return openScreen();
    }
    PickList *customers() const { return find<PickList>(QStringLiteral("cmbCustomer")); }
    QDateEdit *date() const { return find<QDateEdit>(QStringLiteral("dtDate")); }
    void chooseCustomer(const QString &id) { customers()->setCurrentIndex(customers()->indexOfId(id)); }
    // Types the amount and moves on to Save, as the clerk does.
    void enterAmount(const QString &amount)
    {
        replace(QStringLiteral("txtPaymentAmount"), amount);
        QTest::keyClick(find(QStringLiteral("txtPaymentAmount")), Qt::Key_Tab);
        QApplication::processEvents();
    }
    // The four boxes as their plain texts: memo, amount, current and new balance.
    QStringList boxes() const
    {
        return {text(QStringLiteral("txtCheckNumber")), text(QStringLiteral("txtPaymentAmount")),
                text(QStringLiteral("txtCurrentBalance")), text(QStringLiteral("txtNewBalance"))};
    }
};

} // namespace

class TestReceivePayment : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void opening();
    void choosingACustomerStartsAFreshPayment();
    void leavingTheAmount_data();
    void leavingTheAmount();
    void saving_data();
    void saving();
    void requiredFields_data();
    void requiredFields();
    void amountThatCannotBeStoredIsRefused();
    void failedPostingStoresNothing();
    void customerGoneMeanwhileShowsZero();
    void clickingABoxSelectsItsText_data();
    void clickingABoxSelectsItsText();
};

void TestReceivePayment::opening()
{
    PaymentScreen f;
    QVERIFY(f.openWithCustomers());
    QCOMPARE(f.screen->objectName(), QStringLiteral("frmReceivePayment"));
    QCOMPARE(f.screen->windowTitle(), QStringLiteral("Receive Payment"));
    QCOMPARE(f.screen->parentWidget()->pos(), QPoint(0, 0));
    QCOMPARE(f.date()->date(), QDate::currentDate());
    QVERIFY(f.date()->calendarPopup());
    QVERIFY(f.date()->calendarWidget());
    QCOMPARE(f.boxes(), (QStringList{"", "0", "0", "0"}));
    QCOMPARE(f.box(QStringLiteral("txtCurrentBalance"))->text(), QStringLiteral("$0.00"));
    QCOMPARE(f.customers()->currentIndex(), -1);
    QCOMPARE(f.customers()->count(), 3);
    // Two customers of one name are listed twice, each with its own ID.
    QCOMPARE(f.customers()->itemText(1), QStringLiteral("SMITH TRUCKING"));
    QCOMPARE(f.customers()->itemText(2), QStringLiteral("SMITH TRUCKING"));
    QCOMPARE((QSet<QString>{f.customers()->idAt(1).toString(), f.customers()->idAt(2).toString()}),
             (QSet<QString>{"1001", "2001"}));
    for (const char *shown : {"txtCurrentBalance", "txtNewBalance"})
        QCOMPARE(f.box(QLatin1String(shown))->focusPolicy(), Qt::NoFocus);
    // The date picker's own text box follows the picker.
    const QStringList expected = {"cmbCustomer", "dtDate", "qt_spinbox_lineedit", "txtCheckNumber", "txtPaymentAmount",
                                  "btnSave",     "btnExit"};
    QCOMPARE(ScreenTest::tabChain(f.customers(), int(expected.size())), expected);
}

void TestReceivePayment::choosingACustomerStartsAFreshPayment()
{
    PaymentScreen f;
    QVERIFY(f.openWithCustomers());
    f.type(QStringLiteral("txtCheckNumber"), QStringLiteral("memo"));
    f.date()->setDate(QDate(2024, 5, 6));
    // The list searches as typed: "ac" picks ACME.
    f.customers()->setFocus();
    QTest::keyClicks(f.customers(), QStringLiteral("ac"));
    QCOMPARE(f.customers()->currentText(), QStringLiteral("ACME FREIGHT"));
    QCOMPARE(f.boxes(), (QStringList{"", "0", "400", "0"}));
    QCOMPARE(f.date()->date(), QDate::currentDate());
    f.type(QStringLiteral("txtCheckNumber"), QStringLiteral("memo"));
    f.chooseCustomer(QStringLiteral("1001"));
    QCOMPARE(f.boxes(), (QStringList{"", "0", "75.25", "0"}));
    f.chooseCustomer(QStringLiteral("2001"));
    QCOMPARE(f.text(QStringLiteral("txtCurrentBalance")), QStringLiteral("10"));
}

void TestReceivePayment::leavingTheAmount_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("newBalance");
    QTest::addColumn<bool>("marked");

    QTest::newRow("150 paid on 400 shows 250") << "150"
                                               << "150"
                                               << "250" << false;
    QTest::newRow("a negative payment shows a higher balance") << "-25.5"
                                                               << "-25.5"
                                                               << "425.5" << false;
    QTest::newRow("letters become 0") << "abc"
                                      << "0"
                                      << "0" << false;
    QTest::newRow("an empty amount becomes 0") << ""
                                               << "0"
                                               << "0" << false;
    // It used to be kept and read as 1, and a save then stored and posted $1.00.
    QTest::newRow("a thousands separator is no number and becomes 0, as letters do") << "1,250.75"
                                                                                     << "0"
                                                                                     << "0" << false;
}

void TestReceivePayment::leavingTheAmount()
{
    QFETCH(QString, typed);
    QFETCH(QString, amount);
    QFETCH(QString, newBalance);
    QFETCH(bool, marked);
    PaymentScreen f;
    QVERIFY(f.openWithCustomers());
    f.chooseCustomer(QStringLiteral("3001"));
    f.enterAmount(typed);
    QCOMPARE(f.focused(), QStringLiteral("btnSave"));
    QCOMPARE(f.text(QStringLiteral("txtPaymentAmount")), amount);
    QCOMPARE(f.text(QStringLiteral("txtNewBalance")), newBalance);
    QCOMPARE(f.find<AmountField>(QStringLiteral("txtPaymentAmount"))->isMarked(), marked);
    QVERIFY(MessageBox::takeShown().isEmpty());
    // Only shown: the stored balance has not moved.
    QVERIFY(f.balanceIs(QStringLiteral("3001"), 400));
}

void TestReceivePayment::saving_data()
{
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("stored");
    QTest::addColumn<double>("balance");
    QTest::addColumn<bool>("byEnter"); // Enter on the focused Save instead of a click
    QTest::addColumn<QString>("line");

    QTest::newRow("150 paid on 400 lowers the balance to 250")
        << "3001"
        << "150" << 150.0 << 250.0 << false << "Payment of $150.00 saved for 3001 ACME FREIGHT: balance $250.00";
    QTest::newRow("a negative payment raises the balance")
        << "3001"
        << "-20" << -20.0 << 420.0 << false << "Payment of ($20.00) saved for 3001 ACME FREIGHT: balance $420.00";
    QTest::newRow("the second of two customers of one name is paid")
        << "2001"
        << "10" << 10.0 << 0.0 << false << "Payment of $10.00 saved for 2001 SMITH TRUCKING: balance $0.00";
    QTest::newRow("Enter on the focused Save saves")
        << "3001"
        << "150" << 150.0 << 250.0 << true << "Payment of $150.00 saved for 3001 ACME FREIGHT: balance $250.00";
}

void TestReceivePayment::saving()
{
    QFETCH(QString, customer);
    QFETCH(QString, typed);
    QFETCH(double, stored);
    QFETCH(double, balance);
    PaymentScreen f;
    QVERIFY(f.openWithCustomers());
    f.chooseCustomer(customer);
    const QDate paid = QDate::currentDate().addDays(-3);
    f.date()->setDate(paid);
    f.type(QStringLiteral("txtCheckNumber"), QStringLiteral("Ck 10'4"));
    f.enterAmount(typed);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    QFETCH(bool, byEnter);
    if (byEnter) {
        QTRY_COMPARE(f.focused(), QStringLiteral("btnSave"));
        QTest::keyClick(f.find(QStringLiteral("btnSave")), Qt::Key_Return);
    } else {
        f.click(QStringLiteral("btnSave"));
    }
    QVERIFY(MessageBox::takeShown().isEmpty());
    QTEST(f.window->statusBar()->currentMessage(), "line");

    const auto row = f.db->firstRow(QStringLiteral("SELECT * FROM Payments"));
    QVERIFY(row);
    QCOMPARE(f.count(QStringLiteral("Payments")), 1);
    QCOMPARE(row->value("Customer").toString(), customer);
    QCOMPARE(row->value("Amount").toDouble(), stored);
    QCOMPARE(row->value("CheckNum").toString(), QStringLiteral("Ck 10'4"));
    QCOMPARE(f.db->dialect().readDate(row->value("PaymentDate")), paid);
    const QDateTime entered = f.db->dialect().readDateTime(row->value("EntryDate"));
    QVERIFY2(entered >= before && entered <= QDateTime::currentDateTime().addSecs(1), qPrintable(entered.toString()));
    QVERIFY(f.balanceIs(customer, balance));
    // The screen is blank again, the list kept.
    QCOMPARE(f.customers()->currentIndex(), -1);
    QCOMPARE(f.customers()->count(), 3);
    QCOMPARE(f.boxes(), (QStringList{"", "0", "0", "0"}));
    QCOMPARE(f.date()->date(), QDate::currentDate());
}

void TestReceivePayment::requiredFields_data()
{
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QString>("typed");
    QTest::newRow("no customer chosen") << ""
                                        << "50";
    QTest::newRow("no amount") << "3001"
                               << "0";
    QTest::newRow("an amount of letters, which became 0") << "3001"
                                                          << "abc";
    QTest::newRow("an amount that reads 0") << "3001"
                                            << "$50";
    // Never stored as the $1.00 the number rules would read it as.
    QTest::newRow("an amount with a thousands separator, which became 0") << "3001"
                                                                          << "1,250.75";
}

void TestReceivePayment::requiredFields()
{
    QFETCH(QString, customer);
    QFETCH(QString, typed);
    PaymentScreen f;
    QVERIFY(f.openWithCustomers());
    if (!customer.isEmpty())
        f.chooseCustomer(customer);
    f.type(QStringLiteral("txtCheckNumber"), QStringLiteral("kept"));
    f.enterAmount(typed);
    const QStringList entry = f.boxes();
    f.click(QStringLiteral("btnSave"));
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("You must select a Customer and Payment Amount."));
    QCOMPARE(shown[0].title, QStringLiteral("Required Fields"));
    QCOMPARE(f.count(QStringLiteral("Payments")), 0);
    QCOMPARE(f.boxes(), entry);
}

void TestReceivePayment::amountThatCannotBeStoredIsRefused()
{
    PaymentScreen f;
    QVERIFY(f.openWithCustomers());
    f.chooseCustomer(QStringLiteral("3001"));
    // Beyond the largest amount, though written as a number.
    f.enterAmount(QStringLiteral("1000000000"));
    f.click(QStringLiteral("btnSave"));
    QCOMPARE(f.shownTitles(), QStringList{"Amount Cannot Be Saved"});
    // Beyond any number: Save pressed straight from the amount, before its check.
    f.replace(QStringLiteral("txtPaymentAmount"), QStringLiteral("1e999"));
    f.click(QStringLiteral("btnSave"));
    QCOMPARE(f.shownTitles(), QStringList{"Amount Cannot Be Saved"});
    QCOMPARE(f.count(QStringLiteral("Payments")), 0);
    QVERIFY(f.balanceIs(QStringLiteral("3001"), 400));
}

void TestReceivePayment::failedPostingStoresNothing()
{
    PaymentScreen f;
    QVERIFY(f.openWithCustomers());
    TestDb::refuse(*f.db, QStringLiteral("Customer"), QStringLiteral("UPDATE OF CurrentBalance"));
    f.chooseCustomer(QStringLiteral("3001"));
    f.type(QStringLiteral("txtCheckNumber"), QStringLiteral("1234"));
    f.enterAmount(QStringLiteral("150"));
    f.click(QStringLiteral("btnSave"));
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("Error updating customer balance!"));
    QCOMPARE(shown[0].title, QStringLiteral("DB Error"));
    QCOMPARE(f.count(QStringLiteral("Payments")), 0);
    QVERIFY(f.balanceIs(QStringLiteral("3001"), 400));
    // The payment is still on the screen; once the server takes it, Save stores it.
    QCOMPARE(f.boxes(), (QStringList{"1234", "150", "400", "250"}));
    TestDb::stopRefusing(*f.db, QStringLiteral("Customer"));
    f.click(QStringLiteral("btnSave"));
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(f.count(QStringLiteral("Payments")), 1);
    QVERIFY(f.balanceIs(QStringLiteral("3001"), 250));
}

void TestReceivePayment::customerGoneMeanwhileShowsZero()
{
    PaymentScreen f;
    QVERIFY(f.openWithCustomers());
    f.db->exec(QStringLiteral("DELETE FROM Customer WHERE ID = '3001'"));
    f.chooseCustomer(QStringLiteral("3001"));
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(f.text(QStringLiteral("txtCurrentBalance")), QStringLiteral("0"));
}

void TestReceivePayment::clickingABoxSelectsItsText_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("the check number") << "txtCheckNumber";
    QTest::newRow("the amount") << "txtPaymentAmount";
}

void TestReceivePayment::clickingABoxSelectsItsText()
{
    QFETCH(QString, name);
    PaymentScreen f;
    QVERIFY(f.openWithCustomers());
    f.chooseCustomer(QStringLiteral("3001"));
    f.type(QStringLiteral("txtCheckNumber"), QStringLiteral("1500"));
    f.enterAmount(QStringLiteral("1500"));
    QLineEdit *box = f.box(name);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 4, box->height() / 2));
    QApplication::processEvents();
    QCOMPARE(f.focused(), name);
    QCOMPARE(box->selectedText(), QStringLiteral("1500"));
    // So typing replaces it.
    QTest::keyClicks(box, QStringLiteral("75"));
    QCOMPARE(f.text(name), QStringLiteral("75"));
}

QTEST_MAIN(TestReceivePayment)
#include "tst_receivepayment.moc"
