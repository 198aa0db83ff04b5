// The customer lookup of the customer screen, on every server.

#include "AccountsFixture.h"

#include "app/PickList.h"

#include <QDialog>
#include <QPushButton>

namespace {

QDialog *openDialog()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmCustomerLookup") && w->isVisible())
            return qobject_cast<QDialog *>(w);
    return nullptr;
}

struct LookupScreen : AccountsFixture
{
    LookupScreen() : AccountsFixture(QStringLiteral("CustomerEntry")) {}

    // Two customers named SMITH TRUCKING, one with a login; the customer screen opened
    // and the lookup opened from it. Null when either did not open.
    QDialog *openLookup()
    {
        addCustomer(QStringLiteral("2001"), QStringLiteral("SMITH TRUCKING"), 10);
        addCustomer(QStringLiteral("1001"), QStringLiteral("SMITH TRUCKING"), 20);
        addCustomer(QStringLiteral("3001"), QStringLiteral("ACME FREIGHT"), 30);
        addLogin(QStringLiteral("3001"), QStringLiteral("acme"), QStringLiteral("pw"));
        if (!openScreen())
            return nullptr;
        click(QStringLiteral("btnLookup"));
        return openDialog();
    }
    static PickList *names(QDialog *dialog) { return ScreenTest::control<PickList>(dialog, "cmbCustomer"); }
    static void press(QDialog *dialog, const char *button)
    {
        QTest::mouseClick(ScreenTest::control<QPushButton>(dialog, button), Qt::LeftButton);
    }
};

} // namespace

class TestCustomerLookup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void listsEveryCustomerByName();
    void selectLoadsTheChosenCustomer_data();
    void selectLoadsTheChosenCustomer();
    void selectWithNothingChosenKeepsTheDialog();
    void closingLeavesTheScreen_data();
    void closingLeavesTheScreen();
    void choosingACustomerWithoutLoginEmptiesTheLogin();
};

void TestCustomerLookup::listsEveryCustomerByName()
{
    LookupScreen f;
    QDialog *dialog = f.openLookup();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Customer Lookup"));
    QVERIFY(!f.screen->isEnabled());
    QVERIFY(dialog->isEnabled());
    PickList *list = LookupScreen::names(dialog);
    QStringList names, ids;
    for (int i = 0; i < list->count(); ++i) {
        names << list->itemText(i);
        ids << list->idAt(i).toString();
    }
    QCOMPARE(names.mid(0, 1), QStringList{"ACME FREIGHT"});
    QCOMPARE(names.mid(1), (QStringList{"SMITH TRUCKING", "SMITH TRUCKING"}));
    QCOMPARE(ids[0], QStringLiteral("3001"));
    QCOMPARE(QSet<QString>(ids.begin() + 1, ids.end()), (QSet<QString>{"1001", "2001"}));
    QCOMPARE(list->currentIndex(), -1);
    const QStringList tabs = ScreenTest::tabChain(list, 3);
    QCOMPARE(tabs, (QStringList{"cmbCustomer", "btnCancel", "btnOK"}));
    QCOMPARE(ScreenTest::control<QPushButton>(dialog, "btnOK")->text(), QStringLiteral("Select"));

    // Typing picks by prefix, and Enter in the list presses Select.
    list->setFocus();
    QTest::keyClicks(list, QStringLiteral("sm"));
    QCOMPARE(list->currentText(), QStringLiteral("SMITH TRUCKING"));
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(!openDialog());
    QVERIFY(f.screen->isEnabled());
    QCOMPARE(f.text(QStringLiteral("txtAccountNumber")), list->idAt(1).toString());
}

void TestCustomerLookup::selectLoadsTheChosenCustomer_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("the first of two customers with one name") << 1;
    QTest::newRow("the second of two customers with one name loads the second's ID") << 2;
}

void TestCustomerLookup::selectLoadsTheChosenCustomer()
{
    QFETCH(int, index);
    LookupScreen f;
    QDialog *dialog = f.openLookup();
    QVERIFY(dialog);
    PickList *list = LookupScreen::names(dialog);
    const QString id = list->idAt(index).toString();
    list->setCurrentIndex(index);
    LookupScreen::press(dialog, "btnOK");
    QVERIFY(!openDialog());
    QVERIFY(f.screen->isEnabled());
    QCOMPARE(f.text(QStringLiteral("txtAccountNumber")), id);
    QCOMPARE(f.text(QStringLiteral("txtBalance")), id == u"1001" ? QStringLiteral("20") : QStringLiteral("10"));
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void TestCustomerLookup::selectWithNothingChosenKeepsTheDialog()
{
    LookupScreen f;
    QDialog *dialog = f.openLookup();
    QVERIFY(dialog);
    LookupScreen::press(dialog, "btnOK");
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("You must select a Customer."));
    QCOMPARE(shown[0].title, QStringLiteral("No Customer Selected"));
    QCOMPARE(openDialog(), dialog);
    QVERIFY(!f.screen->isEnabled());
}

void TestCustomerLookup::closingLeavesTheScreen_data()
{
    QTest::addColumn<bool>("byFrame");
    QTest::newRow("Cancel") << false;
    QTest::newRow("the window's close control") << true;
}

void TestCustomerLookup::closingLeavesTheScreen()
{
    QFETCH(bool, byFrame);
    LookupScreen f;
    f.addCustomer(QStringLiteral("12"), QStringLiteral("TWELVE"));
    QVERIFY(f.openScreen());
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("12"));
    f.type(QStringLiteral("txtCity"), QStringLiteral("typed"));
    f.click(QStringLiteral("btnLookup"));
    QDialog *dialog = openDialog();
    QVERIFY(dialog);
    LookupScreen::names(dialog)->setCurrentIndex(0);
    if (byFrame)
        dialog->close();
    else
        LookupScreen::press(dialog, "btnCancel");
    QVERIFY(!openDialog());
    QVERIFY(f.screen->isEnabled());
    QCOMPARE(f.text(QStringLiteral("txtAccountNumber")), QStringLiteral("12"));
    QCOMPARE(f.text(QStringLiteral("txtName")), QStringLiteral("TWELVE"));
    QCOMPARE(f.text(QStringLiteral("txtCity")), QStringLiteral("typed"));
    // The button opens the lookup again.
    f.click(QStringLiteral("btnLookup"));
    QVERIFY(openDialog());
}

void TestCustomerLookup::choosingACustomerWithoutLoginEmptiesTheLogin()
{
    LookupScreen f;
    f.addCustomer(QStringLiteral("2001"), QStringLiteral("NO LOGIN"));
    f.addCustomer(QStringLiteral("3001"), QStringLiteral("ACME FREIGHT"));
    f.addLogin(QStringLiteral("3001"), QStringLiteral("acme"), QStringLiteral("pw"));
    QVERIFY(f.openScreen());
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("3001"));
    QCOMPARE(f.text(QStringLiteral("txtUserName")), QStringLiteral("acme"));
    f.click(QStringLiteral("btnLookup"));
    QDialog *dialog = openDialog();
    QVERIFY(dialog);
    ScreenTest::choose(LookupScreen::names(dialog), QStringLiteral("NO LOGIN"));
    LookupScreen::press(dialog, "btnOK");
    QCOMPARE(f.text(QStringLiteral("txtAccountNumber")), QStringLiteral("2001"));
    QCOMPARE(f.text(QStringLiteral("txtUserName")), QString());
    QCOMPARE(f.text(QStringLiteral("txtPassword")), QString());
}

QTEST_MAIN(TestCustomerLookup)
#include "tst_customerlookup.moc"
