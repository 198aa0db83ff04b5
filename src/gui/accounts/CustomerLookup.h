#pragma once

#include "app/LookupDialog.h"

class CustomerEntryScreen;

// Finds a customer by name for the customer screen: every customer is listed by name
// (two of one name twice, each with its own ID), and choosing one puts its ID into the
// customer screen's account number, which loads the customer there.
class CustomerLookup : public LookupDialog
{
    Q_OBJECT
public:
    CustomerLookup(CustomerEntryScreen *screen, QWidget *parent = nullptr);
};
