#include "OutputDecoder.h"

#include <algorithm>

namespace
{
// A Latin-1 byte as UTF-8.
std::string Latin1(unsigned char c)
{
    if (c < 0x80)
        return std::string(1, static_cast<char>(c));
    return {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
}

int SequenceLength(unsigned char c)
{
    if (c >= 0xC2 && c <= 0xDF)
        return 2;
    if (c >= 0xE0 && c <= 0xEF)
        return 3;
    if (c >= 0xF0 && c <= 0xF4)
        return 4;
    return 0;
}
} // namespace

void COutputDecoder::Feed(std::string_view bytes, bool bError)
{
    const char error = bError ? 1 : 0;
    size_t i = 0;
    while (i < bytes.size())
    {
        // Plain text written at the line's end, the usual case, goes in at once.
        if (m_escape == EEscape::None && m_nPendingNeeded == 0 && !m_bReturn &&
            m_nColumn == m_line.text.size())
        {
            size_t nEnd = i;
            const size_t nRoom = kMaxLineBytes - std::min(kMaxLineBytes, m_line.text.size());
            const size_t nLimit = std::min(bytes.size(), i + nRoom);
            while (nEnd < nLimit && static_cast<unsigned char>(bytes[nEnd]) >= 0x20 &&
                   static_cast<unsigned char>(bytes[nEnd]) < 0x7F)
                ++nEnd;
            if (nEnd > i)
            {
                m_line.text.append(bytes.data() + i, nEnd - i);
                m_line.colours.append(nEnd - i, static_cast<char>(m_nColour));
                m_line.errors.append(nEnd - i, error);
                m_nColumn = m_line.text.size();
                i = nEnd;
                if (m_line.text.size() >= kMaxLineBytes)
                    EndLine();
                continue;
            }
        }
        PutByte(static_cast<unsigned char>(bytes[i]), bError);
        ++i;
    }
}

void COutputDecoder::Finish()
{
    FlushPending(false);
    m_escape = EEscape::None;
    m_parameters.clear();
}

std::vector<COutputDecoder::CLine> COutputDecoder::TakeLines()
{
    std::vector<CLine> lines;
    lines.swap(m_done);
    return lines;
}

// A sequence cut short is shown byte by byte, as Latin-1.
void COutputDecoder::FlushPending(bool bError)
{
    const std::string pending = std::move(m_pending);
    m_pending.clear();
    m_nPendingNeeded = 0;
    for (const char c : pending)
        Put(Latin1(static_cast<unsigned char>(c)), bError);
}

void COutputDecoder::PutByte(unsigned char c, bool bError)
{
    if (m_escape != EEscape::None)
    {
        Escape(c);
        return;
    }
    if (m_nPendingNeeded > 0)
    {
        if ((c & 0xC0) == 0x80)
        {
            m_pending += static_cast<char>(c);
            if (static_cast<int>(m_pending.size()) == m_nPendingNeeded)
            {
                const std::string sequence = std::move(m_pending);
                m_pending.clear();
                m_nPendingNeeded = 0;
                Put(sequence, bError);
            }
            return;
        }
        FlushPending(bError);
    }
    if (c == 0x1B)
    {
        m_escape = EEscape::Start;
        return;
    }
    if (c == '\n')
    {
        EndLine();
        return;
    }
    if (c == '\r')
    {
        m_bReturn = true;
        return;
    }
    if (c == '\b')
    {
        if (m_nColumn > 0)
            --m_nColumn;
        return;
    }
    if (c < 0x20 && c != '\t')
        return; // other control characters show as nothing
    if (c >= 0x80)
    {
        const int nLength = SequenceLength(c);
        if (nLength > 0)
        {
            m_pending.assign(1, static_cast<char>(c));
            m_nPendingNeeded = nLength;
            return;
        }
        Put(Latin1(c), bError);
        return;
    }
    Put(std::string_view(reinterpret_cast<const char*>(&c), 1), bError);
}

void COutputDecoder::EndLine()
{
    m_done.push_back(std::move(m_line));
    m_line = CLine();
    m_nColumn = 0;
    m_bReturn = false;
}

void COutputDecoder::Put(std::string_view utf8, bool bError)
{
    if (m_bReturn)
    {
        // Back to the start: the line is written over from here on.
        m_nColumn = 0;
        m_bReturn = false;
    }
    const char colour = static_cast<char>(m_nColour);
    const char error = bError ? 1 : 0;
    if (m_nColumn >= m_line.text.size())
    {
        m_line.text += utf8;
        m_line.colours.append(utf8.size(), colour);
        m_line.errors.append(utf8.size(), error);
    }
    else
    {
        // Overwrite a character: the one there, whatever its length.
        size_t nEnd = m_nColumn + 1;
        while (nEnd < m_line.text.size() &&
               (static_cast<unsigned char>(m_line.text[nEnd]) & 0xC0) == 0x80)
            ++nEnd;
        m_line.text.replace(m_nColumn, nEnd - m_nColumn, utf8);
        m_line.colours.replace(m_nColumn, nEnd - m_nColumn, utf8.size(), colour);
        m_line.errors.replace(m_nColumn, nEnd - m_nColumn, utf8.size(), error);
    }
    m_nColumn += utf8.size();
    if (m_line.text.size() >= kMaxLineBytes)
        EndLine();
}

// ESC [ params m sets colours; everything else an escape says is dropped.
void COutputDecoder::Escape(unsigned char c)
{
    switch (m_escape)
    {
    case EEscape::Start:
        m_parameters.clear();
        if (c == '[')
            m_escape = EEscape::Sequence;
        else if (c == ']' || c == 'P' || c == '_' || c == '^' || c == 'X')
            m_escape = EEscape::String;
        else if (c >= 0x40 && c <= 0x7E)
            m_escape = EEscape::None; // a two-byte escape
        else
            m_escape = EEscape::Other;
        return;
    case EEscape::String:
        if (c == 0x07)
            m_escape = EEscape::None;
        else if (c == 0x1B)
            m_escape = EEscape::StringEscape;
        return;
    case EEscape::StringEscape:
        m_escape = c == '\\' ? EEscape::None : EEscape::String;
        return;
    case EEscape::Other:
        if (c >= 0x40 && c <= 0x7E)
            m_escape = EEscape::None;
        return;
    case EEscape::Sequence:
        if (c >= 0x40 && c <= 0x7E)
        {
            if (c == 'm')
            {
                // Each parameter in turn; an empty one is 0.
                size_t nFrom = 0;
                while (nFrom <= m_parameters.size())
                {
                    size_t nTo = m_parameters.find(';', nFrom);
                    if (nTo == std::string::npos)
                        nTo = m_parameters.size();
                    int n = 0;
                    for (size_t i = nFrom; i < nTo && i < nFrom + 4; ++i)
                        n = m_parameters[i] >= '0' && m_parameters[i] <= '9'
                                ? n * 10 + (m_parameters[i] - '0')
                                : n;
                    if (n == 0 || n == 39)
                        m_nColour = 0;
                    else if (n >= 30 && n <= 37)
                        m_nColour = static_cast<std::uint8_t>(n - 29);
                    else if (n >= 90 && n <= 97)
                        m_nColour = static_cast<std::uint8_t>(n - 81);
                    nFrom = nTo + 1;
                }
            }
            m_escape = EEscape::None;
            return;
        }
        if (m_parameters.size() < 64)
            m_parameters += static_cast<char>(c);
        return;
    case EEscape::None:
        return;
    }
}
