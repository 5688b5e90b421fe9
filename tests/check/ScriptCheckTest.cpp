// The script check on a corpus of small scripts, one or a few per kind of
// finding, against the bundled library: every finding's line, column,
// severity and message.
#include "analysis/RuleCatalogue.h"
#include "check/CheckRule.h"
#include "check/CommandKnowledge.h"
#include "check/ProcSignature.h"
#include "check/ScriptChecker.h"
#include "check/ScriptOutline.h"
#include "check/UsageForm.h"
#include "helplib/CommandLibrary.h"
#include "support/RecordedMessages.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <map>
#include <string>
#include <vector>

namespace
{
const std::string kCorpus = CORVALE_SOURCE_DIR "/tests/check/corpus/";

// "line:column severity: message", as corvale-check prints it (columns count
// bytes here; the corpus keeps them ASCII where a column matters).
std::string Describe(const std::string& text, const CFinding& finding)
{
    long nLine = 1;
    long nColumn = 1;
    for (long i = 0; i < finding.nStart; ++i)
    {
        if (text[static_cast<size_t>(i)] == '\n')
        {
            ++nLine;
            nColumn = 1;
        }
        else
            ++nColumn;
    }
    return std::to_string(nLine) + ":" + std::to_string(nColumn) + " " +
           (finding.severity == ESeverity::Error ? "error" : "warning") + ": " + finding.message;
}

class ScriptCheckTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_pLibrary = new CCommandLibrary;
        s_pLibrary->Load(CORVALE_SOURCE_DIR "/share/help/");
        s_pKnowledge = new CCommandKnowledge;
        s_pKnowledge->Build(*s_pLibrary);
        s_pChecker = new CScriptChecker(*s_pKnowledge);
    }
    static void TearDownTestSuite()
    {
        delete s_pChecker;
        delete s_pKnowledge;
        delete s_pLibrary;
    }

    static std::vector<std::string> Check(const std::string& name)
    {
        std::string text;
        EXPECT_TRUE(CScriptChecker::ReadFile(kCorpus + name, text)) << name;
        std::vector<std::string> findings;
        long nLast = -1;
        for (const CFinding& finding : s_pChecker->Check(text, kCorpus))
        {
            EXPECT_GE(finding.nStart, nLast) << "in order";
            EXPECT_LE(finding.nStart, finding.nEnd);
            EXPECT_LE(finding.nEnd, static_cast<long>(text.size()));
            nLast = finding.nStart;
            findings.push_back(Describe(text, finding));
        }
        return findings;
    }

    static CCommandLibrary* s_pLibrary;
    static CCommandKnowledge* s_pKnowledge;
    static CScriptChecker* s_pChecker;
};
CCommandLibrary* ScriptCheckTest::s_pLibrary = nullptr;
CCommandKnowledge* ScriptCheckTest::s_pKnowledge = nullptr;
CScriptChecker* ScriptCheckTest::s_pChecker = nullptr;

struct CCase
{
    const char* file;
    std::vector<std::string> findings;
};

const std::string kNode = ": node <tag> <x> [<y> [<z>]] [-mass <m1> ... <mndf>]";
} // namespace

TEST_F(ScriptCheckTest, EachKindOfFindingOnTheCorpus)
{
    const std::vector<CCase> cases = {
        {"missing_brace.tcl", {"5:23 error: missing close-brace (opened at line 2)"}},
        {"missing_bracket.tcl", {"2:13 error: missing close-bracket (opened at line 1)"}},
        {"missing_quote.tcl", {"2:14 error: missing close-quote (opened at line 1)"}},
        {"extra_characters.tcl",
         {"1:9 error: extra characters after close-brace: put a blank after the }",
          "2:9 error: extra characters after close-quote: put a blank after the \""}},
        {"unknown_command.tcl",
         {"2:1 error: unknown command \"nodee\"; did you mean node?",
          "3:1 error: unknown command \"frobnicate\": not a Tcl or library command, nor a proc of "
          "the script",
          "4:1 error: can't read \"cmd\": no such variable; nothing in the script sets it",
          "6:24 error: unknown command \"sett\"; did you mean set?"}},
        {"unknown_subcommand.tcl",
         {"1:9 error: unknown element type \"Bem\"; did you mean Beam?",
          "3:10 error: \"Statik\" is not one of Static|Transient: analysis Static|Transient",
          "4:8 error: unknown output type \"Nodes\"; did you mean Node?"}},
        {"arguments.tcl",
         {"1:1 error: missing <x>" + kNode, "2:20 error: too many arguments, from \"0.0\"" + kNode,
          "3:1 error: missing <jNode>: element Truss <tag> <iNode> <jNode> <A> <material>",
          "4:16 error: unknown flag \"-mas\"; expected -mass" + kNode,
          "5:14 error: unknown flag \"-w\"; expected -x or -y or -z or -tol: supportPlane "
          "-x|-y|-z <coordinate> <fix1> ... <fixndf> [-tol <tol>]"}},
        // Procedures from sourced files, a source of a source included.
        {"sourced_procs.tcl", {"4:1 error: unknown command \"nodee\"; did you mean node?"}},
        {"before_definition.tcl",
         {"1:1 warning: \"early\" is used before its proc at line 5: move the proc above its "
          "first use"}},
        {"nested_bodies.tcl",
         {"4:13 error: unknown command \"nodee\"; did you mean node?",
          "6:21 error: unknown element type \"Bem\"; did you mean Beam?",
          "9:26 error: \"Statik\" is not one of Static|Transient: analysis Static|Transient",
          "14:12 error: unknown command \"frobnicate\": not a Tcl or library command, nor a proc "
          "of the script",
          "15:18 error: missing <x>" + kNode,
          "17:12 error: unknown command \"sett\"; did you mean set?"}},
        {"loadcase.tcl",
         {"4:5 error: unknown command \"lood\"; did you mean load?",
          "5:5 error: missing <F1>: load <node> <F1> ... <Fndf>"}},
        // {*} hides how many words a command has: nothing to say.
        {"expand.tcl", {}},
        {"warnings.tcl",
         {"3:20 warning: this } in a comment ends the body: Tcl counts braces in comments; "
          "escape it as \\}",
          "5:1 error: a stray \"}\" closes nothing: remove it, or look for what closed its block "
          "too early",
          "6:1 warning: set with one argument only reads \"x\": give it a value, set <name> "
          "<value>",
          "13:5 warning: a brace in a comment inside a body counts in Tcl: keep the braces of the "
          "comment balanced, or escape them as \\{ and \\}",
          "14:5 warning: a brace in a comment inside a body counts in Tcl: keep the braces of the "
          "comment balanced, or escape them as \\{ and \\}"}},
        {"latin1.tcl", {"3:1 error: unknown command \"nodee\"; did you mean node?"}},
        // Bytes, not characters: "\xC2\xB5" is two.
        {"utf8.tcl", {"3:13 error: unknown command \"nodee\"; did you mean node?"}},
    };
    for (const CCase& test : cases)
        EXPECT_THAT(Check(test.file), ::testing::ElementsAreArray(test.findings)) << test.file;
}

TEST_F(ScriptCheckTest, TheDemoChecksClean)
{
    std::string text;
    ASSERT_TRUE(CScriptChecker::ReadFile(CORVALE_SOURCE_DIR "/share/demo/example.tcl", text));
    EXPECT_THAT(s_pChecker->Check(text, CORVALE_SOURCE_DIR "/share/demo"), ::testing::IsEmpty());
    ASSERT_TRUE(
        CScriptChecker::ReadFile(CORVALE_SOURCE_DIR "/share/demo/materials_part.tcl", text));
    EXPECT_THAT(s_pChecker->Check(text, CORVALE_SOURCE_DIR "/share/demo"), ::testing::IsEmpty());
}

TEST_F(ScriptCheckTest, TclsCommandsComeFromTclItself)
{
    // The global ones, every namespace's, and what Tcl's library autoloads.
    for (const char* pCommand :
         {"set", "proc", "foreach", "lassign", "dict", "apply", "coroutine", "oo::define",
          "oo::class", "tcl::mathfunc::max", "tcl::prefix", "parray", "history", "auto_execok"})
        EXPECT_EQ(s_pChecker->TclCommands().count(pCommand), 1u) << pCommand;
    EXPECT_EQ(s_pChecker->TclCommands().count("node"), 0u);
    EXPECT_EQ(s_pChecker->MathFunctions().count("hypot"), 1u);
    const std::string text = "oo::define C method m {} {}\n"
                             "::tcl::mathfunc::max 1 2\n"
                             "parray ::env\n"
                             "history keep 10\n"
                             "puts [auto_execok ls]\n";
    EXPECT_THAT(s_pChecker->Check(text, ""), ::testing::IsEmpty());
}

// The sourced files are read at most kMaxSources of them, each once, even
// where they source each other round and round.
TEST_F(ScriptCheckTest, SourcedFilesAreReadOnceEachAndAtMostAHundred)
{
    std::vector<std::string> read;
    const CScriptChecker::FileReader reader = [&](const std::string& path, std::string& bytes)
    {
        read.push_back(path);
        const std::string name = path.substr(path.rfind('/') + 1);
        const int n = std::stoi(name.substr(1));
        bytes = "proc p" + std::to_string(n) + " {} {}\nsource f" + std::to_string(n + 1) +
                ".tcl\nsource f0.tcl\n";
        return true;
    };
    const std::vector<CFinding> findings =
        s_pChecker->Check("source f0.tcl\np0\np99\np100\n", "/d", reader);
    EXPECT_EQ(read.size(), 100u);
    EXPECT_EQ(read.front(), "/d/f0.tcl");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].message,
              "unknown command \"p100\"; did you mean p10?"); // the 101st file was never read
}

TEST(ScriptCheckLibrary, ALibraryWithoutUsageLinesChecksNamesOnly)
{
    CTempDir dir;
    dir.Write("list.txt", "plain.txt");
    dir.Write("plain.txt",
              "node:command\nCreates a node.\n#\nelement:command\nCreates an element.\n#\n"
              "Truss:element\nAn axial member.\n#\n");
    CRecordedMessages messages;
    CCommandLibrary library;
    ASSERT_EQ(library.Load(dir.Prefix(), messages), 1);
    CCommandKnowledge knowledge;
    knowledge.Build(library);
    CScriptChecker checker(knowledge);
    const std::vector<CFinding> findings =
        checker.Check("node 1\nnode 1 2 3 4 5 6 7\nelement Truss 1\nelement Truss\nelement Trus 1\n"
                      "nodes 1\n",
                      dir.Prefix());
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].message, "unknown element sub-command \"Trus\"; did you mean Truss?");
    EXPECT_EQ(findings[1].message, "unknown command \"nodes\"; did you mean node?");
    EXPECT_THAT(messages.m_messages, ::testing::IsEmpty());
}

TEST(UsageForm, TheGrammarOfUsageLines)
{
    const auto fits = [](const char* form, std::vector<CUsageForm::CWord> words)
    {
        const std::optional<CUsageForm> parsed = CUsageForm::Parse(form, form);
        EXPECT_TRUE(parsed.has_value()) << form;
        CUsageForm::CMismatch mismatch;
        return parsed && parsed->Matches(words, mismatch);
    };
    const CUsageForm::CWord value{"", false}; // a substitution: fits anything
    EXPECT_TRUE(fits("<tag> <x> [<y> [<z>]]", {{"1"}, {"2"}}));
    EXPECT_TRUE(fits("<tag> <x> [<y> [<z>]]", {{"1"}, {"2"}, {"3"}, {"4"}}));
    EXPECT_FALSE(fits("<tag> <x> [<y> [<z>]]", {{"1"}}));
    EXPECT_FALSE(fits("<tag> <x> [<y> [<z>]]", {{"1"}, {"2"}, {"3"}, {"4"}, {"5"}}));
    EXPECT_TRUE(fits("<node> <c1> ... <cndf>", {{"1"}, {"1"}, {"0"}, {"1"}}));
    EXPECT_FALSE(fits("<node> <c1> ... <cndf>", {{"1"}, {"1"}}));
    EXPECT_TRUE(fits("Static|Transient", {{"Transient"}}));
    EXPECT_FALSE(fits("Static|Transient", {{"Modal"}}));
    EXPECT_TRUE(fits("Static|Transient", {value}));
    EXPECT_TRUE(fits("<type> <tag> <nodes...> <arguments...>", {{"Beam"}, {"1"}, {"1"}, {"2"}}));
    EXPECT_TRUE(fits("-file <name> [-time] -node <n1> ...", {{"-file"}, {"a"}, {"-node"}, {"1"}}));
    EXPECT_FALSE(fits("-file <name> [-time] -node <n1> ...", {{"-file"}, {"a"}, {"-dof"}, {"1"}}));
    EXPECT_TRUE(fits("<tag> <series> {", {{"1"}, {"1"}, {"{...}"}}));
    EXPECT_TRUE(CUsageForm::Parse("<tag> <series> {", "").value().EndsInBody());
    EXPECT_EQ(CUsageForm::Parse("<type> <tag>", "").value().FirstPlaceholder(), "type");
    // Forms that do not parse are skipped, never an error.
    EXPECT_FALSE(CUsageForm::Parse("<tag> [<x>", "").has_value());
    EXPECT_FALSE(CUsageForm::Parse("<tag> ]", "").has_value());
    EXPECT_FALSE(CUsageForm::Parse("<ta<g>", "").has_value());

    // Usage lines are the help lines that start with the record's own words.
    const std::vector<CUsageForm> forms = CCommandKnowledge::FormsInText(
        " Truss:element\nelement Truss <tag> <i> <j>\nelement Truss\n  element Truss <tag> -x\n"
        "Example: element Truss 1 2 3\n",
        {"element", "Truss"});
    ASSERT_EQ(forms.size(), 3u);
    EXPECT_EQ(forms[0].Line(), "element Truss <tag> <i> <j>");
}

// One checker over many texts, each in a buffer of exactly its size, as the
// editor's checker runs again and again: no read past a text's end (the
// sanitizer build catches one), whatever bytes it ends with.
TEST_F(ScriptCheckTest, TextsEndingAnywhereAreNeverReadPastTheirEnd)
{
    // Nesting too deep for Tcl's parser after a blank line is measured as
    // such, not taken for a plain line (a fuzz find of a stack overflow).
    for (const std::string& lead : {std::string("\n"), std::string("\n;\n  ;")})
    {
        const std::string deep = lead + "x " + std::string(200000, '[');
        const std::vector<CFinding> findings = s_pChecker->Check(deep, "");
        ASSERT_FALSE(findings.empty());
        EXPECT_EQ(findings[0].rule, "parse/too-deep");
    }

    const std::string found =
        ReadFileBytes(CORVALE_SOURCE_DIR "/tests/hostile/check_crash_heap_overflow.bin");
    ASSERT_FALSE(found.empty());
    std::vector<std::string> texts;
    for (size_t n = 1; n <= found.size(); n += 7)
        texts.push_back(found.substr(0, n));
    for (const char* pEnd : {"\\\xf0", "\\\xf4\x8f", "$a(\xf0", "# {\n\\\xe2", "set x \"\xf0\x9f",
                             "proc p {} {\n\\", "[\\\xf0"})
        texts.push_back(std::string("set a 1\n") + pEnd);
    for (const std::string& text : texts)
    {
        const std::unique_ptr<char[]> pExact(new char[text.size()]);
        std::copy(text.begin(), text.end(), pExact.get());
        const std::vector<CFinding> findings =
            s_pChecker->Check(std::string_view(pExact.get(), text.size()), "/nonexistent",
                              [](const std::string&, std::string&) { return false; });
        for (const CFinding& finding : findings)
            EXPECT_LE(finding.nEnd, static_cast<long>(text.size()));
    }
}

// A rule is a class of the list with the ids it reports; the catalogue gives
// each id its severity. An id that no rule claims, or that two claim, or a
// rule's id that the catalogue lacks, is a mistake of whoever added a rule.
TEST(CheckRules, EachIdOfTheCheckIsOneRulesAndInTheCatalogue)
{
    std::map<std::string, int> claims;
    for (const auto& pRule : MakeCheckRules())
    {
        EXPECT_FALSE(pRule->Ids().empty());
        for (const std::string_view id : pRule->Ids())
        {
            EXPECT_NE(RuleCatalogue::Find(id), nullptr) << id;
            ++claims[std::string(id)];
        }
    }
    for (const CRuleInfo& rule : RuleCatalogue::kRules)
    {
        // The dry run, the model facts and the project file report the rest.
        if (rule.id.substr(0, 4) == "run/" || rule.id.substr(0, 6) == "model/" ||
            rule.id.substr(0, 8) == "project/")
            continue;
        EXPECT_EQ(claims[std::string(rule.id)], 1) << rule.id;
    }
}

// The one walk that checks also notes what the script defines: what the
// hover and the symbols read, each at the word that names it.
TEST_F(ScriptCheckTest, TheWalkOutlinesProceduresVariablesAndSources)
{
    CTempDir dir;
    dir.Write("part.tcl", "proc fromPart {} {}\nset partVariable 1\n");
    const std::string text = "source part.tcl\n"
                             "proc column {tag {height 3.0} args} {\n"
                             "    set local 1\n"
                             "}\n"
                             "proc ::beam {i j} {}\n"
                             "set H 3.5\n"
                             "set ::g 9.81\n"
                             "set justRead\n"
                             "for {set k 0} {$k < 3} {incr k} {set total $k}\n"
                             "foreach {a b} {1 2} x {3} { lappend pairs $a }\n"
                             "dict for {key value} {a 1} { set lastKey $key }\n"
                             "while {0} { set H 4 }\n"
                             "array set table {a 1}\n"
                             "lassign {1 2} first second\n"
                             "proc column {tag} {}\n";
    CScriptOutline outline;
    s_pChecker->Check(text, dir.Prefix(), &CScriptChecker::ReadFile, {}, &outline);

    ASSERT_EQ(outline.Procedures().size(), 2U);
    const CScriptOutline::CProcedure* pColumn = outline.Procedure("column");
    ASSERT_NE(pColumn, nullptr);
    // Defined again: the last definition is the one that runs.
    EXPECT_EQ(pColumn->parameters, "tag");
    EXPECT_EQ(pColumn->place.nStart, static_cast<long>(text.rfind("column")));
    const CScriptOutline::CProcedure* pBeam = outline.Procedure("::beam");
    ASSERT_NE(pBeam, nullptr);
    EXPECT_EQ(pBeam->name, "beam");
    EXPECT_EQ(pBeam->parameters, "i j");
    EXPECT_EQ(outline.Procedure("fromPart"), nullptr) << "the sourced file's own";

    const auto inLoop = [&](const char* pName)
    {
        const CScriptOutline::CVariable* pVariable = outline.Variable(pName);
        EXPECT_NE(pVariable, nullptr) << pName;
        return pVariable != nullptr && pVariable->bSetInLoop;
    };
    for (const char* pName : {"local", "g", "table", "first", "second"})
        EXPECT_FALSE(inLoop(pName)) << pName;
    for (const char* pName : {"k", "total", "a", "b", "x", "pairs", "lastKey", "H"})
        EXPECT_TRUE(inLoop(pName)) << pName;
    EXPECT_EQ(outline.Variable("justRead"), nullptr);
    EXPECT_EQ(outline.Variable("partVariable"), nullptr);
    // H is first set outside the loop, and later in one.
    EXPECT_EQ(outline.Variable("H")->firstSet.nStart, static_cast<long>(text.find("H 3.5")));
    EXPECT_EQ(outline.Variable("b")->firstSet.nStart, static_cast<long>(text.find("b}")));

    ASSERT_EQ(outline.Sources().size(), 1U);
    EXPECT_EQ(outline.Sources()[0].path, "part.tcl");
    EXPECT_EQ(outline.Sources()[0].place.nStart, static_cast<long>(text.find("part.tcl")));
}

// The bodies of dict for, dict map, dict with, dict update and time are
// scripts, checked like every other body.
TEST_F(ScriptCheckTest, DictAndTimeBodiesAreChecked)
{
    const std::string text = "set d {a 1}\n"
                             "dict for {k v} $d { nodee 1 0 0 }\n"
                             "dict map {k v} $d { nodee 2 0 0 }\n"
                             "dict with d { nodee 3 0 0 }\n"
                             "dict update d a x { nodee 4 0 0 }\n"
                             "time { nodee 5 0 0 } 3\n";
    std::vector<long> lines;
    for (const CFinding& finding : s_pChecker->Check(text, ""))
    {
        EXPECT_EQ(finding.rule, "command/unknown");
        lines.push_back(
            1 + static_cast<long>(std::count(text.begin(), text.begin() + finding.nStart, '\n')));
    }
    EXPECT_THAT(lines, ::testing::ElementsAre(2, 3, 4, 5, 6));
}

// A line of 200,000 empty commands in a text too long to skip the nesting
// check: each is passed over once, not the rest of the line judged again at
// every ";" (a fuzz find that took minutes), and what follows is checked.
TEST_F(ScriptCheckTest, ALongRunOfEmptyCommandsIsPassedOverOnce)
{
    const std::string text = std::string(200000, ';') + "nodee 1\n;puts [[[";
    const std::vector<CFinding> findings = s_pChecker->Check(text, "");
    ASSERT_EQ(findings.size(), 2U);
    EXPECT_EQ(findings[0].rule, "command/unknown");
    EXPECT_EQ(findings[0].nStart, 200000);
    EXPECT_EQ(findings[1].rule, "parse/missing-bracket");
}

// Thousands of unknown names against thousands of known ones: suggestions
// are made while their cost stays small, and the rest are plain findings.
TEST_F(ScriptCheckTest, SuggestionsStopOnceTheirCostIsSpent)
{
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "set value" + std::to_string(i) + " 1\nproc step" + std::to_string(i) + " {} {}\n";
    for (int i = 0; i < 3000; ++i)
        text += "puts $valeu" + std::to_string(i) + "\nsetp" + std::to_string(i) + "\n";
    std::map<std::string, int> rules;
    std::string first;
    std::string last;
    for (const CFinding& finding : s_pChecker->Check(text, ""))
    {
        ++rules[finding.rule];
        (first.empty() ? first : last) = finding.message;
    }
    EXPECT_EQ(rules["variable/typo"] + rules["variable/unset"], 3000);
    EXPECT_EQ(rules["command/unknown"], 3000);
    EXPECT_GT(rules["variable/typo"], 0);
    EXPECT_GT(rules["variable/unset"], 0);
    EXPECT_THAT(first, ::testing::HasSubstr("did you mean $value0?"));
    EXPECT_THAT(last, ::testing::Not(::testing::HasSubstr("did you mean")));
}

// Commands that Tcl makes without proc: classes and their objects,
// ensembles, renamed procs, coroutines; and a lambda's body, checked as a
// proc's, its parameters set.
TEST_F(ScriptCheckTest, ClassesEnsemblesRenamesCoroutinesAndLambdasAreKnown)
{
    const std::string text = "oo::class create Beam {\n"                             // 1
                             "    method span {} { return 1 }\n"                     // 2
                             "}\n"                                                   // 3
                             "Beam create main\n"                                    // 4
                             "puts [main span]\n"                                    // 5
                             "namespace eval geo {\n"                                // 6
                             "    namespace ensemble create\n"                       // 7
                             "    namespace export area\n"                           // 8
                             "    proc area {w h} { return [expr {$w * $h}] }\n"     // 9
                             "}\n"                                                   // 10
                             "puts [geo area 2 3]\n"                                 // 11
                             "proc old {a} { return $a }\n"                          // 12
                             "rename old new\n"                                      // 13
                             "new 1 2\n"                                             // 14
                             "coroutine gen apply {{n} {\n"                          // 15
                             "    yield $n\n"                                        // 16
                             "    yield $m\n"                                        // 17
                             "}} 1\n"                                                // 18
                             "gen\n"                                                 // 19
                             "set r [apply {{x {y 2}} { expr {$x + $y + $q} }} 1]\n" // 20
                             "nodee 1 0 0\n";                                        // 21
    std::vector<std::string> found;
    for (const CFinding& finding : s_pChecker->Check(text, ""))
        found.push_back(
            std::to_string(1 + std::count(text.begin(), text.begin() + finding.nStart, '\n')) +
            " " + finding.rule);
    EXPECT_THAT(found, ::testing::ElementsAre("14 proc/arguments", "17 variable/typo",
                                              "20 variable/typo", "21 command/unknown"));
}

// What the check cannot know: a command after a package require or a
// namespace import may come from there, and is a warning that says so,
// unless it is a near miss of a known name; a name called again and again is
// meant, and is offered no look-alike ("emit" is no misspelt "exit").
TEST_F(ScriptCheckTest, CommandsThatMayComeFromAPackageAreWarnings)
{
    const auto describe = [](const std::string& text)
    {
        std::vector<std::string> found;
        for (const CFinding& finding : s_pChecker->Check(text, ""))
            found.push_back(Describe(text, finding));
        return found;
    };
    EXPECT_THAT(describe("emit a\nemit b\nemit c\nnodee 1 0 0\n"),
                ::testing::ElementsAre(
                    "1:1 error: unknown command \"emit\": not a Tcl or library command, nor a proc "
                    "of the script",
                    "2:1 error: unknown command \"emit\": not a Tcl or library command, nor a proc "
                    "of the script",
                    "3:1 error: unknown command \"emit\": not a Tcl or library command, nor a proc "
                    "of the script",
                    "4:1 error: unknown command \"nodee\"; did you mean node?"));
    EXPECT_THAT(describe("pack .b\npackage require Tk\nbutton .b\nnodee 1 0 0\n"),
                ::testing::ElementsAre(
                    "1:1 error: unknown command \"pack\": not a Tcl or library command, nor a proc "
                    "of the script",
                    "3:1 warning: unknown command \"button\": not a Tcl or library command, nor a "
                    "proc of the script; it may come from the package Tk required at line 2",
                    "4:1 error: unknown command \"nodee\"; did you mean node?"));
    EXPECT_THAT(
        describe("namespace import ::rt::*\nemitResult x\n"),
        ::testing::ElementsAre("2:1 warning: unknown command \"emitResult\": not a Tcl or library "
                               "command, nor a proc of the script; it may come from the "
                               "namespace ::rt::* imported at line 1"));
}

// A proc's parameters say how many arguments it takes: defaults and args
// counted, in the script and in the files it sources, by its whole name or,
// from its namespace, by its last part.
TEST_F(ScriptCheckTest, ProceduresAreCalledWithTheArgumentsTheirParametersTake)
{
    const CProcSignature signature = CProcSignature::Of("b {h 1.0} args");
    EXPECT_TRUE(signature.bKnown);
    EXPECT_EQ(signature.usage, " b ?h? ?arg ...?");
    EXPECT_FALSE(signature.Takes(0));
    EXPECT_TRUE(signature.Takes(1));
    EXPECT_TRUE(signature.Takes(9));
    EXPECT_FALSE(CProcSignature::Of("{a").bKnown) << "a list Tcl cannot split";
    EXPECT_TRUE(CProcSignature::Of("{a").Takes(5));

    CTempDir dir;
    dir.Write("part.tcl", "proc fromPart {a b} {}\n");
    const std::string text = "source part.tcl\n"
                             "namespace eval geo {\n"
                             "    proc area {b h} {}\n"
                             "    area 1 2\n"
                             "    area 1\n"
                             "}\n"
                             "geo::area 1 2 3\n"
                             "::area 1\n"
                             "fromPart 1\n"
                             "if 0 {\n"
                             "    fromPart\n"
                             "}\n"
                             "proc twice {a} {}\n"
                             "proc twice {a b} {}\n"
                             "twice 1 2 3\n";
    std::vector<std::string> found;
    for (const CFinding& finding : s_pChecker->Check(text, dir.Prefix()))
        found.push_back(Describe(text, finding));
    EXPECT_THAT(found,
                ::testing::ElementsAre(
                    "5:5 error: wrong # args: should be \"area b h\"; too few arguments (1) for "
                    "the proc",
                    "7:1 error: wrong # args: should be \"geo::area b h\"; too many arguments (3) "
                    "for the proc",
                    "9:1 error: wrong # args: should be \"fromPart a b\"; too few arguments (1) "
                    "for the proc"));
}

// What sets a variable, declares it or guards its read is no mistake; every
// read below is of a name that is there when it runs.
TEST_F(ScriptCheckTest, VariablesSetDeclaredOrGuardedAreNoMistake)
{
    CTempDir dir;
    dir.Write("values.tcl", "set fromPart 1\nforeach {px py} {1 2} {}\n");
    const std::string text = "source values.tcl\n"
                             "puts \"$fromPart $px $env(HOME) $argv\"\n"
                             "if {[info exists maybe]} { puts $maybe }\n"
                             "array set table {a 1}\n"
                             "puts $table(a)\n"
                             "lassign {1 2} first second\n"
                             "scan \"3 4\" \"%d %d\" i j\n"
                             "regexp {(a)(b)} ab all one two\n"
                             "catch {error x} message options\n"
                             "puts \"$first $second $i $j $all $one $two $message $options\"\n"
                             "for {set k 0} {$k < 3} {incr k} { set last $k }\n"
                             "puts $last\n"
                             "set n 0\n"
                             "while {$n < 2} {\n"
                             "    if {$n > 0} { puts $previous }\n"
                             "    set previous $n\n"
                             "    incr n\n"
                             "}\n"
                             "set H 3.5\n"
                             "proc top {level} {\n"
                             "    global H\n"
                             "    upvar 1 count count\n"
                             "    variable ::geo::scale\n"
                             "    return [expr {$level * $H * $scale + $count}]\n"
                             "}\n"
                             "proc setsAbove {} { uplevel 1 {set made 1} }\n"
                             "proc caller {} { setsAbove; return $made }\n"
                             "proc named {name} { upvar 1 $name value; set value 1 }\n"
                             "named result\n"
                             "puts $result\n"
                             "proc withDict {d} { dict with d {}; return $key }\n"
                             "package ifneeded demo 1.0 [list source [file join $dir demo.tcl]]\n";
    std::vector<std::string> found;
    for (const CFinding& finding : s_pChecker->Check(text, dir.Prefix()))
        found.push_back(Describe(text, finding));
    EXPECT_THAT(found, ::testing::IsEmpty());

    // A source the check cannot follow may set anything at the top level.
    EXPECT_THAT(s_pChecker->Check("source [lindex $argv 0]\nputs $anything\n", dir.Prefix()),
                ::testing::IsEmpty());
}

// The bundled library's grammar: every usage line it ships parses, and the
// shortest call of each form is clean ({t1 t2 ...} is one word, a list).
TEST_F(ScriptCheckTest, EveryUsageLineOfTheLibraryParsesAndItsExampleIsClean)
{
    EXPECT_THAT(s_pKnowledge->UnparsedUsageLines(), ::testing::IsEmpty());
    int nForms = 0;
    for (const auto& [nRecord, forms] : s_pKnowledge->Forms())
    {
        for (const CUsageForm& form : forms)
        {
            // The whole line as a form: its record's words are its first literals.
            const std::optional<CUsageForm> whole = CUsageForm::Parse(form.Line(), form.Line());
            ASSERT_TRUE(whole.has_value()) << form.Line();
            std::string call;
            for (const std::string& word : whole->Example())
                call += (call.empty() ? "" : " ") + word;
            std::vector<std::string> usage;
            for (const CFinding& finding : s_pChecker->Check(call + "\n", ""))
            {
                if (finding.rule.rfind("usage/", 0) == 0)
                    usage.push_back(finding.message);
            }
            EXPECT_THAT(usage, ::testing::IsEmpty()) << call;
            ++nForms;
        }
    }
    EXPECT_GT(nForms, 50);
    EXPECT_THAT(s_pChecker->Check("series Table 1 -time {0 1 2} -values {0 1 0}\n", ""),
                ::testing::IsEmpty());
}
