#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class CCommandLibrary;
class CDryRunResult;

// Runs the dry-run helper on a thread of its own: the text goes to it on
// its standard input, its answer is read and made sense of there, and the
// result comes back on the window's thread with the revision it was made
// for. A newer request ends the run of an older one; a run that takes
// longer than kWallLimitMs is killed, and says so.
class CBackgroundDryRun : public QObject
{
    Q_OBJECT

public:
    explicit CBackgroundDryRun(const CCommandLibrary& library, QObject* pParent = nullptr);
    ~CBackgroundDryRun() override;

    struct CRequest
    {
        long nRevision = 0;
        std::string text;
        std::string scriptPath; // where the text stands, for its folder and sourced files
        std::string helper;     // the corvale-dryrun program
        std::string helpDir;
    };

    void Request(CRequest request);
    // The text moved on: a run under way of an older revision ends.
    void Supersede(long nRevision);
    // For tests and benchmarks: blocks until every request has its result
    // delivered or dropped.
    bool WaitUntilIdle(int nMs);

    static constexpr int kWallLimitMs = 5000;
    // The most of an answer that is read; the rest ends the run.
    static constexpr long long kMaxAnswerBytes = 128LL << 20;

signals:
    void DryRan(long nRevision, std::shared_ptr<const CDryRunResult> pResult);

private:
    void Work();
    std::shared_ptr<CDryRunResult> RunOne(const CRequest& request,
                                          const class CCommandKnowledge& knowledge);

    const CCommandLibrary& m_library;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    bool m_bStop = false;
    bool m_bPending = false;
    bool m_bBusy = false;
    CRequest m_request;
    std::atomic<long> m_nLatestRevision{0};
    std::atomic<bool> m_bStopping{false};
    std::thread m_thread;
};
