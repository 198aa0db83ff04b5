#pragma once

#include <QDate>
#include <QWidget>

class PickList;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

// frmStatements, "Statements": the month-end statements of a period (last calendar month
// to start with) for every customer with activity or a balance, or for one customer;
// printed on the default printer, written one PDF per customer into a folder (named by
// the customer's ID), or written as one combined PDF. A progress dialog shows the run and
// can cancel it; a cancelled run leaves no half-written file. When the period ends today
// and a closing balance differs from the customer's current balance, the dialog names
// the customers and points to "Rebuild Customer Balance" before anything is written.
class StatementsDialog : public QWidget
{
    Q_OBJECT
public:
    explicit StatementsDialog(QWidget *parent = nullptr);

    // The period the dialog starts with: the calendar month before the one of `today`.
    static QPair<QDate, QDate> lastMonth(const QDate &today);

private:
    void fill();
    void updateFields();
    void browse();
    void ok();

    QDateEdit *dtStart;
    QDateEdit *dtEnd;
    QRadioButton *optAllCustomers;
    QRadioButton *optOneCustomer;
    PickList *cmbCustomer;
    QRadioButton *optPrint;
    QRadioButton *optPdfFolder;
    QRadioButton *optPdfFile;
    QLineEdit *txtPath;
    QToolButton *btnBrowse;
    QPushButton *btnOK;
    QPushButton *btnCancel;
};
