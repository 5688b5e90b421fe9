// A run's bytes as the Output pane's lines: line breaks, overwriting CRs,
// colours, bytes that are not UTF-8, and sequences split between reads.
#include "run/OutputDecoder.h"

#include <gtest/gtest.h>

namespace
{
std::vector<COutputDecoder::CLine> Decode(const std::vector<std::pair<std::string, bool>>& chunks,
                                          std::string* pOpen = nullptr)
{
    COutputDecoder decoder;
    for (const auto& [bytes, bError] : chunks)
        decoder.Feed(bytes, bError);
    decoder.Finish();
    if (pOpen != nullptr)
        *pOpen = decoder.OpenLine().text;
    return decoder.TakeLines();
}

std::vector<std::string> Texts(const std::vector<COutputDecoder::CLine>& lines)
{
    std::vector<std::string> texts;
    for (const COutputDecoder::CLine& line : lines)
    {
        EXPECT_EQ(line.colours.size(), line.text.size());
        EXPECT_EQ(line.errors.size(), line.text.size());
        texts.push_back(line.text);
    }
    return texts;
}
} // namespace

TEST(OutputDecoderTest, LinesAsATerminalShowsThem)
{
    struct CCase
    {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
        std::string open;
    };
    const CCase cases[] = {
        {"LF and CR LF", "a\nb\r\nc", {"a", "b"}, "c"},
        {"a bare CR writes over the line", "10%\r20%\r100%\ndone\n", {"100%", "done"}, ""},
        {"a shorter text over a longer one keeps the rest", "abcdef\rxy\n", {"xycdef"}, ""},
        {"colour codes and other escapes are never shown",
         "\x1b[31mred\x1b[0m \x1b[1;32mbold\x1b[m\x1b]0;title\x07\x1b[2K!\n",
         {"red bold!"},
         ""},
        {"Latin-1 where the bytes are not UTF-8",
         "L\xe4nge \xb5m\n",
         {"L\xc3\xa4nge \xc2\xb5m"},
         ""},
        {"UTF-8 stays as it is", "L\xc3\xa4nge \xe2\x82\xac\n", {"L\xc3\xa4nge \xe2\x82\xac"}, ""},
        {"a cut sequence at the end", "x\xe2\x82", {}, "x\xc3\xa2\xc2\x82"},
        {"backspace and control characters", "ab\bc\x01\td\n", {"ac\td"}, ""},
    };
    for (const CCase& c : cases)
    {
        std::string open;
        EXPECT_EQ(Texts(Decode({{c.bytes, false}}, &open)), c.lines) << c.name;
        EXPECT_EQ(open, c.open) << c.name;
    }
}

TEST(OutputDecoderTest, StreamsColoursAndSplitReads)
{
    // Standard error is flagged per character; colours are numbered 1 to 16.
    const auto lines =
        Decode({{"out ", false}, {"err\n", true}, {"\x1b[31mR\x1b[91mB\x1b[0mn\n", false}});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "out err");
    EXPECT_EQ(lines[0].errors, std::string("\0\0\0\0\1\1\1", 7));
    EXPECT_EQ(lines[1].text, "RBn");
    EXPECT_EQ(lines[1].colours, std::string("\x02\x0a\0", 3));

    // A UTF-8 character and an escape split between two reads come out whole.
    const auto split = Decode({{"\xc3", false}, {"\xa4\x1b[3", false}, {"2mg\n", false}});
    ASSERT_EQ(split.size(), 1u);
    EXPECT_EQ(split[0].text, "\xc3\xa4g");
    EXPECT_EQ(split[0].colours, std::string("\0\0\x03", 3));

    // A line with no end is broken where a terminal would wrap it, never cut.
    const std::string longLine(COutputDecoder::kMaxLineBytes * 2 + 5, 'x');
    std::string open;
    const auto wrapped = Decode({{longLine, false}}, &open);
    ASSERT_EQ(wrapped.size(), 2u);
    EXPECT_EQ(wrapped[0].text.size() + wrapped[1].text.size() + open.size(), longLine.size());
}
