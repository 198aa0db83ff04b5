// The layout of the customer screen: its four groups, Save and Exit below them, and the
// tab order. The behaviour is in CustomerEntryScreen.cpp.
#include "accounts/CustomerEntryScreen.h"

#include "accounts/IssuedCardsGroup.h"
#include "app/AmountField.h"
#include "app/FormLayout.h"
#include "app/LookupButton.h"
#include "app/PickList.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

template <class Box>
Box *named(Box *box, const char *name)
{
    box->setObjectName(QLatin1String(name));
    return box;
}

QLineEdit *textBox(const char *name, QWidget *parent) { return named(new QLineEdit(parent), name); }

AmountField *numberBox(const char *name, const QString &format, QWidget *parent)
{
    auto *box = named(new AmountField(format, parent), name);
    box->setFixedWidth(120);
    return box;
}

// Rows of caption and field in a two-column grid.
QGridLayout *captionedRows(QWidget *group, const QList<QPair<QString, QWidget *>> &rows)
{
    auto *grid = new QGridLayout(group);
    int r = 0;
    for (const auto &[caption, field] : rows) {
        if (!caption.isEmpty())
            grid->addWidget(fieldLabel(caption, group), r, 0);
        grid->addWidget(field, r, 1);
        ++r;
    }
    grid->setColumnStretch(1, 1);
    return grid;
}

} // namespace

void CustomerEntryScreen::buildForm()
{
    m_contactInfo = new QGroupBox(QStringLiteral("Contact Info"), this);
    QWidget *contact = m_contactInfo;
    txtAccountNumber = textBox("txtAccountNumber", contact);
    txtAccountNumber->setFixedWidth(120);
    btnLookup = newLookupButton(QStringLiteral("Find the customer by name"), contact);
    auto *account = new QWidget(contact);
    {
        auto *row = new QHBoxLayout(account);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(txtAccountNumber);
        row->addWidget(btnLookup);
        row->addStretch(1);
    }
    txtName = textBox("txtName", contact);
    txtName->setMinimumWidth(260);
    txtAddress1 = textBox("txtAddress1", contact);
    txtAddress2 = textBox("txtAddress2", contact);
    txtCity = textBox("txtCity", contact);
    cmbState = named(new PickList(contact), "cmbState");
    cmbState->setMinimumContentsLength(4);
    auto *state = new QWidget(contact);
    {
        auto *row = new QHBoxLayout(state);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(cmbState);
        row->addStretch(1);
    }
    txtZip = textBox("txtZip", contact);
    txtContact = textBox("txtContact", contact);
    txtPhone = textBox("txtPhone", contact);
    txtFax = textBox("txtFax", contact);
    chkInactive = named(new QCheckBox(QStringLiteral("Inactive"), contact), "chkInactive");
    captionedRows(contact, {{QStringLiteral("Acct Number"), account},
                            {QStringLiteral("Name"), txtName},
                            {QStringLiteral("Address 1"), txtAddress1},
                            {QStringLiteral("Address 2"), txtAddress2},
                            {QStringLiteral("City"), txtCity},
                            {QStringLiteral("State"), state},
                            {QStringLiteral("Zip"), txtZip},
                            {QStringLiteral("Contact"), txtContact},
                            {QStringLiteral("Phone"), txtPhone},
                            {QStringLiteral("Fax"), txtFax},
                            {QString(), chkInactive}});

    m_financeInfo = new QGroupBox(QStringLiteral("Finance Info"), this);
    QWidget *finance = m_financeInfo;
    txtBalance = numberBox("txtBalance", AmountField::moneyFormat(), finance);
    txtBalance->setDisplayOnly(true);
    markDisplayOnly(txtBalance);
    txtAvailableCredit = numberBox("txtAvailableCredit", AmountField::moneyFormat(), finance);
    txtAvailableCredit->setDisplayOnly(true);
    markDisplayOnly(txtAvailableCredit);
    txtLimit = numberBox("txtLimit", AmountField::moneyFormat(), finance);
    txtWarn = numberBox("txtWarn", QStringLiteral("#,##0.00%;(#,##0.00)%"), finance);
    chkAcctOnHold = named(new QCheckBox(QStringLiteral("Acct On Hold"), finance), "chkAcctOnHold");
    txtTerms = textBox("txtTerms", finance);
    txtTerms->setFixedWidth(120);
    txtTerms->setToolTip(QStringLiteral("Days after each ticket that it is due; empty for the location's terms"));
    lblTerms = named(new QLabel(finance), "lblTerms");
    {
        auto *grid = new QGridLayout(finance);
        grid->addWidget(fieldLabel(QStringLiteral("Current Balance"), finance), 0, 0);
        grid->addWidget(txtBalance, 0, 1);
        grid->addWidget(fieldLabel(QStringLiteral("Available Credit"), finance), 0, 2);
        grid->addWidget(txtAvailableCredit, 0, 3);
        grid->addWidget(fieldLabel(QStringLiteral("Credit Limit"), finance), 1, 0);
        grid->addWidget(txtLimit, 1, 1);
        grid->addWidget(fieldLabel(QStringLiteral("Warn At"), finance), 2, 0);
        grid->addWidget(txtWarn, 2, 1);
        grid->addWidget(fieldLabel(QStringLiteral("Terms (days)"), finance), 3, 0);
        grid->addWidget(txtTerms, 3, 1);
        grid->addWidget(lblTerms, 3, 2, 1, 2);
        grid->addWidget(chkAcctOnHold, 4, 1, 1, 3);
        grid->setColumnStretch(4, 1);
    }

    m_cards = new IssuedCardsGroup([this] { return txtAccountNumber->text(); }, this);

    m_website = new QGroupBox(QStringLiteral("Website Account"), this);
    txtUserName = textBox("txtUserName", m_website);
    // The password box takes a new password only: what is stored is a hash, which is never
    // shown; the note under it says whether the login has a password at all.
    txtPassword = textBox("txtPassword", m_website);
    txtPassword->setEchoMode(QLineEdit::Password);
    lblPasswordState = named(new QLabel(QStringLiteral("No password"), m_website), "lblPasswordState");
    captionedRows(m_website, {{QStringLiteral("Username"), txtUserName},
                              {QStringLiteral("New password"), txtPassword},
                              {QString(), lblPasswordState}});

    btnSave = named(new QPushButton(QStringLiteral("Save"), this), "btnSave");
    btnExit = named(new QPushButton(QStringLiteral("Exit"), this), "btnExit");
    for (QPushButton *button : {btnSave, btnExit})
        button->setMinimumWidth(96);

    auto *left = new QVBoxLayout;
    left->addWidget(m_contactInfo);
    left->addWidget(m_website);
    left->addStretch(1);
    auto *right = new QVBoxLayout;
    right->addWidget(m_financeInfo);
    right->addWidget(m_cards, 1);
    auto *groups = new QHBoxLayout;
    groups->addLayout(left, 1);
    groups->addLayout(right, 1);
    layOutFormAndButtons(this, groups, {btnSave, btnExit});
}

void CustomerEntryScreen::setTabOrder()
{
    QList<QWidget *> order = {txtAccountNumber, btnLookup,          txtName,  txtAddress1, txtAddress2, txtCity,      cmbState,
                              txtZip,           txtContact,         txtPhone, txtFax,      chkInactive, btnSave,      btnExit,
                              txtBalance,       txtAvailableCredit, txtLimit, txtWarn,     txtTerms,    chkAcctOnHold};
    order << m_cards->tabOrder();
    order << txtUserName << txtPassword;
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}
