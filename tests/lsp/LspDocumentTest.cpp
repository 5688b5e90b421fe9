// An open document as the client's changes make it: places counted in UTF-16
// units, as the protocol counts them, over text that is UTF-8 or not.
#include "lsp/LspDocument.h"

#include <gtest/gtest.h>

TEST(LspDocument, PlacesAreCountedInUtf16UnitsOfTheirLine)
{
    // "é" is 2 bytes and 1 unit, "😀" 4 bytes and 2 units, a lone 0xE9 byte 1 and 1.
    const CLspDocument document("set a é😀b\r\nx\xE9y\nlast", 1);
    EXPECT_EQ(document.Offset({0, 6}), 6U);   // before é
    EXPECT_EQ(document.Offset({0, 7}), 8U);   // after é
    EXPECT_EQ(document.Offset({0, 8}), 8U);   // inside the pair: the character's start
    EXPECT_EQ(document.Offset({0, 9}), 12U);  // after the pair
    EXPECT_EQ(document.Offset({0, 99}), 13U); // past the end: the line's end, not its break
    EXPECT_EQ(document.Offset({1, 2}), 17U);
    EXPECT_EQ(document.Offset({5, 0}), document.Text().size());
    EXPECT_EQ(document.PositionOf(12), (CLspPosition{0, 9}));
    EXPECT_EQ(document.PositionOf(17), (CLspPosition{1, 2}));
    EXPECT_EQ(document.PositionOf(document.Text().size()), (CLspPosition{2, 4}));
}

TEST(LspDocument, ChangesReplaceTheirRangeAndOnlyTheirs)
{
    CLspDocument document("node 1 0 0\nnode 2 6 0\n", 1);
    ASSERT_TRUE(document.Replace({1, 5}, {1, 6}, "22"));
    EXPECT_EQ(document.Text(), "node 1 0 0\nnode 22 6 0\n");
    ASSERT_TRUE(document.Replace({0, 10}, {1, 0}, " ;"));
    EXPECT_EQ(document.Text(), "node 1 0 0 ;node 22 6 0\n");
    EXPECT_FALSE(document.Replace({0, 5}, {0, 2}, "x"));
    EXPECT_EQ(document.Text(), "node 1 0 0 ;node 22 6 0\n");
    document.ReplaceAll("puts hi");
    EXPECT_EQ(document.PositionOf(7), (CLspPosition{0, 7}));
}
