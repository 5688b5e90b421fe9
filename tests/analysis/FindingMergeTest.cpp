// One list from every source: placed, in order, each mistake once, and the
// dry run's findings carried across an edit only where the text stayed.
#include "analysis/FindingMerge.h"

#include "analysis/TextPlaces.h"

#include <gmock/gmock.h>

namespace
{
CFinding At(std::string rule, long nStart, long nEnd, std::string message = "m")
{
    CFinding finding;
    finding.rule = std::move(rule);
    finding.nStart = nStart;
    finding.nEnd = nEnd;
    finding.message = std::move(message);
    return finding;
}

CFinding OnLine(std::string rule, long nLine, std::string message, std::string file = "")
{
    CFinding finding = At(std::move(rule), -1, -1, std::move(message));
    finding.nLine = nLine;
    finding.file = std::move(file);
    return finding;
}
} // namespace

TEST(FindingMerge, EachFindingIsPlacedAndEachMistakeKeptOnce)
{
    const std::string text = "set a 1\r\n  nodee 1 2\n\xc3\xa9t\xc3\xa9 x\nsource gone.tcl\n";
    const CTextPlaces places(text);
    std::vector<CFinding> check = {At("command/unknown", 11, 16, "unknown command \"nodee\""),
                                   At("command/unknown", 21, 26, "unknown command \"été\""),
                                   At("source/unreadable", 36, 44)};
    std::vector<CFinding> run = {
        OnLine("run/error", 2, "run: invalid command name \"nodee\""),
        OnLine("run/error", 3, "run: invalid command name \"x\""),
        OnLine("run/error", 4, "run: couldn't read file \"gone.tcl\""),
        OnLine("model/undefined-tag", 7, "element 1 uses node 3", "/p/part.tcl"),
        OnLine("run/refused", 1, "run: \"file\" does not run")};
    const std::vector<CFinding> merged = FindingMerge::Merge(check, run, places);
    std::vector<std::string> shown;
    for (const CFinding& finding : merged)
        shown.push_back(finding.file + ":" + std::to_string(finding.nLine) + ":" +
                        std::to_string(finding.nColumn) + "-" + std::to_string(finding.nEndLine) +
                        ":" + std::to_string(finding.nEndColumn) + " " + finding.rule);
    // The run's "nodee" and "gone.tcl" are the check's; its "x" is another
    // mistake on the same line. A line-only finding covers its line's text,
    // blanks and the line break aside; columns count characters.
    EXPECT_THAT(shown, ::testing::ElementsAre(":1:1-1:8 run/refused", ":2:3-2:8 command/unknown",
                                              ":3:1-3:4 command/unknown", ":3:1-3:6 run/error",
                                              ":4:8-4:16 source/unreadable",
                                              "/p/part.tcl:7:0-0:0 model/undefined-tag"));
}

TEST(FindingMerge, AnyParseErrorIsTheCauseOfTheRunsSyntaxError)
{
    CFinding check = At("parse/missing-brace", 40, 41);
    check.nLine = 22;
    for (const char* message : {"run: missing close-brace", "run: missing close-bracket",
                                "run: extra characters after close-brace", "run: missing \""})
        EXPECT_TRUE(FindingMerge::SameCause(check, OnLine("run/error", 11, message))) << message;
    EXPECT_FALSE(FindingMerge::SameCause(check, OnLine("run/error", 11, "run: can't read \"x\"")));
    EXPECT_FALSE(
        FindingMerge::SameCause(check, OnLine("run/limit", 11, "run: missing close-brace")));
}

TEST(FindingMerge, TheRunsFindingsFollowTheTextOrGoWithTheirLine)
{
    const std::string old = "a\nb\nbad line\nc\nlast bad\n";
    const std::vector<CFinding> findings = {At("run/error", 4, 12),
                                            At("model/undefined-tag", 15, 23),
                                            OnLine("run/limit", 2, "in a part", "/p/part.tcl")};
    const auto carry = [&](const std::string& text)
    {
        const CTextPlaces places(text);
        std::vector<std::string> lines;
        for (const CFinding& finding : FindingMerge::CarryOver(findings, old, text, places))
            lines.push_back(std::to_string(finding.nLine) + " " + finding.rule + " " +
                            (finding.InScript()
                                 ? text.substr(static_cast<size_t>(finding.nStart),
                                               static_cast<size_t>(finding.nEnd - finding.nStart))
                                 : finding.file));
        return lines;
    };
    // A line above: both move down, byte ranges and all.
    EXPECT_THAT(carry("new\n" + old),
                ::testing::ElementsAre("4 run/error bad line", "6 model/undefined-tag last bad",
                                       "2 run/limit /p/part.tcl"));
    // The faulty line edited: its finding goes at once; the other stays.
    EXPECT_THAT(
        carry("a\nb\nbad lime\nc\nlast bad\n"),
        ::testing::ElementsAre("5 model/undefined-tag last bad", "2 run/limit /p/part.tcl"));
    // The faulty line deleted: the finding does not move onto the line below.
    EXPECT_THAT(
        carry("a\nb\nc\nlast bad\n"),
        ::testing::ElementsAre("4 model/undefined-tag last bad", "2 run/limit /p/part.tcl"));
    // A change at the very end, and none at all.
    EXPECT_THAT(carry(old + "more\n"),
                ::testing::ElementsAre("3 run/error bad line", "5 model/undefined-tag last bad",
                                       "2 run/limit /p/part.tcl"));
    EXPECT_EQ(carry(old).size(), 3u);
    EXPECT_THAT(carry(""), ::testing::ElementsAre("2 run/limit /p/part.tcl"));
}
