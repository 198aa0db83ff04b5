#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

// A few turns at some work, given out in the order they were asked for. A request that
// has waited longest is served next: with more requests than turns, one that arrives
// later never takes a turn ahead of it, so no request waits for more than the ones
// ahead of it in the queue.
class TurnQueue
{
public:
    explicit TurnQueue(int turns) : m_free(turns) {}

    // Waits up to `wait` for a turn; false when none came in time (the place in the
    // queue is then given up).
    bool take(std::chrono::milliseconds wait);
    void giveBack();
    // How many wait for a turn now.
    int waiting();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_free;
    std::uint64_t m_next = 0;
    std::deque<std::uint64_t> m_waiting;
};
