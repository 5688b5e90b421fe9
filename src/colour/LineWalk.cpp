#include "LineWalk.h"

#include "text/WhiteSpace.h"

#include <algorithm>
#include <array>
#include <cstring>

size_t CLineWalk::FirstBreak(std::string_view line)
{
    // A line taken from the text ends in its line feed: no search for it.
    const void* pLineFeed = !line.empty() && line.back() == '\n' &&
                                    std::memchr(line.data(), '\n', line.size() - 1) == nullptr
                                ? static_cast<const void*>(&line.back())
                                : std::memchr(line.data(), '\n', line.size());
    const size_t nLineFeed =
        pLineFeed != nullptr
            ? static_cast<size_t>(static_cast<const char*>(pLineFeed) - line.data())
            : line.size();
    const void* pFF = std::memchr(line.data(), 0xFF, nLineFeed);
    if (pFF != nullptr)
        return static_cast<size_t>(static_cast<const char*>(pFF) - line.data());
    return pLineFeed != nullptr ? nLineFeed : std::string_view::npos;
}

void CLineWalk::TakeAll(long nTo)
{
    while (m_nTaken < nTo)
    {
        const long j = TakeUntilDelimiter(nTo);
        if (j < nTo)
            TakeCharacter(j);
    }
}

void CLineWalk::WordReachingAhead(long nColumn, CWord& word)
{
    // Another delimiter inside the line (a tab, a NUL): the word reaches on
    // to the next space.
    m_nSpaceAhead = std::max(m_nSpaceAhead, nColumn);
    while (m_nSpaceAhead < m_nLength && At(m_nSpaceAhead) != ' ')
        ++m_nSpaceAhead;
    word.nEnd = m_nSpaceAhead;
    word.bHasLetter = false;
    if (word.nStart >= word.nEnd)
    {
        word.nEnd = word.nStart;
        return;
    }
    m_nLetterAhead = std::max(m_nLetterAhead, nColumn);
    while (m_nLetterAhead < m_nLength && !LineWalkDetail::IsLetter(At(m_nLetterAhead)))
        ++m_nLetterAhead;
    word.bHasLetter = m_nLastLetter >= word.nStart || m_nLetterAhead < word.nEnd;
    if (!word.bHasLetter)
        return;
    // The word without white space at either end: it holds a letter, so
    // neither end runs past it.
    long nLeft = m_nWordLeft;
    if (nLeft < 0)
    {
        m_nLeftAhead = std::max(m_nLeftAhead, nColumn);
        while (IsWhiteSpace(At(m_nLeftAhead)))
            ++m_nLeftAhead;
        nLeft = m_nLeftAhead;
    }
    for (; m_nAheadScanned < word.nEnd; ++m_nAheadScanned)
    {
        if (!IsWhiteSpace(At(m_nAheadScanned)))
            m_nAheadNonWhite = m_nAheadScanned;
    }
    word.trimmed = m_line.substr(static_cast<size_t>(nLeft),
                                 static_cast<size_t>(m_nAheadNonWhite + 1 - nLeft));
    word.context = Context();
}

void CLineWalk::WordAt(long nColumn, CWord& word)
{
    TakeAll(std::clamp(nColumn, 0L, m_nLength));
    word.nDelimiter = nColumn;
    word.delimiter = 0;
    WordEndingAt(std::max(0L, nColumn), word);
    word.context = Context();
}
