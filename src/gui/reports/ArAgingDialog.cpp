#include "reports/ArAgingDialog.h"

#include "app/AppContext.h"
#include "app/BusyCursor.h"
#include "app/DefaultButton.h"
#include "app/FormLayout.h"
#include "app/Logging.h"
#include "app/ScreenGuard.h"
#include "db/Db.h"
#include "reports/ArAgingReport.h"
#include "reports/DateRangeDialog.h"
#include "reports/Report.h"
#include "reports/ReportOutput.h"
#include "reports/ReportRenderer.h"
#include "reports/Viewer.h"
#include "setup/CompanyStore.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

void PrintArAgingReport(const QDate &asOf, bool preview)
{
    BusyCursor busy;
    const CompanySettings &company = appContext().company;
    Db &db = Db::current();
    // The terms as stored now: the pricing screen may have changed them since the start.
    const int terms = CompanyStore::paymentTerms(db, appContext().config.LocationID);
    std::shared_ptr<Report> report = ArAgingReport::build(db, asOf, terms, company.headingTexts());
    if (preview) {
        if (!Viewer::openReport(report))
            qCWarning(lcPrint) << report->layoutName() << "could not be shown";
        return;
    }
    paginate(*report);
    if (!ReportOutput::print(*report, 1)) {
        qCWarning(lcPrint) << report->layoutName() << "could not be printed";
    }
}

ArAgingDialog::ArAgingDialog(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmArAging"));
    setWindowTitle(QStringLiteral("A/R Aging Report"));

    dtAsOf = DateRangeDialog::datePicker(QStringLiteral("dtAsOf"), this);
    btnOK = new QPushButton(QStringLiteral("Ok"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto *fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    fields->addWidget(fieldLabel(QStringLiteral("As Of"), this), 0, 0);
    fields->addWidget(dtAsOf, 0, 1);
    layOutFormAndButtons(this, fields, {btnOK, btnCancel});

    setTabOrder(dtAsOf, btnOK);
    setTabOrder(btnOK, btnCancel);
    DefaultButton::install(this, btnOK);
    DefaultButton::installCancel(this, btnCancel);

    connect(btnOK, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { ok(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &QWidget::close);
    setMinimumWidth(280);
    dtAsOf->setFocus();
}

void ArAgingDialog::ok()
{
    PrintArAgingReport(dtAsOf->date(), true);
    close();
}
