// A project file as a team writes it: what it adds to the check, what it
// silences, and how each of its mistakes is told.
#include "analysis/ProjectFile.h"

#include "analysis/Analyser.h"
#include "analysis/ProjectAnalysers.h"
#include "check/CommandKnowledge.h"
#include "helplib/CommandLibrary.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <sys/wait.h>

namespace fs = std::filesystem;
using ::testing::HasSubstr;

namespace
{
std::vector<std::pair<long, std::string>> Problems(const CProjectFile& project)
{
    std::vector<std::pair<long, std::string>> problems;
    for (const CFinding& finding : project.Problems())
    {
        EXPECT_EQ(finding.rule, "project/invalid");
        EXPECT_EQ(finding.file, project.Path());
        problems.emplace_back(finding.nLine, finding.message);
    }
    return problems;
}

CFinding Found(const std::string& rule, ESeverity severity = ESeverity::Error)
{
    CFinding finding;
    finding.rule = rule;
    finding.severity = severity;
    return finding;
}

std::string RunCheck(const std::string& arguments, int& nStatus)
{
    std::string text;
    FILE* pPipe =
        popen((std::string(CORVALE_CHECK_PATH) + " " + arguments + " 2>/dev/null").c_str(), "r");
    char buffer[4096];
    size_t nRead = 0;
    while (pPipe != nullptr && (nRead = fread(buffer, 1, sizeof buffer, pPipe)) > 0)
        text.append(buffer, nRead);
    const int nWait = pPipe != nullptr ? pclose(pPipe) : -1;
    nStatus = WIFEXITED(nWait) ? WEXITSTATUS(nWait) : -1;
    return text;
}
} // namespace

TEST(ProjectFile, EachKeyIsReadAndEachMistakeIsToldOnItsLine)
{
    const CProjectFile project =
        CProjectFile::Parse("# the frame study\n"                                    // 1
                            "help = \"../help\"\n"                                   // 2
                            "command-sets = [\"tk\", \"qt\"]\n"                      // 3
                            "ignore = [\"trap\", \"nosuch\"]\n"                      // 4
                            "colour = \"red\"\n"                                     // 5
                            "[severity]\n"                                           // 6
                            "\"variable\" = \"info\"\n"                              // 7
                            "\"expr/unbraced\" = \"fatal\"\n"                        // 8
                            "[commands]\n"                                           // 9
                            "logMessage = []\n"                                      // 10
                            "\"util::clamp\" = [\"util::clamp <v> <low> <high>\"]\n" // 11
                            "report = \"report <file>\"\n"                           // 12
                            "broken = [\"broken [<x>\", \"other <y>\"]\n"            // 13
                            "count = 3\n",                                           // 14
                            "/work/study/scripts/corvale.toml");
    EXPECT_EQ(project.HelpDirectory(), "/work/study/help");
    EXPECT_EQ(project.CommandSets(), std::vector<std::string>{"tk"});
    std::vector<std::string> names;
    for (const CProjectFile::CCommand& command : project.Commands())
        names.push_back(command.name);
    EXPECT_THAT(names,
                ::testing::UnorderedElementsAre("logMessage", "util::clamp", "report", "broken"));
    const auto problems = Problems(project);
    ASSERT_EQ(problems.size(), 7U) << ::testing::PrintToString(problems);
    EXPECT_EQ(problems[0].first, 3);
    EXPECT_THAT(problems[0].second, HasSubstr("there is no command set \"qt\""));
    EXPECT_EQ(problems[1].first, 4);
    EXPECT_THAT(problems[1].second, HasSubstr("no rule is named \"nosuch\""));
    EXPECT_EQ(problems[2].first, 5);
    EXPECT_THAT(problems[2].second, HasSubstr("\"colour\" means nothing here"));
    EXPECT_EQ(problems[3].first, 8);
    EXPECT_THAT(problems[3].second, HasSubstr("\"error\", \"warning\" or \"info\""));
    EXPECT_EQ(problems[4].first, 13);
    EXPECT_THAT(problems[4].second, HasSubstr("\"broken [<x>\""));
    EXPECT_EQ(problems[5].first, 13);
    EXPECT_THAT(problems[5].second, HasSubstr("\"other <y>\""));
    EXPECT_EQ(problems[6].first, 14);

    // Not TOML at all: one finding where it stops, and nothing else holds.
    const CProjectFile broken =
        CProjectFile::Parse("ignore = [\"trap\"]\n[severity\n", "/p/corvale.toml");
    ASSERT_EQ(Problems(broken).size(), 1U);
    EXPECT_EQ(Problems(broken)[0].first, 2);
    EXPECT_THAT(Problems(broken)[0].second, HasSubstr("corvale.toml: not TOML: "));
    std::vector<CFinding> findings = {Found("trap/glued-brace")};
    broken.Apply(findings);
    EXPECT_EQ(findings.size(), 2U);

    // A file that is no regular file is told so, not waited on.
    const CProjectFile folder = CProjectFile::Read("/tmp");
    ASSERT_EQ(Problems(folder).size(), 1U);
    EXPECT_THAT(Problems(folder)[0].second, HasSubstr("cannot be read"));
}

TEST(ProjectFile, IgnoredRulesGoAndAnIdsSeverityWinsOverItsGroups)
{
    const CProjectFile project = CProjectFile::Parse("ignore = [\"expr/unbraced\", \"run/\"]\n"
                                                     "[severity]\n"
                                                     "\"variable/typo\" = \"warning\"\n"
                                                     "\"variable\" = \"info\"\n",
                                                     "/p/corvale.toml");
    ASSERT_TRUE(project.Problems().empty());
    std::vector<CFinding> findings = {Found("expr/unbraced", ESeverity::Warning),
                                      Found("run/error"),
                                      Found("run/limit"),
                                      Found("variable/typo"),
                                      Found("variable/unset"),
                                      Found("command/unknown")};
    project.Apply(findings);
    ASSERT_EQ(findings.size(), 3U);
    EXPECT_EQ(findings[0].rule, "variable/typo");
    EXPECT_EQ(findings[0].severity, ESeverity::Warning);
    EXPECT_EQ(findings[1].severity, ESeverity::Info);
    EXPECT_EQ(findings[2].severity, ESeverity::Error);
}

TEST(ProjectFile, TheNearestFileAboveAScriptHoldsAndAChangedOneIsReadAgain)
{
    CTempDir dir;
    dir.MakeDirectory("study");
    dir.MakeDirectory("study/frames");
    dir.MakeDirectory("study/frames/deep");
    dir.Write("study/corvale.toml", "[commands]\nlogMessage = []\n");
    dir.Write("study/frames/deep/corvale.toml", "command-sets = [\"tk\"]\n");
    EXPECT_EQ(CProjectFile::Locate(dir.PathOf("study/frames/a.tcl")),
              dir.PathOf("study/corvale.toml"));
    EXPECT_EQ(CProjectFile::Locate(dir.PathOf("study/frames/deep/b.tcl")),
              dir.PathOf("study/frames/deep/corvale.toml"));
    EXPECT_EQ(CProjectFile::Locate(dir.PathOf("elsewhere.tcl")), "");

    CCommandLibrary library;
    library.Load(CORVALE_SOURCE_DIR "/share/help/");
    CProjectAnalysers analysers(library, CORVALE_SOURCE_DIR "/share/help/");
    const std::string script = dir.PathOf("study/frames/a.tcl");
    CProjectAnalysers::CChoice choice = analysers.For(script);
    ASSERT_NE(choice.pProject, nullptr);
    EXPECT_TRUE(choice.pAnalyser->Knowledge().IsTopLevel("logMessage"));
    EXPECT_TRUE(choice.pAnalyser->Knowledge().IsTopLevel("node"));
    EXPECT_FALSE(choice.pAnalyser->Knowledge().IsTopLevel("pack"));
    // Tk's commands, its tk_ procedures and its namespaces.
    CProjectAnalysers::CChoice deep = analysers.For(dir.PathOf("study/frames/deep/b.tcl"));
    for (const char* pName : {"pack", "tk_messageBox", "ttk::treeview", "::tk::PlaceWindow"})
        EXPECT_TRUE(deep.pAnalyser->Knowledge().IsTopLevel(pName)) << pName;
    EXPECT_EQ(analysers.For(dir.PathOf("elsewhere.tcl")).pProject, nullptr);

    dir.Write("study/corvale.toml", "[commands]\nlogMessage = []\nlogWarning = []\n");
    choice = analysers.For(script);
    EXPECT_TRUE(choice.pAnalyser->Knowledge().IsTopLevel("logWarning"));
}

TEST(ProjectFile, CorvaleCheckHonoursTheProjectItsScriptsBelongTo)
{
    CTempDir dir;
    // A help library of the project's own: one command, "probe".
    dir.MakeDirectory("help");
    dir.Write("help/list.txt", "probe.txt\n");
    dir.Write("help/probe.txt", "probe:command\nprobe <id>\n\nReturns: <number>\n#\n");
    dir.Write("corvale.toml", "help = \"help\"\n"
                              "command-sets = [\"tk\"]\n"
                              "ignore = [\"expr/unbraced\"]\n"
                              "[severity]\n"
                              "\"variable/unset\" = \"warning\"\n"
                              "[commands]\n"
                              "\"util::clamp\" = [\"util::clamp <value> <low> <high>\"]\n");
    const std::string script = dir.Write("view.tcl", "wm title . Frames\n"
                                                     "button .b -text Run\n"
                                                     "pack .b\n"
                                                     "set d [probe 3]\n"
                                                     "puts [expr $d*2]\n"
                                                     "util::clamp $d 0\n"
                                                     "puts $nothing\n"
                                                     "node 1 0 0\n");
    int nStatus = -1;
    const std::string output = RunCheck(script, nStatus);
    EXPECT_EQ(output, script +
                          ":6:1: error: missing <high>: util::clamp <value> <low> <high> "
                          "[usage/missing-argument]\n" +
                          script +
                          ":7:6: warning: can't read \"nothing\": no such variable; "
                          "nothing in the script sets it [variable/unset]\n" +
                          script +
                          ":8:1: error: unknown command \"node\": not a Tcl or library "
                          "command, nor a proc of the script [command/unknown]\n");
    EXPECT_EQ(nStatus, 2);
    // A help directory on the command line holds over the project's.
    const std::string given =
        RunCheck("--no-dry-run --help-dir " CORVALE_SOURCE_DIR "/share/help " + script, nStatus);
    EXPECT_THAT(given, HasSubstr("unknown command \"probe\""));
    EXPECT_THAT(given, ::testing::Not(HasSubstr("\"node\"")));
}
