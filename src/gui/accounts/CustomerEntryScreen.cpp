#include "accounts/CustomerEntryScreen.h"

#include "accounts/Aging.h"
#include "accounts/CustomerLookup.h"
#include "accounts/IssuedCardsGroup.h"
#include "app/AmountField.h"
#include "app/AppContext.h"
#include "app/BusyCursor.h"
#include "app/FieldChecks.h"
#include "app/FieldRules.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/Numbers.h"
#include "app/PickList.h"
#include "app/ScreenGuard.h"
#include "db/Db.h"
#include "setup/CompanyStore.h"

#include "accounts/WebPassword.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

// A list of choices that are their own IDs.
QList<NameEntry> entriesOf(const QStringList &texts)
{
    QList<NameEntry> entries;
    for (const QString &text : texts)
        entries.append({text, text});
    return entries;
}

// A stored number as the number boxes hold it.
QString plain(double value) { return Numbers::plainText(value); }

} // namespace

CustomerEntryScreen::CustomerEntryScreen(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmCustomerEntry"));
    setWindowTitle(QStringLiteral("Customer Entry/Edit"));
    buildForm();
    setTabOrder();

    using namespace FieldRules;
    TextRule::apply(txtAccountNumber, Width::Other, QStringLiteral("Acct Number"));
    TextRule::apply(txtName, Width::CustomerName, QStringLiteral("Name"));
    const QList<QPair<QLineEdit *, QString>> others = {
        {txtAddress1, QStringLiteral("Address 1")},
        {txtAddress2, QStringLiteral("Address 2")},
        {txtCity, QStringLiteral("City")},
        {txtZip, QStringLiteral("Zip")},
        {txtContact, QStringLiteral("Contact")},
        {txtPhone, QStringLiteral("Phone")},
        {txtFax, QStringLiteral("Fax")},
        {txtTerms, QStringLiteral("Terms (days)")},
        {txtUserName, QStringLiteral("Username")},
        {txtPassword, QStringLiteral("New password")},
    };
    // The account number, the name and the number boxes keep the caret where the click
    // put it; the other boxes are usually typed over whole.
    for (const auto &[box, caption] : others) {
        TextRule::apply(box, Width::Other, caption);
        ScreenGuard::selectAllOnFocus(box);
    }

    connect(txtAccountNumber, &QLineEdit::textChanged, this, [this] { ScreenGuard::run(this, [this] { LoadCustomer(); }); });
    // The rule looks at what the clerk types or pastes; a contact read from the row is
    // shown as it is stored.
    connect(txtContact, &QLineEdit::textEdited, this, &CustomerEntryScreen::contactEdited);
    connect(txtLimit, &AmountField::plainTextChanged, this, &CustomerEntryScreen::showAvailableCredit);
    connect(txtBalance, &AmountField::plainTextChanged, this, &CustomerEntryScreen::showAvailableCredit);
    connect(txtTerms, &QLineEdit::textChanged, this, &CustomerEntryScreen::showTerms);
    connect(btnLookup, &QToolButton::clicked, this, &CustomerEntryScreen::openLookup);
    connect(btnSave, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { save(); }); });
    connect(btnExit, &QPushButton::clicked, this, &QWidget::close);

    ScreenGuard::run(this, [this] {
        loadLists();
        m_cards->LoadCards();
    });
    showTerms();
    txtAccountNumber->setFocus();
}

CustomerEntryScreen::~CustomerEntryScreen()
{
    if (m_lookup)
        delete m_lookup.data();
}

void CustomerEntryScreen::loadLists()
{
    BusyCursor busy;
    Db &db = Db::current();
    cmbState->fill(entriesOf(ChoiceLists::states(db)));
    m_cards->setCardTypes(entriesOf(ChoiceLists::cardTypes(db)));
}

void CustomerEntryScreen::setAccountNumber(const QString &accountNumber) { txtAccountNumber->setText(accountNumber); }

void CustomerEntryScreen::LoadCustomer()
{
    const QString accountNumber = txtAccountNumber->text();
    const std::optional<CustomerAccount> account =
        accountNumber.isEmpty() ? std::nullopt : CustomerStore::account(Db::current(), accountNumber);
    if (!account)
        ClearCustomerFields();
    else
        showCustomer(account->customer);
    m_cards->LoadCards();
    if (account)
        LoadWebUser(account->login);
}

void CustomerEntryScreen::showCustomer(const CustomerRecord &c)
{
    txtName->setText(c.name);
    txtAddress1->setText(c.address1);
    txtAddress2->setText(c.address2);
    txtCity->setText(c.city);
    txtZip->setText(c.zip);
    txtContact->setText(c.contact);
    txtPhone->setText(c.phone);
    txtFax->setText(c.fax);
    // A state that is not in the list leaves none chosen; the stored one is kept unless
    // the clerk chooses another.
    cmbState->setCurrentIndex(c.state.isEmpty() ? -1
                                                : cmbState->findText(c.state, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    chkInactive->setChecked(c.inactive);
    txtBalance->setPlainText(plain(c.balance));
    txtLimit->setPlainText(plain(c.limit));
    txtWarn->setPlainText(plain(c.warnAt));
    chkAcctOnHold->setChecked(c.onHold);
    txtTerms->setText(c.paymentTerms.isNull() ? QString() : QString::number(c.paymentTerms.toInt()));
}

void CustomerEntryScreen::ClearCustomerFields()
{
    for (QLineEdit *box :
         {txtName, txtAddress1, txtAddress2, txtCity, txtZip, txtContact, txtPhone, txtFax, txtTerms, txtUserName, txtPassword})
        box->clear();
    for (AmountField *box : {txtBalance, txtLimit, txtWarn})
        box->setPlainText(QString());
    cmbState->setCurrentIndex(-1);
    chkInactive->setChecked(false);
    chkAcctOnHold->setChecked(false);
    lblPasswordState->setText(QStringLiteral("No password"));
}

void CustomerEntryScreen::LoadWebUser(const std::optional<WebLogin> &login)
{
    txtUserName->setText(login ? login->userName : QString());
    txtPassword->clear();
    lblPasswordState->setText(login && login->passwordSet ? QStringLiteral("Password set") : QStringLiteral("No password"));
}

void CustomerEntryScreen::showAvailableCredit()
{
    // Nothing to show for a blank screen; otherwise the limit as typed less the balance.
    if (txtLimit->plainText().isEmpty() && txtBalance->plainText().isEmpty()) {
        txtAvailableCredit->setPlainText(QString());
        return;
    }
    CustomerRecord figures;
    figures.limit = txtLimit->value();
    figures.balance = txtBalance->value();
    txtAvailableCredit->setPlainText(plain(figures.availableCredit()));
}

void CustomerEntryScreen::showTerms()
{
    std::optional<int> days;
    if (!PaymentTerms::read(txtTerms->text(), &days))
        lblTerms->setText(QString());
    else if (days)
        lblTerms->setText(PaymentTerms::text(*days));
    else
        lblTerms->setText(QStringLiteral("Location's terms: %1").arg(PaymentTerms::text(appContext().company.PaymentTerms)));
}

void CustomerEntryScreen::contactEdited(const QString &text)
{
    if (!ContactRule::hasApostrophe(text))
        return;
    int caret = txtContact->cursorPosition();
    txtContact->setText(ContactRule::withoutApostrophes(text, caret));
    txtContact->setCursorPosition(caret);
    MessageBox::ok(this, QStringLiteral("You cannot use apostrophe."), QStringLiteral("Invalid Input"));
}

bool CustomerEntryScreen::CheckUserName()
{
    Db &db = Db::current();
    return CustomerStore::userNameFree(db, txtUserName->text(), CustomerStore::savedId(db, txtAccountNumber->text()));
}

CustomerEntry CustomerEntryScreen::entryOnScreen() const
{
    CustomerEntry e;
    e.accountNumber = txtAccountNumber->text();
    e.name = txtName->text();
    e.address1 = txtAddress1->text();
    e.address2 = txtAddress2->text();
    e.city = txtCity->text();
    e.zip = txtZip->text();
    e.contact = txtContact->text();
    e.phone = txtPhone->text();
    e.fax = txtFax->text();
    e.state = cmbState->currentIndex() < 0 ? QString() : cmbState->currentText();
    e.inactive = chkInactive->isChecked();
    e.limit = txtLimit->plainText();
    e.warnAt = txtWarn->plainText();
    e.onHold = chkAcctOnHold->isChecked();
    e.terms = txtTerms->text();
    e.userName = txtUserName->text();
    e.password = txtPassword->text();
    return e;
}

QList<QLineEdit *> CustomerEntryScreen::textBoxes() const
{
    return {txtAccountNumber, txtName,  txtAddress1, txtAddress2, txtCity,     txtZip,
            txtContact,       txtPhone, txtFax,      txtTerms,    txtUserName, txtPassword};
}

void CustomerEntryScreen::save()
{
    const CustomerEntry entry = entryOnScreen();
    if (!entry.hasRequiredFields()) {
        MessageBox::ok(this, QStringLiteral("Account Number, Name, Credit Limit, and Warn At are required."),
                       QStringLiteral("Required Fields"));
        return;
    }
    if (!TextRule::checkBeforeSave(this, textBoxes())
        || !AmountRule::checkBeforeSave(
            this, {{QStringLiteral("Credit Limit"), entry.limitValue()}, {QStringLiteral("Warn At"), entry.warnAtValue()}}))
        return;
    if (!entry.termsValid()) {
        MessageBox::ok(this,
                       QStringLiteral("Terms (days) must be a whole number of days from 0 to %1, or empty for the location's "
                                      "terms. Nothing was saved.")
                           .arg(PaymentTerms::kMostDays),
                       QStringLiteral("Invalid Input"));
        txtTerms->setFocus();
        return;
    }
    if (const QString refusal = entry.passwordRefusal(); !refusal.isEmpty()) {
        MessageBox::ok(this, refusal + QStringLiteral(" Nothing was saved."), QStringLiteral("New Password"));
        txtPassword->setFocus();
        return;
    }
    // " 1234" shows no customer, so what was typed is a new one; its ID would be 1234,
    // which is taken, and the server would refuse the row with a constraint's words.
    if (CustomerStore::newIdTaken(Db::current(), entry.accountNumber)) {
        MessageBox::ok(this,
                       QStringLiteral("The account number %1 already belongs to a customer. Type it without the blanks "
                                      "around it to change that customer. Nothing was saved.")
                           .arg(entry.newCustomerId()),
                       QStringLiteral("Account Number Exists"));
        txtAccountNumber->setFocus();
        return;
    }
    LoginSave login = LoginSave::NotGiven;
    {
        BusyCursor busy;
        login = CustomerStore::save(Db::current(), entry, QDateTime::currentDateTime());
    }
    // The customer row is stored either way; a refused login must not read as if the
    // whole save had failed.
    const QString customer = CustomerStore::savedId(Db::current(), entry.accountNumber) + u' ' + entry.name;
    if (login == LoginSave::UserNameTaken) {
        MessageBox::ok(this,
                       QStringLiteral("Customer %1 was saved, but its website login was not: the username %2 already "
                                      "exists for a different customer.")
                           .arg(customer, entry.userName),
                       QStringLiteral("Username Exists"));
        MainWindow::showStatusLine(QStringLiteral("Customer %1 saved; the login was not").arg(customer));
    } else {
        MainWindow::showStatusLine(QStringLiteral("Customer %1 saved").arg(customer));
    }
    // Emptying the number clears the customer and the grid through the change rule.
    txtAccountNumber->clear();
    ClearCustomerFields();
    m_cards->LoadCards();
    txtAccountNumber->setFocus();
}

void CustomerEntryScreen::openLookup()
{
    // A closed dialog lingers until its deferred deletion; only an open one is re-used.
    if (m_lookup && m_lookup->isVisible())
        return;
    m_lookup = LookupDialog::openFor<CustomerLookup>(this);
}
