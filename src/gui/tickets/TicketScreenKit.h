#pragma once

#include "tickets/TicketStore.h"

#include <QList>

class QLayout;
class QPushButton;
class QString;
class QWidget;

// What the charge and the cash ticket screens do alike, kept in one place so that the
// two stay members of one family.
namespace TicketScreenKit {

// A button of the row under the groups. Enter on it presses it, so the keyboard alone
// finishes a ticket.
QPushButton *button(const QString &caption, const char *name, QWidget *parent, int minimumWidth = 96);

// The screen's body: the account group and "Ticket Info" side by side on top, "Purchase
// Info" under them, the button row at the bottom; the screen keeps its natural size.
void layOut(QWidget *screen, QWidget *acctInfo, QWidget *ticketInfo, QWidget *lines, QLayout *bottom);

// Before a ticket is stored: every amount one that can be stored, then "Not Enough
// Information" with the screen's own text unless `enough`, then every text box within
// its width. False, with the message shown, when the ticket must not be stored.
bool readyToStore(QWidget *screen, bool enough, const QString &notEnoughText, const TicketLines::Amounts &amounts);

// This workstation, its location and this moment, as a save stamps them.
TicketStamp stampNow();

} // namespace TicketScreenKit
