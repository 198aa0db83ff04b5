#pragma once

#include <QDate>
#include <QString>

#include <optional>

// The management reports as the menu and the report dialogs run them: each builds its
// report on the program's connection with the three heading texts of appContext().company,
// reads its rows once (busy pointer) and shows it in the "Report Viewer" window, or with
// preview false sends one copy to the default printer without a dialog. A failing query
// throws DbError before anything is shown, so that the caller's handler reports it with
// the server's own text (and a dialog stays open). Dates are days; a start after the end
// gives an empty report.

void PrintAccountBalanceReport(bool preview);
void PrintCustomerCardListing(bool preview);
void PrintCustomerHistory(const QString &customerId, const QDate &startDate, const QDate &endDate, bool preview);
void PrintDetailSalesReport(const QDate &startDate, const QDate &endDate, bool preview);
void PrintGiftCardTransactionReport(const QDate &startDate, const QDate &endDate, bool preview);
// One location's summary, or every location's (and the payments) without one.
void PrintDailySalesSummary(const QDate &startDate, const QDate &endDate, std::optional<int> location, bool preview);
// Always shown.
void ShowGiftCardListing();
