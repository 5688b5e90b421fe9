#include "platform/StyleTable.h"

#include <gtest/gtest.h>
#include <set>

namespace
{
CStyleLook LookOfColour(std::uint32_t crColor)
{
    CStyleLook look;
    look.crColor = crColor;
    return look;
}
} // namespace

TEST(StyleTable, HandsOutEveryNumberButScintillasOwnThenRunsOut)
{
    CStyleTable table(LookOfColour(0));
    std::set<int> handedOut;
    for (std::uint32_t nColour = 1;; ++nColour)
    {
        const int nStyle = table.Allocate(LookOfColour(nColour));
        if (nStyle < 0)
            break;
        EXPECT_TRUE(nStyle < 32 || nStyle > 39) << nStyle;
        EXPECT_TRUE(handedOut.insert(nStyle).second);
    }
    EXPECT_EQ(handedOut.size(), 247u); // 256 less the eight predefined and the default
    EXPECT_EQ(table.AllocatedCount(), 248);

    const int nFreed = *handedOut.begin();
    table.Release(nFreed);
    EXPECT_EQ(table.Find(LookOfColour(1)), -1);
    EXPECT_EQ(table.Allocate(LookOfColour(999)), nFreed);
    EXPECT_EQ(table.Find(LookOfColour(999)), nFreed);
}

TEST(StyleTable, TheDefaultStyleFollowsTheDefaultLookAndIsNeverReleased)
{
    CStyleTable table(LookOfColour(0));
    EXPECT_EQ(table.Find(LookOfColour(0)), CStyleTable::kDefaultStyle);
    const int nRed = table.Allocate(LookOfColour(0xFF));

    table.SetDefaultLook(LookOfColour(0xFF));
    EXPECT_EQ(table.Find(LookOfColour(0xFF)), CStyleTable::kDefaultStyle);
    EXPECT_EQ(table.Find(LookOfColour(0)), -1);
    // The older style of the same look may be released without losing the default.
    table.Release(nRed);
    EXPECT_EQ(table.Find(LookOfColour(0xFF)), CStyleTable::kDefaultStyle);
    table.Release(CStyleTable::kDefaultStyle);
    EXPECT_TRUE(table.IsAllocated(CStyleTable::kDefaultStyle));
}
