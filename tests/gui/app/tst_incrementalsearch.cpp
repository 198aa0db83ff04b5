#include "app/AppContext.h"
#include "app/IncrementalSearch.h"
#include "app/PickList.h"

#include <QSignalSpy>
#include <QTest>

// Type-ahead search with a clock the test moves by hand.
class TestIncrementalSearch : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void typing_data();
    void typing();
    void clockRunningBackwards();
    void switchingLists();
    void returningToAListStartsAgain();
    void closedListIsNotTheLastOne();
    void keysAreConsumed();
    void keysWithoutCharacterMoveTheList();
    void pickListIds();

private:
    double m_now = 100;
};

void TestIncrementalSearch::init()
{
    m_now = 100;
    setIncrementalSearchClock([this] { return m_now; });
    incrementalSearchState() = IncrementalSearchState();
    appContext().company.KeyPressDelay = 1;
}

void TestIncrementalSearch::cleanup() { setIncrementalSearchClock({}); }

// Each step: a pause before the key (seconds), the key, and the entry selected after it.
void TestIncrementalSearch::typing_data()
{
    QTest::addColumn<QList<double>>("pauses");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("selected");

    QTest::newRow("s, m, i typed quickly select SANDERS, SMITH, SMITH")
        << QList<double>{0, 0.2, 0.2} << "smi" << QStringList{"SANDERS", "SMITH", "SMITH"};
    QTest::newRow("m after a pause of exactly the delay starts over with m")
        << QList<double>{0, 0.2, 1.0} << "smm" << QStringList{"SANDERS", "SMITH", "MILLER"};
    QTest::newRow("m after a longer pause starts over with m")
        << QList<double>{0, 0.2, 5} << "smm" << QStringList{"SANDERS", "SMITH", "MILLER"};
    QTest::newRow("a pause just under the delay keeps the prefix")
        << QList<double>{0, 0.999} << "sm" << QStringList{"SANDERS", "SMITH"};
    QTest::newRow("the whole name, then more, reaches SMITHFIELD")
        << QList<double>{0, 0.1, 0.1, 0.1, 0.1, 0.1} << "smithf"
        << QStringList{"SANDERS", "SMITH", "SMITH", "SMITH", "SMITH", "SMITHFIELD"};
    QTest::newRow("an unmatched prefix leaves the selection, and later keys extend it")
        << QList<double>{0, 0.1, 0.1, 0.1} << "sxmi" << QStringList{"SANDERS", "SANDERS", "SANDERS", "SANDERS"};
    QTest::newRow("after an unmatched prefix a pause starts afresh")
        << QList<double>{0, 0.1, 2} << "sxm" << QStringList{"SANDERS", "SANDERS", "MILLER"};
    QTest::newRow("case does not matter") << QList<double>{0, 0.1} << "SM" << QStringList{"SANDERS", "SMITH"};
    QTest::newRow("a backspace joins the prefix and matches nothing")
        << QList<double>{0, 0.1, 0.1} << "s\bm" << QStringList{"SANDERS", "SANDERS", "SANDERS"};
    QTest::newRow("a first key matching nothing leaves no entry chosen") << QList<double>{0} << "z" << QStringList{""};
}

void TestIncrementalSearch::typing()
{
    QFETCH(QList<double>, pauses);
    QFETCH(QString, keys);
    QFETCH(QStringList, selected);

    PickList list;
    for (const char *name : {"MILLER", "SANDERS", "SMITH", "SMITHFIELD"})
        list.addEntry(QLatin1String(name), QString());
    list.setCurrentIndex(-1);

    for (int i = 0; i < keys.size(); ++i) {
        m_now += pauses[i];
        QChar key = keys[i];
        ComboIncrementalSearch(&list, key);
        QVERIFY2(key.isNull(), "the key was not consumed");
        QCOMPARE(list.currentText(), selected[i]);
    }
}

void TestIncrementalSearch::clockRunningBackwards()
{
    // A clock that falls back (as a time-of-day clock does at midnight) gives a negative
    // pause, which is shorter than the delay.
    PickList list;
    for (const char *name : {"SANDERS", "SMITH"})
        list.addEntry(QLatin1String(name), QString());
    QChar s = u's';
    ComboIncrementalSearch(&list, s);
    m_now -= 86000;
    QChar m = u'm';
    ComboIncrementalSearch(&list, m);
    QCOMPARE(list.currentText(), QStringLiteral("SMITH"));
    QCOMPARE(incrementalSearchState().TypedPrefix, QStringLiteral("sm"));
}

void TestIncrementalSearch::switchingLists()
{
    PickList customers, states;
    for (const char *name : {"SANDERS", "SMITH"})
        customers.addEntry(QLatin1String(name), QString());
    for (const char *name : {"MA", "MI", "MO"})
        states.addEntry(QLatin1String(name), QString());

    QChar key = u's';
    ComboIncrementalSearch(&customers, key);
    m_now += 0.1;
    // Within the pause, but in another list: a new prefix "m", not "sm".
    key = u'm';
    ComboIncrementalSearch(&states, key);
    QCOMPARE(states.currentText(), QStringLiteral("MA"));
    QCOMPARE(incrementalSearchState().TypedPrefix, QStringLiteral("m"));
    m_now += 0.1;
    key = u'o';
    ComboIncrementalSearch(&states, key);
    QCOMPARE(states.currentText(), QStringLiteral("MO"));
    QCOMPARE(customers.currentText(), QStringLiteral("SANDERS"));
}

void TestIncrementalSearch::returningToAListStartsAgain()
{
    PickList first, second;
    for (const char *name : {"SANDERS", "SMITH"})
        first.addEntry(QLatin1String(name), QString());
    second.addEntry(QStringLiteral("MA"), QString());

    QChar key = u's';
    ComboIncrementalSearch(&first, key);
    m_now += 0.1;
    key = u'x';
    ComboIncrementalSearch(&second, key);
    m_now += 0.1;
    // Back in the first list within the pause: "m" alone matches nothing there.
    key = u'm';
    ComboIncrementalSearch(&first, key);
    QCOMPARE(incrementalSearchState().TypedPrefix, QStringLiteral("m"));
    QCOMPARE(first.currentText(), QStringLiteral("SANDERS"));
}

void TestIncrementalSearch::closedListIsNotTheLastOne()
{
    auto *closed = new PickList;
    closed->addEntry(QStringLiteral("SANDERS"), QString());
    QChar key = u's';
    ComboIncrementalSearch(closed, key);
    delete closed;

    PickList reopened;
    reopened.addEntry(QStringLiteral("MILLER"), QString());
    reopened.addEntry(QStringLiteral("SMITH"), QString());
    m_now += 0.1;
    key = u'm';
    ComboIncrementalSearch(&reopened, key);
    QCOMPARE(reopened.currentText(), QStringLiteral("MILLER"));
}

void TestIncrementalSearch::keysAreConsumed()
{
    // Typed into the widget: the list's own key search must not run, or "m" would
    // pick MILLER instead of extending the prefix to "sm".
    PickList list;
    for (const char *name : {"MILLER", "SANDERS", "SMITH"})
        list.addEntry(QLatin1String(name), QString());
    list.setCurrentIndex(-1);
    QSignalSpy changes(&list, &QComboBox::currentIndexChanged);
    QTest::keyClick(&list, Qt::Key_S);
    m_now += 0.1;
    QTest::keyClick(&list, Qt::Key_M);
    QCOMPARE(list.currentText(), QStringLiteral("SMITH"));
    QCOMPARE(changes.count(), 2);
    m_now += 0.1;
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(list.currentText(), QStringLiteral("SMITH"));
    QCOMPARE(incrementalSearchState().TypedPrefix, QStringLiteral("sm\r"));
}

void TestIncrementalSearch::keysWithoutCharacterMoveTheList()
{
    PickList list;
    for (const char *name : {"MILLER", "SANDERS", "SMITH"})
        list.addEntry(QLatin1String(name), QString());
    list.setCurrentIndex(0);
    QTest::keyClick(&list, Qt::Key_Down);
    QCOMPARE(list.currentText(), QStringLiteral("SANDERS"));
    QVERIFY(incrementalSearchState().TypedPrefix.isEmpty());
}

void TestIncrementalSearch::pickListIds()
{
    // Two customers with the same name stay apart by their IDs.
    PickList list;
    list.addEntry(QStringLiteral("ACME"), QStringLiteral("1001"));
    list.addEntry(QStringLiteral("ACME"), QStringLiteral("1002"));
    list.addEntry(QStringLiteral("O'BRIEN"), QStringLiteral("1003"));
    QVERIFY(list.selectId(QStringLiteral("1002")));
    QCOMPARE(list.currentIndex(), 1);
    QCOMPARE(list.currentId().toString(), QStringLiteral("1002"));
    QVERIFY(!list.selectId(QStringLiteral("9999")));
    QCOMPARE(list.currentIndex(), -1);
    QVERIFY(!list.currentId().isValid());
}

QTEST_MAIN(TestIncrementalSearch)
#include "tst_incrementalsearch.moc"
