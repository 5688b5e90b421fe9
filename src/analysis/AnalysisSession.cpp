#include "AnalysisSession.h"

#include "Analyser.h"
#include "FindingMerge.h"
#include "KnownTags.h"
#include "ProjectAnalysers.h"
#include "ProjectFile.h"
#include "RunFindings.h"
#include "TextPlaces.h"
#include "check/ScriptChecker.h"
#include "check/ScriptOutline.h"
#include "check/TclLibrary.h"
#include "dryrun/DryRunResult.h"

#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
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

CAnalysisSession::CAnalysisSession(const CCommandLibrary& library, COptions options,
                                   Listener listener, TextWanted textWanted)
    : m_library(library), m_options(std::move(options)), m_listener(std::move(listener)),
      m_textWanted(std::move(textWanted)), m_thread(StartWorker())
{
}

std::thread CAnalysisSession::StartWorker()
{
    // Tcl sets the C locale once, when it first starts: on this thread, before
    // the worker exists, and never while the window system reads the locale.
    StartTclLibrary();
    return std::thread([this] { Work(); });
}

CAnalysisSession::~CAnalysisSession()
{
    {
        const std::lock_guard lock(m_mutex);
        m_bStop = true;
        for (auto& [path, script] : m_scripts)
            *script.pLatest = -1;
    }
    m_bStopping = true;
    m_wake.notify_all();
    m_thread.join();
}

void CAnalysisSession::Update(const std::string& path, std::string text, long nVersion)
{
    {
        const std::lock_guard lock(m_mutex);
        CScript& script = m_scripts[path];
        const bool bAnnounced = script.nVersion == nVersion && !script.pText && !script.bChecked;
        if (!bAnnounced)
            Restart(script, nVersion);
        script.pText = std::make_shared<const std::string>(std::move(text));
    }
    m_wake.notify_all();
}

void CAnalysisSession::Changed(const std::string& path, long nVersion)
{
    {
        const std::lock_guard lock(m_mutex);
        CScript& script = m_scripts[path];
        Restart(script, nVersion);
        script.pText.reset();
    }
    m_wake.notify_all();
}

void CAnalysisSession::Restart(CScript& script, long nVersion)
{
    const Clock::time_point now = Clock::now();
    script.nVersion = nVersion;
    script.bTextAsked = false;
    int nPauseMs = m_options.nPauseMs;
    int nDryRunPauseMs = m_options.nDryRunPauseMs;
    if (m_options.bPausesAsLongAsTheWork)
    {
        if (script.nLastCheckMs >= 0)
            nPauseMs = std::min(nPauseMs, std::max(script.nLastCheckMs, m_options.nLeastPauseMs));
        if (script.nLastDryRunMs >= 0)
            nDryRunPauseMs = std::min(
                nDryRunPauseMs, std::max(script.nLastDryRunMs, m_options.nLeastDryRunPauseMs));
        nDryRunPauseMs = std::max(nDryRunPauseMs, nPauseMs);
    }
    script.checkDue = now + std::chrono::milliseconds(nPauseMs);
    script.dryRunDue = now + std::chrono::milliseconds(nDryRunPauseMs);
    script.bChecked = false;
    script.bDryRan = false;
    // pCheck stays until the worker replaces it: freeing a list of many
    // findings is not work for the thread that reports a key.
    *script.pLatest = nVersion;
}

void CAnalysisSession::AnalyseNow(const std::string& path)
{
    {
        const std::lock_guard lock(m_mutex);
        const auto found = m_scripts.find(path);
        if (found == m_scripts.end())
            return;
        found->second.checkDue = Clock::now();
        found->second.dryRunDue = Clock::now();
        found->second.bChecked = false;
        found->second.bDryRan = false;
    }
    m_wake.notify_all();
}

void CAnalysisSession::Close(const std::string& path)
{
    const std::lock_guard lock(m_mutex);
    const auto found = m_scripts.find(path);
    if (found == m_scripts.end())
        return;
    *found->second.pLatest = -1;
    m_scripts.erase(found);
    m_idle.notify_all();
}

void CAnalysisSession::HoldFor(int nMs)
{
    m_nHoldUntilNs = NowNs() + static_cast<long long>(nMs) * 1000000;
}

bool CAnalysisSession::KeepGoing(const std::atomic<long>& latest, long nVersion) const
{
    // Held while the window handles a key; ended once outdated.
    while (latest == nVersion && !m_bStopping && NowNs() < m_nHoldUntilNs)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return latest == nVersion && !m_bStopping;
}

// What is to be done next, under the lock: true when something is due now;
// else next is when the first thing falls due (max when nothing will).
bool CAnalysisSession::HasWork(Clock::time_point& next) const
{
    next = Clock::time_point::max();
    const Clock::time_point now = Clock::now();
    const bool bDryRun = !m_options.dryRunHelper.empty();
    for (const auto& [path, script] : m_scripts)
    {
        Clock::time_point due = Clock::time_point::max();
        if (!script.bChecked && !script.pText)
            continue; // its text is asked for, or will be once due
        if (!script.bChecked)
            due = script.checkDue;
        else if (bDryRun && !script.bDryRan)
            due = script.dryRunDue;
        if (due <= now)
            return true;
        next = std::min(next, due);
    }
    return false;
}

// The texts whose pause is over but that are not here yet are asked for,
// under the lock; the answer is when the next one falls due (max for none).
CAnalysisSession::Clock::time_point CAnalysisSession::AskForTexts()
{
    Clock::time_point next = Clock::time_point::max();
    const Clock::time_point now = Clock::now();
    for (auto& [path, script] : m_scripts)
    {
        if (script.bChecked || script.pText || script.bTextAsked)
            continue;
        if (script.checkDue > now)
        {
            next = std::min(next, script.checkDue);
            continue;
        }
        script.bTextAsked = true;
        if (m_textWanted)
            m_textWanted(path, script.nVersion);
    }
    return next;
}

void CAnalysisSession::Work()
{
#ifdef __linux__
    // The window comes first, but the analysis is never starved: a busy
    // machine delays it by its share, not by seconds.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), m_options.nNice);
#endif
    std::unique_ptr<CProjectAnalysers> pAnalysers;
    for (;;)
    {
        std::string path;
        std::shared_ptr<const std::string> pText;
        long nVersion = 0;
        bool bDryRun = false;
        std::shared_ptr<std::atomic<long>> pLatest;
        std::shared_ptr<const std::vector<CFinding>> pLastRun;
        std::shared_ptr<const std::string> pLastText;
        std::shared_ptr<const std::vector<CFinding>> pCheck;
        std::shared_ptr<const CScriptOutline> pOutline;
        {
            std::unique_lock lock(m_mutex);
            m_bBusy = false;
            Clock::time_point next;
            for (;;)
            {
                if (m_bStop)
                    break;
                const Clock::time_point nextAsk = AskForTexts();
                if (HasWork(next))
                    break;
                next = std::min(next, nextAsk);
                if (next == Clock::time_point::max())
                {
                    m_idle.notify_all();
                    m_wake.wait(lock);
                }
                else
                    m_wake.wait_until(lock, next);
            }
            if (m_bStop)
                break;
            // The script whose work fell due first.
            const Clock::time_point now = Clock::now();
            const bool bHelper = !m_options.dryRunHelper.empty();
            for (auto& [name, script] : m_scripts)
            {
                const bool bCheckDue = !script.bChecked && script.pText && script.checkDue <= now;
                const bool bDryRunDue =
                    script.bChecked && bHelper && !script.bDryRan && script.dryRunDue <= now;
                if (!bCheckDue && !bDryRunDue)
                    continue;
                path = name;
                pText = script.pText;
                nVersion = script.nVersion;
                bDryRun = bDryRunDue;
                pLatest = script.pLatest;
                pLastRun = script.pLastRun;
                pLastText = script.pLastShownText;
                pCheck = bDryRun ? script.pCheck : nullptr;
                pOutline = bDryRun ? script.pOutline : nullptr;
                break;
            }
            m_bBusy = true;
        }
        if (!pAnalysers)
            pAnalysers = std::make_unique<CProjectAnalysers>(m_library, m_options.helpDir);
        // The script's project file, read again when it changed.
        const CProjectAnalysers::CChoice choice = pAnalysers->For(path);
        CAnalyser* const pAnalyser = choice.pAnalyser;
        const CAnalyser::KeepGoing keepGoing = [this, pLatest, nVersion]
        { return KeepGoing(*pLatest, nVersion); };

        const Clock::time_point workStart = Clock::now();
        auto pAnalysis = std::make_shared<CAnalysis>();
        pAnalysis->path = path;
        pAnalysis->nVersion = nVersion;
        const CTextPlaces places(*pText);
        std::vector<CFinding> check;
        if (pCheck)
            check = *pCheck;
        else if (m_options.bCheck)
        {
            auto pNewOutline = std::make_shared<CScriptOutline>();
            check = pAnalyser->Check(*pText, path, keepGoing, pNewOutline.get());
            pOutline = std::move(pNewOutline);
        }
        pAnalysis->pOutline = pOutline;
        pAnalysis->pKnowledge = pAnalyser->SharedKnowledge();
        if (!keepGoing())
            continue;
        const auto pChecked = std::make_shared<const std::vector<CFinding>>(check);
        if (!bDryRun)
        {
            // Until this text has its own dry run, the last one's findings
            // stand where the text did not change since the last result.
            std::vector<CFinding> carried;
            if (pLastRun && pLastText)
                carried = FindingMerge::CarryOver(*pLastRun, *pLastText, *pText, places);
            pAnalysis->stage = m_options.dryRunHelper.empty() ? CAnalysis::EStage::Complete
                                                              : CAnalysis::EStage::Checked;
            pAnalysis->findings = FindingMerge::Merge(std::move(check), std::move(carried), places);
            if (choice.pProject != nullptr)
                choice.pProject->Apply(pAnalysis->findings);
        }
        else
        {
            std::shared_ptr<CDryRunResult> pResult =
                pAnalyser->DryRun(pText, path, m_options.dryRunHelper, choice.helpDir, keepGoing);
            if (!pResult || !keepGoing())
                continue;
            pResult->SetOutline(pOutline);
            pAnalysis->stage = CAnalysis::EStage::Complete;
            pAnalysis->findings =
                FindingMerge::Merge(std::move(check), RunFindings::From(*pResult), places);
            if (choice.pProject != nullptr)
                choice.pProject->Apply(pAnalysis->findings);
            pAnalysis->pTags = std::make_shared<const CKnownTags>(CKnownTags::From(*pResult));
            pAnalysis->pDryRun = std::move(pResult);
        }
        {
            const std::lock_guard lock(m_mutex);
            const auto found = m_scripts.find(path);
            if (found == m_scripts.end() || found->second.nVersion != nVersion ||
                found->second.pLatest != pLatest)
                continue; // closed, or outdated while it was made
            CScript& script = found->second;
            const int nWorkMs = static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - workStart)
                    .count());
            (bDryRun ? script.nLastDryRunMs : script.nLastCheckMs) = nWorkMs;
            script.bChecked = true;
            script.pCheck = pChecked;
            script.pOutline = pOutline;
            if (pAnalysis->stage == CAnalysis::EStage::Complete)
                script.bDryRan = true;
            auto pRun = std::make_shared<std::vector<CFinding>>();
            for (const CFinding& finding : pAnalysis->findings)
            {
                if (finding.rule.compare(0, 4, "run/") == 0 ||
                    finding.rule.compare(0, 6, "model/") == 0)
                    pRun->push_back(finding);
            }
            // The text is kept only to carry findings: with none, a large
            // script's text is not held twice while the next is analysed.
            script.pLastShownText = pRun->empty() ? nullptr : pText;
            script.pLastRun = std::move(pRun);
            // Handed back under the lock, so that no newer version's result
            // can overtake it.
            m_listener(pAnalysis);
        }
#ifdef __GLIBC__
        // The work's passing blocks (the answer, the parse) go back to the system.
        malloc_trim(0);
#endif
    }
    if (pAnalysers)
    {
        pAnalysers.reset();
        CScriptChecker::EndThread();
    }
}

bool CAnalysisSession::WaitUntilIdle(int nMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(nMs);
    std::unique_lock lock(m_mutex);
    return m_idle.wait_until(lock, deadline,
                             [this]
                             {
                                 if (m_bBusy)
                                     return false;
                                 const bool bDryRun = !m_options.dryRunHelper.empty();
                                 for (const auto& [path, script] : m_scripts)
                                 {
                                     if (!script.bChecked || (bDryRun && !script.bDryRan))
                                         return false;
                                 }
                                 return true;
                             });
}
