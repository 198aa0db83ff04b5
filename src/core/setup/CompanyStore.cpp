#include "setup/CompanyStore.h"

#include "accounts/Aging.h"
#include "db/SaveRetry.h"

namespace {

QStringList column(Db &db, const QString &sql)
{
    QStringList values;
    db.forEachRow(sql, {}, [&values](const QSqlRecord &row) { values << row.value(0).toString(); });
    return values;
}

} // namespace

namespace CompanyStore {

std::optional<CompanySettings> settings(Db &db, const QString &locationId)
{
    const auto r = db.firstRow(QStringLiteral("SELECT * FROM Company WHERE ID = ?"), {locationId});
    if (!r)
        return std::nullopt;
    CompanySettings c;
    c.Name = r->value("Name").toString();
    c.Address1 = r->value("Address1").toString();
    c.City = r->value("City").toString();
    c.State = r->value("State").toString();
    c.Zip = r->value("Zip").toString();
    c.KeyPressDelay = r->value("KeyPressDelay").toDouble();
    c.DieselPricePerGallon = r->value("DieselPricePerGallon").toDouble();
    c.ReeferPricePerGallon = r->value("ReeferPricePerGallon").toDouble();
    c.DiscountPricePerGallon = r->value("DiscountPricePerGallon").toDouble();
    c.DefPricePerGallon = r->value("DefPricePerGallon").toDouble();
    c.Tax = r->value("Tax").toDouble();
    c.PaymentTerms = PaymentTerms::ofLocation(r->value("PaymentTerms"));
    return c;
}

int paymentTerms(Db &db, const QString &locationId)
{
    const auto r = db.firstRow(QStringLiteral("SELECT PaymentTerms FROM Company WHERE ID = ?"), {locationId});
    return PaymentTerms::ofLocation(r ? r->value(0) : QVariant());
}

QList<QVariant> locations(Db &db)
{
    QList<QVariant> ids;
    db.forEachRow(QStringLiteral("SELECT ID FROM Company ORDER BY ID"), {}, [&ids](const QSqlRecord &r) { ids << r.value(0); });
    return ids;
}

std::optional<QSqlRecord> row(Db &db, const QVariant &location)
{
    return db.firstRow(QStringLiteral("SELECT * FROM Company WHERE ID = ?"), {location});
}

void saveInformation(Db &db, const QVariant &location, const ColumnValues &columns)
{
    // Saved again after a lost connection, the row is written over with the same values:
    // nothing needs looking for first.
    SaveRetry::run<bool>(
        db,
        [&] {
            Transaction transaction(db);
            if (row(db, location)) {
                db.update(QStringLiteral("Company"), columns, location);
            } else {
                // The row was deleted since the list was filled: store it again under the
                // location that was chosen, so this workstation's settings find it.
                ColumnValues withKey = columns;
                withKey.prepend({QStringLiteral("ID"), location});
                db.insert(QStringLiteral("Company"), withKey, QString());
            }
            transaction.commit();
            return true;
        },
        [](bool) { return false; });
}

void savePrices(Db &db, const QVariant &location, const ColumnValues &columns)
{
    SaveRetry::run<bool>(
        db,
        [&] {
            db.update(QStringLiteral("Company"), columns, location);
            return true;
        },
        [](bool) { return false; });
}

} // namespace CompanyStore

namespace ChoiceLists {

QStringList states(Db &db) { return column(db, QStringLiteral("SELECT State FROM State ORDER BY State")); }

QStringList cardTypes(Db &db) { return column(db, QStringLiteral("SELECT CardType FROM CardType ORDER BY CardType")); }

} // namespace ChoiceLists
