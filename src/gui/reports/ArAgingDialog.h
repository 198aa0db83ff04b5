#pragma once

#include <QDate>
#include <QWidget>

class QDateEdit;
class QPushButton;

// frmArAging, "A/R Aging Report": the day the report is taken on, today to start with.
// "Ok" shows the report in the viewer and closes the dialog (a failing report leaves it
// open with the error's message); "Cancel" closes it.
class ArAgingDialog : public QWidget
{
    Q_OBJECT
public:
    explicit ArAgingDialog(QWidget *parent = nullptr);

private:
    void ok();

    QDateEdit *dtAsOf;
    QPushButton *btnOK;
    QPushButton *btnCancel;
};

// The A/R aging report as of the day, on the program's connection with the location's
// terms and heading texts: shown in the "Report Viewer", or with preview false printed
// once on the default printer. A failing query throws DbError before anything is shown.
void PrintArAgingReport(const QDate &asOf, bool preview);
