// Tcl traces and plain places in a run's output, read and mapped to the lines
// of scripts on disk; one case with traces that the real tclsh prints.
#include "check/ScriptChecker.h"
#include "support/TempDir.h"
#include "trace/TraceMapper.h"
#include "trace/TraceParser.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <map>

namespace
{
using EFrameKind = CTraceParser::EFrameKind;

std::vector<std::string> SplitLines(const std::string& output)
{
    std::vector<std::string> lines;
    size_t nFrom = 0;
    while (nFrom < output.size())
    {
        size_t nTo = output.find('\n', nFrom);
        if (nTo == std::string::npos)
            nTo = output.size();
        lines.push_back(output.substr(nFrom, nTo - nFrom));
        nFrom = nTo + 1;
    }
    return lines;
}

struct CParsed
{
    std::vector<CTraceParser::CTrace> traces;
    std::vector<CTraceParser::CPlainLink> links;
};

CParsed Parse(const std::string& output)
{
    CTraceParser parser;
    for (const std::string& line : SplitLines(output))
        parser.AddLine(line);
    parser.Finish();
    return {parser.TakeTraces(), parser.TakePlainLinks()};
}

// "file:line" of each place of the first trace, the failing command's first.
std::vector<std::string> MapFirstTrace(const CTempDir& dir, const std::string& script,
                                       const std::string& output)
{
    const CParsed parsed = Parse(output);
    if (parsed.traces.empty())
        return {"no trace"};
    CTraceMapper mapper(dir.Prefix(), dir.PathOf(script), &CScriptChecker::ReadFile);
    std::vector<std::string> places;
    for (const CTraceMapper::CLocation& location : mapper.Map(parsed.traces.front()))
        places.push_back(location.path.substr(dir.Prefix().size()) + ":" +
                         std::to_string(location.nLine));
    return places;
}

using Files = std::map<std::string, std::string>;

void WriteAll(const CTempDir& dir, const Files& files)
{
    for (const auto& [name, text] : files)
        dir.Write(name, text);
}

const Files kStoryFiles = {
    {"lib.tcl", "proc addStory {n} {\n"
                "    set x 1\n"
                "    foreach i {1 2} {\n"
                "        if {$i == 2} {\n"
                "            nodee 12 0.0 3.5\n"
                "        }\n"
                "    }\n"
                "}\n"
                "proc onLine {a} { set y 2; nodee $a }\n"},
    {"main.tcl", "source lib.tcl\n"
                 "set k 0\n"
                 "if {$k == 1} {\n"
                 "  puts a\n"
                 "} elseif {$k == 0} then {\n"
                 "  while {$k < 1} {\n"
                 "     incr k\n"
                 "     eval {\n"
                 "        addStory 3\n"
                 "     }\n"
                 "  }\n"
                 "}\n"},
};
} // namespace

TEST(TraceParserTest, FrameLinesOfEveryKind)
{
    struct CCase
    {
        const char* line;
        EFrameKind kind;
        const char* name;
        const char* part;
        long nLine;
    };
    const CCase cases[] = {
        {"    (file \"frame.tcl\" line 41)", EFrameKind::File, "frame.tcl", "", 41},
        {"    (file \"my models/frame 2.tcl\" line 3)", EFrameKind::File, "my models/frame 2.tcl",
         "", 3},
        {"    (procedure \"addStory\" line 4)", EFrameKind::Procedure, "addStory", "", 4},
        {"    (procedure \"::ns::p\" line 2)", EFrameKind::Procedure, "::ns::p", "", 2},
        {"    (\"foreach\" body line 2)", EFrameKind::Body, "foreach", "body", 2},
        {"    (\"if\" then script line 3)", EFrameKind::Body, "if", "then script", 3},
        {"    (\"while\" body line 1)", EFrameKind::Body, "while", "body", 1},
        {"    (\"for\" body line 7)", EFrameKind::Body, "for", "body", 7},
        {"    (\"catch\" body line 2)", EFrameKind::Body, "catch", "body", 2},
        {"    (\"uplevel\" body line 3)", EFrameKind::Body, "uplevel", "body", 3},
        {"    (\"eval\" body line 1)", EFrameKind::Body, "eval", "body", 1},
        {"    (in namespace eval \"::ns\" script line 3)\r", EFrameKind::Other, "", "", 3},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.line);
        CTraceParser::CFrame frame;
        std::string_view line = c.line;
        if (line.back() == '\r')
            line.remove_suffix(1);
        ASSERT_TRUE(CTraceParser::ParseFrame(line, frame));
        EXPECT_EQ(frame.kind, c.kind);
        if (c.kind != EFrameKind::Other)
        {
            EXPECT_EQ(frame.name, c.name);
        }
        EXPECT_EQ(frame.part, c.part);
        EXPECT_EQ(frame.nLine, c.nLine);
        EXPECT_EQ(line.substr(frame.nFrom, frame.nTo - frame.nFrom).front(), '(');
        EXPECT_EQ(frame.nTo, line.size());
    }
    for (const char* notFrame : {"(file \"x.tcl\" line)", "(file \"x.tcl\" line 12a)",
                                 "file line 3", "(line 99999999999999)", "(x)", ""})
    {
        CTraceParser::CFrame frame;
        EXPECT_FALSE(CTraceParser::ParseFrame(notFrame, frame)) << notFrame;
    }
}

TEST(TraceParserTest, TracesAmongOtherOutputWithCrLfAndCutShort)
{
    const std::string trace = "vorsa: 12 nodes\n"
                              "invalid command name \"nodee\"\n"
                              "    while executing\n"
                              "\"nodee 12 0.0 3.5\"\n"
                              "    (procedure \"addStory\" line 4)\n"
                              "    invoked from within\n"
                              "\"foreach x $l {\n"
                              "  puts \"a\"\n"
                              "  addStory 3\n"
                              "}\"\n"
                              "    (file \"frame.tcl\" line 41)\n"
                              "done\n";
    for (const bool bCrLf : {false, true})
    {
        std::string output = trace;
        if (bCrLf)
        {
            output.clear();
            for (const char c : trace)
                output += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        const CParsed parsed = Parse(output);
        ASSERT_EQ(parsed.traces.size(), 1u);
        const CTraceParser::CTrace& found = parsed.traces[0];
        EXPECT_EQ(found.message, "invalid command name \"nodee\"");
        EXPECT_EQ(found.nMessageLine, 1);
        ASSERT_EQ(found.steps.size(), 2u);
        EXPECT_EQ(found.steps[0].command, "nodee 12 0.0 3.5");
        EXPECT_EQ(found.steps[0].frame.kind, EFrameKind::Procedure);
        EXPECT_EQ(found.steps[0].frame.nOutputLine, 4);
        // A quote at the end of an inner line does not end the command.
        EXPECT_EQ(found.steps[1].command, "foreach x $l {\n  puts \"a\"\n  addStory 3\n}");
        EXPECT_EQ(found.steps[1].frame.kind, EFrameKind::File);
        EXPECT_EQ(found.steps[1].frame.nOutputLine, 10);
    }

    // Cut off after the first frame: what came is given out at the end.
    const CParsed cut = Parse(trace.substr(0, trace.find("    invoked")));
    ASSERT_EQ(cut.traces.size(), 1u);
    EXPECT_EQ(cut.traces[0].steps.size(), 1u);
    // Cut off inside a quoted command.
    const CParsed cutInCommand = Parse(trace.substr(0, trace.find("  addStory")));
    ASSERT_EQ(cutInCommand.traces.size(), 1u);
    EXPECT_EQ(cutInCommand.traces[0].steps.size(), 2u);
    EXPECT_EQ(cutInCommand.traces[0].steps[1].frame.kind, EFrameKind::None);

    // Two traces one after the other; "while executing" without a quote is no trace.
    const CParsed two = Parse(trace + trace + "oops\n    while executing\nnot quoted\n");
    EXPECT_EQ(two.traces.size(), 2u);
}

TEST(TraceParserTest, PlainPlaces)
{
    struct CCase
    {
        const char* line;
        std::vector<std::pair<std::string, long>> places;
    };
    const CCase cases[] = {
        {"frame.tcl:12: warning: odd", {{"frame.tcl", 12}}},
        {"error in models/frame.tcl line 7, aborting", {{"models/frame.tcl", 7}}},
        {"see \"my models/frame.tcl\" line 3.", {{"my models/frame.tcl", 3}}},
        {"at 12:30:45 error:3: in line 5", {}},
        {"http://example.org:80:1: x", {}},
        {"a.tcl:1: and b.tcl:2:", {{"a.tcl", 1}, {"b.tcl", 2}}},
    };
    for (const CCase& c : cases)
    {
        std::vector<CTraceParser::CPlainLink> links;
        CTraceParser::FindPlainLinks(c.line, 0, links);
        std::vector<std::pair<std::string, long>> places;
        for (const CTraceParser::CPlainLink& link : links)
        {
            places.emplace_back(link.path, link.nLine);
            EXPECT_LE(link.nTo, std::string_view(c.line).size());
            EXPECT_LT(link.nFrom, link.nTo);
        }
        EXPECT_EQ(places, c.places) << c.line;
    }
}

TEST(TraceMapperTest, EachFrameKindMapsToTheLineTclMeant)
{
    struct CCase
    {
        const char* name;
        Files files;
        const char* script;
        std::string output;
        std::vector<std::string> places;
    };
    const CCase cases[] = {
        {"a procedure defined in a sourced file, an eval body, a frameless compiled if",
         kStoryFiles,
         "main.tcl",
         "invalid command name \"nodee\"\n    while executing\n\"nodee 12 0.0 3.5\"\n"
         "    (procedure \"addStory\" line 5)\n    invoked from within\n\"addStory 3\"\n"
         "    (\"eval\" body line 2)\n    invoked from within\n\"eval {\n        addStory 3\n     "
         "}\"\n"
         "    invoked from within\n\"if {$k == 1} {\n  puts a\n} elseif {$k == 0} then {\n...\"\n"
         "    (file \"main.tcl\" line 3)\n",
         {"lib.tcl:5", "main.tcl:9", "main.tcl:8", "main.tcl:3"}},
        {"a procedure whose body starts on the proc line",
         kStoryFiles,
         "main.tcl",
         "invalid command name \"nodee\"\n    while executing\n\"nodee $a \"\n"
         "    (procedure \"onLine\" line 1)\n    invoked from within\n\"onLine 4\"\n"
         "    (file \"main.tcl\" line 2)\n",
         {"lib.tcl:9", "main.tcl:2"}},
        {"a body in a loadcase block that a command of C evaluates",
         {{"run.tcl", "model -dims 2\nloadcase 1 {\n   set z 1\n   nodee 5\n}\n"}},
         "run.tcl",
         "invalid command name \"nodee\"\n    while executing\n\"nodee 5\"\n    invoked from "
         "within\n"
         "\"loadcase 1 {\n   set z 1\n   nodee 5\n}\"\n    (file \"run.tcl\" line 2)\n",
         {"run.tcl:4", "run.tcl:2"}},
        {"a loadcase body run through uplevel from a procedure",
         {{"run.tcl", "proc loadcase {tag body} { uplevel 1 $body }\nloadcase 1 {\n   set z 1\n"
                      "   nodee 5\n}\n"}},
         "run.tcl",
         "invalid command name \"nodee\"\n    while executing\n\"nodee 5\"\n"
         "    (\"uplevel\" body line 3)\n    invoked from within\n\"uplevel 1 $body \"\n"
         "    (procedure \"loadcase\" line 1)\n    invoked from within\n"
         "\"loadcase 1 {\n   set z 1\n   nodee 5\n}\"\n    (file \"run.tcl\" line 2)\n",
         {"run.tcl:4", "run.tcl:1", "run.tcl:2"}},
        {"foreach, while and for bodies, nested",
         {{"loops.tcl",
           "foreach i {1 2} {\n  while {1} {\n    for {set j 0} {$j < 2} {incr j} {\n"
           "      catch {\n        puts x\n      } r\n      error boom\n    }\n  }\n}\n"}},
         "loops.tcl",
         "boom\n    while executing\n\"error boom\"\n    (\"for\" body line 5)\n"
         "    invoked from within\n\"for {set j 0} {$j < 2} {incr j} {\n...\"\n"
         "    (\"while\" body line 2)\n    invoked from within\n\"while {1} {\n...\"\n"
         "    (\"foreach\" body line 2)\n    invoked from within\n\"foreach i {1 2} {\n...\"\n"
         "    (file \"loops.tcl\" line 1)\n",
         {"loops.tcl:7", "loops.tcl:3", "loops.tcl:2", "loops.tcl:1"}},
        {"a catch body rethrown",
         {{"c.tcl", "catch {\n  set a 1\n  error inner\n} msg opts\nreturn -options $opts $msg\n"}},
         "c.tcl",
         "inner\n    while executing\n\"error inner\"\n    (\"catch\" body line 3)\n"
         "    invoked from within\n\"catch {\n  set a 1\n  error inner\n} msg opts\"\n"
         "    (file \"c.tcl\" line 1)\n",
         {"c.tcl:3", "c.tcl:1"}},
        {"the then script of an elseif, told apart by its text",
         {{"if.tcl", "if {$a} {\n  puts a\n  puts b\n} elseif {$b} then {\n  puts c\n"
                     "  error bad\n}\n"}},
         "if.tcl",
         "bad\n    while executing\n\"error bad\"\n    (\"if\" then script line 3)\n"
         "    invoked from within\n\"if {$a} {\n...\"\n    (file \"if.tcl\" line 1)\n",
         {"if.tcl:6", "if.tcl:1"}},
        {"a procedure in a namespace, named in full",
         {{"ns.tcl", "namespace eval ::ns {\n  proc p {} {\n    expr {1/0}\n  }\n}\n::ns::p\n"}},
         "ns.tcl",
         "divide by zero\n    invoked from within\n\"expr {1/0}\"\n"
         "    (procedure \"::ns::p\" line 2)\n    invoked from within\n\"::ns::p\"\n"
         "    (file \"ns.tcl\" line 6)\n",
         {"ns.tcl:3", "ns.tcl:6"}},
        {"a path with spaces",
         {{"my models/frame 2.tcl", "set a 1\nnodee 1\n"}},
         "my models/frame 2.tcl",
         "invalid command name \"nodee\"\n    while executing\n\"nodee 1\"\n"
         "    (file \"my models/frame 2.tcl\" line 2)\n",
         {"my models/frame 2.tcl:2"}},
        {"a trace cut off before its file frame",
         kStoryFiles,
         "main.tcl",
         "invalid command name \"nodee\"\n    while executing\n\"nodee 12 0.0 3.5\"\n"
         "    (procedure \"addStory\" line 5)\n    invoked from within\n\"addSt",
         {"lib.tcl:5"}},
        {"a device named in a frame is never read",
         {},
         "main.tcl",
         "x\n    while executing\n\"y\"\n    (file \"/dev/zero\" line 1)\n",
         {}},
        {"a file frame past the file's end, and an unknown procedure",
         kStoryFiles,
         "main.tcl",
         "x\n    while executing\n\"y\"\n    (procedure \"nowhere\" line 1)\n"
         "    invoked from within\n\"nowhere\"\n    (file \"main.tcl\" line 900)\n",
         {}},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        CTempDir dir;
        for (const auto& [name, text] : c.files)
        {
            if (name.find('/') != std::string::npos)
                dir.MakeDirectory(name.substr(0, name.find('/')));
        }
        WriteAll(dir, c.files);
        EXPECT_EQ(MapFirstTrace(dir, c.script, c.output), c.places);
    }
}

TEST(TraceMapperTest, PlainPlacesOnlyWhereTheFileHasTheLine)
{
    CTempDir dir;
    dir.Write("frame.tcl", "a\nb\nc\n");
    CTraceMapper mapper(dir.Prefix(), dir.PathOf("frame.tcl"), &CScriptChecker::ReadFile);
    const CParsed parsed =
        Parse("frame.tcl:3: odd\nframe.tcl:9: past the end\nother.tcl:1: missing\n");
    ASSERT_EQ(parsed.links.size(), 3u);
    CTraceMapper::CLocation location;
    ASSERT_TRUE(mapper.MapPlain(parsed.links[0], location));
    EXPECT_EQ(location.path, dir.PathOf("frame.tcl"));
    EXPECT_EQ(location.nLine, 3);
    EXPECT_EQ(location.nOutputLine, 0);
    EXPECT_FALSE(mapper.MapPlain(parsed.links[1], location));
    EXPECT_FALSE(mapper.MapPlain(parsed.links[2], location));
}

// The traces the installed tclsh prints, so that a change in Tcl's wording shows here.
TEST(TraceMapperTest, TracesOfTheRealTclsh)
{
    CTempDir dir;
    WriteAll(dir, kStoryFiles);
    dir.Write("m4.tcl", "source lib.tcl\nonLine 4\n");
    for (const auto& [script, innermost] : std::vector<std::pair<std::string, std::string>>{
             {"main.tcl", "lib.tcl:5"}, {"m4.tcl", "lib.tcl:9"}})
    {
        const std::string command = "cd '" + dir.Prefix() + "' && tclsh " + script + " 2>&1";
        FILE* pPipe = popen(command.c_str(), "r");
        ASSERT_NE(pPipe, nullptr);
        std::string output;
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pPipe)) > 0;)
            output.append(buffer, n);
        pclose(pPipe);
        const std::vector<std::string> places = MapFirstTrace(dir, script, output);
        ASSERT_FALSE(places.empty()) << output;
        EXPECT_EQ(places.front(), innermost) << output;
        EXPECT_EQ(places.back(), script + ":" + (script == "main.tcl" ? "3" : "2")) << output;
    }
}
