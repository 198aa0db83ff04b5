#pragma once

#include <QList>
#include <QString>

class Db;

// Every customer's CurrentBalance beside what its charge tickets less its payments add up
// to: the rebuild command's rule, checked without changing anything. Used after a copy or
// a backup and by "amsdb check".
struct CustomerBalanceCheck
{
    QString customerId;
    double balance = 0; // a NULL balance reads as 0
    double charged = 0; // sum of the customer's ticket totals
    double paid = 0;    // sum of its payments

    double expected() const { return charged - paid; }
    // More than half a cent apart: balances are posted with the totals as stored, to the
    // cent, so anything less is the binary form of the same cents.
    bool differs() const;
};

// One row per customer, in customer ID order.
QList<CustomerBalanceCheck> CheckCustomerBalances(Db &db);
