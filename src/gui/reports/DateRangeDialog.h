#pragma once

#include <QDate>
#include <QWidget>

#include <functional>
#include <optional>

class PickList;
class QDateEdit;
class QPushButton;

// The date range dialogs of the ranged reports: frmDetailTicketListing ("Detail Sales
// Report"), frmDetailGiftCardListing ("Gift Card Transaction Report") and
// frmDailySalesSummary ("Daily Sales Summary"), which also offers a choice of location
// (cmbLocation: "All Locations" first and chosen, then each location's number). Both pickers
// start at today; "Ok" runs the report for the chosen days and closes the dialog (a
// failing report leaves it open with the error's message); "Cancel" closes it. Any range
// is taken: an end before the start gives an empty report.
class DateRangeDialog : public QWidget
{
    Q_OBJECT
public:
    using RunReport = std::function<void(const QDate &start, const QDate &end)>;

    // The report of one location (a number) or of all of them (nothing).
    using RunLocationReport = std::function<void(const QDate &start, const QDate &end, std::optional<int> location)>;

    DateRangeDialog(const QString &name, const QString &caption, RunReport run, QWidget *parent = nullptr);
    // With the location list under the dates.
    DateRangeDialog(const QString &name, const QString &caption, RunLocationReport run, QWidget *parent = nullptr);

    // The dialogs as the menu opens them.
    static QWidget *detailSales(QWidget *parent);
    static QWidget *giftCardTransactions(QWidget *parent);
    static QWidget *dailySalesSummary(QWidget *parent);

    // A date picker as both report dialogs have it: a calendar to drop down, today's date.
    static QDateEdit *datePicker(const QString &name, QWidget *parent);

private:
    void build(bool withLocation);
    void ok();

    RunLocationReport m_run;
    QDateEdit *dtStart;
    QDateEdit *dtEnd;
    PickList *cmbLocation = nullptr;
    QPushButton *btnOK;
    QPushButton *btnCancel;
};
