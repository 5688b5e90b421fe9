#include "text/TextFileReader.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <vector>

namespace
{
std::vector<std::string> Pieces(const std::string& path, size_t nMax)
{
    CTextFileReader reader;
    EXPECT_TRUE(reader.Open(path));
    std::vector<std::string> pieces;
    std::string piece;
    while (reader.ReadPiece(piece, nMax))
        pieces.push_back(piece);
    return pieces;
}

// The pieces a walk sees when it passes over those not beginning with c after
// each piece it is given.
std::vector<std::string> PiecesSeenSkipping(const std::string& path, size_t nMax, char c)
{
    CTextFileReader reader;
    EXPECT_TRUE(reader.Open(path));
    std::vector<std::string> seen;
    std::string storage;
    reader.ForEachPiece(nMax, storage,
                        [&](std::string_view piece)
                        {
                            seen.emplace_back(piece);
                            reader.SkipPiecesNotStartingWith(c, nMax);
                            return true;
                        });
    return seen;
}

std::vector<std::string> Lines(const std::string& path, size_t nMax)
{
    CTextFileReader reader;
    EXPECT_TRUE(reader.Open(path));
    std::vector<std::string> lines;
    std::string line;
    while (reader.ReadLine(line, nMax))
        lines.push_back(line);
    return lines;
}
} // namespace

TEST(TextFileReader, DropsACarriageReturnOnlyBeforeALineFeed)
{
    CTempDir dir;
    const std::string path = dir.Write("t.txt", std::string("a\r\nb\rc\r\r\n\0\xFF\n\r", 13));
    const std::vector<std::string> expected = {"a\n", "b\rc\r\n", std::string("\0\xFF\n", 3), "\r"};
    EXPECT_EQ(Pieces(path, 100), expected);
}

TEST(TextFileReader, CarriageReturnAtTheEndOfAReadBufferStillPairsWithItsLineFeed)
{
    CTempDir dir;
    // The buffer holds 64 KiB; put the CR as its last byte.
    std::string bytes(64 * 1024 - 1, 'x');
    bytes += "\r\nnext\n";
    const std::vector<std::string> pieces = Pieces(dir.Write("t.txt", bytes), 100000);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], std::string(64 * 1024 - 1, 'x') + "\n");
    EXPECT_EQ(pieces[1], "next\n");
}

TEST(TextFileReader, PiecesStopAfterALineFeedOrAtTheLimitLikeFgets)
{
    CTempDir dir;
    const std::string path = dir.Write("t.txt", "abcd\nabcde\nab");
    const std::vector<std::string> expected = {"abcd", "\n", "abcd", "e\n", "ab"};
    EXPECT_EQ(Pieces(path, 4), expected);
}

TEST(TextFileReader, LinesDropTheLineFeedAndSplitLongLinesLikeGetline)
{
    CTempDir dir;
    const std::string path = dir.Write("t.txt", "abc\nabcd\nabcdefg\n\nlast");
    // A line of exactly the limit consumes its line feed; a longer one is split.
    const std::vector<std::string> expected = {"abc", "abc", "d",   "abc", "def",
                                               "g",   "",    "las", "t"};
    EXPECT_EQ(Lines(path, 3), expected);
}

TEST(TextFileReader, TokensAreRunsOfNonWhiteSpace)
{
    CTempDir dir;
    CTextFileReader reader;
    ASSERT_TRUE(reader.Open(dir.Write("list.txt", "  a.txt\tb.txt\r\n\n c.txt \v\f")));
    std::vector<std::string> tokens;
    std::string token;
    while (reader.ReadToken(token))
        tokens.push_back(token);
    EXPECT_EQ(tokens, (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));

    reader.Rewind();
    ASSERT_TRUE(reader.ReadToken(token));
    EXPECT_EQ(token, "a.txt");
}

TEST(TextFileReader, OnlyRegularFilesOpen)
{
    CTempDir dir;
    CTextFileReader reader;
    EXPECT_FALSE(reader.Open(dir.PathOf("missing.txt")));
    EXPECT_FALSE(reader.Open(dir.Prefix()));
    EXPECT_FALSE(reader.Open(""));
    const std::string path = dir.Write("a.txt", "x");
    EXPECT_FALSE(reader.Open(path + std::string(1, '\0') + "junk"));
    EXPECT_FALSE(reader.Open("/dev/zero"));
    EXPECT_TRUE(reader.Open(path));
    EXPECT_TRUE(reader.IsOpen());
    EXPECT_TRUE(reader.Close());
    EXPECT_FALSE(reader.IsOpen());
}

TEST(TextFileReader, SkippingStopsOnlyWhereAPieceBeginsWithTheCharacter)
{
    CTempDir dir;
    // Pieces of 4: "ab#d" "#f\n" "#x\n" "abcd" "#fg\n" "zz\n" "#end" "\n".
    const std::string path = dir.Write("t.txt", "ab#d#f\n#x\nabcd#fg\nzz\n#end\n");
    const std::vector<std::string> expected = {"ab#d", "#f\n", "#x\n", "#fg\n", "#end"};
    EXPECT_EQ(PiecesSeenSkipping(path, 4, '#'), expected);

    // Across reads of 64 KiB, with CR LF line ends: every "#" line is seen.
    std::string bytes;
    std::vector<std::string> separators;
    for (int n = 0; bytes.size() < 200000; ++n)
    {
        bytes += "body line with a # inside\r\n\r\n";
        separators.push_back("#" + std::to_string(n) + "\n");
        bytes += separators.back().substr(0, separators.back().size() - 1) + "\r\n";
    }
    std::vector<std::string> seen = PiecesSeenSkipping(dir.Write("big.txt", bytes), 100, '#');
    std::erase_if(seen, [](const std::string& piece) { return piece[0] != '#'; });
    EXPECT_EQ(seen, separators);
}
