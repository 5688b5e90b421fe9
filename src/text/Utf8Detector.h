#pragma once

#include <cstdint>
#include <string_view>

// Decides whether bytes are UTF-8 text: every sequence well formed (no
// overlong forms, no surrogates, nothing past U+10FFFF, none cut off at the
// end) and at least one character past ASCII. Plain ASCII is left to the
// 8-bit reading, which shows it the same. Bytes may come in pieces.
class CUtf8Detector
{
public:
    void Feed(std::string_view bytes);
    bool IsUtf8() const { return !m_bInvalid && m_bNonAscii && m_nPending == 0; }
    // No byte past ASCII: the text reads the same in every 8-bit encoding and in UTF-8.
    bool IsAscii() const { return !m_bNonAscii; }

    static bool IsUtf8(std::string_view bytes)
    {
        CUtf8Detector detector;
        detector.Feed(bytes);
        return detector.IsUtf8();
    }
    static bool IsAscii(std::string_view bytes)
    {
        CUtf8Detector detector;
        detector.Feed(bytes);
        return detector.IsAscii();
    }

private:
    bool m_bInvalid = false;
    bool m_bNonAscii = false;
    int m_nPending = 0;         // continuation bytes still owed
    std::uint8_t m_nLow = 0x80; // the range the next continuation byte must lie in
    std::uint8_t m_nHigh = 0xBF;
};
