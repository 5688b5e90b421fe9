#include "Utf8Detector.h"

#include <cstring>

void CUtf8Detector::Feed(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* pEnd = p + bytes.size();
    while (p < pEnd && !m_bInvalid)
    {
        if (m_nPending == 0)
        {
            // Runs of ASCII are the common case: skip them sixteen at a time.
            while (pEnd - p >= 16)
            {
                std::uint64_t nFirst = 0;
                std::uint64_t nSecond = 0;
                std::memcpy(&nFirst, p, 8);
                std::memcpy(&nSecond, p + 8, 8);
                if ((nFirst | nSecond) & 0x8080808080808080ULL)
                    break;
                p += 16;
            }
            if (p == pEnd)
                break;
            const unsigned char c = *p++;
            if (c < 0x80)
                continue;
            m_bNonAscii = true;
            m_nLow = 0x80;
            m_nHigh = 0xBF;
            if (c >= 0xC2 && c <= 0xDF)
                m_nPending = 1;
            else if (c >= 0xE0 && c <= 0xEF)
            {
                m_nPending = 2;
                if (c == 0xE0)
                    m_nLow = 0xA0; // no overlong forms
                else if (c == 0xED)
                    m_nHigh = 0x9F; // no surrogates
            }
            else if (c >= 0xF0 && c <= 0xF4)
            {
                m_nPending = 3;
                if (c == 0xF0)
                    m_nLow = 0x90;
                else if (c == 0xF4)
                    m_nHigh = 0x8F; // nothing past U+10FFFF
            }
            else
                m_bInvalid = true;
            continue;
        }
        const unsigned char c = *p++;
        if (c < m_nLow || c > m_nHigh)
        {
            m_bInvalid = true;
            break;
        }
        m_nLow = 0x80;
        m_nHigh = 0xBF;
        --m_nPending;
    }
}
