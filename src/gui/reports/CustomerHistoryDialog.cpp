#include "reports/CustomerHistoryDialog.h"

#include "accounts/CustomerStore.h"
#include "app/BusyCursor.h"
#include "app/DefaultButton.h"
#include "app/FormLayout.h"
#include "app/MessageBox.h"
#include "app/PickList.h"
#include "app/ScreenGuard.h"
#include "db/Db.h"
#include "reports/DateRangeDialog.h"
#include "reports/ManagementRoutines.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

CustomerHistoryDialog::CustomerHistoryDialog(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmCustomerHistory"));
    setWindowTitle(QStringLiteral("Customer History Report"));

    cmbCustomer = new PickList(this);
    cmbCustomer->setObjectName(QStringLiteral("cmbCustomer"));
    cmbCustomer->setMinimumContentsLength(32);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnOK = new QPushButton(QStringLiteral("Print"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    dtEnd = DateRangeDialog::datePicker(QStringLiteral("dtEnd"), this);
    dtStart = DateRangeDialog::datePicker(QStringLiteral("dtStart"), this);

    auto *fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    fields->addWidget(fieldLabel(QStringLiteral("Name"), this), 0, 0);
    fields->addWidget(cmbCustomer, 0, 1, 1, 2);
    fields->addWidget(fieldLabel(QStringLiteral("Begin Date"), this), 1, 0);
    fields->addWidget(dtStart, 1, 1);
    fields->addWidget(fieldLabel(QStringLiteral("End Date"), this), 2, 0);
    fields->addWidget(dtEnd, 2, 1);
    fields->setColumnStretch(2, 1);
    layOutFormAndButtons(this, fields, {btnOK, btnCancel});

    setTabOrder(cmbCustomer, btnCancel);
    setTabOrder(btnCancel, btnOK);
    setTabOrder(btnOK, dtEnd);
    setTabOrder(dtEnd, dtStart);
    DefaultButton::install(this, btnOK);
    DefaultButton::installCancel(this, btnCancel);
    DefaultButton::pressOnEnter(cmbCustomer, btnOK);

    connect(btnOK, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { print(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &QWidget::close);

    ScreenGuard::run(this, [this] { fill(); });
    cmbCustomer->setFocus();
}

void CustomerHistoryDialog::fill()
{
    BusyCursor busy;
    cmbCustomer->fill(CustomerStore::customersByName(Db::current()));
}

void CustomerHistoryDialog::print()
{
    if (cmbCustomer->currentText().isEmpty()) {
        MessageBox::ok(this, QStringLiteral("You must select a Customer."), QStringLiteral("No Customer Selected"));
        return;
    }
    PrintCustomerHistory(cmbCustomer->currentId().toString(), dtStart->date(), dtEnd->date(), true);
    close();
}
