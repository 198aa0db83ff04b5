#include "app/MenuTable.h"

#include "accounts/CustomerEntryScreen.h"
#include "accounts/ReceivePaymentScreen.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "giftcards/GiftCardEditScreen.h"
#include "giftcards/GiftCardInquiryScreen.h"
#include "giftcards/GiftCardPurchaseScreen.h"
#include "giftcards/GiftCardRedemptionScreen.h"
#include "reports/ArAgingDialog.h"
#include "reports/CustomerHistoryDialog.h"
#include "reports/DateRangeDialog.h"
#include "reports/ManagementRoutines.h"
#include "reports/StatementsDialog.h"
#include "setup/AboutScreen.h"
#include "setup/CompanyInfoScreen.h"
#include "setup/SettingsScreen.h"
#include "tickets/CashTicketEntryScreen.h"
#include "tickets/TicketEntryScreen.h"

namespace {

template <class Screen>
std::function<QWidget *(QWidget *)> screen()
{
    return [](QWidget *parent) -> QWidget * { return new Screen(parent); };
}

MenuEntry menu(const char *command, const QString &caption, char key, bool administration = false)
{
    MenuEntry e;
    e.command = QLatin1String(command);
    e.caption = caption;
    e.isMenu = true;
    e.administration = administration;
    e.accessKey = QLatin1Char(key);
    return e;
}

MenuEntry item(const char *menu, const char *command, const QString &caption, char key, bool administration = false,
               const QKeySequence &shortcut = {})
{
    MenuEntry e;
    e.command = QLatin1String(command);
    e.caption = caption;
    e.menu = QLatin1String(menu);
    e.administration = administration;
    e.accessKey = QLatin1Char(key);
    e.shortcut = shortcut;
    return e;
}

MenuEntry opening(MenuEntry e, std::function<QWidget *(QWidget *)> factory)
{
    e.opens = std::move(factory);
    return e;
}

MenuEntry running(MenuEntry e, std::function<void(MainWindow &)> run)
{
    e.runs = std::move(run);
    return e;
}

QList<MenuEntry> buildTable()
{
    const bool admin = true;
    return {
        menu("File", QStringLiteral("File"), 'F'),
        opening(item("File", "CompanyInfo", QStringLiteral("Setup"), 'S', admin), screen<CompanyInfoScreen>()),
        running(item("File", "Exit", QStringLiteral("Exit"), 'x', false, QKeySequence(Qt::CTRL | Qt::Key_Q)),
                [](MainWindow &) { ExitApplication(); }),

        // The two ticket commands act straight from the menu bar.
        opening(item("", "TicketEntry", QStringLiteral("Ticket Entry"), 'T', false, QKeySequence(Qt::Key_F2)),
                screen<TicketEntryScreen>()),
        opening(item("", "CashTicketEntry", QStringLiteral("Cash Ticket Entry"), 'C', false, QKeySequence(Qt::Key_F3)),
                screen<CashTicketEntryScreen>()),

        menu("GiftCards", QStringLiteral("Gift Cards"), 'G'),
        opening(item("GiftCards", "GiftCardPurchase", QStringLiteral("Gift Card Purchase"), 'P', false, QKeySequence(Qt::Key_F5)),
                screen<GiftCardPurchaseScreen>()),
        opening(
            item("GiftCards", "GiftCardRedemption", QStringLiteral("Gift Card Redemption"), 'R', false, QKeySequence(Qt::Key_F6)),
            screen<GiftCardRedemptionScreen>()),
        opening(item("GiftCards", "BalanceInquiry", QStringLiteral("Balance Inquiry"), 'B', false, QKeySequence(Qt::Key_F7)),
                screen<GiftCardInquiryScreen>()),
        opening(item("GiftCards", "GiftCardEdit", QStringLiteral("Gift Card Edit"), 'E', admin), screen<GiftCardEditScreen>()),
        opening(item("GiftCards", "GiftCardTransactionReport", QStringLiteral("Gift Card Transaction Report"), 'T', admin),
                &DateRangeDialog::giftCardTransactions),
        running(item("GiftCards", "GiftCardListing", QStringLiteral("Gift Card Listing"), 'L', admin),
                [](MainWindow &) { ShowGiftCardListing(); }),

        menu("Customers", QStringLiteral("Customers"), 'u', admin),
        opening(item("Customers", "CustomerEntry", QStringLiteral("Customer Entry/Edit"), 'E', admin, QKeySequence(Qt::Key_F8)),
                screen<CustomerEntryScreen>()),
        opening(item("Customers", "ReceivePayment", QStringLiteral("Receive Payment"), 'P', admin, QKeySequence(Qt::Key_F9)),
                screen<ReceivePaymentScreen>()),
        running(item("Customers", "AcctBalanceReport", QStringLiteral("Account Balance Report"), 'A', admin),
                [](MainWindow &) { PrintAccountBalanceReport(true); }),
        opening(item("Customers", "CustomerHistoryReport", QStringLiteral("Customer History Report"), 'H', admin),
                screen<CustomerHistoryDialog>()),
        opening(item("Customers", "DetailSalesReport", QStringLiteral("Detail Sales Report"), 'D', admin),
                &DateRangeDialog::detailSales),
        opening(item("Customers", "DailySalesSummary", QStringLiteral("Daily Sales Summary"), 'y', admin),
                &DateRangeDialog::dailySalesSummary),
        running(item("Customers", "CustomerListing", QStringLiteral("Customer / Card Listing"), 'L', admin),
                [](MainWindow &) { PrintCustomerCardListing(true); }),
        opening(item("Customers", "Statements", QStringLiteral("Statements..."), 'S', admin), screen<StatementsDialog>()),
        opening(item("Customers", "ArAgingReport", QStringLiteral("A/R Aging Report"), 'R', admin), screen<ArAgingDialog>()),

        menu("Settings", QStringLiteral("Settings"), 'S', admin),
        opening(item("Settings", "Pricing", QStringLiteral("Pricing"), 'P', admin), screen<SettingsScreen>()),
        running(item("Settings", "RebuildCustomerBalance", QStringLiteral("Rebuild Customer Balance"), 'R', admin),
                [](MainWindow &window) { window.rebuildCustomerBalance(); }),

        menu("Help", QStringLiteral("Help"), 'H'),
        opening(item("Help", "About", QStringLiteral("About"), 'A', false, QKeySequence(Qt::Key_F1)), screen<AboutScreen>()),
    };
}

} // namespace

QString MenuEntry::menuText() const
{
    QString text = caption;
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    const qsizetype at = text.indexOf(accessKey);
    if (!accessKey.isNull() && at >= 0)
        text.insert(at, QLatin1Char('&'));
    return text;
}

const QList<MenuEntry> &menuTable()
{
    static const QList<MenuEntry> table = buildTable();
    return table;
}

const MenuEntry *menuEntry(const QString &command)
{
    for (const MenuEntry &e : menuTable())
        if (e.command == command)
            return &e;
    return nullptr;
}
