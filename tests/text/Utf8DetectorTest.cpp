#include "text/Utf8Detector.h"

#include <gtest/gtest.h>
#include <string>

TEST(Utf8Detector, TakesWellFormedTextWithACharacterPastAscii)
{
    EXPECT_TRUE(CUtf8Detector::IsUtf8("L\xC3\xA4nge in \xC2\xB5m"));
    EXPECT_TRUE(CUtf8Detector::IsUtf8("\xE2\x82\xAC and \xF0\x9F\x98\x80"));
    EXPECT_TRUE(CUtf8Detector::IsUtf8("\xF4\x8F\xBF\xBF")); // U+10FFFF
    // ASCII alone shows the same either way, and stays one byte a character.
    EXPECT_FALSE(CUtf8Detector::IsUtf8("set a 1\r\n"));
    EXPECT_FALSE(CUtf8Detector::IsUtf8(""));
}

TEST(Utf8Detector, TurnsAwayEveryMalformedSequence)
{
    for (const std::string& bad : std::initializer_list<std::string>{
             "L\xE4nge",         // Latin-1
             "\xC0\xAF",         // overlong "/"
             "\xE0\x80\xAF",     // overlong, three bytes
             "\xED\xA0\x80",     // a surrogate
             "\xF4\x90\x80\x80", // past U+10FFFF
             "\xF5\x80\x80\x80", // no such lead byte
             "\xC3",             // cut off at the end
             "\xC3\xA4\xA4",     // a stray continuation byte
             "\xE2\x82 \xAC",    // interrupted
             std::string("\xC3\0\xA4", 3),
         })
        EXPECT_FALSE(CUtf8Detector::IsUtf8(bad)) << bad;
}

TEST(Utf8Detector, JudgesTextFedInPiecesAsAWhole)
{
    const std::string text = std::string(100, 'a') + "\xF0\x9F\x98\x80" + std::string(50, 'b');
    for (size_t nCut = 0; nCut <= text.size(); ++nCut)
    {
        CUtf8Detector detector;
        detector.Feed(std::string_view(text).substr(0, nCut));
        detector.Feed(std::string_view(text).substr(nCut));
        EXPECT_TRUE(detector.IsUtf8()) << nCut;
    }
    CUtf8Detector detector;
    detector.Feed("\xC3");
    EXPECT_FALSE(detector.IsUtf8());
    detector.Feed("\xA4");
    EXPECT_TRUE(detector.IsUtf8());
    detector.Feed("\xFF");
    detector.Feed("plain");
    EXPECT_FALSE(detector.IsUtf8());
}
