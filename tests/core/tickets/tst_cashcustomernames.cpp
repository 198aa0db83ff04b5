#include "TestDb.h"

#include "db/Db.h"
#include "tickets/CashCustomerNames.h"
#include "tickets/TicketStore.h"

#include <QTest>

// The cash ticket screen's list of customer names, kept up to date a few tickets at a
// time, against the full query it stands for, on every configured server.
class TestCashCustomerNames : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void init()
    {
        QFETCH_GLOBAL(QString, server);
        m_db = TestDb::fresh(server);
    }
    void cleanup() { m_db.reset(); }

    void refreshedListMatchesTheFullQuery_data()
    {
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QList<QStringList>>("rounds");
        QTest::newRow("new names before, between and after the old ones")
            << QStringList{"MILLER", "SMITH"} << QList<QStringList>{{"ADAMS"}, {"NORTON", "ZED"}, {"BAKER", "MILLERS"}};
        QTest::newRow("new names that follow one another, stored in the opposite order")
            << QStringList{"MILLER", "SMITH"} << QList<QStringList>{{"ZZ TOP", "YY", "ZZ", "ZZ TOP II"}, {"B", "A", "AA"}};
        QTest::newRow("names already listed are not listed twice")
            << QStringList{"MILLER", "SMITH"} << QList<QStringList>{{"SMITH", "MILLER"}, {"MILLER", "NEW", "NEW"}};
        QTest::newRow("letter case, blanks and accents sort as the server sorts them")
            << QStringList{"acme", "Baker"}
            << QList<QStringList>{{"ACME", "baker"}, {"acme ", " acme", "Ábel", "abel"}, {"Zoë", "zoe", "ZOE"}};
        QTest::newRow("names with apostrophes and quotes are data")
            << QStringList{"O'NEIL TRUCKING"} << QList<QStringList>{{"O'BRIEN", "\"QUOTED\" LINES"}, {"O'NEIL TRUCKING'S"}};
        QTest::newRow("an empty table fills from nothing") << QStringList{} << QList<QStringList>{{"FIRST"}, {"A", "Z"}};
        QTest::newRow("an empty name sorts where the server puts it") << QStringList{"B"} << QList<QStringList>{{""}, {"A"}};
    }
    void refreshedListMatchesTheFullQuery()
    {
        QFETCH(QStringList, first);
        QFETCH(QList<QStringList>, rounds);
        for (const QString &name : first)
            addTicket(name);
        CashCustomerNames list;
        list.fill(*m_db);
        QCOMPARE(list.names(), CashTicketStore::customerNames(*m_db));
        for (const QStringList &round : rounds) {
            QStringList shown = list.names();
            for (const QString &name : round)
                addTicket(name);
            const CashCustomerNames::Refresh changes = list.refresh(*m_db);
            QVERIFY(!changes.reset);
            // What the screen does with the changes gives the list too.
            for (const auto &[at, name] : changes.inserted)
                shown.insert(at, name);
            const QStringList expected = CashTicketStore::customerNames(*m_db);
            QCOMPARE(list.names(), expected);
            QCOMPARE(shown, expected);
        }
    }

    void theOrderIsTheServersEvenWhenItSortsByLanguage()
    {
        // A server set up to sort by language puts "acme" next to "ACME" and "Ábel" next
        // to "abel", where a plain comparison of characters would not.
        if (m_db->dialect().name() == QLatin1String("PostgreSQL"))
            m_db->exec(QStringLiteral("ALTER TABLE CashTickets ALTER COLUMN Customer TYPE TEXT COLLATE \"und-x-icu\""));
        for (const char *name : {"Baker", "acme", "Zoe"})
            addTicket(name);
        CashCustomerNames list;
        list.fill(*m_db);
        for (const QStringList &round : QList<QStringList>{{"ACME", "Ábel"}, {"abel", "zoe", "baker"}, {"Acme"}}) {
            for (const QString &name : round)
                addTicket(name);
            QVERIFY(!list.refresh(*m_db).reset);
            QCOMPARE(list.names(), CashTicketStore::customerNames(*m_db));
        }
    }

    void aTicketStoredUnderALowerIdAfterARefreshIsStillListed()
    {
        // A ticket gets its ID when its insert starts; one that another workstation
        // commits late carries an ID below tickets already seen.
        addTicket("A", 1);
        addTicket("B", 2);
        CashCustomerNames list;
        list.fill(*m_db);
        addTicket("C", 10);
        list.refresh(*m_db);
        addTicket("LATE", 7);
        list.refresh(*m_db);
        QCOMPARE(list.names(), (QStringList{"A", "B", "C", "LATE"}));
    }

    void manyNewNamesAreReadWhole()
    {
        addTicket("START");
        CashCustomerNames list;
        list.fill(*m_db);
        for (int i = 0; i <= CashCustomerNames::kLargestInsert; ++i)
            addTicket(QStringLiteral("NAME %1").arg(i, 3, 10, QLatin1Char('0')));
        const CashCustomerNames::Refresh changes = list.refresh(*m_db);
        QVERIFY(changes.reset);
        QCOMPARE(list.names(), CashTicketStore::customerNames(*m_db));
        QCOMPARE(list.names().size(), CashCustomerNames::kLargestInsert + 2);
    }

    void ticketsWithoutANameAreNotListed()
    {
        addTicket("A");
        m_db->insert(QStringLiteral("CashTickets"), {{"Customer", QVariant()}, {"Total", 1.0}});
        CashCustomerNames list;
        list.fill(*m_db);
        m_db->insert(QStringLiteral("CashTickets"), {{"Customer", QVariant()}, {"Total", 1.0}});
        addTicket("B");
        QVERIFY(!list.refresh(*m_db).reset);
        QCOMPARE(list.names(), (QStringList{"A", "B"}));
    }

    void theNewestTicketOfANameIsFoundByIdAndExactName()
    {
        addTicket("O'NEIL TRUCKING", 5, "OLD");
        addTicket("O'NEIL TRUCKING", 9, "NEWEST");
        addTicket("O'NEIL TRUCKING", 7, "MIDDLE");
        addTicket("O'NEIL TRUCKING ", 12, "TRAILING BLANK");
        addTicket("o'neil trucking", 13, "LOWER CASE");
        const auto newest = CashTicketStore::newestFor(*m_db, "O'NEIL TRUCKING");
        QVERIFY(newest);
        QCOMPARE(newest->id, 9);
        QCOMPARE(newest->address1, QStringLiteral("NEWEST"));
        QVERIFY(!CashTicketStore::newestFor(*m_db, "O'NEIL"));
    }

private:
    void addTicket(const QString &customer, int id = 0, const QString &address1 = QString())
    {
        ColumnValues columns = {{"Customer", customer}, {"Address1", address1}, {"Total", 1.0}};
        if (id != 0)
            columns.prepend({"ID", id});
        m_db->insert(QStringLiteral("CashTickets"), columns);
    }

    std::unique_ptr<Db> m_db;
};

QTEST_GUILESS_MAIN(TestCashCustomerNames)
#include "tst_cashcustomernames.moc"
