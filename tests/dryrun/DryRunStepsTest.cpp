// A dry run that goes on past an error, and that never blames the script for
// a value only the analysis could give.
#include "DryRunTestSupport.h"
#include "dryrun/ScriptSteps.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::HasSubstr;

namespace
{
std::vector<std::pair<long, std::string>> Errors(const CDryRunReport& report)
{
    std::vector<std::pair<long, std::string>> errors;
    for (const CDryRunError& error : report.errors)
        errors.emplace_back(error.place.nLine, error.message);
    return errors;
}
} // namespace

TEST(DryRunSteps, OnePassFindsEachCommandsErrorButNotItsEchoes)
{
    CTempDir dir;
    const std::string script = "set bayWidth 6.0\n"
                               "node 1 0 0\n"
                               "node 2 $bayWdth 0\n"
                               "set h [expr {1 / 0}]\n"
                               "node 3 0 $h\n"
                               "proc p {} {\n"
                               "    error \"inside\"\n"
                               "}\n"
                               "p\n"
                               "node 4 \\\n"
                               "    1 [expr {$nope}]\n"
                               "foreach k {5 6} {\n"
                               "    node $k 0 0\n"
                               "}\n"
                               "break\n"
                               "node 7 0 0\n";
    CHelperRun run;
    RunHelper(dir, "many.tcl", script, run);
    const std::vector<std::pair<long, std::string>> expected = {
        {3, "can't read \"bayWdth\": no such variable"},
        {4, "divide by zero"},
        {7, "inside"},
        // Tcl places a substitution's error on the line its command opens.
        {10, "can't read \"nope\": no such variable"},
        {15, "invoked \"break\" outside of a loop"},
    };
    EXPECT_EQ(Errors(run.result.Report()), expected) << run.answer;
    // Every command without an error ran: nodes 1, 5, 6 and 7.
    EXPECT_EQ(run.result.Facts().Nodes().size(), 4U) << run.answer;
    EXPECT_NE(run.nStatus, 0);

    // A sourced file goes on past its own errors too, and names its lines.
    dir.Write("part.tcl", "node 10 0 0\nnode 11 $missing 0\nnode 12 0 0\n");
    CHelperRun sourced;
    RunHelper(dir, "main.tcl", "source part.tcl\nnode 13 0 0\n", sourced);
    ASSERT_EQ(sourced.result.Report().errors.size(), 1U) << sourced.answer;
    EXPECT_EQ(sourced.result.Report().errors[0].place.nFile, 1);
    EXPECT_EQ(sourced.result.Report().errors[0].place.nLine, 2);
    EXPECT_EQ(sourced.result.Facts().Nodes().size(), 3U);
}

TEST(DryRunSteps, ResultsOfTheAnalysisArePlausibleAndWhatTheyCauseIsNotBlamed)
{
    CTempDir dir;
    const std::string script = "if {[run 10] != 0} {\n"               // 1
                               "    error \"analysis failed\"\n"      // 2
                               "}\n"                                  // 3
                               "puts [expr {[nodeDisp 3 1] / 2.0}]\n" // 4
                               "set ok [run 1]\n"                     // 5
                               "while {$ok != 0} {\n"                 // 6
                               "    set ok [run 1]\n"                 // 7
                               "}\n"                                  // 8
                               "set lambdas [eigen 3]\n"              // 9
                               "puts \"[llength $lambdas] modes\"\n"  // 10
                               "foreach l $lambdas {\n"               // 11
                               "    puts [expr {1.0 / sqrt($l)}]\n"   // 12
                               "}\n"                                  // 13
                               "set d [nodeDisp 3 1]\n"               // 14
                               "set limit [expr {$d * 2}]\n"          // 15
                               "if {$limit > 0.1} {\n"                // 16
                               "    error \"drift too large\"\n"      // 17
                               "}\n"                                  // 18
                               "set t [fromSomePackage]\n"            // 19
                               "puts [expr {$t + 1}]\n"               // 20
                               "set x [expr {1 / 0}]\n";              // 21
    CHelperRun run;
    RunHelper(dir, "post.tcl", script, run);
    const std::vector<std::pair<long, std::string>> expected = {{21, "divide by zero"}};
    EXPECT_EQ(Errors(run.result.Report()), expected) << run.answer;
    EXPECT_TRUE(run.result.Report().limit.empty()) << run.answer;
    EXPECT_THAT(run.result.Report().output, HasSubstr("3 modes"));
    ASSERT_NE(run.result.ValueOf("lambdas"), nullptr);
    EXPECT_EQ(run.result.ValueOf("lambdas")->value, "1.0 2.0 3.0");

    // A loop that waits on the analysis never ends in a dry run: its limit
    // says so; a loop of the script's own making does not.
    CHelperRun waiting;
    RunHelper(dir, "waiting.tcl",
              "set t [currentTime]\nwhile {$t < 10.0} {\n    run 1 0.01\n    set t "
              "[currentTime]\n}\n",
              waiting, "--time-limit 200");
    EXPECT_EQ(waiting.result.Report().limit, "time") << waiting.answer;
    EXPECT_TRUE(waiting.result.Report().bLimitUnsure) << waiting.answer;
    CHelperRun spinning;
    RunHelper(dir, "spinning.tcl", "set t [currentTime]\nset n 0\nwhile {$n < 10} {\n}\n", spinning,
              "--time-limit 200");
    EXPECT_EQ(spinning.result.Report().limit, "time") << spinning.answer;
    EXPECT_FALSE(spinning.result.Report().bLimitUnsure) << spinning.answer;

    // A later mistake made of known values alone is still the script's.
    CHelperRun later;
    RunHelper(dir, "later.tcl", "set d [nodeDisp 3 1]\nset e 2\nset r [expr {$e / ($e - 2)}]\n",
              later);
    const std::vector<std::pair<long, std::string>> laterErrors = {{3, "divide by zero"}};
    EXPECT_EQ(Errors(later.result.Report()), laterErrors) << later.answer;
}

TEST(DryRunSteps, EachTopLevelCommandBecomesAStepOnItsOwnLines)
{
    const std::string text = "# a comment {\n"
                             "set a 1; set b {x\n"
                             "y}\n"
                             "puts \"a { b\"\n"
                             "node 1 \\\n"
                             "    0 0\n";
    const std::string steps = CScriptSteps::Wrap(text);
    EXPECT_EQ(steps, "# a comment {\n"
                     "::corvale::step {set a 1}; ::corvale::step {set b {x\n"
                     "y}}\n"
                     "puts \"a { b\"\n"
                     "::corvale::step {node 1 \\\n"
                     "    0 0}\n");
    // Nesting deeper than Tcl's parser follows is left to the run, which
    // stops there with its place.
    const std::string deep = "x " + std::string(5000, '[');
    EXPECT_EQ(CScriptSteps::Wrap("set a 1\n" + deep), "::corvale::step {set a 1}\n" + deep);
    // What Tcl cannot parse is left to Tcl, from there on.
    EXPECT_EQ(CScriptSteps::Wrap("set a 1\nset b {\nset c 2\n"),
              "::corvale::step {set a 1}\nset b {\nset c 2\n");
    // Empty commands stay as they stand, however many: a text past 64 KB is
    // measured command by command, and each ";" is passed over once.
    const std::string empty(100000, ';');
    EXPECT_EQ(CScriptSteps::Wrap(empty + "set a 1\n ;\n"),
              empty + "::corvale::step {set a 1}\n ;\n");
}
