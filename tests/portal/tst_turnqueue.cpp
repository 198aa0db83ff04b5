// The website's turns at database work: given out in the order asked for, never more at
// once than there are, and a request that gives up waiting holds up nobody behind it.

#include "web/TurnQueue.h"

#include <QTest>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

class tst_TurnQueue : public QObject
{
    Q_OBJECT

private slots:
    void servedInTheOrderAsked_data();
    void servedInTheOrderAsked();
    void aWaiterGivingUpHoldsUpNobody();
};

void tst_TurnQueue::servedInTheOrderAsked_data()
{
    QTest::addColumn<int>("turns");
    QTest::addColumn<int>("waiters");
    QTest::newRow("one turn, many waiting") << 1 << 8;
    QTest::newRow("two turns, many waiting") << 2 << 8;
}

void tst_TurnQueue::servedInTheOrderAsked()
{
    QFETCH(int, turns);
    QFETCH(int, waiters);
    TurnQueue queue(turns);
    // Every turn is held while the waiters line up, one after another.
    for (int i = 0; i < turns; ++i)
        QVERIFY(queue.take(1s));
    std::mutex mutex;
    std::vector<int> order;
    std::atomic<int> inside{0};
    std::atomic<int> most{0};
    std::vector<std::thread> threads;
    for (int n = 0; n < waiters; ++n) {
        threads.emplace_back([&, n] {
            if (!queue.take(20s))
                return;
            {
                std::lock_guard lock(mutex);
                order.push_back(n);
            }
            const int now = ++inside;
            int seen = most.load();
            while (now > seen && !most.compare_exchange_weak(seen, now)) {
            }
            std::this_thread::sleep_for(20ms);
            --inside;
            queue.giveBack();
        });
        // Queued before the next one asks.
        while (queue.waiting() < n + 1)
            std::this_thread::sleep_for(1ms);
    }
    for (int i = 0; i < turns; ++i)
        queue.giveBack();
    for (auto &t : threads)
        t.join();
    QCOMPARE(int(order.size()), waiters);
    QVERIFY(most.load() <= turns);
    // With one turn the order is exact; with more, none is served before one that asked
    // more than a turn's worth earlier.
    for (int i = 0; i < waiters; ++i)
        QVERIFY2(std::abs(order[size_t(i)] - i) < turns,
                 qPrintable(QStringLiteral("waiter %1 served %2th").arg(order[size_t(i)]).arg(i)));
}

void tst_TurnQueue::aWaiterGivingUpHoldsUpNobody()
{
    TurnQueue queue(1);
    QVERIFY(queue.take(1s));
    // The first in line gives up; the one behind it must get the turn once it is free.
    bool firstGot = true;
    std::thread impatient([&] { firstGot = queue.take(100ms); });
    while (queue.waiting() < 1)
        std::this_thread::sleep_for(1ms);
    bool secondGot = false;
    std::thread patient([&] { secondGot = queue.take(5s); });
    impatient.join();
    std::this_thread::sleep_for(50ms);
    queue.giveBack();
    patient.join();
    QVERIFY(!firstGot);
    QVERIFY(secondGot);
    // Its turn given back, the queue is free again.
    queue.giveBack();
    QVERIFY(queue.take(100ms));
}

QTEST_GUILESS_MAIN(tst_TurnQueue)
#include "tst_turnqueue.moc"
