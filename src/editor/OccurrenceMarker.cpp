#include "OccurrenceMarker.h"

#include "platform/TextControl.h"

#include <QTimer>
#include <algorithm>

namespace
{
bool IsWordByte(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           c >= 0x80;
}
} // namespace

COccurrenceMarker::COccurrenceMarker(CTextControl& control)
    : QObject(&control), m_control(control), m_pTimer(new QTimer(this))
{
    m_pTimer->setSingleShot(true);
    m_pTimer->setInterval(0);
    connect(m_pTimer, &QTimer::timeout, this, &COccurrenceMarker::Update);
    connect(&m_control, &CTextControl::SelectionChanged, this, &COccurrenceMarker::SelectionMoved);
    connect(&m_control, &CTextControl::Scrolled, this, &COccurrenceMarker::UpdateSoon);
    connect(&m_control, &CTextControl::TextEdited, this, &COccurrenceMarker::UpdateSoon);
}

void COccurrenceMarker::SelectionMoved()
{
    long nStart = 0;
    long nEnd = 0;
    m_control.GetSel(nStart, nEnd);
    if (nStart == m_nLastSelStart && nEnd == m_nLastSelEnd)
        return;
    m_nLastSelStart = nStart;
    m_nLastSelEnd = nEnd;
    UpdateSoon();
}

void COccurrenceMarker::UpdateSoon()
{
    if (!m_pTimer->isActive())
        m_pTimer->start();
}

std::string COccurrenceMarker::WordAt(std::string_view text, long nPos, long& nStart, long& nEnd)
{
    nStart = std::clamp(nPos, 0L, static_cast<long>(text.size()));
    nEnd = nStart;
    while (nStart > 0 && IsWordByte(static_cast<unsigned char>(text[nStart - 1])))
        --nStart;
    while (static_cast<size_t>(nEnd) < text.size() &&
           IsWordByte(static_cast<unsigned char>(text[nEnd])))
        ++nEnd;
    if (nEnd - nStart < 2)
        return {};
    return std::string(text.substr(nStart, nEnd - nStart));
}

void COccurrenceMarker::MarkSearch(const std::string& findWhat, std::uint32_t nFlags,
                                   long nMatchStart, long nMatchEnd)
{
    m_search = findWhat;
    m_nSearchFlags = nFlags;
    m_nSearchStart = nMatchStart;
    m_nSearchEnd = nMatchEnd;
    Update();
}

void COccurrenceMarker::Update()
{
    m_pTimer->stop();
    m_control.ClearIndicator(CTextControl::kOccurrenceIndicator, m_nMarkedFrom,
                             m_nMarkedTo - m_nMarkedFrom);
    long nFirstLine = 0;
    long nLastLine = 0;
    m_control.VisibleLines(nFirstLine, nLastLine);
    const long nFrom = m_control.LineIndex(nFirstLine);
    const long nTo = nLastLine + 1 < m_control.GetLineCount() ? m_control.LineIndex(nLastLine + 1)
                                                              : m_control.GetTextLength();
    m_nMarkedFrom = std::max(0L, nFrom);
    m_nMarkedTo = std::max(m_nMarkedFrom, nTo);

    long nSelStart = 0;
    long nSelEnd = 0;
    m_control.GetSel(nSelStart, nSelEnd);
    // The search's marks last while its match stays selected.
    if (!m_search.empty() && nSelStart == m_nSearchStart && nSelEnd == m_nSearchEnd)
    {
        for (long nPos = m_nMarkedFrom; nPos < m_nMarkedTo;)
        {
            long nMatchEnd = 0;
            const long nMatch =
                m_control.FindTextEx(m_nSearchFlags, nPos, m_nMarkedTo, m_search, &nMatchEnd);
            if (nMatch < 0 || nMatchEnd <= nMatch)
                break;
            m_control.FillIndicator(CTextControl::kOccurrenceIndicator, nMatch, nMatchEnd - nMatch);
            nPos = nMatchEnd;
        }
        return;
    }
    m_search.clear();
    if (nSelStart != nSelEnd)
        return;

    const std::string_view text = m_control.TextView();
    long nWordStart = 0;
    long nWordEnd = 0;
    const std::string word = WordAt(text, nSelEnd, nWordStart, nWordEnd);
    if (word.empty())
        return;
    const std::string_view shown = text.substr(static_cast<size_t>(m_nMarkedFrom),
                                               static_cast<size_t>(m_nMarkedTo - m_nMarkedFrom));
    for (size_t nFound = shown.find(word); nFound != std::string_view::npos;
         nFound = shown.find(word, nFound + 1))
    {
        const long nAt = m_nMarkedFrom + static_cast<long>(nFound);
        const long nAfter = nAt + static_cast<long>(word.size());
        if (nAt == nWordStart)
            continue;
        if ((nAt > 0 && IsWordByte(static_cast<unsigned char>(text[nAt - 1]))) ||
            (static_cast<size_t>(nAfter) < text.size() &&
             IsWordByte(static_cast<unsigned char>(text[nAfter]))))
            continue;
        m_control.FillIndicator(CTextControl::kOccurrenceIndicator, nAt, nAfter - nAt);
    }
}
