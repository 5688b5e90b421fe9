#include "TextPlaces.h"

#include "Finding.h"
#include "text/Utf8Detector.h"

#include <algorithm>

CTextPlaces::CTextPlaces(std::string_view text) : m_text(text), m_bUtf8(CUtf8Detector::IsUtf8(text))
{
    m_lineStarts.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    m_lineStarts.push_back(0);
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\n')
            m_lineStarts.push_back(i + 1);
    }
}

long CTextPlaces::LineOf(long nPos) const
{
    const size_t nAt = std::min(static_cast<size_t>(std::max(nPos, 0L)), m_text.size());
    return static_cast<long>(std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), nAt) -
                             m_lineStarts.begin());
}

void CTextPlaces::Find(long nPos, long& nLine, long& nColumn) const
{
    const size_t nAt = std::min(static_cast<size_t>(std::max(nPos, 0L)), m_text.size());
    nLine = LineOf(static_cast<long>(nAt));
    const size_t nLineStart = m_lineStarts[static_cast<size_t>(nLine - 1)];
    if (!m_bUtf8)
    {
        nColumn = static_cast<long>(nAt - nLineStart) + 1;
        return;
    }
    if (m_nCountedLineStart != nLineStart || m_nCountedPos > nAt)
    {
        m_nCountedLineStart = nLineStart;
        m_nCountedPos = nLineStart;
        m_nCountedCharacters = 0;
    }
    for (; m_nCountedPos < nAt; ++m_nCountedPos)
    {
        if ((static_cast<unsigned char>(m_text[m_nCountedPos]) & 0xC0) != 0x80)
            ++m_nCountedCharacters;
    }
    nColumn = static_cast<long>(m_nCountedCharacters) + 1;
}

std::pair<long, long> CTextPlaces::LineRange(long nLine) const
{
    if (nLine < 1 || nLine > LineCount())
        return {static_cast<long>(m_text.size()), static_cast<long>(m_text.size())};
    size_t nStart = m_lineStarts[static_cast<size_t>(nLine - 1)];
    size_t nEnd = static_cast<size_t>(nLine) < m_lineStarts.size()
                      ? m_lineStarts[static_cast<size_t>(nLine)] - 1
                      : m_text.size();
    if (nEnd > nStart && m_text[nEnd - 1] == '\r')
        --nEnd;
    while (nStart < nEnd && (m_text[nStart] == ' ' || m_text[nStart] == '\t'))
        ++nStart;
    return {static_cast<long>(nStart), static_cast<long>(nEnd)};
}

void CTextPlaces::Place(CFinding& finding) const
{
    if (!finding.InScript())
        return;
    if (finding.nStart < 0 && finding.nLine > 0)
    {
        const auto [nStart, nEnd] = LineRange(finding.nLine);
        finding.nStart = nStart;
        finding.nEnd = std::max(nEnd, nStart);
    }
    if (finding.nStart < 0)
        return;
    Find(finding.nStart, finding.nLine, finding.nColumn);
    Find(std::max(finding.nEnd, finding.nStart), finding.nEndLine, finding.nEndColumn);
}
