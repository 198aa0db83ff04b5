#include "accounts/ReceivablesStore.h"

#include "db/Db.h"

#include <QSqlRecord>
#include <QStringList>

#include <algorithm>

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

QList<AgedAccount> agedAccounts(Db &db, const QDate &asOf, int locationTerms, const QString &customerId, BalanceFrom from)
{
    const SqlDialect &d = db.dialect();
    QVariantList values;
    const auto aCustomer = [&](const QString &column) { return forCustomer(column, customerId, values); };

    // Only charges young enough to stand in a column before Over 90 are read one by one:
    // those of the last lastRecentDay() days past due under the longest terms in use.
    QVariantList termsValues{PaymentTerms::kMostDays};
    const auto longest = db.firstRow(QStringLiteral("SELECT MAX(PaymentTerms) FROM Customer WHERE PaymentTerms >= 0 AND "
                                                    "PaymentTerms <= ?")
                                         + forCustomer(QStringLiteral("ID"), customerId, termsValues),
                                     termsValues);
    int longestTerms = locationTerms;
    if (longest && !longest->value(0).isNull())
        longestTerms = std::max(longestTerms, longest->value(0).toInt());
    const QDate firstRecentDay = asOf.addDays(-longestTerms - Aging::lastRecentDay());

    // Each young charge by its column, summed per customer. The customer comes first in
    // the join, so that each one's charges are read as one range of its index by day.
    const auto recent = [&](const QString &entries, const QString &charge, const QString &day, const QString &range,
                            const QString &isCharge, const QString &customer, const QVariant &from, const QVariant &upTo) {
        values << qint64(asOf.toJulianDay()) << locationTerms << from << upTo;
        QString dated = QStringLiteral("SELECT Terms.ID AS Cust,%1 AS Charge,CAST(? AS INTEGER) - %2 - %3 AS PastDue "
                                       "FROM Customer Terms CROSS JOIN %4 WHERE %5 = Terms.ID AND %6 AND %7")
                            .arg(charge, d.dayNumber(day), PaymentTerms::effectiveSql(QStringLiteral("Terms.PaymentTerms")),
                                 entries, customer, range, isCharge)
                        + aCustomer(QStringLiteral("Terms.ID"));
        QStringList sums;
        for (int b = 0; b < Aging::Over90; ++b)
            sums << d.money(QStringLiteral("SUM(CASE WHEN %1 = %2 THEN Dated.Charge END)")
                                .arg(Aging::bucketCase(QStringLiteral("Dated.PastDue")))
                                .arg(b))
                        + QStringLiteral(" AS C%1").arg(b);
        return QStringLiteral("SELECT Dated.Cust,") + sums.join(u',') + QStringLiteral(" FROM (") + dated
               + QStringLiteral(") Dated GROUP BY Dated.Cust");
    };
    // A ticket with a positive total is a charge; so is a returned check (a negative payment).
    const QString recentTickets =
        recent(QStringLiteral("Tickets T"), QStringLiteral("T.Total"), QStringLiteral("T.DateEntered"),
               QStringLiteral("T.DateEntered >= ? AND T.DateEntered <= ?"), QStringLiteral("T.Total > 0"),
               QStringLiteral("T.CustomerID"), d.dayStart(firstRecentDay), d.dayEnd(asOf));
    const QString recentChecks =
        recent(QStringLiteral("Payments P"), QStringLiteral("-P.Amount"), QStringLiteral("P.PaymentDate"),
               QStringLiteral("P.PaymentDate >= ? AND P.PaymentDate < ?"), QStringLiteral("P.Amount < 0"),
               QStringLiteral("P.Customer"), d.dateValue(firstRecentDay), d.dateValue(asOf.addDays(1)));

    // Sums of tickets and of payments per customer, of the entries up to the day (onOrBefore)
    // or after it; `unset` keeps to customers without a stored balance.
    const auto sumOf = [&](bool tickets, bool onOrBefore, bool unset) {
        const QString table = tickets ? QStringLiteral("Tickets") : QStringLiteral("Payments");
        const QString amount = tickets ? QStringLiteral("E.Total") : QStringLiteral("E.Amount");
        const QString customer = tickets ? QStringLiteral("E.CustomerID") : QStringLiteral("E.Customer");
        const QString date = tickets ? QStringLiteral("E.DateEntered") : QStringLiteral("E.PaymentDate");
        // A ticket's day ends at its last second; a payment's day is a date.
        const QString edge =
            QStringLiteral("%1 %2 ?").arg(date, tickets ? (onOrBefore ? u"<=" : u">") : (onOrBefore ? u"<" : u">="));
        values << (tickets ? d.dayEnd(asOf) : d.dateValue(asOf.addDays(1)));
        if (unset) {
            return QStringLiteral("SELECT Unset.ID AS Cust,%1 AS Amount FROM Customer Unset CROSS JOIN %2 E WHERE "
                                  "Unset.CurrentBalance IS NULL AND %3 = Unset.ID AND %4")
                       .arg(d.money(QStringLiteral("SUM(%1)").arg(amount)), table, customer, edge)
                   + aCustomer(QStringLiteral("Unset.ID")) + QStringLiteral(" GROUP BY Unset.ID");
        }
        return QStringLiteral("SELECT %1 AS Cust,%2 AS Amount FROM %3 E WHERE %4")
                   .arg(customer, d.money(QStringLiteral("SUM(%1)").arg(amount)), table, edge)
               + aCustomer(customer) + QStringLiteral(" GROUP BY ") + customer;
    };

    QStringList joins{QStringLiteral("LEFT JOIN (") + recentTickets + QStringLiteral(") RT ON RT.Cust = Customer.ID"),
                      QStringLiteral("LEFT JOIN (") + recentChecks + QStringLiteral(") RC ON RC.Cust = Customer.ID")};
    const bool stored = from == BalanceFrom::StoredBalance;
    // The values are bound in the order their places stand in the text: one join at a time.
    joins << QStringLiteral("LEFT JOIN (") + sumOf(true, !stored, false) + QStringLiteral(") ST ON ST.Cust = Customer.ID");
    joins << QStringLiteral("LEFT JOIN (") + sumOf(false, !stored, false) + QStringLiteral(") SP ON SP.Cust = Customer.ID");
    if (stored) {
        joins << QStringLiteral("LEFT JOIN (") + sumOf(true, true, true) + QStringLiteral(") UT ON UT.Cust = Customer.ID");
        joins << QStringLiteral("LEFT JOIN (") + sumOf(false, true, true) + QStringLiteral(") UP ON UP.Cust = Customer.ID");
    }
    QStringList columns;
    for (int b = 0; b < Aging::Over90; ++b)
        columns << QStringLiteral("RT.C%1 AS T%1,RC.C%1 AS P%1").arg(b);
    columns << QStringLiteral("ST.Amount AS TicketSum,SP.Amount AS PaymentSum");
    if (stored)
        columns << QStringLiteral("UT.Amount AS UnsetTicketSum,UP.Amount AS UnsetPaymentSum");

    QString sql = QStringLiteral("SELECT Customer.ID,Customer.Name,Customer.Address1,Customer.Address2,Customer.City,"
                                 "Customer.State,Customer.Zip,Customer.Phone,Customer.Contact,Customer.Inactive,"
                                 "Customer.AcctOnHold,Customer.CurrentBalance,Customer.")
                  + d.limitColumn() + QStringLiteral(" AS CreditLimit,Customer.PaymentTerms,") + columns.join(u',')
                  + QStringLiteral(" FROM Customer ") + joins.join(u' ');
    if (!customerId.isNull()) {
        sql += QStringLiteral(" WHERE Customer.ID = ?");
        values << customerId;
    }
    sql += QStringLiteral(" ORDER BY Customer.ID");

    const auto cents = [](const QSqlRecord &row, const QString &column) { return Aging::toCents(row.value(column).toDouble()); };
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
        std::array<Aging::Cents, Aging::BucketCount> young{};
        for (int b = 0; b < Aging::Over90; ++b)
            young[b] = cents(row, QStringLiteral("T%1").arg(b)) + cents(row, QStringLiteral("P%1").arg(b));
        Aging::Cents balance = 0;
        if (!stored)
            balance = cents(row, QStringLiteral("TicketSum")) - cents(row, QStringLiteral("PaymentSum"));
        else if (a.currentBalance.isNull())
            balance = cents(row, QStringLiteral("UnsetTicketSum")) - cents(row, QStringLiteral("UnsetPaymentSum"));
        else // The stored balance holds the entries after the day too; they are taken off.
            balance = Aging::toCents(a.currentBalance.toDouble()) - cents(row, QStringLiteral("TicketSum"))
                      + cents(row, QStringLiteral("PaymentSum"));
        a.aged = Aging::ageBalance(young, balance);
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
