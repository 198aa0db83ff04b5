#include "reports/DateRangeDialog.h"

#include "app/BusyCursor.h"
#include "app/DatePicker.h"
#include "app/DefaultButton.h"
#include "app/FormLayout.h"
#include "app/PickList.h"
#include "app/ScreenGuard.h"
#include "reports/ManagementRoutines.h"
#include "setup/LocationList.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

DateRangeDialog::DateRangeDialog(const QString &name, const QString &caption, RunReport run, QWidget *parent)
    : QWidget(parent),
      m_run([run = std::move(run)](const QDate &start, const QDate &end, std::optional<int>) { run(start, end); })
{
    setObjectName(name);
    setWindowTitle(caption);
    build(false);
}

DateRangeDialog::DateRangeDialog(const QString &name, const QString &caption, RunLocationReport run, QWidget *parent)
    : QWidget(parent),
      m_run(std::move(run))
{
    setObjectName(name);
    setWindowTitle(caption);
    build(true);
}

void DateRangeDialog::build(bool withLocation)
{
    dtStart = datePicker(QStringLiteral("dtStart"), this);
    dtEnd = datePicker(QStringLiteral("dtEnd"), this);
    btnOK = new QPushButton(QStringLiteral("Ok"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto *fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    fields->addWidget(fieldLabel(QStringLiteral("Begin Date"), this), 0, 0);
    fields->addWidget(dtStart, 0, 1);
    fields->addWidget(fieldLabel(QStringLiteral("End Date"), this), 1, 0);
    fields->addWidget(dtEnd, 1, 1);
    QWidget *lastField = dtEnd;
    if (withLocation) {
        cmbLocation = new PickList(this);
        cmbLocation->setObjectName(QStringLiteral("cmbLocation"));
        LocationList::fill(cmbLocation);
        cmbLocation->insertItem(0, QStringLiteral("All Locations"), QVariant());
        cmbLocation->setCurrentIndex(0);
        fields->addWidget(fieldLabel(QStringLiteral("Location"), this), 2, 0);
        fields->addWidget(cmbLocation, 2, 1);
        lastField = cmbLocation;
    }
    layOutFormAndButtons(this, fields, {btnOK, btnCancel});

    setTabOrder(dtStart, dtEnd);
    if (cmbLocation)
        setTabOrder(dtEnd, cmbLocation);
    setTabOrder(lastField, btnOK);
    setTabOrder(btnOK, btnCancel);
    DefaultButton::install(this, btnOK);
    DefaultButton::installCancel(this, btnCancel);

    connect(btnOK, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { ok(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &QWidget::close);
    // Wide enough for the whole caption in the child window's title bar.
    setMinimumWidth(280);
    dtStart->setFocus();
}

QWidget *DateRangeDialog::detailSales(QWidget *parent)
{
    return new DateRangeDialog(
        QStringLiteral("frmDetailTicketListing"), QStringLiteral("Detail Sales Report"),
        [](const QDate &start, const QDate &end) { PrintDetailSalesReport(start, end, true); }, parent);
}

QWidget *DateRangeDialog::giftCardTransactions(QWidget *parent)
{
    return new DateRangeDialog(
        QStringLiteral("frmDetailGiftCardListing"), QStringLiteral("Gift Card Transaction Report"),
        [](const QDate &start, const QDate &end) { PrintGiftCardTransactionReport(start, end, true); }, parent);
}

QWidget *DateRangeDialog::dailySalesSummary(QWidget *parent)
{
    return new DateRangeDialog(
        QStringLiteral("frmDailySalesSummary"), QStringLiteral("Daily Sales Summary"),
        [](const QDate &start, const QDate &end, std::optional<int> location) {
            PrintDailySalesSummary(start, end, location, true);
        },
        parent);
}

QDateEdit *DateRangeDialog::datePicker(const QString &name, QWidget *parent) { return DatePicker::make(name, parent); }

void DateRangeDialog::ok()
{
    BusyCursor busy;
    std::optional<int> location;
    if (cmbLocation && cmbLocation->currentData().isValid())
        location = cmbLocation->currentData().toInt();
    m_run(dtStart->date(), dtEnd->date(), location);
    close();
}
