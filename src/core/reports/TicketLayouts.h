#pragma once

#include <memory>

class Report;

// The layouts of the printed documents, each a new report object without rows.
namespace TicketLayouts {

// The charge ticket a driver signs (crptTicket3). Its date and time is the object
// "DateEntered", suppressed when a ticket is printed without them.
std::shared_ptr<Report> chargeTicket();
// The cash ticket (crptCashTicket2), with the same "DateEntered" object.
std::shared_ptr<Report> cashTicket();
// The gift card purchase receipt (crptGiftCardTransaction).
std::shared_ptr<Report> giftCardReceipt();

} // namespace TicketLayouts
