#include "BackgroundCheck.h"

#include "check/CommandKnowledge.h"
#include "check/ScriptChecker.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>

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
        m_nRevision = nRevision;
        m_text = std::move(text);
        m_folder = std::move(scriptFolder);
        m_bPending = true;
    }
    m_wake.notify_all();
}

void CBackgroundCheck::Work()
{
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
        auto pFindings =
            std::make_shared<const std::vector<CFinding>>(pChecker->Check(text, folder));
        // Back on the window's thread, in order.
        QMetaObject::invokeMethod(
            this, [this, nRevision, pFindings] { emit Checked(nRevision, pFindings); },
            Qt::QueuedConnection);
    }
    pChecker.reset();
    if (pKnowledge)
        CScriptChecker::EndThread();
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
