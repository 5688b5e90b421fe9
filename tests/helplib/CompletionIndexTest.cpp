#include "helplib/CompletionIndex.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(CompletionIndex, ListsEachKeywordOnceUnderItsParentByPrefix)
{
    const std::vector<std::string_view> keywords = {"node", "element", "Truss", "nodeDisp", "node",
                                                    "Beam", "hidden",  "",      "Truss"};
    const std::vector<std::string_view> parents = {"command", "command", "element",
                                                   "command", "command", "element",
                                                   "command", "command", "element"};
    const std::vector<bool> usable = {true, true, true, true, true, true, false, false, true};
    CCompletionIndex index;
    EXPECT_FALSE(index.IsBuilt());
    index.Build(keywords, parents, usable);
    ASSERT_TRUE(index.IsBuilt());

    // "node" twice: its first record stands for both. Unusable records are left out.
    EXPECT_THAT(index.Complete("command", ""), ElementsAre(1, 0, 3));
    EXPECT_THAT(index.Complete("command", "node"), ElementsAre(0, 3));
    EXPECT_THAT(index.Complete("command", "nodeD"), ElementsAre(3));
    EXPECT_THAT(index.Complete("command", "nodeDisplay"), IsEmpty());
    EXPECT_THAT(index.Complete("command", "hid"), IsEmpty());
    EXPECT_THAT(index.Complete("element", ""), ElementsAre(5, 2));
    // Parents and prefixes compare exactly, case included.
    EXPECT_THAT(index.Complete("element", "t"), IsEmpty());
    EXPECT_THAT(index.Complete("Element", ""), IsEmpty());
    EXPECT_EQ(index.KeywordOf(3), "nodeDisp");

    index.Clear();
    EXPECT_FALSE(index.IsBuilt());
    EXPECT_THAT(index.Complete("command", ""), IsEmpty());
}
