// What a command's help says it returns, and the value a dry run makes of it.
#include "check/ReturnValue.h"

#include "check/CommandKnowledge.h"
#include "helplib/CommandLibrary.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace
{
std::string Plausible(std::string_view line, const std::vector<std::string_view>& names = {},
                      const std::vector<std::string_view>& words = {})
{
    const std::optional<CReturnValue> value = CReturnValue::Parse(line);
    return value ? value->Plausible(names, words) : "(none)";
}
} // namespace

TEST(ReturnValue, EachFormOfTheLineGivesItsValue)
{
    EXPECT_EQ(Plausible(" 0 "), "0");
    EXPECT_EQ(Plausible("converged"), "converged");
    EXPECT_EQ(Plausible("<number>"), "1.0");
    EXPECT_EQ(Plausible("<integer>"), "1");
    EXPECT_EQ(Plausible("<number>*<nModes>", {"nModes"}, {"3"}), "1.0 2.0 3.0");
    EXPECT_EQ(Plausible("<integer> * <count>", {"", "count"}, {"x", "2"}), "1 2");
    // A count the call does not give, or that is no number, is one; a huge one is capped.
    EXPECT_EQ(Plausible("<number>*<nModes>", {}, {}), "1.0");
    EXPECT_EQ(Plausible("<number>*<nModes>", {"nModes"}, {"$n"}), "1.0");
    EXPECT_EQ(Plausible("<number>*<nModes>", {"nModes"}, {"0"}), "");
    const std::string many = Plausible("<integer>*<n>", {"n"}, {"99999999"});
    EXPECT_EQ(std::count(many.begin(), many.end(), ' ') + 1, CReturnValue::kMostNumbers);
    // What it cannot read is no return line at all.
    for (const char* pLine : {"", "  ", "<float>", "<number>*", "<number>*nModes", "<num ber>"})
        EXPECT_EQ(Plausible(pLine), "(none)") << pLine;
    EXPECT_FALSE(CReturnValue::InText("Runs it.\nExample: run 1\n"));
    EXPECT_EQ(CReturnValue::InText("Runs it.\n  Returns: 0\r\nReturns: 1\n")->Plausible({}, {}),
              "0");
}

TEST(ReturnValue, ACallGetsTheValueOfTheFormItFits)
{
    CTempDir dir;
    dir.Write("list.txt", "q.txt\n");
    dir.Write("q.txt", "query:command\n"
                       "query <what> [<n>]\n"
                       "\n"
                       "Returns: <number>\n"
                       "#\n"
                       "Modes:query\n"
                       "query Modes <count>\n"
                       "\n"
                       "Returns: <number>*<count>\n"
                       "#\n"
                       "Name:query\n"
                       "query Name\n"
                       "#\n"
                       "build:command\n"
                       "build <tag>\n"
                       "#\n");
    CCommandLibrary library;
    library.Load(dir.Prefix());
    CCommandKnowledge knowledge;
    knowledge.Build(library);
    EXPECT_EQ(knowledge.ResultOf({"query", "Modes", "2"}), "1.0 2.0");
    // A sub-command that says nothing takes the command's own line.
    EXPECT_EQ(knowledge.ResultOf({"query", "Name"}), "1.0");
    EXPECT_EQ(knowledge.ResultOf({"query", "x", "1", "too", "many"}), "1.0");
    EXPECT_FALSE(knowledge.ResultOf({"build", "1"}));
    EXPECT_FALSE(knowledge.ResultOf({"nosuch"}));
    EXPECT_FALSE(knowledge.ResultOf({}));
}

TEST(ReturnValue, TheBundledLibrarySaysWhatItsQueriesReturn)
{
    CCommandLibrary library;
    library.Load(CORVALE_SOURCE_DIR "/share/help/");
    CCommandKnowledge knowledge;
    knowledge.Build(library);
    EXPECT_EQ(knowledge.ResultOf({"run", "10"}), "0");
    EXPECT_EQ(knowledge.ResultOf({"eigen", "2"}), "1.0 2.0");
    EXPECT_EQ(knowledge.ResultOf({"nodeDisp", "5", "1"}), "1.0");
    EXPECT_EQ(knowledge.ResultOf({"currentTime"}), "1.0");
    EXPECT_FALSE(knowledge.ResultOf({"node", "1", "0", "0"}));
}
