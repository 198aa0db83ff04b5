#pragma once

class Db;

// What a rebuild did: how many balances it changed, of how many customers.
struct RebuildCount
{
    int changed = 0;
    int customers = 0;
};

// Recomputes every customer's CurrentBalance from the stored charge tickets (of every
// location) less the payments received; cash tickets never touch a balance. Two
// statements, not one transaction: should the second fail, the recomputed balances
// of the first stay. The hold flags are left as they are until the next posting. Then
// each customer's kept sums of tickets and payments are made again, in one transaction.
RebuildCount RebuildCustomerBalances(Db &db);
