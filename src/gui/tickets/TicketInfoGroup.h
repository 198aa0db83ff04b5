#pragma once

#include "tickets/TicketColumns.h"

#include <QGroupBox>
#include <QList>

class QLineEdit;

// The "Ticket Info" group both ticket screens share: truck number, mileage and driver
// ID in a left column; drivers license, trip number and trailer number in a right one.
class TicketInfoGroup : public QGroupBox
{
    Q_OBJECT
public:
    // How a box treats gaining the focus: the charge ticket keeps the caret at the end
    // (tabbing through a shown ticket must not wipe a field with the first key); the cash
    // ticket selects the whole text, so typing replaces it.
    enum class OnFocus { KeepText, SelectAll };

    explicit TicketInfoGroup(OnFocus onFocus, QWidget *parent = nullptr);

    // The six boxes in tab and Enter order: truck, mileage, driver, license, trip, trailer.
    QList<QLineEdit *> boxes() const;

    // The clerk is not part of the group; the screen passes it in and gets it back.
    TicketDetails details(const QString &clerk) const;
    void setDetails(const TicketDetails &details);
    void clear();

private:
    QLineEdit *txtTruckNo = nullptr;
    QLineEdit *txtMileage = nullptr;
    QLineEdit *txtDriverID = nullptr;
    QLineEdit *txtLicense = nullptr;
    QLineEdit *txtTrip = nullptr;
    QLineEdit *txtTrailer = nullptr;
};

// A text box of a ticket screen that never selects its text when the keyboard gives it
// the focus (a click still places the caret where it lands).
QLineEdit *newTicketTextBox(const char *name, QWidget *parent);
