#pragma once

#include "app/LookupDialog.h"

class TicketEntryScreen;

// Finds a customer card by the customer's name for the charge ticket screen: every
// card of every customer is listed as "Name - CardNo", and choosing one puts its
// account number into the ticket screen and runs the screen's account check. The
// ticket screen stays disabled while the dialog is open.
class CustomerLookupFromTicket : public LookupDialog
{
    Q_OBJECT
public:
    CustomerLookupFromTicket(TicketEntryScreen *ticket, QWidget *parent = nullptr);
};
