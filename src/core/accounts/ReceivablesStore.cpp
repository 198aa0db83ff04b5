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

// What each customer owed before the day `from`, as joins to a query over Customer: the
// sums of its tickets and payments the database keeps (Kept), less those dated on or after
// that day (Later tickets, Later payments). Each later sum reads the customer's entries
// from its index by day, customer first: one short range each (none, as of today).
QStringList owedBefore(const SqlDialect &d, const QDate &from, const QString &customerId, QVariantList &values)
{
    const auto sumFrom = [&](const QString &table, const QString &customer, const QString &amount, const QString &day,
                             const QVariant &first) {
        // Nothing dated that late, as is usual, ends the query before it looks at a
        // single customer: the newest day is one look at its index.
        values << first << first;
        return QStringLiteral("SELECT Owner.ID AS Cust,%1 AS Amount FROM Customer Owner CROSS JOIN %2 E "
                              "WHERE E.%3 = Owner.ID AND E.%4 >= ? AND (SELECT MAX(%4) FROM %2) >= ?")
                   .arg(d.money(QStringLiteral("SUM(E.%1)").arg(amount)), table, customer, day)
               + forCustomer(QStringLiteral("Owner.ID"), customerId, values) + QStringLiteral(" GROUP BY Owner.ID");
    };
    // The values are bound in the order their places stand in the text: one join at a time.
    QStringList joins{QStringLiteral("LEFT JOIN CustomerTotals Kept ON Kept.CustomerID = Customer.ID")};
    joins << QStringLiteral("LEFT JOIN (")
                 + sumFrom(QStringLiteral("Tickets"), QStringLiteral("CustomerID"), QStringLiteral("Total"),
                           QStringLiteral("DateEntered"), d.dayStart(from))
                 + QStringLiteral(") LaterTickets ON LaterTickets.Cust = Customer.ID");
    joins << QStringLiteral("LEFT JOIN (")
                 + sumFrom(QStringLiteral("Payments"), QStringLiteral("Customer"), QStringLiteral("Amount"),
                           QStringLiteral("PaymentDate"), d.dateValue(from))
                 + QStringLiteral(") LaterPayments ON LaterPayments.Cust = Customer.ID");
    return joins;
}

// The columns owedBefore's joins add, in the order owed() reads them.
const QString owedColumns =
    QStringLiteral("Kept.TicketSum,Kept.PaymentSum,LaterTickets.Amount AS TicketsLater,LaterPayments.Amount AS PaymentsLater");

// A money column of a row read by place, in cents (NULL: 0).
Aging::Cents cents(const Db::Row &row, int column) { return Aging::toCents(row.value(column).toDouble()); }

// The amount owed, from owedColumns standing from column `first` on.
Aging::Cents owed(const Db::Row &row, int first)
{
    return (cents(row, first) - cents(row, first + 2)) - (cents(row, first + 1) - cents(row, first + 3));
}

} // namespace

namespace ReceivablesStore {

QList<AgedAccount> agedAccounts(Db &db, const QDate &asOf, int locationTerms, const QString &customerId)
{
    const SqlDialect &d = db.dialect();
    QVariantList values;
    const auto aCustomer = [&](const QString &column) { return forCustomer(column, customerId, values); };

    // The terms in use, each with the first day of each younger column: a charge on or
    // after a column's first day (and before the next younger one's) stands in it, so
    // each row is only compared, never dated. Charges before the first day of 61-90 are
    // over 90 and are not read one by one.
    QVariantList termsValues;
    QList<int> termsInUse{locationTerms};
    db.forEachRow(QStringLiteral("SELECT DISTINCT PaymentTerms FROM Customer WHERE 1 = 1")
                      + forCustomer(QStringLiteral("ID"), customerId, termsValues),
                  termsValues, [&](const QSqlRecord &row) {
                      const int terms = PaymentTerms::effective(row.value(0), locationTerms);
                      if (!termsInUse.contains(terms))
                          termsInUse << terms;
                  });
    const QString dateTime = d.columnType(SchemaColumn::Kind::DateTime);
    const QString date = d.columnType(SchemaColumn::Kind::Date);
    const auto firstDays = [&] {
        QStringList rows;
        for (int terms : std::as_const(termsInUse)) {
            QStringList row{QStringLiteral("CAST(? AS INTEGER) AS Terms")};
            values << terms;
            for (int b = 0; b < Aging::Over90; ++b) {
                row << QStringLiteral("CAST(? AS %1) AS T%2").arg(dateTime).arg(b);
                values << d.dayStart(Aging::firstDayOf(Aging::Bucket(b), asOf, terms));
            }
            for (int b = 0; b < Aging::Over90; ++b) {
                row << QStringLiteral("CAST(? AS %1) AS P%2").arg(date).arg(b);
                values << d.dateValue(Aging::firstDayOf(Aging::Bucket(b), asOf, terms));
            }
            rows << QStringLiteral("SELECT ") + row.join(u',');
        }
        return rows.join(QStringLiteral(" UNION ALL "));
    };
    QDate earliest = asOf;
    for (int terms : std::as_const(termsInUse))
        earliest = std::min(earliest, Aging::firstDayOf(Aging::Days61To90, asOf, terms));

    // Each young charge summed in its column per customer. The customer comes first in
    // the join, so that each one's charges are one range of its index by day.
    const auto recent = [&](const QString &entries, const QString &charge, const QString &day, const QString &firstDay,
                            const QString &range, const QString &isCharge, const QString &customer, const QVariant &from,
                            const QVariant &upTo) {
        QStringList sums;
        for (int b = 0; b < Aging::Over90; ++b) {
            QStringList in;
            if (b > 0)
                in << QStringLiteral("%1 < B.%2%3").arg(day, firstDay).arg(b - 1);
            if (b < Aging::Over90 - 1)
                in << QStringLiteral("%1 >= B.%2%3").arg(day, firstDay).arg(b);
            sums << d.money(QStringLiteral("SUM(CASE WHEN %1 THEN %2 END)").arg(in.join(QStringLiteral(" AND ")), charge))
                        + QStringLiteral(" AS C%1").arg(b);
        }
        QString sql = QStringLiteral("SELECT Terms.ID AS Cust,") + sums.join(u',')
                      + QStringLiteral(" FROM Customer Terms CROSS JOIN (") + firstDays() + QStringLiteral(") B CROSS JOIN ")
                      + entries + QStringLiteral(" WHERE B.Terms = ")
                      + PaymentTerms::effectiveSql(QStringLiteral("Terms.PaymentTerms"));
        values << locationTerms << from << upTo;
        sql += QStringLiteral(" AND %1 = Terms.ID AND %2 >= B.%3%4 AND %5 AND %6")
                   .arg(customer, day, firstDay)
                   .arg(Aging::Over90 - 1)
                   .arg(range, isCharge)
               + aCustomer(QStringLiteral("Terms.ID")) + QStringLiteral(" GROUP BY Terms.ID");
        return sql;
    };
    // A ticket with a positive total is a charge; so is a returned check (a negative payment).
    const QString recentTickets =
        recent(QStringLiteral("Tickets T"), QStringLiteral("T.Total"), QStringLiteral("T.DateEntered"), QStringLiteral("T"),
               QStringLiteral("T.DateEntered >= ? AND T.DateEntered <= ?"), QStringLiteral("T.Total > 0"),
               QStringLiteral("T.CustomerID"), d.dayStart(earliest), d.dayEnd(asOf));
    const QString recentChecks =
        recent(QStringLiteral("Payments P"), QStringLiteral("-P.Amount"), QStringLiteral("P.PaymentDate"), QStringLiteral("P"),
               QStringLiteral("P.PaymentDate >= ? AND P.PaymentDate < ?"), QStringLiteral("P.Amount < 0"),
               QStringLiteral("P.Customer"), d.dateValue(earliest), d.dateValue(asOf.addDays(1)));

    QStringList joins{QStringLiteral("LEFT JOIN (") + recentTickets + QStringLiteral(") RT ON RT.Cust = Customer.ID"),
                      QStringLiteral("LEFT JOIN (") + recentChecks + QStringLiteral(") RC ON RC.Cust = Customer.ID")};
    joins << owedBefore(d, asOf.addDays(1), customerId, values);
    QStringList columns;
    for (int b = 0; b < Aging::Over90; ++b)
        columns << QStringLiteral("RT.C%1 AS T%1,RC.C%1 AS P%1").arg(b);
    columns << owedColumns;

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

    // The columns by their place in the select above: fifty thousand customers are read
    // by position, with no record made for each.
    enum Column {
        ID,
        Name,
        Address1,
        Address2,
        City,
        State,
        Zip,
        Phone,
        Contact,
        Inactive,
        AcctOnHold,
        CurrentBalance,
        CreditLimit,
        Terms,
        Young,
        Owed = Young + 2 * Aging::Over90
    };
    QList<AgedAccount> accounts;
    db.forEachRowByPlace(sql, values, [&](const Db::Row &row) {
        AgedAccount a;
        a.customerId = row.value(ID).toString();
        a.name = row.value(Name).toString();
        a.address1 = row.value(Address1).toString();
        a.address2 = row.value(Address2).toString();
        a.city = row.value(City).toString();
        a.state = row.value(State).toString();
        a.zip = row.value(Zip).toString();
        a.phone = row.value(Phone).toString();
        a.contact = row.value(Contact).toString();
        a.inactive = row.value(Inactive).toInt() != 0;
        a.onHold = row.value(AcctOnHold).toInt() != 0;
        a.limit = row.value(CreditLimit).toDouble();
        a.currentBalance = row.value(CurrentBalance);
        const QVariant own = row.value(Terms);
        a.terms = PaymentTerms::effective(own, locationTerms);
        a.ownTerms = !own.isNull();
        std::array<Aging::Cents, Aging::BucketCount> young{};
        for (int b = 0; b < Aging::Over90; ++b)
            young[b] = cents(row, Young + 2 * b) + cents(row, Young + 2 * b + 1);
        a.aged = Aging::ageBalance(young, owed(row, Owed));
        accounts.append(std::move(a));
    });
    return accounts;
}

QHash<QString, Aging::Cents> balancesBefore(Db &db, const QDate &day, const QString &customerId)
{
    QVariantList values;
    QString sql = QStringLiteral("SELECT Customer.ID,") + owedColumns + QStringLiteral(" FROM Customer ")
                  + owedBefore(db.dialect(), day, customerId, values).join(u' ');
    if (!customerId.isNull()) {
        sql += QStringLiteral(" WHERE Customer.ID = ?");
        values << customerId;
    }
    QHash<QString, Aging::Cents> balances;
    db.forEachRowByPlace(sql, values, [&](const Db::Row &row) { balances.insert(row.value(0).toString(), owed(row, 1)); });
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
