// The layout of the charge ticket screen: its three groups, the bottom row and the tab
// order. The behaviour is in TicketEntryScreen.cpp.
#include "tickets/TicketEntryScreen.h"

#include "app/AppContext.h"
#include "app/FormLayout.h"
#include "app/LookupButton.h"
#include "tickets/AccountStatusPanel.h"
#include "tickets/PurchaseLinesPanel.h"
#include "tickets/TicketInfoGroup.h"
#include "tickets/TicketScreenKit.h"

#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

void TicketEntryScreen::buildForm()
{
    // Acct Info: always usable.
    m_acctInfo = new QGroupBox(QStringLiteral("Acct Info"), this);
    txtAcctNo = newTicketTextBox("txtAcctNo", m_acctInfo);
    txtAcctNo->setFixedWidth(120);
    btnLookup = newLookupButton(QStringLiteral("Find the account by customer name"), m_acctInfo);
    txtClerk = newTicketTextBox("txtClerk", m_acctInfo);
    txtClerk->setFixedWidth(120);
    txtCustomer = newTicketTextBox("txtCustomer", m_acctInfo);
    markDisplayOnly(txtCustomer);
    {
        auto *grid = new QGridLayout(m_acctInfo);
        grid->addWidget(fieldLabel(QStringLiteral("Acct No."), m_acctInfo), 0, 0);
        grid->addWidget(txtAcctNo, 0, 1);
        grid->addWidget(btnLookup, 0, 2);
        grid->setColumnStretch(3, 1);
        grid->addWidget(fieldLabel(QStringLiteral("Clerk ID"), m_acctInfo), 0, 4);
        grid->addWidget(txtClerk, 0, 5);
        grid->addWidget(fieldLabel(QStringLiteral("Customer"), m_acctInfo), 1, 0);
        grid->addWidget(txtCustomer, 1, 1, 1, 5);
        // The account's standing right under its name, so the clerk sees it before
        // writing a line.
        m_status = new AccountStatusPanel(m_acctInfo);
        grid->addWidget(m_status, 2, 0, 1, 6);
    }

    m_ticketInfo = new TicketInfoGroup(TicketInfoGroup::OnFocus::KeepText, this);
    m_lines = new PurchaseLinesPanel([] { return appContext().company.Tax; }, this);

    // The bottom row, outside the groups.
    btnBack = TicketScreenKit::button(QStringLiteral("<<"), "btnBack", this, 48);
    btnNext = TicketScreenKit::button(QStringLiteral(">>"), "btnNext", this, 48);
    txtID = newTicketTextBox("txtID", this);
    markDisplayOnly(txtID);
    txtID->setFixedWidth(80);
    txtID->setAlignment(Qt::AlignCenter);
    txtDateEntered = newTicketTextBox("txtDateEntered", this);
    markDisplayOnly(txtDateEntered);
    txtDateEntered->setFixedWidth(150);
    txtDateEntered->setToolTip(QStringLiteral("When the ticket shown was saved"));
    btnSave = TicketScreenKit::button(QStringLiteral("Print/Save"), "btnSave", this);
    btnExit = TicketScreenKit::button(QStringLiteral("Exit"), "btnExit", this);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(btnBack);
    bottom->addWidget(btnNext);
    bottom->addWidget(txtID);
    bottom->addWidget(txtDateEntered);
    bottom->addStretch(1);
    bottom->addWidget(btnSave);
    bottom->addWidget(btnExit);

    TicketScreenKit::layOut(this, m_acctInfo, m_ticketInfo, m_lines, bottom);
}

void TicketEntryScreen::setTabOrder()
{
    QList<QWidget *> order = {txtAcctNo, btnLookup, txtClerk};
    for (QLineEdit *box : m_ticketInfo->boxes())
        order << box;
    order << m_lines->tabOrder();
    order << btnSave << btnExit << btnBack << btnNext;
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}
