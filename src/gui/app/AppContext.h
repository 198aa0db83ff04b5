#pragma once

#include "app/Settings.h"

// What the program holds for its whole run besides the database connection.
struct AppContext
{
    Configuration config;
    CompanySettings company;
};

// The program's one context; tests set it up as the case needs.
AppContext &appContext();
