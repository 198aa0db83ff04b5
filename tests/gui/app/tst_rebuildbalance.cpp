// Rebuild Customer Balance from the main window's Settings menu, on every server.

#include "TestDb.h"

#include "app/AppContext.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "db/Db.h"

#include <QSqlRecord>
#include <QTest>

namespace {

void addCustomer(Db &db, const QString &id, const QVariant &balance, bool onHold = false)
{
    db.insert(QStringLiteral("Customer"),
              {{"ID", id},
               {"Name", "Customer " + id},
               {"CurrentBalance", balance},
               {"Limit", 100.0},
               {"AcctOnHold", db.dialect().flag(onHold)}},
              QString());
}

void addTicket(Db &db, const QString &customer, double total, int location = 1)
{
    db.insert(QStringLiteral("Tickets"), {{"CustomerID", customer}, {"CardNo", "01"}, {"Total", total}, {"Location", location}});
}

void addPayment(Db &db, const QString &customer, double amount)
{
    db.insert(QStringLiteral("Payments"), {{"Customer", customer}, {"Amount", amount}});
}

// A customer with tickets of this location and payments.
void addAccount(Db &db, const QString &id, const QVariant &balance, const QList<double> &tickets, const QList<double> &payments,
                bool onHold = false)
{
    addCustomer(db, id, balance, onHold);
    for (double total : tickets)
        addTicket(db, id, total);
    for (double amount : payments)
        addPayment(db, id, amount);
}

// Whether the stored balance equals the amount exactly, compared on the server.
bool balanceIs(Db &db, const QString &id, double amount)
{
    return db.firstRow(QStringLiteral("SELECT ID FROM Customer WHERE ID = ? AND CurrentBalance = ?"), {id, amount}).has_value();
}

QString balanceOf(Db &db, const QString &id)
{
    const auto row = db.firstRow(QStringLiteral("SELECT CurrentBalance FROM Customer WHERE ID = ?"), {id});
    return row ? row->value("CurrentBalance").toString() : QStringLiteral("(no row)");
}

} // namespace

class TestRebuildBalance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void init();
    void cleanup();
    void rebuild();
    void answeringNoChangesNothing();
    void failingStatementShowsItsText();

private:
    // Chooses Rebuild Customer Balance and answers its question.
    void chooseRebuild(MessageBox::Answer answer)
    {
        MessageBox::queueAnswer(answer);
        m_window->action(QStringLiteral("RebuildCustomerBalance"))->trigger();
    }

    std::unique_ptr<Db> m_db;
    std::unique_ptr<MainWindow> m_window;
};

void TestRebuildBalance::initTestCase_data() { TestDb::addServerRows(); }

void TestRebuildBalance::init()
{
    QFETCH_GLOBAL(QString, server);
    m_db = TestDb::fresh(server);
    Db::setCurrent(m_db.get());
    appContext().config.AdminWorkstation = QStringLiteral("1");
    MessageBox::startRecording();
    m_window = std::make_unique<MainWindow>();
}

void TestRebuildBalance::cleanup()
{
    m_window.reset();
    MessageBox::stopRecording();
    Db::setCurrent(nullptr);
    m_db.reset();
}

void TestRebuildBalance::rebuild()
{
    Db &db = *m_db;
    addAccount(db, "A001", 999.0, {100}, {60, 40}, true);
    addTicket(db, "A001", 50, 2); // another location's ticket counts as well
    addAccount(db, "B002", 0.0, {80}, {});
    addAccount(db, "C003", 5.0, {}, {30});
    addAccount(db, "D004", 12.0, {}, {});
    addAccount(db, "E005", QVariant(QMetaType(QMetaType::Double)), {}, {}); // NULL balance, nothing posted
    addAccount(db, "F006", 0.0, {0.1, 0.2}, {0.3});
    addAccount(db, "G007", 0.0, {19.99, 0.01}, {});
    // Cash tickets never reach an account.
    db.insert(QStringLiteral("CashTickets"), {{"Customer", "B002"}, {"Total", 500.0}, {"Location", 1}});
    // Kept sums gone astray are made again too.
    db.exec(QStringLiteral("UPDATE CustomerTotals SET TicketSum = TicketSum + 1"));
    QVERIFY(!TestDb::wrongKeptTotals(db).isEmpty());

    chooseRebuild(MessageBox::Answer::Yes);
    QCOMPARE(TestDb::wrongKeptTotals(db), QStringList());

    const auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].text, QStringLiteral("Are you sure you want to rebuild customer balances?"));
    QCOMPARE(shown[0].title, QStringLiteral("Confirmation"));
    QCOMPARE(shown[0].buttons, MessageBox::Buttons::YesNo);
    QCOMPARE(shown[0].icon, MessageBox::Icon::None);
    // Every balance but F006's was wrong (its 0.1 + 0.2 - 0.3 is 0 to the cent).
    QCOMPARE(shown[1].text, QStringLiteral("Balances rebuilt: 6 of 7 customers changed."));
    QCOMPARE(shown[1].title, QStringLiteral("Rebuild Customer Balance"));
    QCOMPARE(shown[1].buttons, MessageBox::Buttons::Ok);

    // A second rebuild finds nothing left to change.
    chooseRebuild(MessageBox::Answer::Yes);
    QCOMPARE(MessageBox::takeShown().value(1).text, QStringLiteral("Balances rebuilt: 0 of 7 customers changed."));

    const QList<QPair<QString, double>> expected = {{"A001", 50}, {"B002", 80}, {"C003", -30}, {"D004", 0},
                                                    {"E005", 0},  {"F006", 0},  {"G007", 20}};
    for (const auto &[id, amount] : expected)
        QVERIFY2(balanceIs(db, id, amount), qPrintable(id + ": " + balanceOf(db, id)));
    // The hold flag keeps its value until the next posting.
    QCOMPARE(db.firstRow(QStringLiteral("SELECT AcctOnHold FROM Customer WHERE ID = 'A001'"))->value(0).toInt(), 1);
}

void TestRebuildBalance::answeringNoChangesNothing()
{
    addCustomer(*m_db, "A001", 999.0);
    addTicket(*m_db, "A001", 100);
    chooseRebuild(MessageBox::Answer::No);
    QCOMPARE(MessageBox::takeShown().size(), 1);
    QVERIFY(balanceIs(*m_db, "A001", 999));
}

void TestRebuildBalance::failingStatementShowsItsText()
{
    addCustomer(*m_db, "A001", 999.0);
    m_db->exec(QStringLiteral("DROP TABLE Payments"));
    chooseRebuild(MessageBox::Answer::Yes);
    const auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 2);
    QVERIFY2(shown[1].text.contains(QLatin1String("payments"), Qt::CaseInsensitive), qPrintable(shown[1].text));
    QVERIFY(balanceIs(*m_db, "A001", 999));
}

QTEST_MAIN(TestRebuildBalance)
#include "tst_rebuildbalance.moc"
