#include "text/LineBreakNormaliser.h"

#include <gtest/gtest.h>

TEST(LineBreakNormaliser, EveryKindOfBreakBecomesCrLf)
{
    EXPECT_EQ(NormaliseLineBreaks("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(NormaliseLineBreaks("\r\r\n\n\r"), "\r\n\r\n\r\n\r\n");
    EXPECT_EQ(NormaliseLineBreaks(std::string("\0\xFF", 2)), std::string("\0\xFF", 2));
    EXPECT_EQ(NormaliseLineBreaks(""), "");
}

TEST(LineBreakNormaliser, ABreakSplitAcrossPiecesStaysOneBreak)
{
    CLineBreakNormaliser normaliser;
    std::string out;
    normaliser.Feed("a\r", out);
    normaliser.Feed("\nb\r", out);
    normaliser.Feed("c\r", out);
    normaliser.Finish(out);
    EXPECT_EQ(out, "a\r\nb\r\nc\r\n");
    EXPECT_EQ(normaliser.m_nCrLf, 1);
    EXPECT_EQ(normaliser.m_nLoneCr, 2);
    EXPECT_FALSE(normaliser.LineFeedsOnly());
}

TEST(LineBreakNormaliser, TellsWhetherEveryBreakWasALoneLineFeed)
{
    CLineBreakNormaliser unix;
    std::string out;
    unix.Feed("a\nb\n", out);
    EXPECT_TRUE(unix.LineFeedsOnly());

    CLineBreakNormaliser mixed;
    mixed.Feed("a\nb\r\n", out);
    EXPECT_FALSE(mixed.LineFeedsOnly());

    CLineBreakNormaliser none;
    none.Feed("no breaks", out);
    EXPECT_FALSE(none.LineFeedsOnly());
}
