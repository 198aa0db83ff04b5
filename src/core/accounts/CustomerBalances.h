#pragma once

class Db;

// Recomputes every customer's CurrentBalance from the stored charge tickets (of every
// location) less the payments received; cash tickets never touch a balance. Two
// statements, not one transaction: should the second fail, the recomputed balances
// of the first stay. The hold flags are left as they are until the next posting.
void RebuildCustomerBalances(Db &db);
