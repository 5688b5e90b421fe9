#include "SubprocessChannel.h"

#include "Subprocess.h"

#include <csignal>
#include <string>
#include <sys/types.h>

CSubprocessChannel::CSubprocessChannel(Post post) : m_post(std::move(post)) {}

CSubprocessChannel::~CSubprocessChannel()
{
    *m_pAlive = false;
    if (m_thread.joinable())
    {
        m_bStop = true;
        // No grace when the owner goes: the group is killed at once.
        if (const long nGroup = m_nProcessId; nGroup > 0)
            kill(-static_cast<pid_t>(nGroup), SIGKILL);
        m_thread.join();
    }
}

void CSubprocessChannel::SetOutputDescriptors(int nOutput, int nError)
{
    m_nOutput = nOutput;
    m_nError = nError;
}

bool CSubprocessChannel::Start(const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::string& workingDirectory)
{
    if (m_bRunning)
        return false;
    // The thread of the last run has posted its end and is ending.
    if (m_thread.joinable())
        m_thread.join();
    CSubprocess::COptions options;
    options.arguments.push_back(program);
    options.arguments.insert(options.arguments.end(), arguments.begin(), arguments.end());
    options.workingDirectory = workingDirectory;
    options.bKeepErrors = true;
    options.nOutputFd = m_nOutput;
    options.nErrorFd = m_nError;
    options.nStopGraceMs = kKillAfterMs;
    // A run may start a viewer that is meant to outlive it; only a stop ends it.
    options.bEndGroupAfterExit = false;
    options.started = [this](long nProcessId)
    {
        m_nProcessId = nProcessId;
        const std::lock_guard lock(m_mutex);
        m_start = EStart::Started;
        m_startDecided.notify_all();
    };
    m_start = EStart::Waiting;
    m_bStop = false;
    const bool bReadsOutput = m_nOutput < 0;
    m_thread = std::thread(
        [this, options = std::move(options), bReadsOutput, pAlive = std::weak_ptr(m_pAlive)]
        {
            CSubprocess::OutputSink sink;
            if (bReadsOutput)
                sink = [this, pAlive](std::string_view bytes, bool bError)
                {
                    m_post(
                        [this, pAlive, text = std::string(bytes), bError]
                        {
                            const std::shared_ptr<bool> pLive = pAlive.lock();
                            if (pLive && *pLive && OnOutput)
                                OnOutput(text, bError);
                        });
                };
            const CSubprocess::CResult result = CSubprocess::Run(
                options, [this] { return !m_bStop; }, sink);
            if (result.end == CSubprocess::EEnd::NotStarted)
            {
                const std::lock_guard lock(m_mutex);
                m_start = EStart::Failed;
                m_startDecided.notify_all();
                return;
            }
            m_nProcessId = 0;
            const bool bCrashed = result.end != CSubprocess::EEnd::Exited;
            const int nStatus = bCrashed ? -1 : result.nStatus;
            m_post(
                [this, pAlive, nStatus, bCrashed]
                {
                    const std::shared_ptr<bool> pLive = pAlive.lock();
                    if (!pLive || !*pLive)
                        return;
                    m_bRunning = false;
                    if (OnFinished)
                        OnFinished(nStatus, bCrashed);
                });
        });
    std::unique_lock lock(m_mutex);
    m_startDecided.wait(lock, [this] { return m_start != EStart::Waiting; });
    if (m_start == EStart::Failed)
    {
        lock.unlock();
        m_thread.join();
        return false;
    }
    lock.unlock();
    m_bRunning = true;
    if (OnStarted)
        OnStarted();
    return true;
}

void CSubprocessChannel::Stop()
{
    m_bStop = true;
}
