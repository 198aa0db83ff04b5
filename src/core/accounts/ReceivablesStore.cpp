#include "accounts/ReceivablesStore.h"

#include "db/Db.h"

#include <QSqlRecord>
#include <QStringList>

namespace {

QString text(const QSqlRecord &row, const char *column) { return row.value(QLatin1String(column)).toString(); }

// A condition on the customer when one is asked for, with its value.
QString forCustomer(const QString &column, const QString &customerId, QVariantList &values)
{
    if (customerId.isNull())
        return QString();
    values << customerId;
    return QStringLiteral(" AND %1 = ?").arg(column);
}

} // namespace

namespace ReceivablesStore {

QList<AgedAccount> agedAccounts(Db &db, const QDate &asOf, int locationTerms, const QString &customerId)
{
    const SqlDialect &d = db.dialect();
    // Days past due: from the entry's due date (its day plus the customer's terms) to
    // asOf. The values are bound in the order their places stand in the text.
    QVariantList values{qint64(asOf.toJulianDay()), locationTerms};
    const QString pastDue = QStringLiteral("CAST(? AS INTEGER) - Entries.Day - ")
                            + d.ifNull(QStringLiteral("Terms.PaymentTerms"), QStringLiteral("CAST(? AS INTEGER)"));

    // Charges and credits of every ticket and payment up to the day, each with its day.
    // A ticket with a negative total and a positive payment are credits; a negative
    // payment (a returned check) is a charge.
    values << d.dayEnd(asOf);
    QString entries = QStringLiteral("SELECT CustomerID AS Cust,") + d.dayNumber(QStringLiteral("DateEntered"))
                      + QStringLiteral(" AS Day,CASE WHEN Total > 0 THEN Total ELSE 0 END AS Charge,"
                                       "CASE WHEN Total < 0 THEN -Total ELSE 0 END AS Credit FROM Tickets "
                                       "WHERE DateEntered <= ? AND Total <> 0")
                      + forCustomer(QStringLiteral("CustomerID"), customerId, values);
    values << d.dateValue(asOf.addDays(1));
    entries += QStringLiteral(" UNION ALL SELECT Customer,") + d.dayNumber(QStringLiteral("PaymentDate"))
               + QStringLiteral(",CASE WHEN Amount < 0 THEN -Amount ELSE 0 END,CASE WHEN Amount > 0 THEN Amount ELSE 0 END "
                                "FROM Payments WHERE PaymentDate < ? AND Amount <> 0")
               + forCustomer(QStringLiteral("Customer"), customerId, values);

    const QString dated = QStringLiteral("SELECT Entries.Cust,Entries.Charge,Entries.Credit,") + pastDue
                          + QStringLiteral(" AS PastDue FROM (") + entries
                          + QStringLiteral(") Entries JOIN Customer Terms ON Terms.ID = Entries.Cust");

    QStringList sums;
    for (int b = 0; b < Aging::BucketCount; ++b)
        sums << d.money(QStringLiteral("SUM(CASE WHEN %1 = %2 THEN Dated.Charge ELSE 0 END)")
                            .arg(Aging::bucketCase(QStringLiteral("Dated.PastDue")))
                            .arg(b))
                    + QStringLiteral(" AS Charged%1").arg(b);
    sums << d.money(QStringLiteral("SUM(Dated.Credit)")) + QStringLiteral(" AS Credits");

    QString sql =
        QStringLiteral("SELECT Customer.ID,Customer.Name,Customer.Address1,Customer.Address2,Customer.City,"
                       "Customer.State,Customer.Zip,Customer.Phone,Customer.Contact,Customer.Inactive,"
                       "Customer.AcctOnHold,Customer.CurrentBalance,Customer.")
        + d.limitColumn()
        + QStringLiteral(" AS CreditLimit,Customer.PaymentTerms,Owed.* FROM Customer LEFT JOIN (SELECT Dated.Cust AS OwedBy,")
        + sums.join(u',') + QStringLiteral(" FROM (") + dated
        + QStringLiteral(") Dated GROUP BY Dated.Cust) Owed ON Owed.OwedBy = Customer.ID");
    if (!customerId.isNull()) {
        sql += QStringLiteral(" WHERE Customer.ID = ?");
        values << customerId;
    }
    sql += QStringLiteral(" ORDER BY Customer.ID");

    QList<AgedAccount> accounts;
    db.forEachRow(sql, values, [&](const QSqlRecord &row) {
        AgedAccount a;
        a.customerId = text(row, "ID");
        a.name = text(row, "Name");
        a.address1 = text(row, "Address1");
        a.address2 = text(row, "Address2");
        a.city = text(row, "City");
        a.state = text(row, "State");
        a.zip = text(row, "Zip");
        a.phone = text(row, "Phone");
        a.contact = text(row, "Contact");
        a.inactive = row.value(QStringLiteral("Inactive")).toInt() != 0;
        a.onHold = row.value(QStringLiteral("AcctOnHold")).toInt() != 0;
        a.limit = row.value(QStringLiteral("CreditLimit")).toDouble();
        a.currentBalance = row.value(QStringLiteral("CurrentBalance"));
        const QVariant own = row.value(QStringLiteral("PaymentTerms"));
        a.terms = PaymentTerms::effective(own, locationTerms);
        a.ownTerms = !own.isNull();
        for (int b = 0; b < Aging::BucketCount; ++b)
            a.charged[b] = Aging::toCents(row.value(QStringLiteral("Charged%1").arg(b)).toDouble());
        a.credits = Aging::toCents(row.value(QStringLiteral("Credits")).toDouble());
        a.aged = Aging::apply(a.charged, a.credits);
        accounts.append(a);
    });
    return accounts;
}

QHash<QString, Aging::Cents> balancesBefore(Db &db, const QDate &day, const QString &customerId)
{
    const SqlDialect &d = db.dialect();
    QVariantList values{d.dayStart(day)};
    QString sql =
        QStringLiteral("SELECT Earlier.Cust,") + d.money(QStringLiteral("SUM(Earlier.Amount)"))
        + QStringLiteral(" AS Balance FROM (SELECT CustomerID AS Cust,Total AS Amount FROM Tickets WHERE DateEntered < ?")
        + forCustomer(QStringLiteral("CustomerID"), customerId, values);
    values << d.dateValue(day);
    sql += QStringLiteral(" UNION ALL SELECT Customer,-Amount FROM Payments WHERE PaymentDate < ?")
           + forCustomer(QStringLiteral("Customer"), customerId, values) + QStringLiteral(") Earlier GROUP BY Earlier.Cust");
    QHash<QString, Aging::Cents> balances;
    db.forEachRow(sql, values, [&](const QSqlRecord &row) {
        balances.insert(row.value(0).toString(), Aging::toCents(row.value(1).toDouble()));
    });
    return balances;
}

QList<AccountEntry> entries(Db &db, const QDate &start, const QDate &end, const QString &customerId)
{
    const SqlDialect &d = db.dialect();
    QVariantList values{d.dayStart(start), d.dayEnd(end)};
    const QString gallons = QStringList{d.ifNull(QStringLiteral("GasGallons"), QStringLiteral("0")),
                                        d.ifNull(QStringLiteral("DieselGallons"), QStringLiteral("0")),
                                        d.ifNull(QStringLiteral("ReeferGallons"), QStringLiteral("0"))}
                                .join(u'+');
    QString sql = QStringLiteral("SELECT CustomerID AS Cust,0 AS Kind,") + d.dayNumber(QStringLiteral("DateEntered"))
                  + QStringLiteral(" AS Day,") + d.dateTimeText(QStringLiteral("DateEntered"))
                  + QStringLiteral(" AS At,ID AS Number,CardNo,TruckNumber,") + gallons
                  + QStringLiteral(" AS Gallons,Total AS Amount,CAST(NULL AS TEXT) AS CheckNum FROM Tickets "
                                   "WHERE DateEntered >= ? AND DateEntered <= ?")
                  + forCustomer(QStringLiteral("CustomerID"), customerId, values);
    values << d.dateValue(start) << d.dateValue(end.addDays(1));
    sql += QStringLiteral(" UNION ALL SELECT Customer,1,") + d.dayNumber(QStringLiteral("PaymentDate")) + u','
           + d.dateText(QStringLiteral("PaymentDate"))
           + QStringLiteral(",ID,CAST(NULL AS TEXT),CAST(NULL AS TEXT),0,Amount,CheckNum FROM Payments "
                            "WHERE PaymentDate >= ? AND PaymentDate < ?")
           + forCustomer(QStringLiteral("Customer"), customerId, values) + QStringLiteral(" ORDER BY 1,3,2,4,5");

    QList<AccountEntry> list;
    db.forEachRow(sql, values, [&](const QSqlRecord &row) {
        AccountEntry e;
        e.customerId = row.value(0).toString();
        e.kind = row.value(1).toInt() == 0 ? AccountEntry::Kind::Ticket : AccountEntry::Kind::Payment;
        const QString at = row.value(3).toString();
        e.when = e.kind == AccountEntry::Kind::Ticket ? d.readDateTime(at) : QDateTime(d.readDate(at), QTime(0, 0));
        e.number = row.value(4).toLongLong();
        e.cardNo = text(row, "CardNo");
        e.truckNumber = text(row, "TruckNumber");
        e.gallons = row.value(QStringLiteral("Gallons")).toDouble();
        e.amount = Aging::toCents(row.value(QStringLiteral("Amount")).toDouble());
        e.checkNum = text(row, "CheckNum");
        list.append(e);
    });
    return list;
}

std::optional<QDate> firstDay(Db &db, const QString &customerId)
{
    const SqlDialect &d = db.dialect();
    // Each side's earliest row is read through its customer index; the days compare as
    // whole numbers.
    const QString sql = QStringLiteral("SELECT MIN(First) FROM (SELECT ") + d.dayNumber(QStringLiteral("MIN(DateEntered)"))
                        + QStringLiteral(" AS First FROM Tickets WHERE CustomerID = ? UNION ALL SELECT ")
                        + d.dayNumber(QStringLiteral("MIN(PaymentDate)"))
                        + QStringLiteral(" FROM Payments WHERE Customer = ?) Firsts");
    const auto row = db.firstRow(sql, {customerId, customerId});
    if (!row || row->value(0).isNull())
        return std::nullopt;
    return QDate::fromJulianDay(row->value(0).toLongLong());
}

} // namespace ReceivablesStore
