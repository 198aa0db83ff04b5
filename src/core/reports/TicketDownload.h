#pragma once

#include "tickets/TicketStore.h"

#include <memory>

class Db;
class Report;

// The ticket list a fleet downloads from the website: the tickets of one customer that
// a listing filter takes, as report columns for the CSV writer.
namespace TicketDownload {

// The columns: date and time, ticket number, card, truck, driver, gallons and total.
// The rows are read afresh from the database whenever the report runs; db must outlive it.
std::shared_ptr<Report> ticketList(Db &db, const TicketStore::CustomerTicketFilter &filter);

} // namespace TicketDownload
