#pragma once

#include "Analysis.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class CCommandLibrary;
class CScriptOutline;

// The analysis of the scripts a front end has open, on a worker thread of
// its own. A front end hands over each text as it changes, with its version;
// once the text has rested for the pause, the static rules run, and once it
// has rested for the dry run's pause and the check is in, the dry run. Each
// result is handed back with the version it was made for; a newer version
// ends the work on an older one, and no result of an older version is handed
// back once a newer one came.
class CAnalysisSession
{
public:
    struct COptions
    {
        int nPauseMs = 200;        // from the last change to the check
        int nDryRunPauseMs = 1000; // from the last change to the dry run
        // The pauses shrink to what the last check and dry run of the script
        // took, down to these: a small script's findings come at once, a
        // large one's wait as long as its work would, so that work on every
        // key cannot pile up.
        bool bPausesAsLongAsTheWork = false;
        int nLeastPauseMs = 20;
        int nLeastDryRunPauseMs = 100;
        int nNice = 1;            // the worker yields to the window, but is never idle-class
        bool bCheck = true;       // the static rules on
        std::string dryRunHelper; // the corvale-dryrun program; empty: no dry run
        std::string helpDir;
    };

    // Called on the worker thread, in the order of the work, with the
    // session's lock held: it hands the result on, and calls no session member.
    using Listener = std::function<void(std::shared_ptr<const CAnalysis>)>;
    // Called the same way once a version announced by Changed is due: the
    // front end answers with Update for that version, when it still has it.
    using TextWanted = std::function<void(const std::string& path, long nVersion)>;

    CAnalysisSession(const CCommandLibrary& library, COptions options, Listener listener,
                     TextWanted textWanted = TextWanted());
    ~CAnalysisSession();
    CAnalysisSession(const CAnalysisSession&) = delete;
    CAnalysisSession& operator=(const CAnalysisSession&) = delete;

    // A script's text at a version; path is where it stands (empty: a new one).
    // For a version Changed announced, the pauses run from that call.
    void Update(const std::string& path, std::string text, long nVersion);
    // The text moved on to a version, given later: the work on older ones
    // ends, the pauses start again, and no text is copied on each key.
    void Changed(const std::string& path, long nVersion);
    // The pauses of a script's current version are over now (open, save, F7).
    void AnalyseNow(const std::string& path);
    void Close(const std::string& path);
    // The window is busy with a key for a moment: the work waits meanwhile.
    void HoldFor(int nMs);
    // Blocks until no script has work left to do or to hand back; for tests
    // and benchmarks.
    bool WaitUntilIdle(int nMs);

    const COptions& Options() const { return m_options; }

private:
    using Clock = std::chrono::steady_clock;

    struct CScript
    {
        std::shared_ptr<const std::string> pText; // of nVersion; nullptr while wanted
        long nVersion = 0;
        bool bTextAsked = false;
        Clock::time_point checkDue;
        Clock::time_point dryRunDue;
        // What the last check and dry run of the script took; -1: none yet.
        int nLastCheckMs = -1;
        int nLastDryRunMs = -1;
        bool bChecked = false; // for nVersion
        bool bDryRan = false;
        // The static rules' findings of nVersion, for the dry run to join.
        std::shared_ptr<const std::vector<CFinding>> pCheck;
        std::shared_ptr<const CScriptOutline> pOutline; // what the check found defined
        // The dry-run findings of the last result handed back, and its text:
        // they are carried, edit by edit, until a version has its own. The
        // dry run's result itself is the front end's to keep or drop.
        std::shared_ptr<const std::vector<CFinding>> pLastRun;
        std::shared_ptr<const std::string> pLastShownText;
        // The version the front end has now, read by the work under way
        // without the lock: it stops once this moves on (-1: closed).
        std::shared_ptr<std::atomic<long>> pLatest = std::make_shared<std::atomic<long>>(0);
    };

    std::thread StartWorker();
    void Work();
    bool HasWork(Clock::time_point& next) const;
    Clock::time_point AskForTexts();
    void Restart(CScript& script, long nVersion);
    bool KeepGoing(const std::atomic<long>& latest, long nVersion) const;

    const CCommandLibrary& m_library;
    const COptions m_options;
    const Listener m_listener;
    const TextWanted m_textWanted;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::map<std::string, CScript> m_scripts;
    bool m_bStop = false;
    bool m_bBusy = false;
    std::atomic<bool> m_bStopping{false};
    std::atomic<long long> m_nHoldUntilNs{0};
    std::thread m_thread;
};
