#include "reports/StatementsDialog.h"

#include "accounts/CustomerStore.h"
#include "app/AppContext.h"
#include "app/BusyCursor.h"
#include "app/DefaultButton.h"
#include "app/FormLayout.h"
#include "app/MessageBox.h"
#include "app/PickList.h"
#include "app/ScreenGuard.h"
#include "db/Db.h"
#include "reports/DateRangeDialog.h"
#include "reports/Report.h"
#include "reports/ReportBatch.h"
#include "reports/ReportOutput.h"
#include "reports/Statements.h"
#include "setup/CompanyStore.h"

#include <QButtonGroup>
#include <QDateEdit>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Statements");

QString statementsText(int n) { return n == 1 ? QStringLiteral("1 statement") : QStringLiteral("%1 statements").arg(n); }

template <class W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

QPair<QDate, QDate> StatementsDialog::lastMonth(const QDate &today)
{
    const QDate thisMonth(today.year(), today.month(), 1);
    return {thisMonth.addMonths(-1), thisMonth.addDays(-1)};
}

StatementsDialog::StatementsDialog(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmStatements"));
    setWindowTitle(kTitle);

    const auto period = lastMonth(QDate::currentDate());
    dtStart = DateRangeDialog::datePicker(QStringLiteral("dtStart"), this);
    dtStart->setDate(period.first);
    dtEnd = DateRangeDialog::datePicker(QStringLiteral("dtEnd"), this);
    dtEnd->setDate(period.second);

    auto *customers = new QGroupBox(QStringLiteral("Customers"), this);
    optAllCustomers =
        named(new QRadioButton(QStringLiteral("All customers with activity or a balance"), customers), "optAllCustomers");
    optOneCustomer = named(new QRadioButton(QStringLiteral("One customer"), customers), "optOneCustomer");
    cmbCustomer = named(new PickList(customers), "cmbCustomer");
    cmbCustomer->setMinimumContentsLength(32);
    {
        auto *grid = new QGridLayout(customers);
        grid->addWidget(optAllCustomers, 0, 0, 1, 2);
        grid->addWidget(optOneCustomer, 1, 0);
        grid->addWidget(cmbCustomer, 1, 1);
        grid->setColumnStretch(1, 1);
    }
    optAllCustomers->setChecked(true);

    auto *output = new QGroupBox(QStringLiteral("Output"), this);
    optPrint = named(new QRadioButton(QStringLiteral("Print"), output), "optPrint");
    optPdfFolder = named(new QRadioButton(QStringLiteral("One PDF per customer into a folder"), output), "optPdfFolder");
    optPdfFile = named(new QRadioButton(QStringLiteral("One combined PDF file"), output), "optPdfFile");
    txtPath = named(new QLineEdit(output), "txtPath");
    btnBrowse = named(new QToolButton(output), "btnBrowse");
    btnBrowse->setText(QStringLiteral("..."));
    btnBrowse->setToolTip(QStringLiteral("Choose the folder or file"));
    {
        auto *box = new QVBoxLayout(output);
        box->addWidget(optPrint);
        box->addWidget(optPdfFolder);
        box->addWidget(optPdfFile);
        auto *path = new QHBoxLayout;
        path->addWidget(fieldLabel(QStringLiteral("Folder or file"), output));
        path->addWidget(txtPath, 1);
        path->addWidget(btnBrowse);
        box->addLayout(path);
    }
    optPrint->setChecked(true);

    btnOK = named(new QPushButton(QStringLiteral("Ok"), this), "btnOK");
    btnCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "btnCancel");

    auto *fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    fields->addWidget(fieldLabel(QStringLiteral("Begin Date"), this), 0, 0);
    fields->addWidget(dtStart, 0, 1);
    fields->addWidget(fieldLabel(QStringLiteral("End Date"), this), 1, 0);
    fields->addWidget(dtEnd, 1, 1);
    fields->setColumnStretch(2, 1);
    fields->addWidget(customers, 2, 0, 1, 3);
    fields->addWidget(output, 3, 0, 1, 3);
    layOutFormAndButtons(this, fields, {btnOK, btnCancel});

    QWidget::setTabOrder(dtStart, dtEnd);
    QWidget::setTabOrder(dtEnd, optAllCustomers);
    QWidget::setTabOrder(optAllCustomers, optOneCustomer);
    QWidget::setTabOrder(optOneCustomer, cmbCustomer);
    QWidget::setTabOrder(cmbCustomer, optPrint);
    QWidget::setTabOrder(optPrint, optPdfFolder);
    QWidget::setTabOrder(optPdfFolder, optPdfFile);
    QWidget::setTabOrder(optPdfFile, txtPath);
    QWidget::setTabOrder(txtPath, btnBrowse);
    QWidget::setTabOrder(btnBrowse, btnOK);
    QWidget::setTabOrder(btnOK, btnCancel);
    DefaultButton::install(this, btnOK);
    DefaultButton::installCancel(this, btnCancel);

    for (QRadioButton *option : {optAllCustomers, optOneCustomer, optPrint, optPdfFolder, optPdfFile})
        connect(option, &QRadioButton::toggled, this, &StatementsDialog::updateFields);
    connect(btnBrowse, &QToolButton::clicked, this, &StatementsDialog::browse);
    connect(btnOK, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { ok(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &QWidget::close);

    ScreenGuard::run(this, [this] { fill(); });
    updateFields();
    dtStart->setFocus();
}

void StatementsDialog::fill()
{
    BusyCursor busy;
    cmbCustomer->fill(CustomerStore::customersByName(Db::current()));
}

void StatementsDialog::updateFields()
{
    cmbCustomer->setEnabled(optOneCustomer->isChecked());
    const bool toFiles = !optPrint->isChecked();
    txtPath->setEnabled(toFiles);
    btnBrowse->setEnabled(toFiles);
}

void StatementsDialog::browse()
{
    const QString chosen =
        optPdfFolder->isChecked()
            ? QFileDialog::getExistingDirectory(this, QStringLiteral("Folder for the Statements"), txtPath->text())
            : QFileDialog::getSaveFileName(this, QStringLiteral("Save the Statements"),
                                           txtPath->text().isEmpty() ? QStringLiteral("statements.pdf") : txtPath->text(),
                                           QStringLiteral("PDF files (*.pdf)"));
    if (!chosen.isEmpty())
        txtPath->setText(chosen);
}

void StatementsDialog::ok()
{
    if (optOneCustomer->isChecked() && cmbCustomer->currentIndex() < 0) {
        MessageBox::ok(this, QStringLiteral("You must select a Customer."), QStringLiteral("No Customer Selected"));
        return;
    }
    if (!optPrint->isChecked() && txtPath->text().trimmed().isEmpty()) {
        browse();
        if (txtPath->text().trimmed().isEmpty())
            return;
    }
    const QDate start = dtStart->date(), end = dtEnd->date();
    if (start > end) {
        MessageBox::ok(this, QStringLiteral("The Begin Date must not be after the End Date."), kTitle);
        return;
    }

    QList<Statement> statements;
    {
        BusyCursor busy;
        Db &db = Db::current();
        statements = Statements::gather(db, start, end, CompanyStore::paymentTerms(db, appContext().config.LocationID),
                                        optOneCustomer->isChecked() ? cmbCustomer->currentId().toString() : QString());
    }
    if (statements.isEmpty()) {
        MessageBox::ok(this,
                       QStringLiteral("No customer has a ticket, a payment or a balance in this period. Nothing was written."),
                       kTitle);
        return;
    }
    if (end == QDate::currentDate()) {
        const QStringList differ = Statements::differingBalances(statements);
        if (!differ.isEmpty()
            && !MessageBox::askYesNo(
                this,
                QStringLiteral("The closing balance of these customers differs from their current balance:\n\n%1\n\n"
                               "Run \"Rebuild Customer Balance\" on the Settings menu to set the balances right, "
                               "then run the statements again. Write the statements anyway?")
                    .arg(differ.join(u'\n')),
                QStringLiteral("Balances Differ"), MessageBox::Icon::Exclamation))
            return;
    }

    const QStringList headings = appContext().company.headingTexts();
    QList<std::shared_ptr<Report>> reports;
    for (const Statement &s : std::as_const(statements))
        reports << Statements::report(s, headings);

    const int total = int(reports.size());
    QProgressDialog progress(QStringLiteral("Writing statements..."), QStringLiteral("Cancel"), 0, total, this);
    progress.setObjectName(QStringLiteral("dlgStatementProgress"));
    progress.setWindowTitle(kTitle);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    const auto step = [&](int done, int count) {
        progress.setValue(done);
        progress.setLabelText(QStringLiteral("Statement %1 of %2").arg(qMin(done + 1, count)).arg(count));
        return !progress.wasCanceled();
    };

    const QString path = txtPath->text().trimmed();
    ReportBatch::Outcome outcome;
    if (optPrint->isChecked()) {
        for (int i = 0; i < total; ++i) {
            if (!step(i, total)) {
                outcome.result = ReportBatch::Outcome::Result::Cancelled;
                break;
            }
            if (!ReportOutput::print(*reports[i], 1)) {
                outcome.result = ReportBatch::Outcome::Result::Failed;
                outcome.error = QStringLiteral("Statement %1 could not be printed.").arg(statements[i].account.customerId);
                break;
            }
            ++outcome.reportsWritten;
        }
    } else if (optPdfFolder->isChecked()) {
        outcome = ReportBatch::writePdfFolder(
            reports, path, [&](int i) { return Statements::fileNameFor(statements[i].account.customerId); }, step);
    } else {
        outcome = ReportBatch::writeOnePdf(reports, path, step);
    }
    progress.setValue(total);

    const QString done = optPrint->isChecked() ? QStringLiteral("printed") : QStringLiteral("written");
    switch (outcome.result) {
    case ReportBatch::Outcome::Result::Written:
        MessageBox::ok(this,
                       optPrint->isChecked() ? QStringLiteral("%1 printed.").arg(statementsText(total))
                                             : QStringLiteral("%1 written to %2.").arg(statementsText(total), path),
                       kTitle);
        close();
        return;
    case ReportBatch::Outcome::Result::Cancelled:
        MessageBox::ok(this,
                       optPdfFile->isChecked() ? QStringLiteral("Cancelled. No file was written.")
                                               : QStringLiteral("Cancelled after %1 of %2; the rest were not %3.")
                                                     .arg(statementsText(outcome.reportsWritten))
                                                     .arg(total)
                                                     .arg(done),
                       kTitle);
        return;
    case ReportBatch::Outcome::Result::Failed:
        MessageBox::ok(this, outcome.error, kTitle, MessageBox::Icon::Critical);
        return;
    }
}
