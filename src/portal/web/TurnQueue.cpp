#include "web/TurnQueue.h"

#include <algorithm>

bool TurnQueue::take(std::chrono::milliseconds wait)
{
    std::unique_lock lock(m_mutex);
    const std::uint64_t ticket = m_next++;
    m_waiting.push_back(ticket);
    const bool got = m_changed.wait_for(lock, wait, [&] { return m_free > 0 && m_waiting.front() == ticket; });
    if (!got) {
        m_waiting.erase(std::find(m_waiting.begin(), m_waiting.end(), ticket));
        // The one behind may now be first in the queue with a turn free.
        m_changed.notify_all();
        return false;
    }
    m_waiting.pop_front();
    --m_free;
    if (m_free > 0 && !m_waiting.empty())
        m_changed.notify_all();
    return true;
}

int TurnQueue::waiting()
{
    std::lock_guard lock(m_mutex);
    return int(m_waiting.size());
}

void TurnQueue::giveBack()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_free;
    }
    m_changed.notify_all();
}
