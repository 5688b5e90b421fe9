#include "BackgroundCheck.h"

#include "check/CommandKnowledge.h"
#include "check/ScriptChecker.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>

#ifdef __linux__
#include <pthread.h>
#include <sched.h>
#endif

namespace
{
long long NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

CBackgroundCheck::CBackgroundCheck(const CCommandLibrary& library, QObject* pParent)
    : QObject(pParent), m_library(library), m_thread([this] { Work(); })
{
}

CBackgroundCheck::~CBackgroundCheck()
{
    {
        const std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void CBackgroundCheck::Request(long nRevision, std::string text, std::string scriptFolder)
{
    {
        const std::lock_guard lock(m_mutex);
        m_nLatestRevision = nRevision;
        m_nRevision = nRevision;
        m_text = std::move(text);
        m_folder = std::move(scriptFolder);
        m_bPending = true;
    }
    m_wake.notify_all();
}

void CBackgroundCheck::Work()
{
#ifdef __linux__
    // The check waits for the window and the X server: it takes what the
    // processors have left over, so typing never shares a core with it.
    sched_param idle{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &idle);
#endif
    std::unique_ptr<CCommandKnowledge> pKnowledge;
    std::unique_ptr<CScriptChecker> pChecker;
    for (;;)
    {
        long nRevision = 0;
        std::string text;
        std::string folder;
        {
            std::unique_lock lock(m_mutex);
            m_bBusy = false;
            m_idle.notify_all();
            m_wake.wait(lock, [this] { return m_bStop || m_bPending; });
            if (m_bStop)
                break;
            nRevision = m_nRevision;
            text = std::move(m_text);
            folder = std::move(m_folder);
            m_bPending = false;
            m_bBusy = true;
        }
        if (!pChecker)
        {
            pKnowledge = std::make_unique<CCommandKnowledge>();
            pKnowledge->Build(m_library);
            pChecker = std::make_unique<CScriptChecker>(*pKnowledge);
        }
        const CScriptChecker::KeepGoing keepGoing = [this, nRevision]
        {
            // Held while the window handles a key; ended once it is outdated.
            while (m_nLatestRevision == nRevision && NowNs() < m_nHoldUntilNs)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return m_nLatestRevision == nRevision;
        };
        auto pFindings = std::make_shared<const std::vector<CFinding>>(
            pChecker->Check(text, folder, &CScriptChecker::ReadFile, keepGoing));
        if (m_nLatestRevision != nRevision)
            continue; // stopped, or outdated: nobody wants it
        // Back on the window's thread, in order.
        QMetaObject::invokeMethod(
            this, [this, nRevision, pFindings] { emit Checked(nRevision, pFindings); },
            Qt::QueuedConnection);
    }
    pChecker.reset();
    if (pKnowledge)
        CScriptChecker::EndThread();
}

void CBackgroundCheck::Supersede(long nRevision)
{
    m_nLatestRevision = nRevision;
}

void CBackgroundCheck::HoldFor(int nMs)
{
    m_nHoldUntilNs = NowNs() + static_cast<long long>(nMs) * 1000000;
}

bool CBackgroundCheck::WaitUntilIdle(int nMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(nMs);
    {
        std::unique_lock lock(m_mutex);
        if (!m_idle.wait_until(lock, deadline, [this] { return !m_bPending && !m_bBusy; }))
            return false;
    }
    // Deliver what the thread posted.
    QCoreApplication::sendPostedEvents(this);
    return true;
}
