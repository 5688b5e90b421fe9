#include "BackgroundDisposal.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace
{
std::atomic<bool> g_bEnded{false};

class CDisposalThread
{
public:
    CDisposalThread() : m_thread([this] { Work(); }) {}
    ~CDisposalThread()
    {
        g_bEnded = true;
        {
            const std::lock_guard lock(m_mutex);
            m_bStop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    void Add(std::function<void()> release)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_queue.push_back(std::move(release));
        }
        m_wake.notify_all();
    }

private:
    void Work()
    {
        std::unique_lock lock(m_mutex);
        for (;;)
        {
            m_wake.wait(lock, [this] { return m_bStop || !m_queue.empty(); });
            while (!m_queue.empty())
            {
                std::function<void()> release = std::move(m_queue.front());
                m_queue.pop_front();
                lock.unlock();
                release();
                lock.lock();
            }
#ifdef __GLIBC__
            // What was freed goes back to the system, not only to the heap.
            malloc_trim(0);
#endif
            if (m_bStop)
                return;
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_queue;
    bool m_bStop = false;
    std::thread m_thread;
};
} // namespace

void BackgroundDisposal::Release(std::function<void()> release)
{
    if (g_bEnded)
    {
        release();
        return;
    }
    static CDisposalThread s_thread;
    if (g_bEnded)
        release();
    else
        s_thread.Add(std::move(release));
}
