#pragma once

#include "analysis/Finding.h"

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CCommandLibrary;

// Runs the script check on a thread of its own, so that typing never waits
// for it. A request carries a revision of the text; a newer request
// supersedes one not yet started, and a result comes back (on the window's
// thread) with the revision it was made for, for the asker to drop when the
// text has moved on. What the check knows of the library is read from the
// help files on the first request.
class CBackgroundCheck : public QObject
{
    Q_OBJECT

public:
    explicit CBackgroundCheck(const CCommandLibrary& library, QObject* pParent = nullptr);
    ~CBackgroundCheck() override;

    void Request(long nRevision, std::string text, std::string scriptFolder);
    // The text moved on to this revision: a check under way of an older one
    // stops, its result would be dropped anyway.
    void Supersede(long nRevision);
    // The window is busy with a key for a moment: the check waits meanwhile.
    void HoldFor(int nMs);
    // Blocks until every request made so far has its result delivered or
    // dropped; for tests and benchmarks.
    bool WaitUntilIdle(int nMs);

signals:
    void Checked(long nRevision, std::shared_ptr<const std::vector<CFinding>> pFindings);

private:
    void Work();

    const CCommandLibrary& m_library;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    bool m_bStop = false;
    bool m_bPending = false;
    bool m_bBusy = false;
    long m_nRevision = 0;
    std::atomic<long> m_nLatestRevision{0};
    std::atomic<long long> m_nHoldUntilNs{0};
    std::string m_text;
    std::string m_folder;
    std::thread m_thread;
};
