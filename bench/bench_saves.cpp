// What every save the screens make costs, beside what the database itself needs for it.
// Each road is driven through its screen as a clerk drives it, printing replaced by a
// printer that always succeeds, from the entry (the account, card or customer) to the
// screen ready for the next one. Beside it the statements that road must run, written
// below as literal SQL, are run by the servers' own clients: the sqlite3 shell reading
// one script, and pgbench over loopback running one save per transaction of its script.
//
// The roads:
//   charge ticket   Enter on the account number, the lines, Print/Save
//   reprint         a stored ticket shown, a line changed (so money moves), Print/Save
//   cash ticket     the name and lines typed, Print
//   payment         the customer picked, an amount, Save
//   gift card sale  a new card swiped, an amount, Print/Save
//   redemption      a card swiped, an amount, Print/Save
//
// Per save: the program's time, the bare client's time, their ratio, and the statements
// and round trips the program asked of the server (see Db::Traffic). Beside the wall
// times, the CPU time each side used on the client's side (SQLite's own work included, a
// PostgreSQL server's not): a disk whose flushes swing with the machine's other work
// moves both wall times, while the CPU times show the program's own work per save.
//
//   bench_saves [SAVES] [ROUNDS]   (defaults 200 and 3: each road's program and bare
//                                   client side by side, the fastest round counting;
//                                   PostgreSQL too when AMS_TEST_PG is set)

#include "BenchSupport.h"

#include "accounts/ReceivePaymentScreen.h"
#include "app/AmountField.h"
#include "app/AppContext.h"
#include "app/MessageBox.h"
#include "app/PickList.h"
#include "db/ConnectionText.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "giftcards/GiftCardPurchaseScreen.h"
#include "giftcards/GiftCardRedemptionScreen.h"
#include "reports/Reports.h"
#include "tickets/CashTicketEntryScreen.h"
#include "tickets/TicketEntryScreen.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

void key(QWidget *w, int code, const QString &text = QString())
{
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

void put(QWidget *screen, const char *name, const QString &text)
{
    auto *box = screen->findChild<QLineEdit *>(QLatin1String(name));
    if (!box)
        throw DbError(QStringLiteral("no box %1 on %2").arg(QLatin1String(name), screen->objectName()));
    if (auto *amount = qobject_cast<AmountField *>(box))
        amount->setPlainText(text);
    else
        box->setText(text);
}

void click(QWidget *screen) { screen->findChild<QPushButton *>(QStringLiteral("btnSave"))->click(); }

// The card the redemptions take from, sold once with plenty on it.
const QString kRedeemedCard = QStringLiteral("500000001");

// The n-th card the sales activate: a new card for every sale.
QString soldCard(int n) { return QStringLiteral("6%1").arg(n, 8, 10, QLatin1Char('0')); }

// What the servers' own clients run for one save of a road. `n` numbers the save (a
// new gift card each time); on PostgreSQL pgbench puts it in for :n.
struct BareSql
{
    bool sqlite = true;

    QString begin() const { return sqlite ? QStringLiteral("BEGIN IMMEDIATE;") : QStringLiteral("BEGIN;"); }
    QString money(const QString &e) const { return sqlite ? QStringLiteral("ROUND(%1, 6)").arg(e) : e; }
    QString now() const { return sqlite ? QStringLiteral("'2026-12-10T01:00:00.000'") : QStringLiteral("LOCALTIMESTAMP"); }
    QString card(const QString &n) const
    {
        return sqlite ? QStringLiteral("'%1'").arg(soldCard(n.toInt())) : QStringLiteral("'6' || LPAD(CAST(:n AS TEXT), 8, '0')");
    }

    QString accountCheck() const
    {
        return QStringLiteral("SELECT Customer.ID,Customer.Name,Customer.Inactive,Customer.CurrentBalance,Customer.\"Limit\","
                              "Customer.WarnAt,Customer.AcctOnHold,Cards.CardType,Cards.InActive,Cards.CardNote FROM Customer "
                              "JOIN Cards ON Cards.CustomerID = Customer.ID WHERE Customer.ID = 'B001' AND Cards.CardNo = '01';");
    }
    // The posting: the balance, the hold flag from it, and what the screens show after.
    QString posting(const QString &amount) const
    {
        const QString balance = money(QStringLiteral("CurrentBalance + ") + amount);
        return QStringLiteral("UPDATE Customer SET CurrentBalance = %1, AcctOnHold = CASE WHEN %1 >= \"Limit\" THEN 1 ELSE 0 "
                              "END WHERE ID = 'B001' RETURNING CurrentBalance, \"Limit\", AcctOnHold;")
            .arg(balance);
    }
    QString ticketColumns() const
    {
        return QStringLiteral("CustomerID,CardNo,Clerk,TruckNumber,DieselGallons,DieselPriceEach,DieselPriceExt,ReeferGallons,"
                              "ReeferPriceEach,ReeferPriceExt,DiscountGallons,DiscountPriceEach,DiscountPriceExt,OilPriceExt,"
                              "Subtotal,Tax,Total,WorkStationID,Location,DateEntered");
    }
    QString ticketValues() const
    {
        return QStringLiteral("'B001','01','BENCH','114',120.5,3.899,469.83,30,3.459,103.77,150.5,-0.05,-7.53,12.99,579.06,"
                              "1.07,580.13,'BENCH',1,")
               + now();
    }

    // The card type's merchandise rule, asked by the save itself after the ticket row is locked.
    QString cardType() const { return QStringLiteral("SELECT CardType FROM Cards WHERE CustomerID = 'B001' AND CardNo = '01';"); }

    QStringList chargeTicket(const QString &) const
    {
        return {accountCheck(),
                begin(),
                cardType(),
                QStringLiteral("INSERT INTO Tickets (%1) VALUES (%2) RETURNING ID;").arg(ticketColumns(), ticketValues()),
                posting(QStringLiteral("580.13")),
                QStringLiteral("COMMIT;")};
    }
    QStringList reprint(const QString &) const
    {
        QString sets;
        const QStringList names = ticketColumns().split(u',');
        const QStringList values = ticketValues().split(u',');
        for (qsizetype i = 0; i < names.size(); ++i)
            sets += (i ? QStringLiteral(",") : QString()) + names[i] + QStringLiteral(" = ") + values[i];
        return {accountCheck(),
                begin(),
                QStringLiteral("SELECT CustomerID, Total FROM Tickets WHERE ID = 1%1;")
                    .arg(sqlite ? QString() : QStringLiteral(" FOR UPDATE")),
                cardType(),
                QStringLiteral("SELECT * FROM Tickets WHERE ID = 1;"),
                QStringLiteral("UPDATE Tickets SET %1 WHERE ID = 1;").arg(sets),
                posting(QStringLiteral("12.5")),
                QStringLiteral("COMMIT;")};
    }
    QStringList cashTicket(const QString &) const
    {
        return {
            QStringLiteral("INSERT INTO CashTickets (Customer,Address1,Address2,Clerk,DieselGallons,DieselPriceEach,"
                           "DieselPriceExt,Subtotal,Tax,Total,WorkStationID,Location,DateEntered) VALUES ('Walk In Freight',"
                           "'1 Main St','Town','BENCH',50,3.899,194.95,194.95,0,194.95,'BENCH',1,%1) RETURNING ID;")
                .arg(now()),
            QStringLiteral("SELECT ID, Customer FROM CashTickets WHERE ID > (SELECT MAX(ID) FROM CashTickets) - 1 ORDER BY ID;")};
    }
    QStringList payment(const QString &) const
    {
        return {QStringLiteral("SELECT CurrentBalance FROM Customer WHERE ID = 'B001';"), begin(),
                QStringLiteral("INSERT INTO Payments (Customer,PaymentDate,Amount,CheckNum,EntryDate) VALUES "
                               "('B001',%1,10,'1001',%1);")
                    .arg(now()),
                posting(QStringLiteral("-10")), QStringLiteral("COMMIT;")};
    }
    QString cardTransaction(const QString &card, const QString &type) const
    {
        return QStringLiteral("INSERT INTO GiftCardTransactions (CardID,TransactionDate,TransactionType,Amount,Clerk,"
                              "WorkStationID,Location) VALUES (%1,%2,'%3',1,'BENCH','BENCH',1) RETURNING ID;")
            .arg(card, now(), type);
    }
    QStringList giftCardSale(const QString &n) const
    {
        return {QStringLiteral("SELECT ID, CardBalance, Notes FROM GiftCards WHERE ID = %1;").arg(card(n)), begin(),
                QStringLiteral("INSERT INTO GiftCards (ID,DateActivated,ActivatedBy,ActivationAmount,CardBalance,Active,"
                               "Notes,WorkStationID,Location) VALUES (%1,%2,'BENCH',25,25,1,'bench','BENCH',1) ON CONFLICT (ID) "
                               "DO UPDATE SET CardBalance = %3, Notes = excluded.Notes RETURNING CardBalance;")
                    .arg(card(n), now(), money(QStringLiteral("COALESCE(GiftCards.CardBalance, 0) + excluded.CardBalance"))),
                cardTransaction(card(n), QStringLiteral("Gift Card Purchase")), QStringLiteral("COMMIT;")};
    }
    QStringList redemption(const QString &) const
    {
        const QString card = QStringLiteral("'%1'").arg(kRedeemedCard);
        return {QStringLiteral("SELECT ID, CardBalance, Notes FROM GiftCards WHERE ID = %1;").arg(card), begin(),
                QStringLiteral("UPDATE GiftCards SET CardBalance = %1 WHERE ID = %2 AND CardBalance >= 1 RETURNING CardBalance;")
                    .arg(money(QStringLiteral("CardBalance - 1")), card),
                cardTransaction(card, QStringLiteral("Gift Card Redemption")), QStringLiteral("COMMIT;")};
    }
};

struct Road
{
    const char *name;
    // What the bare client runs for save n.
    std::function<QStringList(const BareSql &, const QString &n)> bare;
    // Untimed: whatever puts the screen where the clerk starts this save.
    std::function<void(int n)> ready;
    // Timed: the clerk's part, to the screen ready for the next entry.
    std::function<void(int n)> save;
};

struct Figures
{
    double programMs = 0;
    double bareMs = 0;
    double programCpuMs = 0;
    double bareCpuMs = 0;
    double statements = 0;
    double roundTrips = 0;
    int bareStatements = 0;
};

void setUp(Db &db)
{
    db.insert(QStringLiteral("Customer"),
              {{"ID", "B001"},
               {"Name", "Bench Freight"},
               {"Inactive", 0},
               {"CurrentBalance", 0},
               {"Limit", 1e12},
               {"WarnAt", 0.8},
               {"AcctOnHold", 0}},
              QString());
    db.insert(QStringLiteral("Cards"), {{"CustomerID", "B001"}, {"CardNo", "01"}, {"CardType", "1"}, {"InActive", 0}}, QString());
    db.insert(QStringLiteral("GiftCards"),
              {{"ID", kRedeemedCard}, {"CardBalance", 1e6}, {"Active", db.dialect().flag(true)}, {"Notes", "bench"}}, QString());
    AppContext &context = appContext();
    context.config.WorkstationID = QStringLiteral("BENCH");
    context.config.LocationID = QStringLiteral("1");
    context.config.AdminWorkstation = QStringLiteral("1");
    context.company.DieselPricePerGallon = 3.899;
    context.company.ReeferPricePerGallon = 3.459;
    context.company.DiscountPricePerGallon = -0.05;
    context.company.DefPricePerGallon = 3.999;
    context.company.Tax = 0.0825;
}

// The screens the roads drive, kept open for the whole run as a station keeps them.
struct Screens
{
    TicketEntryScreen ticket;
    CashTicketEntryScreen cash;
    ReceivePaymentScreen payment;
    GiftCardPurchaseScreen sale;
    GiftCardRedemptionScreen redemption;
};

void fillTicket(QWidget *screen, const QString &diesel)
{
    put(screen, "txtClerk", QStringLiteral("BENCH"));
    put(screen, "txtTruckNo", QStringLiteral("114"));
    put(screen, "txtDieselGallons", diesel);
    put(screen, "txtReeferGallons", QStringLiteral("30"));
    put(screen, "txtOil", QStringLiteral("12.99"));
}

void swipe(QWidget *screen, const QString &card)
{
    auto *box = screen->findChild<QLineEdit *>(QStringLiteral("txtAcctNo"));
    box->setFocus();
    box->setText(QStringLiteral("%") + card + QStringLiteral("?"));
    key(box, Qt::Key_Return);
}

QList<Road> roads(Screens *s)
{
    QList<Road> list;
    list.append({"charge ticket", &BareSql::chargeTicket, [](int) {},
                 [s](int) {
                     auto *account = s->ticket.findChild<QLineEdit *>(QStringLiteral("txtAcctNo"));
                     account->setFocus();
                     account->setText(QStringLiteral(";B00101?"));
                     key(account, Qt::Key_Return);
                     fillTicket(&s->ticket, QStringLiteral("120.5"));
                     click(&s->ticket);
                 }});
    list.append({"reprint", &BareSql::reprint,
                 [s](int n) {
                     // The newest ticket, its diesel changed so that its total moves.
                     s->ticket.findChild<QPushButton *>(QStringLiteral("btnBack"))->click();
                     put(&s->ticket, "txtDieselGallons", n % 2 ? QStringLiteral("120.5") : QStringLiteral("100"));
                 },
                 [s](int) { click(&s->ticket); }});
    list.append(
        {"cash ticket", &BareSql::cashTicket, [](int) {},
         [s](int) {
             s->cash.findChild<QComboBox *>(QStringLiteral("cmbCustomer"))->setEditText(QStringLiteral("Walk In Freight"));
             put(&s->cash, "txtClerk", QStringLiteral("BENCH"));
             put(&s->cash, "txtAddress1", QStringLiteral("1 Main St"));
             put(&s->cash, "txtAddress2", QStringLiteral("Town"));
             put(&s->cash, "txtDieselGallons", QStringLiteral("50"));
             click(&s->cash);
         }});
    list.append({"payment", &BareSql::payment, [](int) {},
                 [s](int) {
                     s->payment.findChild<PickList *>(QStringLiteral("cmbCustomer"))->selectId(QStringLiteral("B001"));
                     put(&s->payment, "txtCheckNumber", QStringLiteral("1001"));
                     put(&s->payment, "txtPaymentAmount", QStringLiteral("10"));
                     click(&s->payment);
                 }});
    list.append({"gift card sale", &BareSql::giftCardSale, [](int) {},
                 [s](int n) {
                     swipe(&s->sale, soldCard(n));
                     put(&s->sale, "txtClerk", QStringLiteral("BENCH"));
                     put(&s->sale, "txtAmount", QStringLiteral("25"));
                     put(&s->sale, "txtNotes", QStringLiteral("bench"));
                     click(&s->sale);
                 }});
    list.append({"redemption", &BareSql::redemption, [](int) {},
                 [s](int) {
                     swipe(&s->redemption, kRedeemedCard);
                     put(&s->redemption, "txtClerk", QStringLiteral("BENCH"));
                     put(&s->redemption, "txtAmount", QStringLiteral("1"));
                     click(&s->redemption);
                 }});
    return list;
}

// Every save of a road must have stored its row and shown no message.
void verify(Db &db, const char *road, const QString &table, qint64 before, int saves)
{
    const qint64 rows = db.firstRow(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table))->value(0).toLongLong();
    const auto shown = MessageBox::takeShown();
    if (rows - before != saves || !shown.isEmpty())
        throw DbError(QStringLiteral("%1: %2 rows stored of %3, %4 messages shown%5")
                          .arg(QLatin1String(road))
                          .arg(rows - before)
                          .arg(saves)
                          .arg(shown.size())
                          .arg(shown.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(shown.first().text)));
}

QString tableOf(const char *road)
{
    const QString r = QLatin1String(road);
    if (r == QLatin1String("cash ticket"))
        return QStringLiteral("CashTickets");
    if (r == QLatin1String("payment"))
        return QStringLiteral("Payments");
    if (r.startsWith(QLatin1String("gift")) || r == QLatin1String("redemption"))
        return QStringLiteral("GiftCardTransactions");
    return QStringLiteral("Tickets");
}

// Runs one road's saves through its screen; the figures per save. Only the save itself
// is timed and counted, not what puts the screen where the clerk starts it.
Figures programRound(Db &db, const Road &road, int saves, int first)
{
    const QString table = tableOf(road.name);
    const qint64 before = db.firstRow(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table))->value(0).toLongLong();
    MessageBox::takeShown();
    QElapsedTimer timer;
    qint64 ns = 0;
    double cpuMs = 0;
    Db::Traffic used;
    for (int n = first; n < first + saves; ++n) {
        road.ready(n);
        const Db::Traffic start = db.traffic();
        const double cpuStart = BenchSupport::threadCpuMs();
        timer.start();
        road.save(n);
        ns += timer.nsecsElapsed();
        cpuMs += BenchSupport::threadCpuMs() - cpuStart;
        used.statements += db.traffic().statements - start.statements;
        used.roundTrips += db.traffic().roundTrips - start.roundTrips;
    }
    Figures f;
    f.programMs = ns / 1e6 / saves;
    f.programCpuMs = cpuMs / saves;
    f.statements = double(used.statements) / saves;
    f.roundTrips = double(used.roundTrips) / saves;
    // The reprint stores no new row.
    verify(db, road.name, table, before, QLatin1String(road.name) == QLatin1String("reprint") ? 0 : saves);
    return f;
}

// Runs one road's statements with the server's own client; wall ms per save, and its CPU
// ms per save in cpuMs.
double bareRound(const QString &connection, QTemporaryDir &dir, const Road &road, int saves, int first, double &cpuMs)
{
    double cpu = 0;
    if (!connection.contains(QLatin1String("PostgreSQL"), Qt::CaseInsensitive)) {
        const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        if (sqlite3.isEmpty())
            throw DbError(QStringLiteral("the sqlite3 shell is not installed (Debian package sqlite3)"));
        const QString script = dir.filePath(QStringLiteral("road.sql"));
        QFile out(script);
        out.open(QIODevice::WriteOnly);
        // The connection's own settings, as the program sets them on every connection.
        out.write("PRAGMA journal_mode=WAL;\nPRAGMA synchronous=FULL;\nPRAGMA foreign_keys=OFF;\n.output /dev/null\n");
        for (int n = first; n < first + saves; ++n)
            out.write((road.bare(BareSql{true}, QString::number(n)).join(u'\n') + u'\n').toUtf8());
        out.close();
        const ConnectionText c = ConnectionText::parse(connection);
        const double wall =
            BenchSupport::timedProcess(sqlite3, {c.dataSource}, script, QProcessEnvironment::systemEnvironment(), true, &cpu);
        cpuMs = cpu / saves;
        return wall / saves;
    }
    const QString pgbench = QStandardPaths::findExecutable(QStringLiteral("pgbench"));
    if (pgbench.isEmpty())
        throw DbError(QStringLiteral("pgbench is not installed (Debian package postgresql-client)"));
    const ConnectionText c = ConnectionText::parse(connection);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSWORD"), c.password);
    if (!c.sslMode.isEmpty())
        env.insert(QStringLiteral("PGSSLMODE"), c.sslMode);
    if (!c.sslRootCert.isEmpty())
        env.insert(QStringLiteral("PGSSLROOTCERT"), c.sslRootCert);
    const QString script = dir.filePath(QStringLiteral("road.pgbench"));
    QFile out(script);
    out.open(QIODevice::WriteOnly);
    // A new number for every save, beyond the program's: a new gift card each time.
    out.write(QStringLiteral("\\set n %1 + random(1, 9000000)\n").arg(first).toUtf8());
    out.write((road.bare(BareSql{false}, QString()).join(u'\n') + u'\n').toUtf8());
    out.close();
    const double wall = BenchSupport::timedProcess(pgbench,
                                                   {"-n", "-f", script, "-t", QString::number(saves), "-c", "1", "-h", c.server,
                                                    "-p", QString::number(c.port), "-U", c.user, c.database},
                                                   QString(), env, true, &cpu);
    cpuMs = cpu / saves;
    return wall / saves;
}

// Every road on one database, program and bare client side by side, `rounds` times; the
// fastest round of each counts (the machine's other work only ever adds time).
QList<Figures> runRoads(Db &db, const QString &connection, QTemporaryDir &dir, int saves, int rounds)
{
    Db::setCurrent(&db);
    setUp(db);
    Printers::chargeTicket() = [](int, bool, bool) { return true; };
    Printers::cashTicket() = [](int, bool, bool) { return true; };
    Printers::giftCardReceipt() = [](int) { return true; };
    MessageBox::startRecording();
    QList<Figures> result;
    {
        Screens screens;
        for (QWidget *w : std::initializer_list<QWidget *>{&screens.ticket, &screens.cash, &screens.payment, &screens.sale,
                                                           &screens.redemption})
            w->show();
        const QList<Road> list = roads(&screens);
        // One save of each first, untimed: the reprint needs a stored ticket, and every
        // screen is warmed up, its statements prepared.
        for (const Road &road : list) {
            road.ready(1000 * saves + 1);
            road.save(1000 * saves + 1);
        }
        result.resize(list.size());
        for (int round = 0; round < rounds; ++round) {
            for (qsizetype r = 0; r < list.size(); ++r) {
                const Figures f = programRound(db, list[r], saves, round * saves);
                double bareCpu = 0;
                const double bare = bareRound(connection, dir, list[r], saves, (100 + round) * saves, bareCpu);
                Figures &best = result[r];
                if (round == 0 || f.programMs < best.programMs)
                    best.programMs = f.programMs;
                if (round == 0 || bare < best.bareMs)
                    best.bareMs = bare;
                if (round == 0 || f.programCpuMs < best.programCpuMs)
                    best.programCpuMs = f.programCpuMs;
                if (round == 0 || bareCpu < best.bareCpuMs)
                    best.bareCpuMs = bareCpu;
                best.statements = f.statements;
                best.roundTrips = f.roundTrips;
                best.bareStatements = int(list[r].bare(BareSql{true}, QStringLiteral("1")).size());
            }
        }
    }
    MessageBox::stopRecording();
    Db::setCurrent(nullptr);
    return result;
}

void print(const QString &server, const QList<Road> &list, const QList<Figures> &figures)
{
    std::printf("\n%s\n%-15s %10s %10s %7s %9s %9s %7s %11s %12s %11s\n", qPrintable(server), "road", "program ms", "bare ms",
                "ratio", "prog CPU", "bare CPU", "ratio", "statements", "round trips", "bare stmts");
    for (qsizetype r = 0; r < list.size(); ++r) {
        const Figures &f = figures[r];
        std::printf("%-15s %10.3f %10.3f %6.2fx %9.3f %9.3f %6.2fx %11.1f %12.1f %11d%s\n", list[r].name, f.programMs, f.bareMs,
                    f.programMs / f.bareMs, f.programCpuMs, f.bareCpuMs, f.programCpuMs / f.bareCpuMs, f.statements, f.roundTrips,
                    f.bareStatements, f.programMs > 2 * f.bareMs ? "   above 2x" : "");
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int saves = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200;
    const int rounds = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 3;
    QTemporaryDir dir;
    try {
        const QList<Road> list = roads(nullptr);
        {
            const QString connection = BenchSupport::sqliteText(dir, QStringLiteral("bench.sqlite"));
            auto db = BenchSupport::freshSqlite(dir, QStringLiteral("bench.sqlite"));
            print(QStringLiteral("SQLite"), list, runRoads(*db, connection, dir, saves, rounds));
        }
        const QString admin = BenchSupport::postgresAdmin();
        if (admin.isEmpty())
            return 0;
        const QString name = QStringLiteral("ams_bench_saves");
        {
            auto db = BenchSupport::freshPostgres(admin, name);
            print(QStringLiteral("PostgreSQL"), list, runRoads(*db, BenchSupport::postgresText(admin, name), dir, saves, rounds));
        }
        BenchSupport::dropPostgres(admin, name);
    } catch (const DbError &e) {
        std::fprintf(stderr, "bench_saves: %s\n", qPrintable(e.serverText()));
        return 1;
    }
    return 0;
}
