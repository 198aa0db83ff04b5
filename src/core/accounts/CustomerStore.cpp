#include "accounts/CustomerStore.h"

#include "db/Db.h"

#include <QSqlRecord>

namespace {

QString text(const QSqlRecord &row, const char *column) { return row.value(QLatin1String(column)).toString(); }

} // namespace

namespace CustomerStore {

std::optional<CustomerCard> card(Db &db, const QString &customerId, const QString &cardNo)
{
    const QString sql = QStringLiteral(
        "SELECT Customer.ID,Customer.Name,Customer.Inactive AS CustomerInActive,Customer.CurrentBalance,"
        "Customer.%1 AS CreditLimit,Customer.WarnAt,Customer.AcctOnHold,Cards.CardNo,Cards.CardType,"
        "Cards.InActive AS CardInActive,Cards.CardNote FROM Customer LEFT JOIN Cards ON Customer.ID = Cards.CustomerID "
        "WHERE Customer.ID = ? AND Cards.CardNo = ?")
                            .arg(db.dialect().limitColumn());
    const auto row = db.firstRow(sql, {customerId, cardNo});
    if (!row)
        return std::nullopt;
    // A NULL flag reads as 0, which is "not set".
    CustomerCard result;
    result.customerId = text(*row, "ID");
    result.name = text(*row, "Name");
    result.customerInactive = row->value(QStringLiteral("CustomerInActive")).toInt() != 0;
    result.cardInactive = row->value(QStringLiteral("CardInActive")).toInt() != 0;
    result.onHold = row->value(QStringLiteral("AcctOnHold")).toInt() != 0;
    result.balance = row->value(QStringLiteral("CurrentBalance")).toDouble();
    result.limit = row->value(QStringLiteral("CreditLimit")).toDouble();
    result.warnAt = row->value(QStringLiteral("WarnAt")).toDouble();
    result.cardType = text(*row, "CardType");
    result.cardNote = text(*row, "CardNote");
    return result;
}

QList<NameEntry> cardsByName(Db &db)
{
    // The condition on CardNo also drops the customers the outer join gives without a
    // card. Inactive customers and cards are listed: the account check refuses them.
    QList<NameEntry> entries;
    db.forEachRow(QStringLiteral("SELECT Customer.ID,Customer.Name,Cards.CardNo FROM Customer LEFT JOIN Cards ON "
                                 "Customer.ID = Cards.CustomerID WHERE Cards.CardNo <> '' ORDER BY Customer.Name, Cards.CardNo"),
                  {}, [&entries](const QSqlRecord &row) {
                      const QString cardNo = text(row, "CardNo");
                      entries.append({text(row, "Name") + QStringLiteral(" - ") + cardNo, text(row, "ID") + cardNo});
                  });
    return entries;
}

QList<NameEntry> customersByName(Db &db)
{
    QList<NameEntry> entries;
    db.forEachRow(QStringLiteral("SELECT ID,Name FROM Customer ORDER BY Name"), {},
                  [&entries](const QSqlRecord &row) { entries.append({text(row, "Name"), text(row, "ID")}); });
    return entries;
}

std::optional<QString> nameOf(Db &db, const QString &customerId)
{
    const auto row = db.firstRow(QStringLiteral("SELECT Name FROM Customer WHERE ID = ?"), {customerId});
    if (!row)
        return std::nullopt;
    return row->value(0).toString();
}

} // namespace CustomerStore
