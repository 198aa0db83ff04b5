#pragma once

#include <QWidget>

class PickList;
class QDateEdit;
class QPushButton;

// frmCustomerHistory, "Customer History Report": a customer chosen by name and a range
// of days, both starting at today. "Print" without a customer says so and stays;
// otherwise it shows the customer's history and closes (a failing report leaves it open
// with the error's message). "Cancel" closes it.
class CustomerHistoryDialog : public QWidget
{
    Q_OBJECT
public:
    explicit CustomerHistoryDialog(QWidget *parent = nullptr);

private:
    void fill();
    void print();

    PickList *cmbCustomer;
    QPushButton *btnCancel;
    QPushButton *btnOK;
    QDateEdit *dtEnd;
    QDateEdit *dtStart;
};
