#pragma once

#include "app/Settings.h"
#include "db/Db.h"

#include <QList>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

#include <optional>

// The Company rows: one per location, with its name, address and prices.
namespace CompanyStore {

// The settings of the location's row, a NULL column reading as "" or 0; nothing when
// the location has no row. The location is compared as the configured text.
std::optional<CompanySettings> settings(Db &db, const QString &locationId);

// The payment terms of the location's customers without terms of their own, as stored
// now (the settings loaded at start may be older); 30 days when the location has no row.
int paymentTerms(Db &db, const QString &locationId);

// The IDs of every location's row, in order.
QList<QVariant> locations(Db &db);

// Every column of the location's row; nothing when it has none.
std::optional<QSqlRecord> row(Db &db, const QVariant &location);

// Writes the company information of the location: the row is changed, or stored again
// under the location's ID when it was deleted meanwhile. One transaction.
void saveInformation(Db &db, const QVariant &location, const ColumnValues &columns);

// Writes the prices of the location's row; a location whose row is gone is left alone.
void savePrices(Db &db, const QVariant &location, const ColumnValues &columns);

} // namespace CompanyStore

// The two lists of choices the address and card fields offer.
namespace ChoiceLists {

// Every state code, in order.
QStringList states(Db &db);
// Every card type, in order.
QStringList cardTypes(Db &db);

} // namespace ChoiceLists
