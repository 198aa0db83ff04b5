#pragma once

#include <QDate>
#include <QStringList>

#include <memory>
#include <optional>

class Db;
class Report;

namespace ManagementReports {

// The Daily Sales Summary, what each day took in: for every day of the range, every
// location and every workstation within it, one row with the gallons and amount of each
// fuel row (the discount among them), each merchandise line and the tax of the charge and
// cash tickets together, the charge and the cash total, the gift cards sold, reloaded
// and redeemed, the payments received and how many of each there were; the page adds
// the totals of each location, each day and the range.
//
// Payments are kept without a location or workstation: each day's payments are a row of
// their own (no location, no workstation) when all locations are asked for, and are left
// out, as the report says, when one location is.
//
// A gift card sold is the purchase its card was activated with (the card's first sale:
// same card, time and amount); every other purchase is a reload.
//
// The figures are summed by the server, a few grouped queries for the whole range, while
// the report is built (DbError then); the report holds one row per day, location and
// workstation, so it is laid out and exported like any other.
std::shared_ptr<Report> dailySalesSummary(Db &db, const QDate &start, const QDate &end, std::optional<int> location,
                                          const QStringList &headings);

} // namespace ManagementReports
