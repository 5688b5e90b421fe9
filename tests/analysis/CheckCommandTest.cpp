// corvale-check as a user and a CI job run it: what it prints in each
// format, what its exit status says, and which rules it runs.
#include "analysis/RuleCatalogue.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <sys/wait.h>

using nlohmann::json;

namespace
{
const std::string kCorpus = CORVALE_SOURCE_DIR "/tests/check/corpus/";
const std::string kMistakes = CORVALE_SOURCE_DIR "/tests/analysis/corpus/three_mistakes.tcl";
const std::string kHelp = "--help-dir " CORVALE_SOURCE_DIR "/share/help ";

struct COutput
{
    int nStatus = -1;
    std::string text;
    std::string errors;
};

COutput RunCheck(const std::string& arguments)
{
    COutput output;
    CTempDir dir;
    const std::string errors = dir.PathOf("errors.txt");
    FILE* pPipe = popen(
        (std::string(CORVALE_CHECK_PATH) + " " + arguments + " 2>'" + errors + "'").c_str(), "r");
    if (pPipe == nullptr)
        return output;
    char buffer[4096];
    size_t nRead = 0;
    while ((nRead = fread(buffer, 1, sizeof buffer, pPipe)) > 0)
        output.text.append(buffer, nRead);
    const int nStatus = pclose(pPipe);
    output.nStatus = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    output.errors = ReadFileBytes(errors);
    return output;
}

// "line rule" of each finding, in order.
using CFound = std::vector<std::string>;
} // namespace

TEST(CheckCommand, PrintsFindingsAsCompilersDoAndSaysByItsStatusHowBad)
{
    const COutput demo = RunCheck(kHelp + CORVALE_SOURCE_DIR "/share/demo/example.tcl");
    EXPECT_EQ(demo.nStatus, 0);
    EXPECT_EQ(demo.text, "");

    const COutput warnings = RunCheck(kHelp + kCorpus + "before_definition.tcl");
    EXPECT_EQ(warnings.nStatus, 1);
    EXPECT_EQ(warnings.text, kCorpus + "before_definition.tcl:1:1: warning: \"early\" is used "
                                       "before its proc at line 5: move the proc above its first "
                                       "use [command/before-proc]\n");

    const COutput errors = RunCheck(kHelp + kCorpus + "missing_brace.tcl " + kCorpus + "utf8.tcl");
    EXPECT_EQ(errors.nStatus, 2);
    // Columns count characters in a UTF-8 file. The dry run's "missing
    // close-brace" is the same mistake as the check's, and is not repeated.
    EXPECT_EQ(errors.text, kCorpus +
                               "missing_brace.tcl:5:23: error: missing close-brace (opened "
                               "at line 2) [parse/missing-brace]\n" +
                               kCorpus +
                               "utf8.tcl:3:12: error: unknown command \"nodee\"; did "
                               "you mean node? [command/unknown]\n");

    EXPECT_EQ(RunCheck(kHelp + kCorpus + "no-such-script.tcl").nStatus, 3);
    EXPECT_EQ(RunCheck("--format xml " + kHelp + kCorpus + "utf8.tcl").nStatus, 3);
    EXPECT_EQ(RunCheck("").nStatus, 3);

    // Without --help-dir, the configuration's help.
    CTempDir home;
    home.UseAsConfigurationHome("help " CORVALE_SOURCE_DIR "/share/help/\n");
    const COutput configured = RunCheck(kCorpus + "unknown_subcommand.tcl");
    EXPECT_EQ(configured.nStatus, 2);
    EXPECT_THAT(configured.text, ::testing::HasSubstr(":1:9: error: unknown element type \"Bem\""));
}

// The same three findings, one from each source, in every format: the JSON
// parses, and the SARIF log has what its schema requires.
TEST(CheckCommand, EveryFormatCarriesTheSameFindings)
{
    const CFound expected = {"19 command/unknown", "34 model/undefined-tag", "35 run/error"};

    const COutput gcc = RunCheck(kHelp + kMistakes);
    EXPECT_EQ(gcc.nStatus, 2);
    CFound found;
    for (size_t nFrom = 0; nFrom < gcc.text.size();)
    {
        const size_t nEnd = gcc.text.find('\n', nFrom);
        const std::string line = gcc.text.substr(nFrom, nEnd - nFrom);
        nFrom = nEnd + 1;
        const size_t nLine = kMistakes.size() + 1;
        const size_t nOpen = line.rfind(" [");
        found.push_back(line.substr(nLine, line.find(':', nLine) - nLine) + " " +
                        line.substr(nOpen + 2, line.size() - nOpen - 3));
    }
    EXPECT_EQ(found, expected);

    const COutput jsonOutput = RunCheck("--format json " + kHelp + kMistakes);
    EXPECT_EQ(jsonOutput.nStatus, 2);
    const json findings = json::parse(jsonOutput.text);
    found.clear();
    for (const json& finding : findings)
    {
        found.push_back(std::to_string(finding.at("line").get<long>()) + " " +
                        finding.at("rule").get<std::string>());
        EXPECT_EQ(finding.at("file"), kMistakes);
        EXPECT_EQ(finding.at("severity"), "error");
    }
    EXPECT_EQ(found, expected);
    // The check's fix, as data.
    EXPECT_EQ(findings[0].at("fixes")[0].at("text"), "node");

    const COutput sarifOutput = RunCheck("--format sarif " + kHelp + kMistakes);
    EXPECT_EQ(sarifOutput.nStatus, 2);
    const json log = json::parse(sarifOutput.text);
    EXPECT_EQ(log.at("version"), "2.1.0");
    ASSERT_EQ(log.at("runs").size(), 1u);
    const json& run = log.at("runs")[0];
    EXPECT_EQ(run.at("tool").at("driver").at("name"), "corvale-check");
    std::set<std::string> ruleIds;
    for (const json& rule : run.at("tool").at("driver").at("rules"))
        ruleIds.insert(rule.at("id").get<std::string>());
    EXPECT_EQ(ruleIds.size(), RuleCatalogue::kRules.size());
    found.clear();
    for (const json& result : run.at("results"))
    {
        // Required: a message with text; a rule the driver names.
        EXPECT_FALSE(result.at("message").at("text").get<std::string>().empty());
        const std::string rule = result.at("ruleId");
        EXPECT_TRUE(ruleIds.count(rule) != 0) << rule;
        EXPECT_EQ(
            run.at("tool").at("driver").at("rules")[result.at("ruleIndex").get<size_t>()].at("id"),
            rule);
        EXPECT_THAT(result.at("level").get<std::string>(),
                    ::testing::AnyOf("error", "warning", "note", "none"));
        const json& physical = result.at("locations")[0].at("physicalLocation");
        EXPECT_EQ(physical.at("artifactLocation").at("uri"), kMistakes);
        const json& region = physical.at("region");
        EXPECT_GE(region.at("startLine").get<long>(), 1);
        EXPECT_GE(region.at("startColumn").get<long>(), 1);
        found.push_back(std::to_string(region.at("startLine").get<long>()) + " " + rule);
    }
    EXPECT_EQ(found, expected);
}

// What only running the script shows is found on the command line too,
// unless the dry run is turned off.
TEST(CheckCommand, TheDryRunIsOnUnlessTurnedOff)
{
    CTempDir dir;
    const std::string script = dir.Write(
        "equals.tcl", "set r [expr {1 / 0}]\nproc area {b h} {expr {$b * $h}}\narea 2 3\n");
    const COutput run = RunCheck(kHelp + "'" + script + "'");
    EXPECT_EQ(run.nStatus, 2);
    EXPECT_EQ(run.text, script + ":1:1: error: run: divide by zero [run/error]\n");
    const COutput off = RunCheck("--no-dry-run " + kHelp + "'" + script + "'");
    EXPECT_EQ(off.nStatus, 0);
    EXPECT_EQ(off.text, "");

    // A Latin-1 script's words come out as UTF-8 in JSON.
    const std::string latin1 = dir.Write("latin1.tcl", "n\xf6"
                                                       "de 1 0 0\n");
    const json findings = json::parse(RunCheck("--format json " + kHelp + "'" + latin1 + "'").text);
    ASSERT_FALSE(findings.empty());
    EXPECT_THAT(findings[0].at("message").get<std::string>(), ::testing::HasSubstr("\"n\xc3\xb6"
                                                                                   "de\""));
}

TEST(CheckCommand, RulesAreSelectedAndIgnoredByIdOrGroup)
{
    const auto rules = [](const std::string& options)
    {
        const COutput output = RunCheck("--format json " + options + " " + kHelp + kMistakes);
        std::vector<std::string> found;
        for (const json& finding : json::parse(output.text))
            found.push_back(finding.at("rule"));
        return found;
    };
    EXPECT_THAT(rules("--rule command/unknown"), ::testing::ElementsAre("command/unknown"));
    EXPECT_THAT(rules("--rule run,model/"),
                ::testing::ElementsAre("model/undefined-tag", "run/error"));
    EXPECT_THAT(rules("--ignore run --ignore model/undefined-tag"),
                ::testing::ElementsAre("command/unknown"));
    EXPECT_THAT(rules("--rule command/unknown,run --ignore run/error"),
                ::testing::ElementsAre("command/unknown"));
    // Only the findings shown count for the status.
    EXPECT_EQ(RunCheck("--ignore command,model,run " + kHelp + kMistakes).nStatus, 0);

    const COutput wrong = RunCheck("--rule command/unknwn " + kHelp + kMistakes);
    EXPECT_EQ(wrong.nStatus, 3);
    EXPECT_THAT(wrong.errors, ::testing::HasSubstr("no rule is named \"command/unknwn\""));

    const COutput list = RunCheck("--list-rules");
    EXPECT_EQ(list.nStatus, 0);
    for (const CRuleInfo& rule : RuleCatalogue::kRules)
        EXPECT_THAT(list.text, ::testing::HasSubstr(std::string(rule.id)));
}
