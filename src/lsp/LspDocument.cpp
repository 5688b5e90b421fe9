#include "LspDocument.h"

#include <algorithm>

namespace
{
// The length of the UTF-8 sequence that starts with a byte, and the UTF-16
// units it stands for; a byte that starts none is one unit on its own.
void Sequence(std::string_view text, size_t nAt, size_t& nBytes, long& nUnits)
{
    const auto byte = [&](size_t n) { return static_cast<unsigned char>(text[n]); };
    const unsigned char lead = byte(nAt);
    size_t nLength = lead < 0x80           ? 1
                     : (lead >> 5) == 0x6  ? 2
                     : (lead >> 4) == 0xE  ? 3
                     : (lead >> 3) == 0x1E ? 4
                                           : 0;
    bool bValid = nLength > 0 && nAt + nLength <= text.size();
    for (size_t i = 1; bValid && i < nLength; ++i)
        bValid = (byte(nAt + i) & 0xC0) == 0x80;
    if (!bValid)
        nLength = 1;
    nBytes = nLength;
    nUnits = bValid && nLength == 4 ? 2 : 1;
}
} // namespace

CLspDocument::CLspDocument(std::string text, long nVersion)
    : m_text(std::move(text)), m_nVersion(nVersion)
{
    IndexLines();
}

void CLspDocument::IndexLines()
{
    m_lineStarts.assign(1, 0);
    for (size_t i = 0; i < m_text.size(); ++i)
    {
        // \r\n, \n and a \r alone each end a line, as the protocol says.
        if (m_text[i] == '\n' ||
            (m_text[i] == '\r' && (i + 1 == m_text.size() || m_text[i + 1] != '\n')))
            m_lineStarts.push_back(i + 1);
    }
}

size_t CLspDocument::Offset(CLspPosition position) const
{
    if (position.nLine < 0)
        return 0;
    if (static_cast<size_t>(position.nLine) >= m_lineStarts.size())
        return m_text.size();
    const size_t nStart = m_lineStarts[static_cast<size_t>(position.nLine)];
    size_t nEnd = static_cast<size_t>(position.nLine) + 1 < m_lineStarts.size()
                      ? m_lineStarts[static_cast<size_t>(position.nLine) + 1]
                      : m_text.size();
    // The line's own characters: its break is no place to stand in.
    while (nEnd > nStart && (m_text[nEnd - 1] == '\n' || m_text[nEnd - 1] == '\r'))
        --nEnd;
    size_t nAt = nStart;
    long nUnits = 0;
    while (nAt < nEnd && nUnits < position.nCharacter)
    {
        size_t nBytes = 1;
        long nSequenceUnits = 1;
        Sequence(m_text, nAt, nBytes, nSequenceUnits);
        if (nUnits + nSequenceUnits > position.nCharacter)
            break; // inside a pair of surrogates: the character's start
        nAt = std::min(nEnd, nAt + nBytes);
        nUnits += nSequenceUnits;
    }
    return nAt;
}

CLspPosition CLspDocument::PositionOf(size_t nOffset) const
{
    nOffset = std::min(nOffset, m_text.size());
    const auto after = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), nOffset);
    const size_t nLine = static_cast<size_t>(after - m_lineStarts.begin()) - 1;
    long nUnits = 0;
    for (size_t nAt = m_lineStarts[nLine]; nAt < nOffset;)
    {
        size_t nBytes = 1;
        long nSequenceUnits = 1;
        Sequence(m_text, nAt, nBytes, nSequenceUnits);
        nAt += nBytes;
        nUnits += nSequenceUnits;
    }
    return {static_cast<long>(nLine), nUnits};
}

bool CLspDocument::Replace(CLspPosition from, CLspPosition to, std::string_view text)
{
    const size_t nFrom = Offset(from);
    const size_t nTo = Offset(to);
    if (nTo < nFrom)
        return false;
    m_text.replace(nFrom, nTo - nFrom, text);
    IndexLines();
    return true;
}

void CLspDocument::ReplaceAll(std::string text)
{
    m_text = std::move(text);
    IndexLines();
}
