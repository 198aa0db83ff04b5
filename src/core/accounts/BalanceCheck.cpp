#include "accounts/BalanceCheck.h"

#include "db/Db.h"

#include <QSqlRecord>

#include <cmath>

bool CustomerBalanceCheck::differs() const { return std::fabs(expected() - balance) > 0.004; }

QList<CustomerBalanceCheck> CheckCustomerBalances(Db &db)
{
    const auto rows = db.rows(QStringLiteral(
        "SELECT ID, CurrentBalance, "
        "(SELECT SUM(Total) FROM Tickets WHERE Tickets.CustomerID = Customer.ID) AS Charged, "
        "(SELECT SUM(Amount) FROM Payments WHERE Payments.Customer = Customer.ID) AS Paid FROM Customer ORDER BY ID"));
    QList<CustomerBalanceCheck> result;
    result.reserve(rows.size());
    for (const QSqlRecord &r : rows)
        result.append({r.value("ID").toString(), r.value("CurrentBalance").toDouble(), r.value("Charged").toDouble(),
                       r.value("Paid").toDouble()});
    return result;
}
