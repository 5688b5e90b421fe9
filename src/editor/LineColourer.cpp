#include "LineColourer.h"

#include "text/WhiteSpace.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace
{
constexpr bool IsLeftBound(char c)
{
    return c == ' ' || c == '{' || c == '[';
}

// The characters at which a recolouring visits the word before them.
constexpr bool IsDelimiter(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0' || c == '#';
}
} // namespace

std::string CLineColourer::WordAtColumn(std::string_view line, long nLength, long nColumn,
                                        long& nStart, long& nEnd)
{
    return std::string(WordViewAtColumn(line, nLength, nColumn, nStart, nEnd));
}

std::string_view CLineColourer::WordViewAtColumn(std::string_view line, long nLength, long nColumn,
                                                 long& nStart, long& nEnd)
{
    nLength = std::min(nLength, static_cast<long>(line.size()));
    long p = nColumn - 1;
    if (p >= nLength)
        p = nLength - 1;
    while (p >= 0 && !IsLeftBound(line[static_cast<size_t>(p)]))
        --p;
    nStart = std::max(0L, p + 1);
    nEnd = nLength;
    if (nColumn < nLength)
    {
        const size_t nSpace = line.substr(0, static_cast<size_t>(nLength))
                                  .find(' ', static_cast<size_t>(std::max(0L, nColumn)));
        if (nSpace != std::string_view::npos)
            nEnd = static_cast<long>(nSpace);
    }
    if (nStart >= nEnd)
    {
        nEnd = nStart;
        return {};
    }
    return line.substr(static_cast<size_t>(nStart), static_cast<size_t>(nEnd - nStart));
}

// Where a line's extent ends: its first line feed or 0xFF byte. Two scans of
// the library's memchr, rather than a set test on every character.
size_t CLineColourer::FirstBreak(std::string_view line)
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

CLineColourer::CLineColourer(const std::vector<std::string>& keywords, CommandLookup lookup,
                             const ListEntry* pListEntry)
    : m_keywords(keywords), m_lookup(std::move(lookup)), m_pListEntry(pListEntry)
{
    for (const std::string& keyword : keywords)
    {
        if (keyword.empty())
        {
            m_bEmptyKeyword = true;
            continue;
        }
        m_nShortestKeyword = std::min(m_nShortestKeyword, keyword.size());
        m_nLongestKeyword = std::max(m_nLongestKeyword, keyword.size());
        m_keywordStarts.set(static_cast<unsigned char>(keyword[0]));
    }
}

bool CLineColourer::IsKeyword(std::string_view word) const
{
    // Most words (numbers, names, commands) fail the length or first-letter
    // test and are never compared.
    if (word.empty())
        return m_bEmptyKeyword;
    if (word.size() < m_nShortestKeyword || word.size() > m_nLongestKeyword ||
        !m_keywordStarts.test(static_cast<unsigned char>(word[0])))
        return false;
    return std::find(m_keywords.begin(), m_keywords.end(), word) != m_keywords.end();
}

bool CLineColourer::HasLetter(std::string_view word)
{
    return std::any_of(word.begin(), word.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

std::string_view CLineColourer::ContextOf(std::string_view line, long nWordStart)
{
    const long nContextEnd = std::min(nWordStart - 1, static_cast<long>(line.size()));
    const std::string_view context = nContextEnd > 0
                                         ? Trim(line.substr(0, static_cast<size_t>(nContextEnd)))
                                         : std::string_view();
    return context.empty() ? std::string_view("command") : context;
}

int CLineColourer::ClassifyWord(std::string_view line, long nLength, long nColumn, long& nStart,
                                long& nEnd) const
{
    const std::string_view word = WordViewAtColumn(line, nLength, nColumn, nStart, nEnd);
    if (!HasLetter(word))
        return -1;
    return Classify(Trim(word), ContextOf(line, nStart));
}

int CLineColourer::Classify(std::string_view trimmed, std::string_view context) const
{
    if (m_pListEntry != nullptr)
    {
        if (context == "source")
            (*m_pListEntry)(true, std::string(trimmed));
        else if (context == "set")
            (*m_pListEntry)(false, std::string(trimmed));
    }
    if (IsKeyword(trimmed))
        return static_cast<int>(EWordColour::Keyword);
    if (context == "command" && m_lookup(trimmed, "command"))
        return static_cast<int>(EWordColour::Command);
    if (m_lookup(trimmed, context))
        return static_cast<int>(EWordColour::SubCommand);
    return static_cast<int>(context == "source" ? EWordColour::SourcedName : EWordColour::Plain);
}

namespace
{
// The words before a word's delimiter at nContextEnd, trimmed: the line from
// its first non-white character through nLastNonWhite, or "command" where
// only white space comes before the delimiter.
std::string_view ContextView(std::string_view line, long nFirstNonWhite, long nContextEnd,
                             long nLastNonWhite)
{
    if (nContextEnd <= 0 || nFirstNonWhite >= nContextEnd)
        return "command";
    return line.substr(static_cast<size_t>(nFirstNonWhite),
                       static_cast<size_t>(nLastNonWhite + 1 - nFirstNonWhite));
}

// Answers, for each delimiter of a line in turn, what WordViewAtColumn,
// HasLetter, Trim and ContextOf answer for the word there, without scanning
// the line again for each: every boundary they look for only moves forward as
// the column does, so a whole line costs time in proportion to its length,
// however many delimiters (tabs, NULs) it holds.
class CWordWalker
{
public:
    explicit CWordWalker(std::string_view line)
        : m_line(line), m_nLength(static_cast<long>(line.size())),
          m_nFirstNonWhite(static_cast<long>(line.size() - TrimLeft(line).size()))
    {
    }

    struct CWord
    {
        long nStart = 0;
        long nEnd = 0;
        bool bHasLetter = false;
        std::string_view trimmed;
        std::string_view context;
    };

    // The word around nColumn; columns must not decrease from call to call.
    void Visit(long nColumn, CWord& word)
    {
        const long nFrom = std::min(nColumn, m_nLength);
        for (; m_nScanned < nFrom; ++m_nScanned)
        {
            const char c = At(m_nScanned);
            if (IsLeftBound(c))
                m_nLastBound = m_nScanned;
            if (IsLetter(c))
                m_nLastLetter = m_nScanned;
        }
        word.nStart = m_nLastBound + 1;
        m_nSpace = std::max(m_nSpace, nFrom);
        while (m_nSpace < m_nLength && At(m_nSpace) != ' ')
            ++m_nSpace;
        word.nEnd = m_nSpace;
        word.bHasLetter = false;
        if (word.nStart >= word.nEnd)
        {
            word.nEnd = word.nStart;
            return;
        }
        m_nNextLetter = std::max(m_nNextLetter, nFrom);
        while (m_nNextLetter < m_nLength && !IsLetter(At(m_nNextLetter)))
            ++m_nNextLetter;
        word.bHasLetter = m_nLastLetter >= word.nStart || m_nNextLetter < word.nEnd;
        if (!word.bHasLetter)
            return;

        // The word without white space at either end: it holds a letter, so
        // neither end runs past it.
        m_nWordLeft = std::max(m_nWordLeft, word.nStart);
        while (IsWhiteSpace(At(m_nWordLeft)))
            ++m_nWordLeft;
        for (; m_nRightScanned < word.nEnd; ++m_nRightScanned)
        {
            if (!IsWhiteSpace(At(m_nRightScanned)))
                m_nLastNonWhite = m_nRightScanned;
        }
        word.trimmed = m_line.substr(static_cast<size_t>(m_nWordLeft),
                                     static_cast<size_t>(m_nLastNonWhite + 1 - m_nWordLeft));

        // The words before the word's delimiter, trimmed.
        const long nContextEnd = std::min(word.nStart - 1, m_nLength);
        for (; m_nContextScanned < nContextEnd; ++m_nContextScanned)
        {
            if (!IsWhiteSpace(At(m_nContextScanned)))
                m_nContextLast = m_nContextScanned;
        }
        word.context = ContextView(m_line, m_nFirstNonWhite, nContextEnd, m_nContextLast);
    }

private:
    static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    char At(long i) const { return m_line[static_cast<size_t>(i)]; }

    std::string_view m_line;
    long m_nLength;
    long m_nFirstNonWhite;
    long m_nScanned = 0;      // [0, m_nScanned) seen for bounds and letters
    long m_nLastBound = -1;   // the last space, "{" or "[" seen
    long m_nLastLetter = -1;  // the last letter seen
    long m_nSpace = 0;        // the first space at or after the column
    long m_nNextLetter = 0;   // the first letter at or after the column
    long m_nWordLeft = 0;     // the first non-white at or after the word's start
    long m_nRightScanned = 0; // [0, m_nRightScanned) seen for the word's right end
    long m_nLastNonWhite = -1;
    long m_nContextScanned = 0;
    long m_nContextLast = -1;
};
// What one character is, for the pass over a line.
constexpr unsigned char kBound = 1;     // space, "{" or "[": a word starts after it
constexpr unsigned char kLetter = 2;    // a to z in either case
constexpr unsigned char kWhite = 4;     // white space as isspace sees it
constexpr unsigned char kDelimiter = 8; // the pass visits the word before it
constexpr unsigned char kSpecial = kBound | kWhite | kDelimiter;

constexpr std::array<unsigned char, 256> MakeCharClasses()
{
    std::array<unsigned char, 256> classes{};
    for (int c = 0; c < 256; ++c)
    {
        const char ch = static_cast<char>(c);
        unsigned char nClass = 0;
        if (IsLeftBound(ch))
            nClass |= kBound;
        if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'))
            nClass |= kLetter;
        if (IsWhiteSpace(ch))
            nClass |= kWhite;
        if (IsDelimiter(ch))
            nClass |= kDelimiter;
        classes[static_cast<size_t>(c)] = nClass;
    }
    return classes;
}
constexpr std::array<unsigned char, 256> kCharClass = MakeCharClasses();

// What the pass over a line has seen before the current column: enough to
// give a word that a space ends, and its context, with what
// WordViewAtColumn, HasLetter, Trim and ContextOf would give.
class CPassState
{
public:
    explicit CPassState(std::string_view line)
        : m_line(line), m_nFirstNonWhite(static_cast<long>(line.size() - TrimLeft(line).size()))
    {
    }

    // The column's character, after the word ending there was looked at.
    void See(long nColumn, unsigned char nClass)
    {
        if (nClass & kBound)
        {
            // A new word starts after it; "{" and "[" end the context.
            m_nLastBound = nColumn;
            m_nContextLast = m_nLastNonWhite;
            m_nWordLeft = -1;
            if (!(nClass & kWhite))
                m_nLastNonWhite = nColumn;
            return;
        }
        if (nClass & kLetter)
            m_nLastLetter = nColumn;
        if (!(nClass & kWhite))
        {
            m_nLastNonWhite = nColumn;
            if (m_nWordLeft < 0)
                m_nWordLeft = nColumn;
        }
    }

    // A run of ordinary characters, from nFirst to nLast: not white, no bound.
    void SeeRun(long nFirst, long nLast, bool bHasLetter)
    {
        // Any letter after the last bound will do for the word's letter test.
        if (bHasLetter)
            m_nLastLetter = nFirst;
        m_nLastNonWhite = nLast;
        if (m_nWordLeft < 0)
            m_nWordLeft = nFirst;
    }

    // The word ended by the space at nColumn, or by the line's end.
    void WordEndingAt(long nColumn, CWordWalker::CWord& word) const
    {
        word.nStart = m_nLastBound + 1;
        word.nEnd = nColumn;
        word.bHasLetter = word.nStart < word.nEnd && m_nLastLetter >= word.nStart;
        if (!word.bHasLetter)
        {
            word.nEnd = std::max(word.nStart, word.nEnd);
            return;
        }
        word.trimmed = m_line.substr(static_cast<size_t>(m_nWordLeft),
                                     static_cast<size_t>(m_nLastNonWhite + 1 - m_nWordLeft));
        word.context = ContextView(m_line, m_nFirstNonWhite, m_nLastBound, m_nContextLast);
    }

private:
    std::string_view m_line;
    long m_nFirstNonWhite;
    long m_nLastBound = -1;
    long m_nLastLetter = -1;
    long m_nLastNonWhite = -1;
    long m_nWordLeft = -1;    // the first non-white after the last bound
    long m_nContextLast = -1; // the last non-white before the last bound
};
} // namespace

bool CLineColourer::ColourLine(std::string_view lineWithBreak, std::vector<CSpan>& spans) const
{
    spans.clear();
    const std::string_view trimmed = TrimLeft(lineWithBreak);
    if (trimmed.empty())
        return false;

    // The extent runs through the first line feed or 0xFF; a last line without
    // either ends one past its last character, in a NUL.
    const size_t nBreak = FirstBreak(lineWithBreak);
    const long nExtent = nBreak == std::string_view::npos
                             ? static_cast<long>(lineWithBreak.size()) + 1
                             : static_cast<long>(nBreak) + 1;
    if (trimmed[0] == '#')
    {
        spans.push_back({0, nExtent, EWordColour::Comment});
        return true;
    }

    // The line without its break: what the caret's line reads as while its words are visited.
    long nLength = static_cast<long>(lineWithBreak.size());
    if (nLength >= 2 && lineWithBreak.substr(static_cast<size_t>(nLength - 2)) == "\r\n")
        nLength -= 2;
    const std::string_view line = lineWithBreak.substr(0, static_cast<size_t>(nLength));

    spans.push_back({0, nExtent, EWordColour::Plain});
    // Words ended by a space or by the line's end, nearly all of them, are
    // found from what one pass over the line has seen so far; a word ended by
    // another delimiter inside the line (tab, NUL) reaches ahead to the next
    // space, and the walker finds it.
    CWordWalker walker(line);
    CWordWalker::CWord word;
    CPassState pass(line);
    long nLastStart = -1;
    long nLastEnd = -1;
    const long nSize = static_cast<long>(lineWithBreak.size());
    // Visits the word before the delimiter c at column j; false once the line is done.
    const auto visit = [&](long j, char c) __attribute__((always_inline))
    {
        if (c == '#')
        {
            // The first "#" anywhere turns the rest of the line into a comment.
            spans.push_back({j, nLength, EWordColour::Comment});
            return false;
        }
        if (c == ' ' || j >= nLength)
            pass.WordEndingAt(std::min(j, nLength), word);
        else
            walker.Visit(j, word);
        // A run of delimiters inside one word (tabs, NULs) visits the same
        // word again: it is coloured, and listed, as before.
        if (word.bHasLetter && (word.nStart != nLastStart || word.nEnd != nLastEnd))
        {
            const int nColour = Classify(word.trimmed, word.context);
            spans.push_back({word.nStart, word.nEnd, static_cast<EWordColour>(nColour)});
        }
        nLastStart = word.nStart;
        nLastEnd = word.nEnd;
        return c != '\n';
    };
    // The line's own characters, then its break, then the NUL one past a last
    // line that has no break.
    const char* pText = lineWithBreak.data();
    const long nScan = std::min(nExtent, nSize);
    const long nInside = std::min(nScan, nLength);
    for (long j = 0; j < nInside; ++j)
    {
        // A run of ordinary characters (no delimiter, bound or white space)
        // matters only as a whole: where it starts and ends, and whether it
        // holds a letter.
        const long nRunStart = j;
        unsigned char nRunClasses = 0;
        unsigned char nClass = kCharClass[static_cast<unsigned char>(pText[j])];
        while (!(nClass & kSpecial))
        {
            nRunClasses |= nClass;
            if (++j == nInside)
                break;
            nClass = kCharClass[static_cast<unsigned char>(pText[j])];
        }
        if (j > nRunStart)
            pass.SeeRun(nRunStart, j - 1, (nRunClasses & kLetter) != 0);
        if (j == nInside)
            break;
        if ((nClass & kDelimiter) && !visit(j, pText[j]))
            return true;
        pass.See(j, nClass);
    }
    for (long j = nInside; j < nScan; ++j)
    {
        if ((kCharClass[static_cast<unsigned char>(pText[j])] & kDelimiter) && !visit(j, pText[j]))
            return true;
    }
    if (nExtent > nSize)
        visit(nSize, '\0');
    return true;
}
