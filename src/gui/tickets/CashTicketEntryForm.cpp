// The layout of the cash ticket screen: its three groups, the buttons and the tab
// order. The behaviour is in CashTicketEntryScreen.cpp.
#include "tickets/CashTicketEntryScreen.h"

#include "app/AppContext.h"
#include "app/FormLayout.h"
#include "tickets/PurchaseLinesPanel.h"
#include "tickets/TicketInfoGroup.h"
#include "tickets/TicketScreenKit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

void CashTicketEntryScreen::buildForm()
{
    // Acct Info: the clerk, then the customer's name with its two address lines under it.
    m_acctInfo = new QGroupBox(QStringLiteral("Acct Info"), this);
    txtClerk = newTicketTextBox("txtClerk", m_acctInfo);
    txtClerk->setFixedWidth(120);
    cmbCustomer = new QComboBox(m_acctInfo);
    cmbCustomer->setObjectName(QStringLiteral("cmbCustomer"));
    cmbCustomer->setEditable(true);
    // Thousands of names: the box must not measure every one of them to size itself.
    cmbCustomer->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbCustomer->setMinimumContentsLength(24);
    txtAddress1 = newTicketTextBox("txtAddress1", m_acctInfo);
    txtAddress2 = newTicketTextBox("txtAddress2", m_acctInfo);
    {
        auto *grid = new QGridLayout(m_acctInfo);
        grid->addWidget(fieldLabel(QStringLiteral("Clerk ID"), m_acctInfo), 0, 0);
        grid->addWidget(txtClerk, 0, 1);
        grid->setColumnStretch(2, 1);
        grid->addWidget(fieldLabel(QStringLiteral("Customer"), m_acctInfo), 1, 0);
        grid->addWidget(cmbCustomer, 1, 1, 1, 2);
        grid->addWidget(txtAddress1, 2, 1, 1, 2);
        grid->addWidget(txtAddress2, 3, 1, 1, 2);
    }

    m_ticketInfo = new TicketInfoGroup(TicketInfoGroup::OnFocus::SelectAll, this);
    m_lines = new PurchaseLinesPanel([] { return appContext().company.Tax; }, this);

    btnSave = TicketScreenKit::button(QStringLiteral("Print"), "btnSave", this);
    btnExit = TicketScreenKit::button(QStringLiteral("Exit"), "btnExit", this);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(btnSave);
    bottom->addWidget(btnExit);
    TicketScreenKit::layOut(this, m_acctInfo, m_ticketInfo, m_lines, bottom);
}

void CashTicketEntryScreen::setTabOrder()
{
    QList<QWidget *> order = {txtClerk, cmbCustomer, txtAddress1, txtAddress2};
    for (QLineEdit *box : m_ticketInfo->boxes())
        order << box;
    order << m_lines->tabOrder();
    order << btnSave << btnExit;
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}
