#include "colour/LineWalk.h"

#include "colour/LineColourer.h"

#include <gmock/gmock.h>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace
{
// Each visit the walk makes of a line: "word|context" or "#".
std::vector<std::string> Visits(std::string_view lineWithBreak)
{
    std::vector<std::string> visits;
    CLineWalk walk = CLineWalk::OfLineWithBreak(lineWithBreak);
    CLineWalk::CWord word;
    while (walk.Next(word))
        visits.push_back(word.delimiter == '#'
                             ? std::string("#")
                             : std::string(word.trimmed) + "|" + std::string(word.context));
    return visits;
}

std::string WordAt(std::string_view line, long nColumn)
{
    CLineWalk walk(line, static_cast<long>(line.size()));
    CLineWalk::CWord word;
    walk.WordAt(nColumn, word);
    return std::string(line.substr(static_cast<size_t>(word.nStart),
                                   static_cast<size_t>(word.nEnd - word.nStart))) +
           "|" + std::string(word.context);
}

bool LookUp(std::string_view keyword, std::string_view parent)
{
    static const std::set<std::pair<std::string, std::string>> s_library = {
        {"element", "command"}, {"Truss", "element"}, {"lin", "element Truss"}};
    return s_library.count({std::string(keyword), std::string(parent)}) != 0;
}
} // namespace

TEST(LineWalk, VisitsEachNewWordWithItsContext)
{
    EXPECT_THAT(Visits("element Truss a b\r\n"),
                ::testing::ElementsAre("element|command", "Truss|element", "a|element Truss",
                                       "b|element Truss a"));
    // "{" and "[" start a word and end its context; "}" and "]" belong to the word.
    EXPECT_THAT(Visits("if {$a} {puts [expr $b]}"),
                ::testing::ElementsAre("if|command", "$a}|if", "puts|if {$a}", "expr|if {$a} {puts",
                                       "$b]}|if {$a} {puts [expr"));
    // A tab joins two words; the tab's own visit and the space's bring one word.
    EXPECT_THAT(Visits("set\tx 5\r\n"), ::testing::ElementsAre("set\tx|command"));
    // A "#" ends the walk; a line whose first non-blank is "#" has no words.
    EXPECT_THAT(Visits("puts $a ;# note x\r\n"),
                ::testing::ElementsAre("puts|command", "$a|puts", "#"));
    EXPECT_THAT(Visits("  # comment\r\n"), ::testing::IsEmpty());
    EXPECT_THAT(Visits("   \r\n"), ::testing::IsEmpty());
    // Words without a letter are passed over; a last line ends in a NUL visit.
    EXPECT_THAT(Visits("123 $1 -1.5e3 x"),
                ::testing::ElementsAre("-1.5e3|123 $1", "x|123 $1 -1.5e3"));
    // The extent ends at the first 0xFF: words after it are never visited.
    EXPECT_THAT(Visits("set a\xFF b c\r\n"), ::testing::ElementsAre("set|command"));
}

TEST(LineWalk, TheWordAtAColumnIsTheOneAVisitThereGives)
{
    EXPECT_EQ(WordAt("set x [expr {$a+1}]", 8), "expr|set x");
    EXPECT_EQ(WordAt("set x [expr {$a+1}]", 14), "$a+1}]|set x [expr");
    EXPECT_EQ(WordAt("set", 3), "set|command");
    EXPECT_EQ(WordAt("set", 99), "set|command");
    EXPECT_EQ(WordAt(" ", 0), "|command");
    EXPECT_EQ(WordAt("  element   Truss", 12), "Truss|element");
    EXPECT_EQ(WordAt("element", 0), "element|command");
    // At a space the word before it ends; inside a word it reaches on.
    EXPECT_EQ(WordAt("node 12 3", 4), "node|command");
    EXPECT_EQ(WordAt("node 12 3", 5), "12|node");
    EXPECT_EQ(WordAt("node 12 3", 6), "12|node");
}

TEST(LineColourer, ClassifiesByKeywordsThenTheLibraryWithoutSideEffects)
{
    const std::vector<std::string> keywords(std::begin(CLineColourer::kTclKeywords),
                                            std::end(CLineColourer::kTclKeywords));
    const CLineColourer colourer(keywords, &LookUp);
    EXPECT_EQ(colourer.Classify("set", "command"), EWordColour::Keyword);
    EXPECT_EQ(colourer.Classify("Set", "command"), EWordColour::Plain);
    EXPECT_EQ(colourer.Classify("element", "command"), EWordColour::Command);
    EXPECT_EQ(colourer.Classify("element", "x"), EWordColour::Plain);
    EXPECT_EQ(colourer.Classify("Truss", "element"), EWordColour::SubCommand);
    EXPECT_EQ(colourer.Classify("lin", "element Truss"), EWordColour::SubCommand);
    EXPECT_EQ(colourer.Classify("model.tcl", "source"), EWordColour::SourcedName);

    std::vector<CLineColourer::CSpan> spans;
    std::vector<std::string> visited;
    const CLineColourer::WordVisitor visit = [&](const CLineWalk::CWord& word, EWordColour colour) {
        visited.push_back(std::string(word.trimmed) + "=" +
                          std::to_string(static_cast<int>(colour)));
    };
    ASSERT_TRUE(colourer.ColourLine("element Truss 1 # c\r\n", spans, &visit));
    ASSERT_EQ(spans.size(), 4u);
    EXPECT_EQ(spans[0].colour, EWordColour::Plain);
    EXPECT_EQ(spans[0].nEnd, 21); // through the line feed
    EXPECT_EQ(spans[1].nStart, 0);
    EXPECT_EQ(spans[1].colour, EWordColour::Command);
    EXPECT_EQ(spans[2].colour, EWordColour::SubCommand);
    EXPECT_EQ(spans[3].colour, EWordColour::Comment);
    EXPECT_EQ(spans[3].nStart, 16);
    EXPECT_EQ(spans[3].nEnd, 19);
    EXPECT_THAT(visited, ::testing::ElementsAre("element=2", "Truss=3"));
    EXPECT_FALSE(colourer.ColourLine("  \t\r\n", spans));
}
