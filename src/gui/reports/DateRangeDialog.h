#pragma once

#include <QDate>
#include <QWidget>

#include <functional>

class QDateEdit;
class QPushButton;

// The date range dialogs of the ranged reports: frmDetailTicketListing ("Detail Sales
// Report") and frmDetailGiftCardListing ("Gift Card Transaction Report"). Both pickers
// start at today; "Ok" runs the report for the chosen days and closes the dialog (a
// failing report leaves it open with the error's message); "Cancel" closes it. Any range
// is taken: an end before the start gives an empty report.
class DateRangeDialog : public QWidget
{
    Q_OBJECT
public:
    using RunReport = std::function<void(const QDate &start, const QDate &end)>;

    DateRangeDialog(const QString &name, const QString &caption, RunReport run, QWidget *parent = nullptr);

    // The two dialogs as the menu opens them.
    static QWidget *detailSales(QWidget *parent);
    static QWidget *giftCardTransactions(QWidget *parent);

    // A date picker as both report dialogs have it: a calendar to drop down, today's date.
    static QDateEdit *datePicker(const QString &name, QWidget *parent);

private:
    void ok();

    RunReport m_run;
    QDateEdit *dtStart;
    QDateEdit *dtEnd;
    QPushButton *btnOK;
    QPushButton *btnCancel;
};
