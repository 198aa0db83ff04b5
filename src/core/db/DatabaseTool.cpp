#include "db/DatabaseTool.h"

#include "accounts/WebPassword.h"
#include "app/Numbers.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "db/SchemaTables.h"
#include "db/SchemaUpgrade.h"
#include "tickets/TicketColumns.h"

#include <QHash>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>

namespace {

double money(double v) { return Numbers::roundHalfEven(v, 2); }

// One demo ticket's lines: gallons and prices as numbers, figured and stored by the
// program's own ticket arithmetic and column mapping.
struct DemoLines
{
    double gallons[TicketLines::FuelRowCount] = {};
    double each[TicketLines::FuelRowCount] = {};
    double merch[TicketLines::MerchandiseCount] = {};
    double tax = 0;

    TicketLines::Amounts amounts() const
    {
        TicketLines::Amounts a;
        for (int r = 0; r < TicketLines::FuelRowCount; ++r) {
            a.fuel[r].gallons = Numbers::plainText(gallons[r]);
            a.fuel[r].priceEach = Numbers::plainText(each[r]);
        }
        for (int m = 0; m < TicketLines::MerchandiseCount; ++m)
            a.merchandise[m] = Numbers::plainText(merch[m]);
        TicketLines::figure(a, tax);
        return a;
    }
    ColumnValues columns(const TicketDetails &details) const { return TicketColumns::write(details, amounts()); }
    double total() const { return TicketColumns::storedTotal(amounts()); }
};

struct Location
{
    int id;
    const char *name, *address1, *city, *state, *zip, *phone;
    double diesel, reefer, discount, def, tax;
};

const Location kLocations[] = {
    {1, "Crossroads Fuel Stop", "4100 Interstate Dr", "Amarillo", "TX", "79118", "8065550142", 3.899, 3.459, -0.05, 3.999,
     0.0825},
    {2, "Crossroads Fuel Stop East", "18 Truck Plaza Rd", "Joplin", "MO", "64804", "4175550177", 3.859, 3.419, -0.04, 3.949,
     0.0785},
};

const char *const kStates[] = {"AL", "AK", "AZ", "AR", "CA", "CO", "CT", "DC", "DE", "FL", "GA", "HI", "ID",
                               "IL", "IN", "IA", "KS", "KY", "LA", "ME", "MD", "MA", "MI", "MN", "MS", "MO",
                               "MT", "NE", "NV", "NH", "NJ", "NM", "NY", "NC", "ND", "OH", "OK", "OR", "PA",
                               "RI", "SC", "SD", "TN", "TX", "UT", "VT", "VA", "WA", "WV", "WI", "WY"};

// Profile of a demo customer: how its limit is set against what it owes.
enum class Standing { Good, Near, OnHold, Inactive };

struct DemoCustomer
{
    const char *id, *name, *city, *state, *contact;
    int cards;
    Standing standing;
    bool webLogin;
};

const DemoCustomer kCustomers[] = {
    {"1001", "Acme Freight Lines", "Amarillo", "TX", "Dale Porter", 3, Standing::Good, true},
    {"1002", "Big Sky Hauling", "Billings", "MT", "Rhonda Kim", 2, Standing::Good, false},
    {"1003", "Cactus Express", "Tucumcari", "NM", "Luis Ortega", 1, Standing::Near, true},
    {"1004", "Delta Produce Transport", "Memphis", "TN", "Jim Beale", 2, Standing::Good, false},
    {"1005", "Eagle Tank Lines", "Tulsa", "OK", "Sue Harlan", 2, Standing::OnHold, false},
    {"1006", "Frontier Flatbed Co.", "Dodge City", "KS", "Ray Dunn", 1, Standing::Good, true},
    {"1007", "Great Plains Grain", "Garden City", "KS", "Ellen Marsh", 2, Standing::Near, false},
    {"1008", "Heartland Reefer Service", "Springfield", "MO", "Tom O'Neill", 3, Standing::Good, true},
    {"1009", "Iron Horse Logistics", "Oklahoma City", "OK", "Pat Rivers", 1, Standing::Inactive, false},
    {"1010", "J & R Trucking", "Lubbock", "TX", "Jerry Ruiz", 2, Standing::Good, false},
    {"1011", "Kettle Creek Carriers", "Joplin", "MO", "Anne Cole", 1, Standing::Good, false},
    {"1012", "Lone Star Livestock", "Hereford", "TX", "Bud Weaver", 2, Standing::OnHold, true},
    {"1013", "Midwest Moving & Storage", "Wichita", "KS", "Carol Stein", 1, Standing::Good, false},
    {"1014", "North Fork Timber", "Fort Smith", "AR", "Hank Blevins", 2, Standing::Good, false},
    {"1015", "Ozark Mountain Express", "Branson", "MO", "Gail Moss", 1, Standing::Near, false},
    {"1016", "Panhandle Petroleum Haulers", "Pampa", "TX", "Vic Lowry", 2, Standing::Good, true},
    {"1017", "Red River Transport", "Wichita Falls", "TX", "Dot Pruitt", 1, Standing::Good, false},
    {"1018", "Santa Fe Trail Freight", "Albuquerque", "NM", "Manny Baca", 2, Standing::Good, false},
    {"1019", "Route 66 Auto Transport", "Tulsa", "OK", "Kay Lin", 1, Standing::Good, false},
    {"1020", "Smith Trucking", "Carthage", "MO", "Bob Smith", 2, Standing::Good, false},
};

const char *const kClerks[] = {"BETH", "CARLOS", "DEB", "MIKE", "TINA"};

// The demo's logins get their hashes once per process: a hash takes a tenth of a second
// by design, and tests fill many demo databases.
QString demoHash(const QString &customerId)
{
    static QHash<QString, QString> made;
    auto found = made.constFind(customerId);
    if (found == made.constEnd())
        found = made.insert(customerId, WebPassword::hash(DatabaseTool::demoPassword(customerId)));
    return *found;
}

class Writer
{
public:
    explicit Writer(Db &db) : m_db(db) {}

    QVariant when(const QDateTime &t) const { return m_db.dialect().dateTimeValue(t); }
    QVariant day(const QDate &d) const { return m_db.dialect().dateValue(d); }
    QVariant flag(bool b) const { return m_db.dialect().flag(b); }

    Db &m_db;
};

} // namespace

namespace DatabaseTool {

QString demoPassword(const QString &customerId) { return QStringLiteral("fleet%1").arg(customerId); }

QStringList tableNames()
{
    QStringList names;
    for (const SchemaTable &table : SchemaTables::all())
        names << table.name;
    return names;
}

QStringList schemaStatements(const SqlDialect &dialect)
{
    QStringList statements;
    for (const SchemaTable &table : SchemaTables::all())
        statements << dialect.createTable(table);
    for (const SchemaIndex &index : SchemaTables::indexes())
        statements << dialect.createIndex(index);
    statements << customerTotalsStatements(dialect);
    statements << dialect.createTable(SchemaTables::versionTable());
    return statements;
}

QStringList customerTotalsStatements(const SqlDialect &dialect)
{
    const SchemaTable &totals = SchemaTables::customerTotalsTable();
    QStringList statements{dialect.createTable(totals)};
    for (const SchemaTotal &total : SchemaTables::customerTotals())
        statements << dialect.keepTotal(totals, total);
    return statements;
}

qint64 refillCustomerTotals(Db &db)
{
    const SchemaTable &totals = SchemaTables::customerTotalsTable();
    db.exec(QStringLiteral("DELETE FROM ") + totals.name);
    for (const SchemaTotal &total : SchemaTables::customerTotals())
        db.exec(QStringLiteral("INSERT INTO %1 (%2, %3) SELECT %4, SUM(COALESCE(%5, 0)) FROM %6 WHERE %4 IS NOT NULL "
                               "GROUP BY %4 ON CONFLICT (%2) DO UPDATE SET %3 = excluded.%3")
                    .arg(totals.name, totals.primaryKey, total.column, total.key, total.amount, total.table));
    return db.firstRow(QStringLiteral("SELECT COUNT(*) FROM ") + totals.name)->value(0).toLongLong();
}

void createSchema(Db &db)
{
    Transaction transaction(db);
    for (const QString &statement : schemaStatements(db.dialect()))
        db.exec(statement);
    SchemaUpgrade::recordVersion(db, SchemaUpgrade::newestVersion());
    transaction.commit();
}

void dropSchema(Db &db)
{
    QStringList tables = tableNames();
    tables << SchemaTables::customerTotalsTable().name << SchemaTables::versionTable().name;
    Transaction transaction(db);
    for (const QString &table : tables)
        db.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(table));
    transaction.commit();
}

void fillDemo(Db &db, const QDate &today)
{
    Writer w(db);
    QRandomGenerator rng(20261209); // the same demo every time
    auto pick = [&](int n) { return int(rng.bounded(n)); };
    auto between = [&](double lo, double hi) { return lo + (hi - lo) * rng.generateDouble(); };

    Transaction transaction(db);
    for (const Location &l : kLocations) {
        db.insert(QStringLiteral("Company"),
                  {{"ID", l.id},
                   {"Name", l.name},
                   {"Address1", l.address1},
                   {"Address2", ""},
                   {"City", l.city},
                   {"State", l.state},
                   {"Zip", l.zip},
                   {"Phone", l.phone},
                   {"Fax", ""},
                   {"Email", "office@example.com"},
                   {"Website", "www.example.com"},
                   {"KeyPressDelay", 1.0},
                   {"DieselPricePerGallon", l.diesel},
                   {"ReeferPricePerGallon", l.reefer},
                   {"DiscountPricePerGallon", l.discount},
                   {"DefPricePerGallon", l.def},
                   {"WarnCustomer", 0.8},
                   {"Tax", l.tax}},
                  QString());
    }
    for (const char *state : kStates)
        db.insert(QStringLiteral("State"), {{"State", state}}, QString());
    for (const char *type : {"1", "2", "3", "4"})
        db.insert(QStringLiteral("CardType"), {{"CardType", type}}, QString());

    QHash<QString, double> owed;
    const QDate start = today.addDays(-120);
    int customerIndex = 0;
    for (const DemoCustomer &c : kCustomers) {
        const QString id = QString::fromLatin1(c.id);
        db.insert(QStringLiteral("Customer"),
                  {{"ID", id},
                   {"Name", c.name},
                   {"Address1", QStringLiteral("%1 Commerce St").arg(100 + 37 * customerIndex)},
                   {"Address2", ""},
                   {"City", c.city},
                   {"State", c.state},
                   {"Zip", QString::number(64000 + 411 * customerIndex)},
                   {"Contact", c.contact},
                   {"Phone", QString::number(4175550100LL + customerIndex)},
                   {"Fax", ""},
                   {"Inactive", w.flag(c.standing == Standing::Inactive)},
                   {"CurrentBalance", 0},
                   {"Limit", 0},
                   {"WarnAt", 0.8},
                   {"AcctOnHold", w.flag(false)},
                   {"DateEntered", w.when(QDateTime(start.addDays(-30 - customerIndex), QTime(9, 0)))}},
                  QString());
        for (int k = 1; k <= c.cards; ++k) {
            // Card types rotate so every kind of merchandise rule shows up.
            const QString type = QString::number(1 + (customerIndex + k) % 4);
            db.insert(QStringLiteral("Cards"),
                      {{"CustomerID", id},
                       {"CardNo", QStringLiteral("%1").arg(k, 2, 10, QLatin1Char('0'))},
                       {"CardType", type},
                       {"InActive", w.flag(k == 3)},
                       {"CardNote", k == 3 ? "Lost card - do not accept" : ""}},
                      QString());
        }
        if (c.webLogin)
            db.insert(QStringLiteral("WebUser"),
                      {{"CustomerID", id},
                       {"UserName", QString::fromLatin1(c.name).section(u' ', 0, 0).toLower() + id},
                       {"Password", demoHash(id)}},
                      QString());
        owed.insert(id, 0);
        ++customerIndex;
    }

    // Charge tickets, oldest first, so ticket numbers rise with time at both locations.
    const int ticketCount = 420;
    for (int t = 0; t < ticketCount; ++t) {
        const DemoCustomer &c = kCustomers[pick(int(std::size(kCustomers)))];
        const Location &l = kLocations[pick(3) == 0 ? 1 : 0];
        const QDateTime at(start.addDays(t * 120 / ticketCount), QTime(6 + pick(14), pick(60), pick(60)));
        using namespace TicketLines;
        DemoLines lines;
        lines.gallons[Diesel] = Numbers::roundHalfEven(between(40, 180), 3);
        lines.each[Diesel] = l.diesel;
        if (pick(3) == 0) {
            lines.gallons[Reefer] = Numbers::roundHalfEven(between(10, 60), 3);
            lines.each[Reefer] = l.reefer;
        }
        if (pick(8) == 0) {
            lines.gallons[Gas] = Numbers::roundHalfEven(between(8, 25), 3);
            lines.each[Gas] = 3.199;
        }
        if (pick(4) == 0) {
            lines.gallons[Def] = Numbers::roundHalfEven(between(2, 10), 3);
            lines.each[Def] = l.def;
        }
        lines.each[Discount] = l.discount;
        if (pick(3) == 0)
            lines.merch[pick(7)] = Numbers::roundHalfEven(between(3, 45), 2);
        lines.tax = l.tax;
        const QString customerId = QString::fromLatin1(c.id);
        const QString cardNo = QStringLiteral("%1").arg(1 + pick(std::min(c.cards, 2)), 2, 10, QLatin1Char('0'));
        TicketDetails details;
        details.clerk = QLatin1String(kClerks[pick(5)]);
        details.truckNumber = QString::number(100 + pick(400));
        details.mileage = QString::number(100000 + pick(600000));
        details.license = QStringLiteral("D%1").arg(1000000 + pick(8999999));
        details.driverId = QString::number(10 + pick(90));
        details.trip = QString::number(5000 + t);
        details.trailer = pick(2) ? QStringLiteral("T%1").arg(pick(900)) : QString();
        ColumnValues columns = {{"CustomerID", customerId}, {"CardNo", cardNo}};
        columns += lines.columns(details);
        columns += {{"WorkStationID", l.id == 1 ? "COUNTER1" : "EAST1"}, {"Location", l.id}, {"DateEntered", w.when(at)}};
        db.insert(QStringLiteral("Tickets"), columns);
        owed[QString::fromLatin1(c.id)] += lines.total();
    }

    // Payments: most accounts pay part of what they owe each month.
    for (const DemoCustomer &c : kCustomers) {
        const QString id = QString::fromLatin1(c.id);
        if (c.standing == Standing::OnHold || c.standing == Standing::Near)
            continue;
        for (int month = 1; month <= 3; ++month) {
            const double amount = money(owed.value(id) * 0.25);
            if (amount <= 0)
                continue;
            const QDate paid = start.addDays(30 * month + pick(5));
            db.insert(QStringLiteral("Payments"), {{"Customer", id},
                                                   {"PaymentDate", w.day(paid)},
                                                   {"Amount", amount},
                                                   {"CheckNum", QString::number(2000 + pick(8000))},
                                                   {"EntryDate", w.when(QDateTime(paid, QTime(15, 30)))}});
            owed[id] -= amount;
        }
    }

    // Limits against what is owed: good standing well above, near at about 85 per cent,
    // on hold just below the balance; balance and hold flag posted as the program would.
    for (const DemoCustomer &c : kCustomers) {
        const QString id = QString::fromLatin1(c.id);
        const double balance = money(owed.value(id));
        double limit = 0;
        switch (c.standing) {
        case Standing::Good:
        case Standing::Inactive:
            limit = std::max(5000.0, std::ceil(balance * 2.5 / 500) * 500);
            break;
        case Standing::Near:
            limit = std::ceil(balance / 0.85 / 100) * 100;
            break;
        case Standing::OnHold:
            limit = std::max(500.0, std::floor(balance * 0.95 / 100) * 100);
            break;
        }
        db.exec(QStringLiteral("UPDATE Customer SET CurrentBalance = ?, %1 = ?, AcctOnHold = ? WHERE ID = ?")
                    .arg(db.dialect().limitColumn()),
                {balance, limit, w.flag(balance >= limit), id});
    }

    // Cash tickets for walk-in customers.
    const char *const walkIns[] = {"Joe's Towing", "M. Alvarez", "Prairie Farms Co-op", "O'Malley Hauling", "Cash Customer"};
    for (int t = 0; t < 60; ++t) {
        const Location &l = kLocations[pick(3) == 0 ? 1 : 0];
        using namespace TicketLines;
        DemoLines lines;
        lines.gallons[Diesel] = Numbers::roundHalfEven(between(20, 120), 3);
        lines.each[Diesel] = l.diesel;
        if (pick(2) == 0)
            lines.merch[Grocery] = Numbers::roundHalfEven(between(2, 25), 2);
        lines.tax = l.tax;
        const QString customer = QLatin1String(walkIns[pick(5)]);
        TicketDetails details;
        details.clerk = QLatin1String(kClerks[pick(5)]);
        details.truckNumber = QString::number(pick(99));
        ColumnValues columns = {{"Customer", customer}, {"Address1", "General Delivery"}, {"Address2", ""}};
        columns += lines.columns(details);
        columns += {{"WorkStationID", l.id == 1 ? "COUNTER1" : "EAST1"},
                    {"Location", l.id},
                    {"DateEntered", w.when(QDateTime(start.addDays(t * 2), QTime(7 + pick(12), pick(60))))}};
        db.insert(QStringLiteral("CashTickets"), columns);
    }

    // Gift cards: each first sold, some reloaded and spent; the balance follows.
    for (int g = 0; g < 12; ++g) {
        const QString card = QString::number(600100001 + g * 7);
        const Location &l = kLocations[g % 2];
        const QDateTime sold(start.addDays(g * 9), QTime(10, 15));
        const double first = 25.0 * (1 + g % 4);
        double balance = first;
        auto transaction = [&](const QDateTime &at, const char *type, double amount, const QString &clerk) {
            db.insert(QStringLiteral("GiftCardTransactions"), {{"CardID", card},
                                                               {"TransactionDate", w.when(at)},
                                                               {"TransactionType", type},
                                                               {"Amount", amount},
                                                               {"Clerk", clerk},
                                                               {"WorkStationID", l.id == 1 ? "COUNTER1" : "EAST1"},
                                                               {"Location", l.id}});
        };
        transaction(sold, "Gift Card Purchase", first, kClerks[g % 5]);
        if (g % 3 == 0) {
            transaction(sold.addDays(5), "Gift Card Purchase", 20.0, kClerks[(g + 1) % 5]);
            balance += 20.0;
        }
        for (int r = 0; r < g % 4 && balance > 0; ++r) {
            const double spent = std::min(balance, money(between(5, 30)));
            transaction(sold.addDays(8 + r * 6), "Gift Card Redemption", spent, kClerks[(g + r) % 5]);
            balance = money(balance - spent);
        }
        if (g % 5 == 1)
            transaction(sold.addDays(40), "Gift Card Inquiry", 0, "NA");
        db.insert(QStringLiteral("GiftCards"),
                  {{"ID", card},
                   {"DateActivated", w.when(sold)},
                   {"ActivatedBy", kClerks[g % 5]},
                   {"ActivationAmount", first},
                   {"CardBalance", balance},
                   {"Active", w.flag(true)},
                   {"Notes", g == 4 ? "Birthday gift" : ""},
                   {"WorkStationID", l.id == 1 ? "COUNTER1" : "EAST1"},
                   {"Location", l.id}},
                  QString());
    }
    transaction.commit();
}

void fillVolume(Db &db, int customers, int tickets, const QDate &today)
{
    Writer w(db);
    QRandomGenerator rng(42);
    Transaction transaction(db);
    QSqlQuery customer(db.database());
    customer.prepare(
        QStringLiteral(
            "INSERT INTO Customer (ID, Name, City, State, Inactive, CurrentBalance, %1, WarnAt, AcctOnHold, DateEntered) "
            "VALUES (?, ?, 'Springfield', 'MO', 0, 0, 1000000, 0.8, 0, ?)")
            .arg(db.dialect().limitColumn()));
    QSqlQuery card(db.database());
    card.prepare(
        QStringLiteral("INSERT INTO Cards (CustomerID, CardNo, CardType, InActive, CardNote) VALUES (?, '01', '1', 0, '')"));
    for (int i = 0; i < customers; ++i) {
        const QString id = QStringLiteral("V%1").arg(i, 3, 36, QLatin1Char('0')).toUpper();
        customer.addBindValue(id);
        customer.addBindValue(QStringLiteral("Volume Customer %1").arg(i));
        customer.addBindValue(w.when(QDateTime(today.addYears(-1), QTime(8, 0))));
        if (!customer.exec())
            throw DbError(customer.lastError().databaseText(), customer.lastQuery());
        card.addBindValue(id);
        if (!card.exec())
            throw DbError(card.lastError().databaseText(), card.lastQuery());
    }
    QSqlQuery ticket(db.database());
    ticket.prepare(QStringLiteral("INSERT INTO Tickets (CustomerID, CardNo, Clerk, TruckNumber, DieselGallons, DieselPriceEach, "
                                  "DieselPriceExt, Subtotal, Tax, Total, WorkStationID, Location, DateEntered) "
                                  "VALUES (?, '01', 'BENCH', '1', ?, 3.899, ?, ?, 0, ?, 'BENCH', ?, ?)"));
    const QDateTime first(today.addYears(-1), QTime(0, 0, 1));
    for (int t = 0; t < tickets; ++t) {
        const int c = int(rng.bounded(customers));
        const double gallons = 50 + rng.bounded(150);
        const double ext = money(gallons * 3.899);
        ticket.addBindValue(QStringLiteral("V%1").arg(c, 3, 36, QLatin1Char('0')).toUpper());
        ticket.addBindValue(gallons);
        ticket.addBindValue(ext);
        ticket.addBindValue(ext);
        ticket.addBindValue(ext);
        ticket.addBindValue(1 + t % 2);
        ticket.addBindValue(w.when(first.addSecs(qint64(t) * 365 * 86400 / std::max(tickets, 1))));
        if (!ticket.exec())
            throw DbError(ticket.lastError().databaseText(), ticket.lastQuery());
    }
    db.exec(QStringLiteral("UPDATE Customer SET CurrentBalance = %1 WHERE ID LIKE 'V%'")
                .arg(db.dialect().money(
                    db.dialect().ifNull(QStringLiteral("(SELECT SUM(Total) FROM Tickets WHERE Tickets.CustomerID = Customer.ID)"),
                                        QStringLiteral("0")))));
    transaction.commit();
}

QString customerVolumeId(int n) { return QStringLiteral("C%1").arg(n, 3, 36, QLatin1Char('0')).toUpper(); }

void fillCustomerVolume(Db &db, int customers, int cards, const QDate &today)
{
    if (customers <= 0)
        return;
    Writer w(db);
    Transaction transaction(db);
    QSqlQuery customer(db.database());
    customer.prepare(QStringLiteral("INSERT INTO Customer (ID, Name, Address1, City, State, Zip, Contact, Phone, Inactive, "
                                    "CurrentBalance, %1, WarnAt, AcctOnHold, DateEntered) "
                                    "VALUES (?, ?, '1 Main St', 'Springfield', 'MO', '65801', 'Office', '4175550100', 0, 0, "
                                    "5000, 0.8, 0, ?)")
                         .arg(db.dialect().limitColumn()));
    QSqlQuery login(db.database());
    login.prepare(QStringLiteral("INSERT INTO WebUser (CustomerID, UserName, Password) VALUES (?, ?, ?)"));
    // One hash for every volume login: a hash takes a tenth of a second by design, and
    // the benchmarks only need logins that look like real ones.
    const QString hashed = WebPassword::hash(QStringLiteral("fleetvolume"));
    auto run = [](QSqlQuery &query) {
        if (!query.exec())
            throw DbError(query.lastError().databaseText(), query.lastQuery());
    };
    for (int i = 0; i < customers; ++i) {
        const QString id = customerVolumeId(i);
        customer.addBindValue(id);
        customer.addBindValue(QStringLiteral("Fleet Customer %1").arg(i));
        customer.addBindValue(w.when(QDateTime(today.addYears(-1), QTime(8, 0))));
        run(customer);
        login.addBindValue(id);
        login.addBindValue(QStringLiteral("fleet") + id.toLower());
        login.addBindValue(hashed);
        run(login);
    }
    QSqlQuery card(db.database());
    card.prepare(QStringLiteral("INSERT INTO Cards (CustomerID, CardNo, CardType, InActive, CardNote) VALUES (?, ?, ?, 0, ?)"));
    for (int k = 0; k < cards; ++k) {
        card.addBindValue(customerVolumeId(k % customers));
        card.addBindValue(QStringLiteral("%1").arg(1 + k / customers, 2, 10, QLatin1Char('0')));
        card.addBindValue(QString::number(1 + k % 4));
        card.addBindValue(k % 7 == 0 ? QStringLiteral("Driver card") : QString());
        run(card);
    }
    transaction.commit();
}

void fillCashVolume(Db &db, int names, int tickets, const QDate &today)
{
    if (names <= 0)
        return;
    Writer w(db);
    QRandomGenerator rng(4242);
    // Names that do not arrive in order, so that a list kept up to date has to place them.
    const char *const first[] = {"Acme",      "Baker",    "Prairie", "Lone Star", "Red River",   "Canyon",
                                 "Panhandle", "O'Malley", "Mesa",    "Sooner",    "High Plains", "Dale's"};
    const char *const kind[] = {"Towing", "Hauling", "Farms", "Freight", "Express", "Ranch", "Transport", "Co-op"};
    QStringList customers;
    customers.reserve(names);
    for (int i = 0; i < names; ++i)
        customers
            << QStringLiteral("%1 %2 %3").arg(QLatin1String(first[rng.bounded(12)]), QLatin1String(kind[rng.bounded(8)])).arg(i);
    Transaction transaction(db);
    QSqlQuery ticket(db.database());
    ticket.prepare(QStringLiteral("INSERT INTO CashTickets (Customer, Address1, Address2, Clerk, TruckNumber, Mileage, "
                                  "License, DriverID, Trip, Trailer, DieselGallons, DieselPriceEach, DieselPriceExt, "
                                  "Subtotal, Tax, Total, WorkStationID, Location, DateEntered) "
                                  "VALUES (?, ?, '', 'BENCH', ?, '', '', '', '', '', ?, 3.899, ?, ?, 0, ?, 'BENCH', ?, ?)"));
    const QDateTime start(today.addYears(-1), QTime(0, 0, 1));
    for (int t = 0; t < tickets; ++t) {
        const int c = t < names ? t : int(rng.bounded(names));
        const double gallons = 20 + rng.bounded(100);
        const double ext = money(gallons * 3.899);
        const QVariantList values = {customers[c],
                                     QStringLiteral("%1 Route %2").arg(c % 900 + 100).arg(c % 66 + 1),
                                     QString::number(rng.bounded(999)),
                                     gallons,
                                     ext,
                                     ext,
                                     ext,
                                     1 + t % 2,
                                     w.when(start.addSecs(qint64(t) * 365 * 86400 / std::max(tickets, 1)))};
        for (const QVariant &value : values)
            ticket.addBindValue(value);
        if (!ticket.exec())
            throw DbError(ticket.lastError().databaseText(), ticket.lastQuery());
    }
    transaction.commit();
}

} // namespace DatabaseTool

namespace {

using DatabaseTool::ChainVolume;

// The numbers 1..n as the rows of one column i, made by the server in rising order, so
// that rows inserted from them get their keys in the order of i.
QString numberRows(const Db &db, qint64 n)
{
    if (db.dialect().name() == QLatin1String("SQLite"))
        return QStringLiteral(
                   "(WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < %1) SELECT i FROM s) AS n")
            .arg(n);
    // 64-bit from the start: the spreading products below pass 2^31.
    return QStringLiteral("generate_series(CAST(1 AS BIGINT), %1) AS n(i)").arg(n);
}

// The date and time `seconds` (an SQL expression) after `start`.
QString stampAfter(const Db &db, const QDateTime &start, const QString &seconds)
{
    const QString from = start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (db.dialect().name() == QLatin1String("SQLite"))
        return QStringLiteral("datetime('%1', '+' || (%2) || ' seconds')").arg(from, seconds);
    return QStringLiteral("(TIMESTAMP '%1' + (%2) * INTERVAL '1 second')").arg(from, seconds);
}

QString dayAfter(const Db &db, const QDateTime &start, const QString &seconds)
{
    if (db.dialect().name() == QLatin1String("SQLite"))
        return QStringLiteral("date(%1)").arg(stampAfter(db, start, seconds));
    return QStringLiteral("CAST(%1 AS DATE)").arg(stampAfter(db, start, seconds));
}

// The i-th of n rows' offset in seconds, spread evenly over `seconds`: rows made in order
// of i come in time order, as ticket numbers rise with time.
QString spread(qint64 n, qint64 seconds) { return QStringLiteral("(i - 1) * %1 / %2").arg(seconds).arg(n); }

// A location's prices in thousandths of a dollar and its tax rate in hundredths of a per
// cent, as SQL over the location's number `loc`: the Company rows and the tickets read
// the same expressions, so every ticket carries its location's prices.
struct ChainPrices
{
    QString each[TicketLines::FuelRowCount];
    QString taxRate;

    explicit ChainPrices(const QString &loc)
    {
        using namespace TicketLines;
        each[Gas] = QStringLiteral("(3099 + %1 % 10 * 10)").arg(loc);
        each[Diesel] = QStringLiteral("(3799 + %1 % 20 * 5)").arg(loc);
        each[Reefer] = QStringLiteral("(3399 + %1 % 20 * 5)").arg(loc);
        each[Discount] = QStringLiteral("(-30 - %1 % 3 * 10)").arg(loc);
        each[Def] = QStringLiteral("(3899 + %1 % 5 * 10)").arg(loc);
        taxRate = QStringLiteral("(700 + %1 % 30 * 5)").arg(loc);
    }
};

// Cents of gallons (thousandths) at a price (thousandths of a dollar), rounded half away
// from zero: integer arithmetic on either server.
QString centsOf(const QString &gallons, const QString &each)
{
    return QStringLiteral("(CASE WHEN %1 * %2 < 0 THEN -((-(%1 * %2) + 5000) / 10000) ELSE (%1 * %2 + 5000) / 10000 END)")
        .arg(gallons, each);
}

void fillChainLocations(Db &db, const ChainVolume &v)
{
    using namespace TicketLines;
    const ChainPrices prices(QStringLiteral("i"));
    const SqlDialect &sql = db.dialect();
    db.exec(QStringLiteral("INSERT INTO Company (ID, Name, Address1, Address2, City, State, Zip, Phone, Fax, Email, Website, "
                           "KeyPressDelay, DieselPricePerGallon, ReeferPricePerGallon, DiscountPricePerGallon, "
                           "DefPricePerGallon, WarnCustomer, Tax, PaymentTerms) "
                           "SELECT i, 'Crossroads Fuel Stop ' || %1, %1 || ' Interstate Dr', '', 'Springfield', 'MO', "
                           "%2, %3, '', 'office@example.com', 'www.example.com', 1.0, "
                           "%4 / 1000.0, %5 / 1000.0, %6 / 1000.0, %7 / 1000.0, 0.8, %8 / 10000.0, 30 FROM %9")
                .arg(sql.castToText(QStringLiteral("i")), sql.castToText(QStringLiteral("65800 + i")),
                     sql.castToText(QStringLiteral("4175550000 + i")), prices.each[Diesel], prices.each[Reefer],
                     prices.each[Discount], prices.each[Def], prices.taxRate, numberRows(db, v.locations)));
}

void fillChainCustomers(Db &db, const ChainVolume &v, const QDateTime &start)
{
    const SqlDialect &sql = db.dialect();
    const QString n = QStringLiteral("(i - 1)");
    // Limits from $20,000 to $110,000 in steps of 10,000, but $2,500 for one customer in
    // ten (some of them end up on hold); one customer in 97 inactive; one in five with
    // terms of its own.
    db.exec(QStringLiteral("INSERT INTO Customer (ID, Name, Address1, Address2, City, State, Zip, Contact, Phone, Fax, "
                           "Inactive, CurrentBalance, %1, WarnAt, AcctOnHold, DateEntered, PaymentTerms) "
                           "SELECT %2, 'Fleet ' || %2 || ' Transport', %3 || ' Commerce St', '', 'Joplin', "
                           "CASE %4 % 4 WHEN 0 THEN 'MO' WHEN 1 THEN 'TX' WHEN 2 THEN 'KS' ELSE 'OK' END, "
                           "%5, 'Dispatch', %6, '', CASE WHEN %4 % 97 = 0 THEN 1 ELSE 0 END, 0, "
                           "CASE WHEN %4 % 10 = 0 THEN 2500 ELSE 20000 + %4 / 10 % 10 * 10000 END, 0.8, 0, %7, CASE WHEN %4 % 5 "
                           "= 0 THEN 15 END FROM %8")
                .arg(sql.limitColumn(), sql.castToText(QStringLiteral("10000 + ") + n),
                     sql.castToText(QStringLiteral("100 + %1 % 9000").arg(n)), n,
                     sql.castToText(QStringLiteral("64000 + %1 % 999").arg(n)),
                     sql.castToText(QStringLiteral("4170000000 + %1").arg(n)), stampAfter(db, start, QStringLiteral("0")),
                     numberRows(db, v.customers)));
    // One to three cards each: card k of customer n exists when k <= 1 + n % 3.
    db.exec(QStringLiteral("INSERT INTO Cards (CustomerID, CardNo, CardType, InActive, CardNote) "
                           "SELECT %1, '0' || %2, %3, 0, '' FROM %4 WHERE (i - 1) % 3 <= (i - 1) / 3 % 3")
                .arg(sql.castToText(QStringLiteral("10000 + (i - 1) / 3")), sql.castToText(QStringLiteral("1 + (i - 1) % 3")),
                     sql.castToText(QStringLiteral("1 + (i - 1) / 3 % 4")), numberRows(db, v.customers * 3)));
}

void fillChainTickets(Db &db, const ChainVolume &v, const QDateTime &start, qint64 seconds)
{
    using namespace TicketLines;
    const SqlDialect &sql = db.dialect();
    const ChainPrices prices(QStringLiteral("loc"));
    // Gallons in thousandths: diesel on every ticket, reefer on a third, gas on an
    // eighth, DEF on a quarter; the discount on the diesel and reefer gallons. A
    // merchandise amount (in cents) on a third of the tickets, in one of the seven lines.
    QString gallons[FuelRowCount];
    gallons[Gas] = QStringLiteral("CASE WHEN i % 8 = 0 THEN 8000 + i * 11 % 17000 ELSE 0 END");
    gallons[Diesel] = QStringLiteral("40000 + i * 37 % 140000");
    gallons[Reefer] = QStringLiteral("CASE WHEN i % 3 = 0 THEN 10000 + i * 53 % 50000 ELSE 0 END");
    gallons[Def] = QStringLiteral("CASE WHEN i % 4 = 0 THEN 2000 + i * 13 % 8000 ELSE 0 END");
    QStringList first = {QStringLiteral("i"), QStringLiteral("i * 7919 % %1 AS c").arg(v.customers),
                         QStringLiteral("i % %1 + 1 AS loc").arg(v.locations),
                         QStringLiteral("CASE WHEN i % 3 = 1 THEN 300 + i * 29 % 4200 ELSE 0 END AS merch"),
                         QStringLiteral("i / 3 % %1 AS which").arg(MerchandiseCount)};
    for (int r : {Gas, Diesel, Reefer, Def})
        first << QStringLiteral("%1 AS g%2").arg(gallons[r]).arg(r);
    // Second: each line's price and cents.
    QStringList second = {QStringLiteral("a.*"), prices.taxRate + QStringLiteral(" AS rate")};
    for (int r = 0; r < FuelRowCount; ++r) {
        const QString g = r == Discount ? QStringLiteral("(g%1 + g%2)").arg(Diesel).arg(Reefer) : QStringLiteral("g%1").arg(r);
        second << QStringLiteral("%1 AS e%2").arg(prices.each[r]).arg(r) << QStringLiteral("%1 AS q%2").arg(g).arg(r)
               << QStringLiteral("%1 AS x%2").arg(centsOf(g, prices.each[r])).arg(r);
    }
    // Third: subtotal and tax in cents (the tax on the merchandise only).
    QString subtotal = QStringLiteral("merch");
    for (int r = 0; r < FuelRowCount; ++r)
        subtotal += QStringLiteral(" + x%1").arg(r);
    const QString third = QStringLiteral("b.*, %1 AS sub, (merch * rate + 5000) / 10000 AS tax").arg(subtotal);

    QStringList columns = {QStringLiteral("CustomerID"),  QStringLiteral("CardNo"),  QStringLiteral("Clerk"),
                           QStringLiteral("TruckNumber"), QStringLiteral("Mileage"), QStringLiteral("License"),
                           QStringLiteral("DriverID"),    QStringLiteral("Trip"),    QStringLiteral("Trailer")};
    QStringList values = {
        sql.castToText(QStringLiteral("10000 + c")),
        QStringLiteral("'0' || ") + sql.castToText(QStringLiteral("1 + i % (1 + c % 3)")),
        QStringLiteral("CASE i % 5 WHEN 0 THEN 'BETH' WHEN 1 THEN 'CARLOS' WHEN 2 THEN 'DEB' WHEN 3 THEN 'MIKE' ELSE 'TINA' END"),
        sql.castToText(QStringLiteral("100 + i * 7 % 900")),
        sql.castToText(QStringLiteral("100000 + i * 13 % 600000")),
        QStringLiteral("'D' || ") + sql.castToText(QStringLiteral("1000000 + i * 17 % 8999999")),
        sql.castToText(QStringLiteral("10 + i % 90")),
        sql.castToText(QStringLiteral("5000 + i % 5000")),
        QStringLiteral("CASE WHEN i % 2 = 0 THEN 'T' || %1 ELSE '' END").arg(sql.castToText(QStringLiteral("i % 900")))};
    for (int r = 0; r < FuelRowCount; ++r) {
        const FuelLine &line = fuelLines()[r];
        columns << line.gallonsColumn() << line.priceEachColumn() << line.priceExtColumn();
        values << QStringLiteral("q%1 / 1000.0").arg(r) << QStringLiteral("e%1 / 1000.0").arg(r)
               << QStringLiteral("x%1 / 100.0").arg(r);
    }
    for (int m = 0; m < MerchandiseCount; ++m) {
        columns << merchandiseLines()[m].column;
        values << QStringLiteral("CASE WHEN which = %1 THEN merch ELSE 0 END / 100.0").arg(m);
    }
    columns << QStringLiteral("Subtotal") << QStringLiteral("Tax") << QStringLiteral("Total") << QStringLiteral("WorkStationID")
            << QStringLiteral("Location") << QStringLiteral("DateEntered");
    values << QStringLiteral("sub / 100.0") << QStringLiteral("tax / 100.0") << QStringLiteral("(sub + tax) / 100.0")
           << QStringLiteral("'COUNTER' || ") + sql.castToText(QStringLiteral("1 + i / %1 % 3").arg(v.locations))
           << QStringLiteral("loc") << stampAfter(db, start, spread(v.tickets, seconds));
    db.exec(
        QStringLiteral("INSERT INTO Tickets (%1) SELECT %2 FROM (SELECT %3 FROM (SELECT %4 FROM (SELECT %5 FROM %6) AS a) "
                       "AS b) AS t")
            .arg(columns.join(u','), values.join(u','), third, second.join(u','), first.join(u','), numberRows(db, v.tickets)));
}

void fillChainPayments(Db &db, const ChainVolume &v, const QDateTime &start, qint64 seconds)
{
    const SqlDialect &sql = db.dialect();
    // $1,400 to $3,200 a check, a little less than a customer is charged over the same
    // time, so most accounts owe something; one in 997 a returned check (a negative
    // amount).
    const QString when = spread(v.payments, seconds);
    db.exec(QStringLiteral("INSERT INTO Payments (Customer, PaymentDate, Amount, CheckNum, EntryDate) "
                           "SELECT %1, %2, CASE WHEN i % 997 = 0 THEN -1 ELSE 1 END * (140000 + i * 31 % 180000) / 100.0, "
                           "%3, %4 FROM %5")
                .arg(sql.castToText(QStringLiteral("10000 + i * 7919 % %1").arg(v.customers)), dayAfter(db, start, when),
                     sql.castToText(QStringLiteral("1000 + i % 9000")), stampAfter(db, start, when), numberRows(db, v.payments)));
}

void fillChainGiftCards(Db &db, const ChainVolume &v, const QDateTime &start, qint64 seconds)
{
    const SqlDialect &sql = db.dialect();
    // Five transactions a card, one after the other: sold for $50, $20 spent, reloaded
    // with $25, $30 spent, an inquiry.
    db.exec(QStringLiteral("INSERT INTO GiftCardTransactions (CardID, TransactionDate, TransactionType, Amount, Clerk, "
                           "WorkStationID, Location) "
                           "SELECT %1, %2, CASE (i - 1) % 5 WHEN 0 THEN 'Gift Card Purchase' WHEN 1 THEN 'Gift Card Redemption' "
                           "WHEN 2 THEN 'Gift Card Purchase' WHEN 3 THEN 'Gift Card Redemption' ELSE 'Gift Card Inquiry' END, "
                           "CASE (i - 1) % 5 WHEN 0 THEN 50 WHEN 1 THEN 20 WHEN 2 THEN 25 WHEN 3 THEN 30 ELSE 0 END, "
                           "CASE (i - 1) % 5 WHEN 4 THEN 'NA' ELSE 'BETH' END, 'COUNTER1', (i - 1) / 5 % %3 + 1 FROM %4")
                .arg(sql.castToText(QStringLiteral("600000000 + (i - 1) / 5")),
                     stampAfter(db, start, spread(v.giftCardTransactions, seconds)))
                .arg(v.locations)
                .arg(numberRows(db, v.giftCardTransactions)));
    db.exec(QStringLiteral(
        "INSERT INTO GiftCards (ID, DateActivated, ActivatedBy, ActivationAmount, CardBalance, Active, Notes, WorkStationID, "
        "Location) "
        "SELECT CardID, MIN(TransactionDate), 'BETH', 50, "
        "SUM(CASE TransactionType WHEN 'Gift Card Purchase' THEN Amount WHEN 'Gift Card Redemption' THEN -Amount ELSE 0 END), "
        "1, '', 'COUNTER1', MIN(Location) FROM GiftCardTransactions GROUP BY CardID"));
}

// Every customer's balance from its tickets less its payments, and the hold flag of
// those at their limit: grouped once over each table.
void postChainBalances(Db &db)
{
    const SqlDialect &sql = db.dialect();
    db.exec(QStringLiteral("UPDATE Customer SET CurrentBalance = %1 FROM (SELECT ID, SUM(Amount) AS Amount FROM "
                           "(SELECT CustomerID AS ID, Total AS Amount FROM Tickets "
                           "UNION ALL SELECT Customer, -Amount FROM Payments) AS Entries GROUP BY ID) AS Owed "
                           "WHERE Owed.ID = Customer.ID")
                .arg(sql.money(QStringLiteral("Owed.Amount"))));
    db.exec(QStringLiteral("UPDATE Customer SET AcctOnHold = 1 WHERE CurrentBalance >= %1").arg(sql.limitColumn()));
}

} // namespace

namespace DatabaseTool {

ChainVolume ChainVolume::at(double scale)
{
    ChainVolume v;
    auto scaled = [scale](qint64 full) { return std::max<qint64>(1, qRound64(double(full) * scale)); };
    v.customers = scaled(v.customers);
    v.tickets = scaled(v.tickets);
    v.payments = scaled(v.payments);
    v.giftCardTransactions = scaled(v.giftCardTransactions);
    return v;
}

QString chainCustomerId(qint64 n) { return QString::number(10000 + n); }

void fillChain(Db &db, const ChainVolume &v, const QDate &today)
{
    const QDateTime start(today.addYears(-5).addDays(1), QTime(0, 0));
    const qint64 seconds = qint64(start.date().daysTo(today) + 1) * 86400;
    const bool sqlite = db.dialect().name() == QLatin1String("SQLite");
    // SQLite loads a new file fastest with a rollback journal (new pages are not
    // journalled, so it stays small) and without waiting for the disk after each page;
    // the whole fill is still one transaction, and the usual settings come back after it.
    if (sqlite) {
        db.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
        db.exec(QStringLiteral("PRAGMA synchronous=OFF"));
        db.exec(QStringLiteral("PRAGMA cache_size=-262144"));
        db.exec(QStringLiteral("PRAGMA temp_store=MEMORY"));
    }
    {
        Transaction transaction(db);
        // The indexes of the big tables are made again once their rows are in: one sort
        // instead of millions of insertions into them.
        QList<SchemaIndex> rebuilt;
        for (const SchemaIndex &index : SchemaTables::indexes())
            if (QStringList{QStringLiteral("Tickets"), QStringLiteral("Payments"), QStringLiteral("GiftCardTransactions"),
                            QStringLiteral("Cards")}
                    .contains(index.table)) {
                rebuilt << index;
                db.exec(QStringLiteral("DROP INDEX %1").arg(index.name));
            }
        for (const char *state : kStates)
            db.insert(QStringLiteral("State"), {{"State", state}}, QString());
        for (const char *type : {"1", "2", "3", "4"})
            db.insert(QStringLiteral("CardType"), {{"CardType", type}}, QString());
        fillChainLocations(db, v);
        fillChainCustomers(db, v, start);
        fillChainTickets(db, v, start, seconds);
        fillChainPayments(db, v, start, seconds);
        fillChainGiftCards(db, v, start, seconds);
        for (const SchemaIndex &index : rebuilt)
            db.exec(db.dialect().createIndex(index));
        postChainBalances(db);
        transaction.commit();
    }
    if (sqlite) {
        db.exec(QStringLiteral("PRAGMA synchronous=FULL"));
        db.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    }
    // The planner's figures for the new rows; on PostgreSQL also the map of pages every
    // reader sees whole, without which no index serves a query alone.
    db.exec(sqlite ? QStringLiteral("ANALYZE") : QStringLiteral("VACUUM ANALYZE"));
}

} // namespace DatabaseTool
