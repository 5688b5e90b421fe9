// The session as a front end drives it: texts and versions in, results out
// on the worker, the newest version only, and each mistake once.
#include "analysis/AnalysisSession.h"

#include "dryrun/DryRunResult.h"
#include "helplib/CommandLibrary.h"
#include "support/TempDir.h"

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <gmock/gmock.h>
#include <mutex>
#include <unistd.h>

namespace
{
const CCommandLibrary& Library()
{
    static const CCommandLibrary* s_pLibrary = []
    {
        auto* pLibrary = new CCommandLibrary;
        pLibrary->Load(CORVALE_SOURCE_DIR "/share/help/");
        return pLibrary;
    }();
    return *s_pLibrary;
}

// What the listener was handed, in order.
class CResults
{
public:
    CAnalysisSession::Listener Listener()
    {
        return [this](std::shared_ptr<const CAnalysis> pAnalysis)
        {
            const std::lock_guard lock(m_mutex);
            m_results.push_back(std::move(pAnalysis));
        };
    }
    std::vector<std::shared_ptr<const CAnalysis>> All() const
    {
        const std::lock_guard lock(m_mutex);
        return m_results;
    }
    std::shared_ptr<const CAnalysis> Last() const
    {
        const std::lock_guard lock(m_mutex);
        return m_results.empty() ? nullptr : m_results.back();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<const CAnalysis>> m_results;
};

std::vector<std::string> Rules(const CAnalysis& analysis)
{
    std::vector<std::string> rules;
    for (const CFinding& finding : analysis.findings)
        rules.push_back(std::to_string(finding.nLine) + " " + finding.rule);
    return rules;
}

CAnalysisSession::COptions Options(bool bDryRun, int nPauseMs = 20)
{
    CAnalysisSession::COptions options;
    options.nPauseMs = nPauseMs;
    options.nDryRunPauseMs = nPauseMs;
    if (bDryRun)
    {
        options.dryRunHelper = CORVALE_DRYRUN;
        options.helpDir = CORVALE_SOURCE_DIR "/share/help/";
    }
    return options;
}

// The helper processes this test started that are running now.
std::vector<long> RunningHelpers()
{
    std::vector<long> helpers;
    DIR* pDir = opendir("/proc");
    while (const dirent* pEntry = readdir(pDir))
    {
        std::ifstream comm(std::string("/proc/") + pEntry->d_name + "/comm");
        std::string name;
        if (std::getline(comm, name) && name == "corvale-dryrun")
        {
            std::ifstream stat(std::string("/proc/") + pEntry->d_name + "/stat");
            std::string pid, command, state;
            long nParent = 0;
            stat >> pid >> command >> state >> nParent;
            if (state != "Z" && nParent == getpid())
                helpers.push_back(std::stol(pid));
        }
    }
    closedir(pDir);
    return helpers;
}
} // namespace

TEST(AnalysisSession, TheNewestVersionOnlyIsAnalysedAndHandedBack)
{
    CResults results;
    CAnalysisSession session(Library(), Options(false, 100), results.Listener());
    session.Update("/p/a.tcl", "nodee 1 0 0\n", 1);
    session.Update("/p/a.tcl", "set x 1\nnodee 1 0 0\n", 2);
    session.Update("/p/b.tcl", "nod 1 0 0\n", 7);
    ASSERT_TRUE(session.WaitUntilIdle(10000));
    const auto all = results.All();
    ASSERT_EQ(all.size(), 2u);
    for (const auto& pAnalysis : all)
    {
        // Without a dry run, the check's result is the whole of it.
        EXPECT_EQ(pAnalysis->stage, CAnalysis::EStage::Complete);
        if (pAnalysis->path == "/p/a.tcl")
        {
            EXPECT_EQ(pAnalysis->nVersion, 2);
            EXPECT_THAT(Rules(*pAnalysis), ::testing::ElementsAre("2 command/unknown"));
            ASSERT_EQ(pAnalysis->findings[0].fixes.size(), 1u);
            EXPECT_EQ(pAnalysis->findings[0].fixes[0].text, "node");
        }
        else
            EXPECT_EQ(pAnalysis->nVersion, 7);
    }
    // Asked for at once, no pause is waited.
    session.AnalyseNow("/p/b.tcl");
    ASSERT_TRUE(session.WaitUntilIdle(10000));
    EXPECT_EQ(results.All().size(), 3u);
    session.Close("/p/b.tcl");
    session.Update("/p/a.tcl", "", 3);
    ASSERT_TRUE(session.WaitUntilIdle(10000));
    EXPECT_TRUE(results.Last()->findings.empty());
}

// With pauses as long as the work, a small script's next version is
// analysed as soon as its last analysis took, not after the full pause; a
// script not analysed yet waits the full pause.
TEST(AnalysisSession, PausesShrinkToWhatTheLastAnalysisTook)
{
    CResults results;
    CAnalysisSession::COptions options = Options(true, 60000);
    options.bPausesAsLongAsTheWork = true;
    options.nLeastPauseMs = 0;
    options.nLeastDryRunPauseMs = 0;
    CAnalysisSession session(Library(), options, results.Listener());
    session.Update("/p/a.tcl", "set x 1\nnodee 1 0 0\n", 1);
    // Nothing comes within a second: the first pause is the full one.
    EXPECT_FALSE(session.WaitUntilIdle(1000));
    EXPECT_TRUE(results.All().empty());
    session.AnalyseNow("/p/a.tcl");
    ASSERT_TRUE(session.WaitUntilIdle(20000));
    ASSERT_EQ(results.All().size(), 2u); // the check, then the dry run
    session.Update("/p/a.tcl", "set x 2\nnodee 1 0 0\n", 2);
    ASSERT_TRUE(session.WaitUntilIdle(20000));
    ASSERT_EQ(results.All().size(), 4u);
    EXPECT_EQ(results.Last()->nVersion, 2);
    EXPECT_EQ(results.Last()->stage, CAnalysis::EStage::Complete);
}

// A check under way of a long text ends once a newer version comes; only
// the newer one's result is handed back.
TEST(AnalysisSession, ANewerVersionEndsTheWorkOnAnOlderOne)
{
    CResults results;
    CAnalysisSession session(Library(), Options(false, 0), results.Listener());
    std::string large;
    for (int i = 0; i < 400000; ++i)
        large += "nodee " + std::to_string(i) + " 0 0\n";
    session.Update("/p/a.tcl", large, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    session.Update("/p/a.tcl", "node 1 0 0\n", 2);
    ASSERT_TRUE(session.WaitUntilIdle(60000));
    const auto all = results.All();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0]->nVersion, 2);
    EXPECT_TRUE(all[0]->findings.empty());
}

// With the dry run: first the check's result, then the whole one with the
// dry run's findings; a mistake both report is one finding.
TEST(AnalysisSession, TheDryRunFollowsTheCheckAndAMistakeIsReportedOnce)
{
    CTempDir dir;
    CResults results;
    CAnalysisSession session(Library(), Options(true), results.Listener());
    const std::string path = dir.PathOf("frame.tcl");
    session.Update(path,
                   "node 1 0 0\nnode 2 1 0\nelement Truss 1 1 3 0.01 1\nset r [expr {1 / 0}]\n", 1);
    ASSERT_TRUE(session.WaitUntilIdle(20000));
    auto all = results.All();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0]->stage, CAnalysis::EStage::Checked);
    EXPECT_EQ(all[0]->pDryRun, nullptr);
    EXPECT_EQ(all[1]->stage, CAnalysis::EStage::Complete);
    ASSERT_NE(all[1]->pDryRun, nullptr);
    // Node 3 and material 1: neither is defined.
    EXPECT_THAT(Rules(*all[1]), ::testing::ElementsAre("3 model/undefined-tag",
                                                       "3 model/undefined-tag", "4 run/error"));
    EXPECT_EQ(all[1]->findings[0].nStart, 22);

    // An unclosed brace: the check places it where Tcl ran out, the run
    // where the command began; it is one mistake.
    session.Update(path, "node 1 0 0\nproc p {} {\n  node 2 0 0\n\nnode 3 0 0\n", 2);
    ASSERT_TRUE(session.WaitUntilIdle(20000));
    EXPECT_THAT(Rules(*results.Last()), ::testing::ElementsAre("5 parse/missing-brace"));

    // Until the new text has its own dry run, the last run's findings stand
    // where their lines did not change, and go with a line that did.
    CAnalysisSession::COptions slow = Options(true);
    slow.nDryRunPauseMs = 60000;
    CResults slowResults;
    CAnalysisSession slowSession(Library(), slow, slowResults.Listener());
    slowSession.Update(
        path, "node 1 0 0\nnode 2 1 0\nelement Truss 1 1 3 0.01 1\nset r [expr {1 / 0}]\n", 1);
    slowSession.AnalyseNow(path);
    ASSERT_TRUE(slowSession.WaitUntilIdle(20000));
    // Two edits, each analysed on its own: a line above, then the run's
    // faulty line mended.
    const auto waitFor = [&](long nVersion)
    {
        for (int i = 0; i < 1000 && slowResults.Last()->nVersion != nVersion; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return slowResults.Last();
    };
    slowSession.Update(
        path,
        "# a frame\nnode 1 0 0\nnode 2 1 0\nelement Truss 1 1 3 0.01 1\nset r [expr {1 / 0}]\n", 2);
    EXPECT_THAT(Rules(*waitFor(2)), ::testing::ElementsAre("4 model/undefined-tag",
                                                           "4 model/undefined-tag", "5 run/error"));
    slowSession.Update(
        path,
        "# a frame\nnode 1 0 0\nnode 2 1 0\nelement Truss 1 1 3 0.01 1\nset r [expr {1 / 2}]\n", 3);
    const auto pCarried = waitFor(3);
    ASSERT_EQ(pCarried->nVersion, 3);
    EXPECT_EQ(pCarried->stage, CAnalysis::EStage::Checked);
    EXPECT_THAT(Rules(*pCarried),
                ::testing::ElementsAre("4 model/undefined-tag", "4 model/undefined-tag"));
}

// A dry run under way is ended, helper and all, when the text moves on.
TEST(AnalysisSession, ANewerVersionEndsTheDryRunOfAnOlderOne)
{
    CTempDir dir;
    CResults results;
    CAnalysisSession session(Library(), Options(true, 0), results.Listener());
    const std::string path = dir.PathOf("spin.tcl");
    session.Update(path, "while 1 {}\n", 1);
    // The first result (the check's) comes before the dry run starts.
    for (int i = 0; i < 500 && results.All().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::vector<long> spinning;
    for (int i = 0; i < 500 && spinning.empty(); ++i)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        spinning = RunningHelpers();
    }
    ASSERT_FALSE(spinning.empty());
    session.Update(path, "node 1 0 0\n", 2);
    // The spinning helper ends at once, long before its 2 s limit would end it.
    const auto stillThere = [&]
    {
        const std::vector<long> now = RunningHelpers();
        return std::find(now.begin(), now.end(), spinning.front()) != now.end();
    };
    for (int i = 0; i < 100 && stillThere(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(stillThere());
    ASSERT_TRUE(session.WaitUntilIdle(20000));
    const auto pLast = results.Last();
    EXPECT_EQ(pLast->nVersion, 2);
    EXPECT_EQ(pLast->stage, CAnalysis::EStage::Complete);
    for (const auto& pAnalysis : results.All())
        EXPECT_FALSE(pAnalysis->nVersion == 1 && pAnalysis->stage == CAnalysis::EStage::Complete);
    EXPECT_TRUE(RunningHelpers().empty());
}

// A front end that only says the text changed is asked for the text once
// the pause is over, for the version it has then; one key, no copy.
TEST(AnalysisSession, TheTextIsAskedForOnceThePauseIsOver)
{
    CResults results;
    std::mutex mutex;
    std::vector<long> asked;
    CAnalysisSession* pSession = nullptr;
    std::vector<std::thread> answers;
    CAnalysisSession session(Library(), Options(false, 100), results.Listener(),
                             [&](const std::string& path, long nVersion)
                             {
                                 const std::lock_guard lock(mutex);
                                 asked.push_back(nVersion);
                                 // Answered from another thread, as a window would.
                                 answers.emplace_back(
                                     [pSession, path, nVersion]
                                     { pSession->Update(path, "nodee 1 0 0\n", nVersion); });
                             });
    pSession = &session;
    for (long nVersion = 1; nVersion <= 20; ++nVersion)
        session.Changed("/p/a.tcl", nVersion);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    {
        const std::lock_guard lock(mutex);
        EXPECT_TRUE(asked.empty()) << "asked before the pause was over";
    }
    ASSERT_TRUE(session.WaitUntilIdle(10000));
    {
        const std::lock_guard lock(mutex);
        EXPECT_THAT(asked, ::testing::ElementsAre(20));
        for (std::thread& answer : answers)
            answer.join();
    }
    ASSERT_EQ(results.All().size(), 1u);
    EXPECT_EQ(results.Last()->nVersion, 20);
    EXPECT_THAT(Rules(*results.Last()), ::testing::ElementsAre("1 command/unknown"));
}

TEST(AnalysisSession, AScriptsProjectFileHoldsInTheEditorAndIsReadAgainWhenItChanges)
{
    CTempDir dir;
    dir.Write("corvale.toml", "ignore = [\"expr/unbraced\"]\n[commands]\nlogMessage = []\n");
    const std::string path = dir.PathOf("a.tcl");
    CResults results;
    CAnalysisSession session(Library(), Options(true), results.Listener());
    session.Update(path, "logMessage start\nset y 1\nset x [expr $y+2]\nnodee 1 0 0\n", 1);
    ASSERT_TRUE(session.WaitUntilIdle(10000));
    ASSERT_NE(results.Last(), nullptr);
    EXPECT_THAT(Rules(*results.Last()), ::testing::ElementsAre("4 command/unknown"));
    // The team changes its file: the next analysis reads it, mistakes and all.
    dir.Write("corvale.toml", "[severity]\n\"command/unknown\" = \"warning\"\nbogus = 1\n");
    session.Update(path, "logMessage start\nset y 1\nset x [expr $y+2]\nnodee 1 0 0\n", 2);
    ASSERT_TRUE(session.WaitUntilIdle(10000));
    const CAnalysis& analysis = *results.Last();
    EXPECT_THAT(Rules(analysis),
                ::testing::UnorderedElementsAre("1 command/unknown", "3 expr/unbraced",
                                                "4 command/unknown", "3 project/invalid"));
    for (const CFinding& finding : analysis.findings)
    {
        if (finding.rule == "command/unknown")
        {
            EXPECT_EQ(finding.severity, ESeverity::Warning);
        }
        else if (finding.rule == "project/invalid")
        {
            EXPECT_EQ(finding.file, dir.PathOf("corvale.toml"));
        }
    }
}
