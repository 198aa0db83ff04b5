// The customer screen, opened from Customers > Customer Entry/Edit, on every server: the
// account number that loads as it is typed, the save rules, the website login, the
// contact rule and the select-all rule.

#include "AccountsFixture.h"

#include "accounts/CustomerEntryScreen.h"
#include "app/PickList.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSqlRecord>
#include <QStatusBar>
#include <QTableWidget>

namespace {

const QStringList kCustomerBoxes = {"txtName", "txtAddress1", "txtAddress2", "txtCity", "txtZip",      "txtContact", "txtPhone",
                                    "txtFax",  "txtBalance",  "txtLimit",    "txtWarn", "txtUserName", "txtPassword"};

struct CustomerScreen : AccountsFixture
{
    CustomerScreen() : AccountsFixture(QStringLiteral("CustomerEntry")) {}

    // A customer with every column set, login fleet1234/secret and two cards.
    void addFullCustomer()
    {
        addCustomer(QStringLiteral("1234"), QStringLiteral("SMITH TRUCKING"), 250.5, 1000,
                    {{"Address1", "1 Main St"},
                     {"Address2", "Suite 2"},
                     {"City", "Joplin"},
                     {"State", "KS"},
                     {"Zip", "64801"},
                     {"Contact", "Bob Smith"},
                     {"Phone", "555-0100"},
                     {"Fax", "555-0101"}});
        db->exec(QStringLiteral("UPDATE Customer SET Inactive = 1, AcctOnHold = 1 WHERE ID = '1234'"));
        addLogin(QStringLiteral("1234"), QStringLiteral("fleet1234"), QStringLiteral("secret"));
        addCard(QStringLiteral("1234"), QStringLiteral("01"));
        addCard(QStringLiteral("1234"), QStringLiteral("02"), QStringLiteral("2"), true, QStringLiteral("lost"));
    }
    PickList *states() const { return find<PickList>(QStringLiteral("cmbState")); }
    QCheckBox *check(const char *name) const { return find<QCheckBox>(QLatin1String(name)); }
    QTableWidget *grid() const { return find<QTableWidget>(QStringLiteral("vsfgCards")); }
    // Every customer field as name=text, the pick list and flags included.
    QStringList fields() const
    {
        QStringList all;
        for (const QString &name : kCustomerBoxes)
            all << name + u'=' + text(name);
        all << QStringLiteral("cmbState=") + states()->currentText();
        all << QStringLiteral("chkInactive=%1").arg(check("chkInactive")->isChecked());
        all << QStringLiteral("chkAcctOnHold=%1").arg(check("chkAcctOnHold")->isChecked());
        return all;
    }
    bool blank() const
    {
        for (const QString &f : fields())
            if (!f.endsWith(u'=') && !f.endsWith(QLatin1String("=0")))
                return false;
        return true;
    }
    // The required fields of a new customer typed in, the number last.
    void typeNewCustomer(const QString &id)
    {
        type(QStringLiteral("txtAccountNumber"), id);
        type(QStringLiteral("txtName"), QStringLiteral("NEW FLEET"));
        type(QStringLiteral("txtLimit"), QStringLiteral("500"));
        type(QStringLiteral("txtWarn"), QStringLiteral("0.75"));
    }
    QSqlRecord row(const QString &id) const
    {
        const auto r = db->firstRow(QStringLiteral("SELECT * FROM Customer WHERE ID = ?"), {id});
        return r ? *r : QSqlRecord();
    }
};

} // namespace

class TestCustomerEntry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void opening();
    void tabOrder();
    void typingLoadsEveryPrefix();
    void showsTheStoredCustomer();
    void showsMissingColumnsAsEmptyOrZero();
    void availableCreditFollowsTheLimit();
    void requiredFields_data();
    void requiredFields();
    void newCustomerIsSavedAndTheScreenCleared();
    void storedCustomerKeepsWhatWasLeftEmpty();
    void refusedBeforeSaving_data();
    void refusedBeforeSaving();
    void numberOfAStoredCustomerWithBlanksIsRefused();
    void websiteLogin_data();
    void websiteLogin();
    void storedPasswordKeptOrReplaced_data();
    void storedPasswordKeptOrReplaced();
    void weakNewPasswordRefused_data();
    void weakNewPasswordRefused();
    void contactApostrophes_data();
    void contactApostrophes();
    void storedContactIsShownAsStored();
    void selectAllOnFocus_data();
    void selectAllOnFocus();
    void stateListSearchesAsTyped();
    void exitSavesNothing();
};

void TestCustomerEntry::opening()
{
    CustomerScreen f;
    QVERIFY(f.openScreen());
    QCOMPARE(f.screen->objectName(), QStringLiteral("frmCustomerEntry"));
    QCOMPARE(f.screen->windowTitle(), QStringLiteral("Customer Entry/Edit"));
    QCOMPARE(f.screen->parentWidget()->pos(), QPoint(0, 0));
    for (const char *title : {"Contact Info", "Finance Info", "Issued Cards", "Website Account"})
        QVERIFY(f.group(QLatin1String(title))->isEnabled());
    QVERIFY(f.blank());
    QCOMPARE(f.states()->count(), 3);
    QCOMPARE(f.states()->itemText(0), QStringLiteral("AR"));
    QCOMPARE(f.states()->currentIndex(), -1);
    QCOMPARE(f.find<PickList>(QStringLiteral("cmbCardType"))->count(), 3);
    QCOMPARE(f.grid()->columnCount(), 0);
    QCOMPARE(f.focused(), QStringLiteral("txtAccountNumber"));
    for (const char *shown : {"txtBalance", "txtAvailableCredit"})
        QCOMPARE(f.box(QLatin1String(shown))->focusPolicy(), Qt::NoFocus);

    // Choosing the command again leaves the open screen as it is.
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("12"));
    QWidget *before = f.screen;
    f.window->runCommand(QStringLiteral("CustomerEntry"));
    QCOMPARE(f.window->openedScreen(QStringLiteral("CustomerEntry")), before);
    QCOMPARE(f.text(QStringLiteral("txtAccountNumber")), QStringLiteral("12"));
}

void TestCustomerEntry::tabOrder()
{
    CustomerScreen f;
    QVERIFY(f.openScreen());
    const QStringList expected = {
        "txtAccountNumber", "btnLookup",   "txtName",     "txtAddress1",   "txtAddress2", "txtCity",    "cmbState",
        "txtZip",           "txtContact",  "txtPhone",    "txtFax",        "chkInactive", "btnSave",    "btnExit",
        "txtLimit",         "txtWarn",     "txtTerms",    "chkAcctOnHold", "vsfgCards",   "txtCardNo",  "cmbCardType",
        "chkCardInActive",  "txtCardNote", "btnSaveCard", "btnRemoveCard", "txtUserName", "txtPassword"};
    QCOMPARE(ScreenTest::tabChain(f.box(QStringLiteral("txtAccountNumber")), int(expected.size())), expected);
}

// Customers 12 and 1234 are stored, and a card is filed under 123, which is no customer.
void TestCustomerEntry::typingLoadsEveryPrefix()
{
    CustomerScreen f;
    f.addFullCustomer();
    f.addCustomer(QStringLiteral("12"), QStringLiteral("TWELVE"));
    f.addCard(QStringLiteral("123"), QStringLiteral("09"));
    QVERIFY(f.openScreen());
    struct Step
    {
        QString keys, name, userName;
        int cards;
    };
    const QList<Step> steps = {
        {"1", "", "", 0}, {"2", "TWELVE", "", 0}, {"3", "", "", 1}, {"4", "SMITH TRUCKING", "fleet1234", 2}, {"\b", "", "", 1},
    };
    QWidget *number = f.find(QStringLiteral("txtAccountNumber"));
    number->setFocus();
    for (const Step &step : steps) {
        if (step.keys == u"\b")
            QTest::keyClick(number, Qt::Key_Backspace);
        else
            QTest::keyClicks(number, step.keys);
        const QString after = QStringLiteral(" after ") + f.text(QStringLiteral("txtAccountNumber"));
        QVERIFY2(f.text(QStringLiteral("txtName")) == step.name, qPrintable(f.text(QStringLiteral("txtName")) + after));
        QVERIFY2(f.text(QStringLiteral("txtUserName")) == step.userName, qPrintable(after));
        QVERIFY2(f.grid()->columnCount() == 4, qPrintable(after));
        QVERIFY2(f.grid()->rowCount() == step.cards, qPrintable(QString::number(f.grid()->rowCount()) + after));
    }
    // Emptying the number empties the grid down to no columns.
    QTest::keyClick(number, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(number, Qt::Key_Backspace);
    QCOMPARE(f.grid()->columnCount(), 0);
    QVERIFY(f.blank());
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void TestCustomerEntry::showsTheStoredCustomer()
{
    CustomerScreen f;
    f.addFullCustomer();
    QVERIFY(f.openScreen());
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("1234"));
    QCOMPARE(f.fields(), (QStringList{"txtName=SMITH TRUCKING", "txtAddress1=1 Main St", "txtAddress2=Suite 2", "txtCity=Joplin",
                                      "txtZip=64801", "txtContact=Bob Smith", "txtPhone=555-0100", "txtFax=555-0101",
                                      "txtBalance=250.5", "txtLimit=1000", "txtWarn=0.8", "txtUserName=fleet1234",
                                      "txtPassword=", "cmbState=KS", "chkInactive=1", "chkAcctOnHold=1"}));
    // Without the focus the number boxes show their display formats.
    QCOMPARE(f.box(QStringLiteral("txtBalance"))->text(), QStringLiteral("$250.50"));
    QCOMPARE(f.box(QStringLiteral("txtLimit"))->text(), QStringLiteral("$1,000.00"));
    QCOMPARE(f.box(QStringLiteral("txtWarn"))->text(), QStringLiteral("80.00%"));
    // The stored password is a hash and never shown: the box takes a new one, masked.
    QCOMPARE(f.box(QStringLiteral("txtPassword"))->echoMode(), QLineEdit::Password);
    QCOMPARE(f.find<QLabel>(QStringLiteral("lblPasswordState"))->text(), QStringLiteral("Password set"));
}

void TestCustomerEntry::showsMissingColumnsAsEmptyOrZero()
{
    CustomerScreen f;
    f.db->insert(QStringLiteral("Customer"), {{"ID", "5555"}, {"State", "TX"}}, QString());
    f.db->exec(QStringLiteral("UPDATE Customer SET CurrentBalance = NULL"));
    QVERIFY(f.openScreen());
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("5555"));
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(f.text(QStringLiteral("txtName")), QString());
    QCOMPARE(f.text(QStringLiteral("txtBalance")), QStringLiteral("0"));
    QCOMPARE(f.text(QStringLiteral("txtLimit")), QStringLiteral("0"));
    QCOMPARE(f.text(QStringLiteral("txtWarn")), QStringLiteral("0"));
    // A state the list does not hold is not chosen; saving keeps the stored one.
    QCOMPARE(f.states()->currentIndex(), -1);
    f.type(QStringLiteral("txtName"), QStringLiteral("NAMED NOW"));
    f.click(QStringLiteral("btnSave"));
    QCOMPARE(f.row(QStringLiteral("5555")).value("State").toString(), QStringLiteral("TX"));
    QCOMPARE(f.row(QStringLiteral("5555")).value("Name").toString(), QStringLiteral("NAMED NOW"));
}

void TestCustomerEntry::availableCreditFollowsTheLimit()
{
    CustomerScreen f;
    f.addFullCustomer();
    QVERIFY(f.openScreen());
    QCOMPARE(f.text(QStringLiteral("txtAvailableCredit")), QString());
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("1234"));
    QCOMPARE(f.text(QStringLiteral("txtAvailableCredit")), QStringLiteral("749.5"));
    f.replace(QStringLiteral("txtLimit"), QStringLiteral("200"));
    QCOMPARE(f.text(QStringLiteral("txtAvailableCredit")), QStringLiteral("-50.5"));
    QCOMPARE(f.box(QStringLiteral("txtAvailableCredit"))->text(), QStringLiteral("($50.50)"));
    // The figure is only shown: nothing is stored until Save, and then not the figure.
    QCOMPARE(f.row(QStringLiteral("1234")).value("Limit").toDouble(), 1000.0);
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("9"));
    QCOMPARE(f.text(QStringLiteral("txtAvailableCredit")), QString());
}

void TestCustomerEntry::requiredFields_data()
{
    QTest::addColumn<QString>("left");
    QTest::newRow("no account number") << "txtAccountNumber";
    QTest::newRow("no name") << "txtName";
    QTest::newRow("no credit limit") << "txtLimit";
    QTest::newRow("no warn at") << "txtWarn";
}

void TestCustomerEntry::requiredFields()
{
    QFETCH(QString, left);
    CustomerScreen f;
    QVERIFY(f.openScreen());
    for (const QString &name :
         {QStringLiteral("txtAccountNumber"), QStringLiteral("txtName"), QStringLiteral("txtLimit"), QStringLiteral("txtWarn")})
        if (name != left)
            f.type(name, name == u"txtAccountNumber" ? QStringLiteral("7001") : QStringLiteral("5"));
    f.type(QStringLiteral("txtCity"), QStringLiteral("Joplin"));
    const QStringList before = f.fields();
    f.click(QStringLiteral("btnSave"));
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("Account Number, Name, Credit Limit, and Warn At are required."));
    QCOMPARE(shown[0].title, QStringLiteral("Required Fields"));
    QCOMPARE(f.count(QStringLiteral("Customer")), 0);
    QCOMPARE(f.fields(), before);
}

void TestCustomerEntry::newCustomerIsSavedAndTheScreenCleared()
{
    CustomerScreen f;
    QVERIFY(f.openScreen());
    f.typeNewCustomer(QStringLiteral(" 7001"));
    f.type(QStringLiteral("txtCity"), QStringLiteral("Carthage"));
    f.find(QStringLiteral("cmbState"))->setFocus();
    QTest::keyClicks(f.find(QStringLiteral("cmbState")), QStringLiteral("k"));
    f.check("chkInactive")->setChecked(true);
    f.click(QStringLiteral("btnSave"));
    QVERIFY(MessageBox::takeShown().isEmpty());

    const QSqlRecord row = f.row(QStringLiteral("7001"));
    QCOMPARE(row.value("Name").toString(), QStringLiteral("NEW FLEET"));
    QCOMPARE(row.value("City").toString(), QStringLiteral("Carthage"));
    QCOMPARE(row.value("State").toString(), QStringLiteral("KS"));
    QCOMPARE(row.value("Inactive").toInt(), 1);
    QCOMPARE(row.value("AcctOnHold").toInt(), 0);
    QCOMPARE(row.value("Limit").toDouble(), 500.0);
    QCOMPARE(row.value("WarnAt").toDouble(), 0.75);
    QVERIFY(row.value("Address1").isNull());
    QVERIFY(!row.value("DateEntered").isNull());
    QVERIFY(f.balanceIs(QStringLiteral("7001"), 0));
    QCOMPARE(f.count(QStringLiteral("WebUser")), 0);

    QCOMPARE(f.text(QStringLiteral("txtAccountNumber")), QString());
    QVERIFY(f.blank());
    QCOMPARE(f.grid()->columnCount(), 0);
    QCOMPARE(f.focused(), QStringLiteral("txtAccountNumber"));
}

void TestCustomerEntry::storedCustomerKeepsWhatWasLeftEmpty()
{
    CustomerScreen f;
    f.addFullCustomer();
    QVERIFY(f.openScreen());
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("1234"));
    f.replace(QStringLiteral("txtAddress2"), QString());
    f.replace(QStringLiteral("txtLimit"), QStringLiteral("5000"));
    // Raising the limit above the balance does not lift the hold by itself.
    f.click(QStringLiteral("btnSave"));
    const QSqlRecord row = f.row(QStringLiteral("1234"));
    QCOMPARE(row.value("Address2").toString(), QStringLiteral("Suite 2"));
    QCOMPARE(row.value("Limit").toDouble(), 5000.0);
    QCOMPARE(row.value("AcctOnHold").toInt(), 1);
    QCOMPARE(row.value("Inactive").toInt(), 1);
    QVERIFY(f.balanceIs(QStringLiteral("1234"), 250.5));
    QVERIFY(WebPassword::verify(f.scalar(QStringLiteral("SELECT Password FROM WebUser WHERE CustomerID = '1234'")).toString(),
                                QStringLiteral("secret")));
}

void TestCustomerEntry::refusedBeforeSaving_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("title");
    QTest::newRow("a limit too large to store") << "txtLimit"
                                                << "1e10"
                                                << "Amount Cannot Be Saved";
    QTest::newRow("a limit beyond any number") << "txtLimit"
                                               << "1e999"
                                               << "Amount Cannot Be Saved";
    QTest::newRow("a warning threshold beyond any number") << "txtWarn"
                                                           << "-1e999"
                                                           << "Amount Cannot Be Saved";
    QTest::newRow("a name longer than the printed layouts take") << "txtName" << QString(76, u'N') << "Text Cannot Be Saved";
}

void TestCustomerEntry::refusedBeforeSaving()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, title);
    CustomerScreen f;
    QVERIFY(f.openScreen());
    f.typeNewCustomer(QStringLiteral("7001"));
    if (auto *amount = qobject_cast<AmountField *>(f.box(field)))
        amount->setPlainText(typed);
    else
        f.box(field)->setText(typed);
    f.click(QStringLiteral("btnSave"));
    QCOMPARE(f.shownTitles(), QStringList{title});
    QCOMPARE(f.count(QStringLiteral("Customer")), 0);
    QCOMPARE(f.text(QStringLiteral("txtAccountNumber")), QStringLiteral("7001"));
}

// " 1234" is not the stored 1234, so the screen takes it for a new customer; saving it
// would take 1234's ID, and is refused in the clerk's words, the stored row untouched
// and what was typed still on the screen.
void TestCustomerEntry::numberOfAStoredCustomerWithBlanksIsRefused()
{
    CustomerScreen f;
    f.addFullCustomer();
    QVERIFY(f.openScreen());
    f.typeNewCustomer(QStringLiteral(" 1234 "));
    f.click(QStringLiteral("btnSave"));
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(AccountsFixture::titlesOf(shown), QStringList{QStringLiteral("Account Number Exists")});
    QCOMPARE(shown[0].text, QStringLiteral("The account number 1234 already belongs to a customer. Type it without the blanks "
                                           "around it to change that customer. Nothing was saved."));
    QCOMPARE(f.count(QStringLiteral("Customer")), 1);
    QCOMPARE(f.row(QStringLiteral("1234")).value("Name").toString(), QStringLiteral("SMITH TRUCKING"));
    QCOMPARE(f.text(QStringLiteral("txtAccountNumber")), QStringLiteral(" 1234 "));
    QCOMPARE(f.focused(), QStringLiteral("txtAccountNumber"));
}

// Customer 1234 has the login fleet1234; customer 5678 is saved with a username and
// password typed in.
void TestCustomerEntry::websiteLogin_data()
{
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("login");

    QTest::newRow("a free username is written with the password's hash")
        << "big5678"
        << "big-sky-2026" << QStringList{} << "big5678:big-sky-2026";
    QTest::newRow("another customer's username is refused after the customer is saved")
        << "fleet1234"
        << "big-sky-2026" << QStringList{"Username Exists"} << "";
    QTest::newRow("a username without a password writes no login") << "big5678"
                                                                   << "" << QStringList{} << "";
    QTest::newRow("an apostrophe in the username is data") << "o'neill"
                                                           << "it's-o'neill" << QStringList{} << "o'neill:it's-o'neill";
}

void TestCustomerEntry::websiteLogin()
{
    QFETCH(QString, userName);
    QFETCH(QString, password);
    QFETCH(QStringList, titles);
    QFETCH(QString, login);
    CustomerScreen f;
    f.addFullCustomer();
    f.addCustomer(QStringLiteral("5678"), QStringLiteral("BIG SKY"));
    QVERIFY(f.openScreen());
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("5678"));
    f.replace(QStringLiteral("txtName"), QStringLiteral("BIG SKY HAULING"));
    f.type(QStringLiteral("txtUserName"), userName);
    f.type(QStringLiteral("txtPassword"), password);
    auto *screen = qobject_cast<CustomerEntryScreen *>(f.screen.data());
    QVERIFY(screen);
    QCOMPARE(screen->CheckUserName(), titles.isEmpty());
    f.click(QStringLiteral("btnSave"));

    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(AccountsFixture::titlesOf(shown), titles);
    // A refused login says that the customer row was stored all the same.
    if (!shown.isEmpty())
        QCOMPARE(shown[0].text, QStringLiteral("Customer 5678 BIG SKY HAULING was saved, but its website login was not: the "
                                               "username fleet1234 already exists for a different customer."));
    QCOMPARE(f.window->statusBar()->currentMessage(),
             titles.isEmpty() ? QStringLiteral("Customer 5678 BIG SKY HAULING saved")
                              : QStringLiteral("Customer 5678 BIG SKY HAULING saved; the login was not"));
    QCOMPARE(f.row(QStringLiteral("5678")).value("Name").toString(), QStringLiteral("BIG SKY HAULING"));
    // The login reads back as username:password when its stored hash verifies the typed password.
    const auto stored = f.db->firstRow(QStringLiteral("SELECT UserName, Password FROM WebUser WHERE CustomerID = '5678'"));
    const QString hash = stored ? stored->value(1).toString() : QString();
    QVERIFY(password.isEmpty() || hash != password);
    QCOMPARE(stored ? stored->value(0).toString() + u':' + (WebPassword::verify(hash, password) ? password : hash) : QString(),
             login);
    QCOMPARE(f.count(QStringLiteral("WebUser")), login.isEmpty() ? 1 : 2);
    // Saved or refused, the screen is blank for the next customer.
    QVERIFY(f.blank());
    QCOMPARE(f.focused(), QStringLiteral("txtAccountNumber"));

    // Re-saving a customer with its own unchanged login is no conflict.
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("1234"));
    f.click(QStringLiteral("btnSave"));
    QVERIFY(MessageBox::takeShown().isEmpty());
}

// Customer 1234 has the login fleet1234 with the password "secret"; the screen never
// shows it, and a save changes it only when a new password is typed.
void TestCustomerEntry::storedPasswordKeptOrReplaced_data()
{
    QTest::addColumn<QString>("userName"); // "" leaves the loaded username
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("storedUserName");
    QTest::addColumn<QString>("verifies"); // the password the stored hash verifies

    QTest::newRow("saving with the box empty keeps the stored password") << ""
                                                                         << ""
                                                                         << "fleet1234"
                                                                         << "secret";
    QTest::newRow("a new username with the box empty keeps the password") << "smith-fleet"
                                                                          << ""
                                                                          << "smith-fleet"
                                                                          << "secret";
    QTest::newRow("a new password replaces the stored one") << ""
                                                            << "new-secret-42"
                                                            << "fleet1234"
                                                            << "new-secret-42";
    QTest::newRow("a new username and password together") << "smith-fleet"
                                                          << "new-secret-42"
                                                          << "smith-fleet"
                                                          << "new-secret-42";
}

void TestCustomerEntry::storedPasswordKeptOrReplaced()
{
    QFETCH(QString, userName);
    QFETCH(QString, password);
    QFETCH(QString, storedUserName);
    QFETCH(QString, verifies);
    CustomerScreen f;
    f.addFullCustomer();
    f.addCustomer(QStringLiteral("5678"), QStringLiteral("BIG SKY"));
    const QString before = f.scalar(QStringLiteral("SELECT Password FROM WebUser WHERE CustomerID = '1234'")).toString();
    QVERIFY(f.openScreen());
    auto *state = f.find<QLabel>(QStringLiteral("lblPasswordState"));
    QCOMPARE(state->text(), QStringLiteral("No password"));
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("1234"));
    QCOMPARE(f.text(QStringLiteral("txtPassword")), QString());
    QCOMPARE(state->text(), QStringLiteral("Password set"));
    // No text on the screen holds the stored hash or the password.
    for (QLineEdit *box : f.screen->findChildren<QLineEdit *>())
        QVERIFY2(!box->text().contains(QLatin1String("argon2")) && !box->text().contains(QLatin1String("secret")),
                 qPrintable(box->objectName()));
    if (!userName.isEmpty())
        f.replace(QStringLiteral("txtUserName"), userName);
    f.type(QStringLiteral("txtPassword"), password);
    f.click(QStringLiteral("btnSave"));
    QVERIFY(MessageBox::takeShown().isEmpty());

    const auto stored = f.db->firstRow(QStringLiteral("SELECT UserName, Password FROM WebUser WHERE CustomerID = '1234'"));
    QVERIFY(stored);
    QCOMPARE(stored->value(0).toString(), storedUserName);
    const QString hash = stored->value(1).toString();
    QVERIFY(WebPassword::verify(hash, verifies));
    QCOMPARE(hash == before, verifies == QLatin1String("secret"));
    QCOMPARE(f.count(QStringLiteral("WebUser")), 1);
    QVERIFY(f.blank());

    // Another customer without a login shows none; loading the first again shows the
    // note, never the password.
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("5678"));
    QCOMPARE(state->text(), QStringLiteral("No password"));
    f.replace(QStringLiteral("txtAccountNumber"), QStringLiteral("1234"));
    QCOMPARE(state->text(), QStringLiteral("Password set"));
    QCOMPARE(f.text(QStringLiteral("txtPassword")), QString());
}

void TestCustomerEntry::weakNewPasswordRefused_data()
{
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("message");

    QTest::newRow("a new login with nine characters")
        << "5678"
        << "big-sky-9"
        << "The new password must be at least 10 characters long. Nothing was saved.";
    QTest::newRow("a new login whose password is its username")
        << "5678"
        << "bigsky5678"
        << "The new password must not be the same as the username. Nothing was saved.";
    QTest::newRow("a short new password for a stored login")
        << "1234"
        << "short"
        << "The new password must be at least 10 characters long. Nothing was saved.";
}

// Nothing is saved, not even the customer row, and the screen keeps what was typed.
void TestCustomerEntry::weakNewPasswordRefused()
{
    QFETCH(QString, account);
    QFETCH(QString, password);
    QFETCH(QString, message);
    CustomerScreen f;
    f.addFullCustomer();
    f.addCustomer(QStringLiteral("5678"), QStringLiteral("BIG SKY"));
    const QString before = f.scalar(QStringLiteral("SELECT Password FROM WebUser WHERE CustomerID = '1234'")).toString();
    QVERIFY(f.openScreen());
    f.type(QStringLiteral("txtAccountNumber"), account);
    f.replace(QStringLiteral("txtName"), QStringLiteral("RENAMED"));
    if (account == QLatin1String("5678"))
        f.type(QStringLiteral("txtUserName"), QStringLiteral("bigsky5678"));
    f.type(QStringLiteral("txtPassword"), password);
    f.click(QStringLiteral("btnSave"));

    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(AccountsFixture::titlesOf(shown), QStringList{QStringLiteral("New Password")});
    QCOMPARE(shown[0].text, message);
    QVERIFY(f.row(account).value("Name").toString() != QLatin1String("RENAMED"));
    QCOMPARE(f.count(QStringLiteral("WebUser")), 1);
    QCOMPARE(f.scalar(QStringLiteral("SELECT Password FROM WebUser WHERE CustomerID = '1234'")).toString(), before);
    QCOMPARE(f.text(QStringLiteral("txtAccountNumber")), account);
    QCOMPARE(f.text(QStringLiteral("txtPassword")), password);
    QCOMPARE(f.focused(), QStringLiteral("txtPassword"));
}

void TestCustomerEntry::contactApostrophes_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("caret");
    QTest::addColumn<bool>("pasted");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("caretAfter");
    QTest::addColumn<int>("messages");

    QTest::newRow("pasting O'Brien's leaves OBriens with one message") << "" << 0 << true << "O'Brien's"
                                                                       << "OBriens" << 7 << 1;
    QTest::newRow("a paste between two words keeps both and the caret after the paste") << "Mr  Jr" << 3 << true << "O'Brien's"
                                                                                        << "Mr OBriens Jr" << 10 << 1;
    QTest::newRow("an apostrophe typed inside a name goes and the caret stays") << "DaleO" << 4 << false << "'"
                                                                                << "DaleO" << 4 << 1;
    QTest::newRow("typing a name with an apostrophe keeps every other letter") << "" << 0 << false << "Tom O'Neill"
                                                                               << "Tom ONeill" << 10 << 1;
    QTest::newRow("a text without apostrophes passes without a message") << "" << 0 << true << "Ann Lee"
                                                                         << "Ann Lee" << 7 << 0;
}

void TestCustomerEntry::contactApostrophes()
{
    QFETCH(QString, before);
    QFETCH(int, caret);
    QFETCH(bool, pasted);
    QFETCH(QString, input);
    QFETCH(QString, after);
    QFETCH(int, caretAfter);
    QFETCH(int, messages);
    CustomerScreen f;
    QVERIFY(f.openScreen());
    QLineEdit *contact = f.box(QStringLiteral("txtContact"));
    contact->setFocus();
    contact->setText(before);
    contact->setCursorPosition(caret);
    if (pasted)
        f.paste(QStringLiteral("txtContact"), input);
    else
        QTest::keyClicks(contact, input);
    QCOMPARE(contact->text(), after);
    QCOMPARE(contact->cursorPosition(), caretAfter);
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), messages);
    for (const MessageBox::Shown &s : shown) {
        QCOMPARE(s.text, QStringLiteral("You cannot use apostrophe."));
        QCOMPARE(s.title, QStringLiteral("Invalid Input"));
    }
}

// A contact stored with an apostrophe (by an older program or another tool) is shown and
// saved as it is: the rule is about what the clerk enters.
void TestCustomerEntry::storedContactIsShownAsStored()
{
    CustomerScreen f;
    f.addCustomer(QStringLiteral("1008"), QStringLiteral("HEARTLAND"), 0, 1000, {{"Contact", "Tom O'Neill"}});
    QVERIFY(f.openScreen());
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("1008"));
    QCOMPARE(f.text(QStringLiteral("txtContact")), QStringLiteral("Tom O'Neill"));
    f.click(QStringLiteral("btnSave"));
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(f.row(QStringLiteral("1008")).value("Contact").toString(), QStringLiteral("Tom O'Neill"));
}

void TestCustomerEntry::selectAllOnFocus_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("selects");
    for (const char *name :
         {"txtAddress1", "txtAddress2", "txtCity", "txtZip", "txtContact", "txtPhone", "txtFax", "txtUserName", "txtPassword"})
        QTest::newRow(qPrintable(QStringLiteral("%1 selects its text").arg(QLatin1String(name)))) << name << true;
    for (const char *name : {"txtAccountNumber", "txtName", "txtLimit", "txtWarn"})
        QTest::newRow(qPrintable(QStringLiteral("%1 keeps the caret").arg(QLatin1String(name)))) << name << false;
}

void TestCustomerEntry::selectAllOnFocus()
{
    QFETCH(QString, name);
    QFETCH(bool, selects);
    CustomerScreen f;
    f.addFullCustomer();
    QVERIFY(f.openScreen());
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("1234"));
    // The password box is empty once a customer loads: the clerk has typed into it.
    if (f.text(name).isEmpty())
        f.type(name, QStringLiteral("typed-password"));
    f.find(QStringLiteral("btnSave"))->setFocus();
    QLineEdit *box = f.box(name);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
    QApplication::processEvents();
    QCOMPARE(f.focused(), name);
    QCOMPARE(box->selectedText() == box->text() && !box->text().isEmpty(), selects);
}

void TestCustomerEntry::stateListSearchesAsTyped()
{
    CustomerScreen f;
    QVERIFY(f.openScreen());
    PickList *states = f.states();
    states->setFocus();
    QTest::keyClicks(states, QStringLiteral("m"));
    QCOMPARE(states->currentText(), QStringLiteral("MO"));
    // A key that matches nothing leaves the choice; the list takes no typed text.
    QTest::keyClicks(states, QStringLiteral("z"));
    QCOMPARE(states->currentText(), QStringLiteral("MO"));
    QCOMPARE(states->count(), 3);
}

void TestCustomerEntry::exitSavesNothing()
{
    CustomerScreen f;
    QVERIFY(f.openScreen());
    f.typeNewCustomer(QStringLiteral("7001"));
    f.click(QStringLiteral("btnExit"));
    QTRY_VERIFY(!f.window->openedScreen(QStringLiteral("CustomerEntry")));
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(f.count(QStringLiteral("Customer")), 0);
}

QTEST_MAIN(TestCustomerEntry)
#include "tst_customerentry.moc"
