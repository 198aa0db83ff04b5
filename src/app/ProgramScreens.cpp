#include "app/ProgramScreens.h"

#include "app/MainWindow.h"
#include "setup/AboutScreen.h"
#include "setup/CompanyInfoScreen.h"
#include "setup/SettingsScreen.h"
#include "tickets/TicketEntryScreen.h"

#include <mutex>

void registerProgramScreens()
{
    static std::once_flag once;
    std::call_once(once, [] {
        MainWindow::registerScreen<CompanyInfoScreen>(QStringLiteral("CompanyInfo"));
        MainWindow::registerScreen<SettingsScreen>(QStringLiteral("Pricing"));
        MainWindow::registerScreen<AboutScreen>(QStringLiteral("About"));
        MainWindow::registerScreen<TicketEntryScreen>(QStringLiteral("TicketEntry"));
    });
}
