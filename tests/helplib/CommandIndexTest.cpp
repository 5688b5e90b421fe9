#include "helplib/CommandIndex.h"

#include <gtest/gtest.h>
#include <random>

namespace
{
int ScanInOrder(const std::vector<std::string>& keywords, const std::vector<std::string>& parents,
                const std::vector<bool>& usable, const std::string& keyword,
                const std::string& parent)
{
    for (size_t k = 0; k < keywords.size(); ++k)
    {
        if (usable[k] && keywords[k] == keyword && parents[k] == parent)
            return static_cast<int>(k);
    }
    return -1;
}

// Texts of every length up to 40 from a small alphabet, so that duplicates,
// shared prefixes and equal lengths are common; NUL and 0xFF included.
std::string RandomText(std::mt19937& random)
{
    static const char kAlphabet[] = {'a', 'b', ':', ' ', '\0', '\xFF'};
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> pick(0, sizeof kAlphabet - 1);
    std::string text(static_cast<size_t>(length(random) % (pick(random) == 0 ? 41 : 5)), 'a');
    for (char& c : text)
        c = kAlphabet[pick(random)];
    return text;
}
} // namespace

TEST(CommandIndex, AnswersExactlyAsTheInOrderScanDoes)
{
    std::mt19937 random(7);
    std::vector<std::string> keywords;
    std::vector<std::string> parents;
    std::vector<bool> usable;
    for (int k = 0; k < 3000; ++k)
    {
        keywords.push_back(RandomText(random));
        parents.push_back(RandomText(random));
        usable.push_back(k % 7 != 3);
    }
    CCommandIndex index;
    index.Build(keywords, parents, usable);

    for (int i = 0; i < 20000; ++i)
    {
        const bool bKnown = i % 2 == 0;
        const size_t k = static_cast<size_t>(i / 2) % keywords.size();
        const std::string keyword = bKnown ? keywords[k] : RandomText(random);
        const std::string parent = bKnown ? parents[k] : RandomText(random);
        ASSERT_EQ(index.Find(keyword, parent),
                  ScanInOrder(keywords, parents, usable, keyword, parent))
            << "query " << i;
    }
}

TEST(CommandIndex, KeywordAndParentAreNotRunTogether)
{
    const std::vector<std::string> keywords = {"ab", "a", "element"};
    const std::vector<std::string> parents = {"c", "bc", "command"};
    CCommandIndex index;
    index.Build(keywords, parents, {true, true, true});
    EXPECT_EQ(index.Find("ab", "c"), 0);
    EXPECT_EQ(index.Find("a", "bc"), 1);
    EXPECT_EQ(index.Find("abc", ""), -1);
    EXPECT_EQ(index.Find("element", "command"), 2);
    EXPECT_EQ(index.Find("element", "Command"), -1);

    CCommandIndex empty;
    EXPECT_EQ(empty.Find("element", "command"), -1);
    empty.Build(std::vector<std::string>(), std::vector<std::string>(), std::vector<bool>());
    EXPECT_EQ(empty.Find("", ""), -1);
}
