#pragma once

#include <QDate>
#include <QStringList>

#include <memory>

class Db;
class Report;

// crptArAging, "A/R Aging Report": every customer whose balance at the end of `asOf` is
// not 0, with what it owes in each column (Current, 1-30, 31-60, 61-90, over 90 days past
// due, by the rule of Aging), its credit, its balance, its credit limit and hold flag.
// The balance is the customer's tickets less its payments up to that day, the figure its
// statement closes with.
// The oldest money comes first: customers are sorted by what they owe over 90 days, then
// 61-90, and so on, credit balances last. The end shows the total of each column and its
// share of all that is owed. The accounts are read with two statements when the report is
// built (DbError then); locationTerms are the terms of customers without their own.
namespace ArAgingReport {

std::shared_ptr<Report> build(Db &db, const QDate &asOf, int locationTerms, const QStringList &headings);

} // namespace ArAgingReport
