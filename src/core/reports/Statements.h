#pragma once

#include "accounts/ReceivablesStore.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class Db;
class Report;

// A customer's statement for one period: what it owed when the period began (every ticket
// less every payment dated before its first day), every ticket and payment of the period
// in date order, what it owes at the end of the last day and how old that money is. The
// statement is dated the period's last day and is due its terms' days later.
struct Statement
{
    // The customer, its terms and what it owed at the end of the period, aged.
    AgedAccount account;
    QDate start;
    QDate end;
    Aging::Cents opening = 0;
    QList<AccountEntry> entries;

    QDate statementDate() const { return end; }
    QDate dueDate() const { return end.addDays(account.terms); }
    // The period's ticket totals and payment amounts.
    Aging::Cents charges() const;
    Aging::Cents payments() const;
    // What the customer owes at the end of the period (negative: a credit).
    Aging::Cents closing() const { return account.aged.balance(); }
    // What the customer is asked to pay: the closing balance, nothing for a credit.
    Aging::Cents amountDue() const { return closing() > 0 ? closing() : 0; }
    // The stored CurrentBalance differs from the closing balance by a cent or more.
    bool differsFromCurrentBalance() const;
};

namespace Statements {

// The statements of the period start..end: of the one customer when customerId is given
// (its statement even without activity; none when there is no such customer), else of
// every customer with a ticket or payment in the period or a closing balance other than
// 0, in customer ID order. Three statements on the database whatever the number of
// customers. locationTerms: the terms of customers without their own. Throws DbError.
QList<Statement> gather(Db &db, const QDate &start, const QDate &end, int locationTerms, const QString &customerId = {});

// The statement as a report (layout crptCustomerStatement): the three heading texts are
// the station's name and address, to which the customer remits.
std::shared_ptr<Report> report(const Statement &statement, const QStringList &headings);

// The customers whose closing balance differs from the balance the postings keep, each
// as "0001 Alder Freight: statement $150.25, current balance $140.25".
QStringList differingBalances(const QList<Statement> &statements);

// The file a statement is written to in a folder of statements: the customer ID, with
// any character a file name cannot safely hold replaced by "_", and ".pdf".
QString fileNameFor(const QString &customerId);

} // namespace Statements
