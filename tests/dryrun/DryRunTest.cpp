// The helper as the editor starts it: real scripts, a real process, its answer read.
#include "DryRunTestSupport.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <set>

namespace fs = std::filesystem;
using ::testing::HasSubstr;

namespace
{
std::string Demo(const std::string& name)
{
    return ReadFileBytes(CORVALE_SOURCE_DIR "/share/demo/" + name);
}

std::set<std::string> FilesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.insert(entry.path().string());
    return names;
}

// The first runtime error's message, or empty.
std::string FirstError(const CDryRunReport& report)
{
    return report.errors.empty() ? std::string() : report.errors.front().message;
}

std::vector<std::string> Messages(const CDryRunResult& result)
{
    std::vector<std::string> messages;
    for (const CModelFacts::CProblem& problem : result.Facts().Problems())
        messages.push_back(problem.message);
    return messages;
}
} // namespace

TEST(DryRunTest, TheDemoBuildsSixNodesAndSixElementsWithItsValues)
{
    CTempDir dir;
    dir.Write("materials_part.tcl", Demo("materials_part.tcl"));
    CHelperRun run;
    RunHelper(dir, "example.tcl", Demo("example.tcl"), run);
    const CDryRunResult& result = run.result;
    ASSERT_TRUE(result.Failure().empty()) << run.answer;
    EXPECT_EQ(run.nStatus, 0);
    EXPECT_TRUE(result.Report().bEnded);
    EXPECT_TRUE(result.Report().errors.empty()) << FirstError(result.Report());
    EXPECT_TRUE(result.Report().limit.empty());
    EXPECT_EQ(result.Facts().Nodes().size(), 6U);
    EXPECT_EQ(result.Facts().Elements().size(), 6U);
    EXPECT_TRUE(result.Facts().Problems().empty()) << ::testing::PrintToString(Messages(result));
    EXPECT_EQ(result.Facts().Dimensions(), 2);
    ASSERT_NE(result.ValueOf("bayWidth"), nullptr);
    EXPECT_EQ(result.ValueOf("bayWidth")->value, "6.0");
    ASSERT_NE(result.ValueOf("storyHeight"), nullptr);
    EXPECT_EQ(result.ValueOf("storyHeight")->value, "3.5");
    // node 3 [expr {2 * $bayWidth}] 0.0, on line 16.
    const CModelFacts::CNode& third = result.Facts().Nodes()[2];
    EXPECT_EQ(result.Facts().Tag(result.Report().calls, third.nCall), "3");
    EXPECT_DOUBLE_EQ(third.xyz[0], 12.0);
    EXPECT_EQ(result.Report().calls[third.nCall].place.nLine, 16);
    // The sourced file's calls name it and their own lines.
    ASSERT_EQ(result.Report().files.size(), 2U);
    EXPECT_EQ(fs::path(result.Report().files[1]).filename(), "materials_part.tcl");
    const CDryRunCall material = result.Report().calls[2];
    EXPECT_EQ(material.words[0], "material");
    EXPECT_EQ(material.place.nFile, 1);
    EXPECT_EQ(material.place.nLine, 2);
    // The loads in the load case's body ran, each on its own line.
    const auto load = std::find_if(result.Report().calls.begin(), result.Report().calls.end(),
                                   [](const CDryRunCall& call) { return call.words[0] == "load"; });
    ASSERT_NE(load, result.Report().calls.end());
    EXPECT_EQ((*load).place.nLine, 37);
    // run gave its success value, and the queries plausible numbers.
    EXPECT_THAT(result.Report().output, HasSubstr("roof displacement: 1.0\n"));
    EXPECT_THAT(result.Report().output, HasSubstr("mode 3: T = "));
}

TEST(DryRunTest, ACorpusOfMistakesShowsEachWhereItIs)
{
    CTempDir dir;
    struct CCase
    {
        const char* name;
        std::string text;
        std::string error;   // the runtime error, if any
        long nErrorLine;     // its line
        std::string problem; // a problem of the tags, if any
        long nProblemLine;
    };
    const std::vector<CCase> cases = {
        {"typo.tcl", "set bayWidth 6.0\nnode 1 0 0\nnode 2 $bayWdth 0\n",
         "can't read \"bayWdth\": no such variable", 3, "", 0},
        {"duplicate.tcl", "node 1 0 0\nnode 5 1 0\n\nnode 5 2 0\n", "", 0,
         "node 5 defined again; first at line 2", 4},
        {"undefined.tcl",
         "material Elastic 1 200\nnode 1 0 0\nnode 2 1 0\nsupport 1 1 1\n"
         "element Truss 7 1 9 0.1 1\nelement Truss 8 1 2 0.1 1\n",
         "", 0, "element 7 uses node 9, which is not defined", 5},
        {"procedure.tcl",
         "proc addStory {level} {\n    set y [expr {$level * 3.0}]\n    set z [expr {$y / "
         "$nope}]\n}\naddStory 1\n",
         "can't read \"nope\": no such variable", 3, "", 0},
        {"comma.tcl", "set h 3,5\nnode 1 0 [expr {$h * 2}]\n", "", 0, "", 0},
    };
    for (const CCase& test : cases)
    {
        SCOPED_TRACE(test.name);
        CHelperRun run;
        RunHelper(dir, test.name, test.text, run);
        const CDryRunReport& report = run.result.Report();
        if (!test.error.empty())
        {
            ASSERT_EQ(report.errors.size(), 1U) << run.answer;
            EXPECT_EQ(report.errors[0].message, test.error);
            EXPECT_EQ(report.errors[0].place.nFile, 0);
            EXPECT_EQ(report.errors[0].place.nLine, test.nErrorLine);
        }
        if (!test.problem.empty())
        {
            ASSERT_EQ(run.result.Facts().Problems().size(), 1U)
                << ::testing::PrintToString(Messages(run.result));
            EXPECT_EQ(run.result.Facts().Problems()[0].message, test.problem);
            EXPECT_EQ(run.result.Facts().Problems()[0].place.nLine, test.nProblemLine);
        }
    }
    // A number written with a comma: Tcl's own message, on the line of the expr.
    CHelperRun comma;
    RunHelper(dir, "comma2.tcl", "set h 3,5\n\nnode 1 0 [expr {sqrt($h)}]\n", comma);
    ASSERT_EQ(comma.result.Report().errors.size(), 1U) << comma.answer;
    EXPECT_EQ(comma.result.Report().errors[0].message,
              "expected floating-point number but got \"3,5\"");
    EXPECT_EQ(comma.result.Report().errors[0].place.nLine, 3);
}

TEST(DryRunTest, NodesBuiltInALoopOfAProcedureAndInASourcedFile)
{
    CTempDir dir;
    dir.Write("columns.tcl", "foreach k {10 11} {\n    node $k 0 [expr {$k - 10}]\n}\n");
    const std::string script = "proc bay {first count} {\n"
                               "    for {set i 0} {$i < $count} {incr i} {\n"
                               "        node [expr {$first + $i}] [expr {$i * 2.0}] 0\n"
                               "    }\n"
                               "}\n"
                               "bay 1 3\n"
                               "source columns.tcl\n"
                               "element Truss 1 1 10 0.1 1\n"
                               "foreach level {1 2} {\n"
                               "    set top [expr {$level * 3.5}]\n"
                               "}\n";
    CHelperRun run;
    RunHelper(dir, "frame.tcl", script, run);
    const CModelFacts& facts = run.result.Facts();
    ASSERT_EQ(facts.Nodes().size(), 5U) << run.answer;
    // Each node of the procedure's loop stands on the line in its body.
    for (size_t i = 0; i < 3; ++i)
    {
        const CDryRunCall call = run.result.Report().calls[facts.Nodes()[i].nCall];
        EXPECT_EQ(call.place.nFile, 0);
        EXPECT_EQ(call.place.nLine, 3);
    }
    EXPECT_DOUBLE_EQ(facts.Nodes()[2].xyz[0], 4.0);
    const CDryRunCall sourced = run.result.Report().calls[facts.Nodes()[4].nCall];
    EXPECT_EQ(sourced.place.nFile, 1);
    EXPECT_EQ(sourced.place.nLine, 2);
    // A model in the making: what it lacks yet, and no node it names wrongly.
    EXPECT_EQ(
        Messages(run.result),
        (std::vector<std::string>{"nothing uses node 2: no element, support or load names it",
                                  "nothing uses node 3: no element, support or load names it",
                                  "element 1 uses material 1, which is not defined",
                                  "no node is fixed: the structure is free to move",
                                  "nothing uses node 11: no element, support or load names it"}));
    ASSERT_EQ(facts.Elements().size(), 1U);
    // The loop's variable keeps its last value, marked as such.
    EXPECT_EQ(run.result.VariableTip("top"), "top = 7.0  (the last value: it is set in a loop)");
    EXPECT_EQ(run.result.VariableTip("level"), "level = 2  (the last value: it is set in a loop)");
}

// Each of these would reach out of a sandbox, or never end: none may write a
// file or start a process, and each comes back in time with its reason.
TEST(DryRunTest, HostileScriptsComeBackWithinTheLimitsAndTouchNothing)
{
    CTempDir dir;
    const std::string target = dir.PathOf("x");
    const bool bTmpX = fs::exists("/tmp/x");
    struct CCase
    {
        const char* name;
        std::string text;
        std::string reason; // a refused command, a limit, or part of the error
    };
    const std::vector<CCase> cases = {
        {"exec.tcl", "exec touch PWNED\n", "refused exec"},
        {"open.tcl", "set f [open " + target + " w]\nputs $f hello\n", "refused open"},
        {"opentmp.tcl", "open /tmp/x w\n", "refused open"},
        {"delete.tcl", "file delete -force " + dir.Prefix() + "\n", "refused file"},
        {"socket.tcl", "socket localhost 22\n", "refused socket"},
        {"load.tcl", "load ./libevil.so Evil\n", ""},
        {"cd.tcl", "cd /\n", "refused cd"},
        {"interp.tcl", "interp create evil\nevil eval {exec touch PWNED}\n", "refused interp"},
        {"passwd.tcl", "source /etc/passwd\n", "a dry run reads only files in the script's folder"},
        {"while.tcl", "while 1 {}\n", "limit time"},
        {"recursion.tcl", "proc f {} {f}\nf\n", "too many nested evaluations"},
        {"repeat.tcl", "set x [string repeat x 1000000000]\nnode 1 $x 0\n", "memory"},
        {"after.tcl", "after 100000\nnode 1 0 0\n", "refused after"},
        {"vwait.tcl", "vwait forever\n", "refused vwait"},
        {"exit.tcl", "node 1 0 0\nexit\nnode 2 0 0\n", ""},
    };
    const std::set<std::string> before = FilesIn(dir.Prefix());
    for (const CCase& test : cases)
    {
        SCOPED_TRACE(test.name);
        CHelperRun run;
        RunHelper(dir, test.name, test.text, run);
        EXPECT_LT(run.seconds, 4.0);
        const CDryRunReport& report = run.result.Report();
        ASSERT_TRUE(run.result.Failure().empty()) << run.answer;
        const std::string reason = test.reason;
        if (reason.rfind("refused ", 0) == 0)
        {
            // Refused, and the script went on.
            const auto refused = std::find_if(report.calls.begin(), report.calls.end(),
                                              [&](const CDryRunCall& call) {
                                                  return call.kind == CDryRunCall::EKind::Refused &&
                                                         call.words[0] == reason.substr(8);
                                              });
            EXPECT_NE(refused, report.calls.end()) << run.answer;
        }
        else if (reason.rfind("limit ", 0) == 0)
        {
            EXPECT_EQ(report.limit, reason.substr(6)) << run.answer;
        }
        else if (reason == "memory")
        {
            EXPECT_TRUE(report.limit == "memory" ||
                        FirstError(report).find("out of memory") != std::string::npos)
                << run.answer;
        }
        else if (!reason.empty())
        {
            EXPECT_THAT(FirstError(report), HasSubstr(reason)) << run.answer;
        }
    }
    // Nothing came into being but the test's own scripts and answers.
    for (const std::string& path : FilesIn(dir.Prefix()))
    {
        const std::string name = fs::path(path).filename().string();
        const bool bOwn = before.count(path) != 0U ||
                          (name.size() > 3 && (name.ends_with(".in") || name.ends_with(".answer")));
        EXPECT_TRUE(bOwn) << path;
    }
    EXPECT_FALSE(fs::exists(dir.PathOf("PWNED")));
    EXPECT_FALSE(fs::exists("PWNED"));
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(fs::exists("/tmp/x"), bTmpX);
}

TEST(DryRunTest, ExitEndsTheScriptQuietlyAndTheTimeLimitCanBeSet)
{
    CTempDir dir;
    CHelperRun exited;
    RunHelper(dir, "exit.tcl", "node 1 0 0\nexit\nnode 2 0 0\n", exited);
    EXPECT_EQ(exited.nStatus, 0);
    EXPECT_EQ(exited.result.Facts().Nodes().size(), 1U);
    EXPECT_TRUE(exited.result.Report().errors.empty());

    CHelperRun looping;
    RunHelper(dir, "loop.tcl", "node 1 0 0\nwhile 1 {\n    incr n\n}\n", looping,
              "--time-limit 300");
    EXPECT_EQ(looping.result.Report().limit, "time");
    EXPECT_LT(looping.seconds, 2.0);
    // In the loop: its own line, or the line of the command it was running.
    EXPECT_GE(looping.result.Report().limitPlace.nLine, 2);
    EXPECT_LE(looping.result.Report().limitPlace.nLine, 3);
    // What came before the limit is kept.
    EXPECT_EQ(looping.result.Facts().Nodes().size(), 1U);
}

// The limits a script cannot catch: the number of calls, memory, processor time.
TEST(DryRunTest, EachLimitSaysWhichItIsAndWhereTheScriptHadGot)
{
    CTempDir dir;
    CHelperRun calls;
    RunHelper(dir, "calls.tcl",
              "proc build {} {\n    while 1 {\n        catch {node 1 0 0}\n    }\n}\nbuild\n",
              calls, "--max-calls 1000");
    EXPECT_EQ(calls.result.Report().limit, "calls") << calls.answer;
    EXPECT_EQ(calls.result.Report().limitPlace.nLine, 3);
    EXPECT_EQ(calls.result.Report().calls.size(), 1000U);

    CHelperRun memory;
    RunHelper(dir, "memory.tcl", "set s x\nwhile 1 {\n    append s $s\n}\n", memory);
    EXPECT_LT(memory.seconds, 5.0);
    const bool bOutOfMemory =
        memory.result.Report().limit == "memory" ||
        FirstError(memory.result.Report()).find("memory") != std::string::npos;
#ifdef __SANITIZE_ADDRESS__
    // Copies of hundreds of megabytes under the sanitizer: time may run out first.
    EXPECT_TRUE(bOutOfMemory || memory.result.Report().limit == "time") << memory.answer;
#else
    EXPECT_TRUE(bOutOfMemory) << memory.answer;
#endif

    // A list grown without end: its value comes back cut, never made whole.
    CHelperRun list;
    RunHelper(dir, "list.tcl", "set l {}\nwhile 1 {\n    lappend l [string repeat y 1000]\n}\n",
              list, "--time-limit 300");
    EXPECT_EQ(list.result.Report().limit, "time");
    const CDryRunVariable* pList = list.result.ValueOf("l");
    ASSERT_NE(pList, nullptr) << list.answer.substr(0, 400);
    EXPECT_TRUE(pList->bCut);
    EXPECT_LE(pList->value.size(), 1000U);
    EXPECT_LT(list.seconds, 5.0);

    // With Tcl's own limit out of the way, the processor's ends the loop.
    CHelperRun cpu;
    RunHelper(dir, "cpu.tcl", "node 1 0 0\nwhile 1 {}\n", cpu, "--time-limit 60000");
    EXPECT_EQ(cpu.result.Report().limit, "cpu") << cpu.answer;
    EXPECT_LT(cpu.seconds, 8.0);
    EXPECT_EQ(cpu.result.Report().limitPlace.nLine, 1); // the last call it made
}
