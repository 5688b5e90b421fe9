#pragma once

#include "text/WhiteSpace.h"

#include <algorithm>
#include <array>
#include <string_view>

// The one walk over a line of the script that the colouring rule is: it
// visits each delimiter of the line (space, tab, CR, LF, NUL, "#") in turn,
// and gives the word a recolouring colours there, with its context:
// - the word runs from just after the last space, "{" or "[" before the
//   delimiter to the first space at or after it (or the line's end);
// - it is classified only when it holds a letter a-z in either case;
// - its context is the line before the character that bounds it on the left,
//   trimmed; "command" when that is empty.
// A whole line costs time in proportion to its length, however many
// delimiters it holds. Who walks decides what to do with each word: colour
// it, list it, look it up.
class CLineWalk
{
public:
    struct CWord
    {
        long nDelimiter = 0; // the column visited
        char delimiter = 0;
        long nStart = 0; // the word: [nStart, nEnd) of the line
        long nEnd = 0;
        bool bHasLetter = false;
        std::string_view trimmed; // the word without white space at either end (with a letter)
        std::string_view context; // "command" for a line's first word (with a letter, or at WordAt)
    };

    // text: the line's first nLength characters, then what follows them to
    // the line's end (its CR LF, as the control holds it). A last line
    // without a break ends one past its last character, in a NUL.
    CLineWalk(std::string_view text, long nLength);
    // A line with its break; the CR LF at its end is not part of the line.
    static CLineWalk OfLineWithBreak(std::string_view lineWithBreak);

    // Blank lines are left alone; a line whose first non-blank is "#" is a
    // comment line in full.
    bool IsBlank() const { return m_bBlank; }
    bool IsCommentLine() const { return m_bCommentLine; }
    // The line without its CR LF, and its extent: through its first line
    // feed or 0xFF byte, or one past its end when it has neither.
    long Length() const { return m_nLength; }
    long Extent() const { return m_nExtent; }

    // The next visit that brings a word not visited before (a run of
    // delimiters inside one word visits it once), or a "#", which ends the
    // walk: the rest of the line is a comment. False when the line is done.
    bool Next(CWord& word);

    // The word around a column as typing finds it, by the same rule: what a
    // visit at that column gives. Columns must not decrease from call to call,
    // and Next must not be mixed with it.
    void WordAt(long nColumn, CWord& word);

    // Where a line's extent ends: its first line feed or 0xFF byte; npos for none.
    static size_t FirstBreak(std::string_view line);

private:
    // Takes in the line's characters up to nTo, or up to the first delimiter
    // before it, which is left for the visit; returns where it stopped.
    long TakeUntilDelimiter(long nTo);
    void TakeCharacter(long nColumn);
    // Takes in every character up to nTo, delimiters included.
    void TakeAll(long nTo);
    // The words before the last bound, trimmed, or "command".
    std::string_view Context() const;
    // The word a visit at nColumn gives, from what was taken in before it.
    void WordEndingAt(long nColumn, CWord& word);
    // The same for a delimiter inside the line that is not a space.
    void WordReachingAhead(long nColumn, CWord& word);
    char At(long i) const { return m_line[static_cast<size_t>(i)]; }

    std::string_view m_full; // with the break
    std::string_view m_line; // without it
    long m_nLength = 0;
    long m_nExtent = 0;
    long m_nNext = 0; // the next column Next looks at
    bool m_bBlank = false;
    bool m_bCommentLine = false;
    bool m_bDone = false;
    long m_nFirstNonWhite = 0;
    long m_nLastWordStart = -1;
    long m_nLastWordEnd = -1;

    // What was taken in: [0, m_nTaken) of the line.
    long m_nTaken = 0;
    long m_nLastBound = -1;    // the last space, "{" or "["
    long m_nLastLetter = -1;   // the last letter
    long m_nLastNonWhite = -1; // the last character that is not white space
    long m_nWordLeft = -1;     // the first non-white after the last bound
    long m_nContextLast = -1;  // the last non-white before the last bound

    // Looking ahead of a delimiter that is not a space, for where its word
    // ends: each only moves forward.
    long m_nSpaceAhead = 0;     // the first space at or after the column
    long m_nLetterAhead = 0;    // the first letter at or after the column
    long m_nAheadScanned = 0;   // [0, m_nAheadScanned) seen for the word's right end
    long m_nAheadNonWhite = -1; // the last non-white seen there
    long m_nLeftAhead = 0;      // the first non-white at or after the column
};

// The walk's inner loop, here so that who walks a line gets it inlined.
namespace LineWalkDetail
{
constexpr bool IsLeftBound(char c)
{
    return c == ' ' || c == '{' || c == '[';
}

constexpr bool IsDelimiter(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0' || c == '#';
}

constexpr bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// What one character is, for the pass over a line.
constexpr unsigned char kBound = 1;     // space, "{" or "[": a word starts after it
constexpr unsigned char kLetter = 2;    // a to z in either case
constexpr unsigned char kWhite = 4;     // white space as isspace sees it
constexpr unsigned char kDelimiter = 8; // the walk visits the word before it
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
        if (IsLetter(ch))
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
} // namespace LineWalkDetail

inline void CLineWalk::TakeCharacter(long nColumn)
{
    const unsigned char nClass =
        LineWalkDetail::kCharClass[static_cast<unsigned char>(At(nColumn))];
    m_nTaken = nColumn + 1;
    if (nClass & LineWalkDetail::kBound)
    {
        // A new word starts after it; "{" and "[" end the context.
        m_nLastBound = nColumn;
        m_nContextLast = m_nLastNonWhite;
        m_nWordLeft = -1;
        if (!(nClass & LineWalkDetail::kWhite))
            m_nLastNonWhite = nColumn;
        return;
    }
    if (nClass & LineWalkDetail::kLetter)
        m_nLastLetter = nColumn;
    if (!(nClass & LineWalkDetail::kWhite))
    {
        m_nLastNonWhite = nColumn;
        if (m_nWordLeft < 0)
            m_nWordLeft = nColumn;
    }
}

// A run of ordinary characters (no delimiter, bound or white space) matters
// only as a whole: where it starts and ends, and whether it holds a letter.
inline long CLineWalk::TakeUntilDelimiter(long nTo)
{
    const char* pText = m_line.data();
    long j = m_nTaken;
    while (j < nTo)
    {
        const long nRunStart = j;
        unsigned char nRunClasses = 0;
        unsigned char nClass = LineWalkDetail::kCharClass[static_cast<unsigned char>(pText[j])];
        while (!(nClass & LineWalkDetail::kSpecial))
        {
            nRunClasses |= nClass;
            if (++j == nTo)
                break;
            nClass = LineWalkDetail::kCharClass[static_cast<unsigned char>(pText[j])];
        }
        if (j > nRunStart)
        {
            // Any letter after the last bound will do for the word's letter test.
            if (nRunClasses & LineWalkDetail::kLetter)
                m_nLastLetter = nRunStart;
            m_nLastNonWhite = j - 1;
            if (m_nWordLeft < 0)
                m_nWordLeft = nRunStart;
        }
        if (j == nTo)
            break;
        if (nClass & LineWalkDetail::kDelimiter)
        {
            m_nTaken = j;
            return j;
        }
        TakeCharacter(j);
        ++j;
    }
    m_nTaken = nTo;
    return nTo;
}

inline CLineWalk CLineWalk::OfLineWithBreak(std::string_view lineWithBreak)
{
    long nLength = static_cast<long>(lineWithBreak.size());
    if (nLength >= 2 && lineWithBreak.substr(static_cast<size_t>(nLength - 2)) == "\r\n")
        nLength -= 2;
    return CLineWalk(lineWithBreak, nLength);
}

inline CLineWalk::CLineWalk(std::string_view text, long nLength)
    : m_full(text),
      m_line(text.substr(
          0, static_cast<size_t>(std::clamp(nLength, 0L, static_cast<long>(text.size()))))),
      m_nLength(static_cast<long>(m_line.size()))
{
    const std::string_view trimmed = TrimLeft(m_full);
    m_bBlank = trimmed.empty();
    m_bCommentLine = !m_bBlank && trimmed[0] == '#';
    const size_t nBreak = FirstBreak(m_full);
    m_nExtent = nBreak == std::string_view::npos ? static_cast<long>(m_full.size()) + 1
                                                 : static_cast<long>(nBreak) + 1;
    // The line's first non-blank, where it has one; a blank line is never walked.
    m_nFirstNonWhite = std::min(static_cast<long>(m_full.size() - trimmed.size()), m_nLength);
}

inline std::string_view CLineWalk::Context() const
{
    if (m_nLastBound <= 0 || m_nFirstNonWhite >= m_nLastBound)
        return "command";
    return m_line.substr(static_cast<size_t>(m_nFirstNonWhite),
                         static_cast<size_t>(m_nContextLast + 1 - m_nFirstNonWhite));
}

inline void CLineWalk::WordEndingAt(long nColumn, CWord& word)
{
    const long nFrom = std::min(nColumn, m_nLength);
    word.nStart = m_nLastBound + 1;
    word.trimmed = {};
    word.context = {};
    if (nColumn >= m_nLength || At(nColumn) == ' ')
    {
        // A word a space or the line's end ends: all of it was taken in.
        word.nEnd = nFrom;
        word.bHasLetter = word.nStart < word.nEnd && m_nLastLetter >= word.nStart;
        if (!word.bHasLetter)
        {
            word.nEnd = std::max(word.nStart, word.nEnd);
            return;
        }
        word.trimmed = m_line.substr(static_cast<size_t>(m_nWordLeft),
                                     static_cast<size_t>(m_nLastNonWhite + 1 - m_nWordLeft));
        word.context = Context();
        return;
    }

    WordReachingAhead(nColumn, word);
}

inline bool CLineWalk::Next(CWord& word)
{
    if (m_bDone || m_bBlank || m_bCommentLine)
        return false;
    const long nSize = static_cast<long>(m_full.size());
    const long nScan = std::min(m_nExtent, nSize);
    const long nInside = std::min(nScan, m_nLength);
    for (;;)
    {
        long j = 0;
        char c = 0;
        if (m_nNext < nInside)
        {
            j = TakeUntilDelimiter(nInside);
            if (j >= nInside)
            {
                m_nNext = nInside;
                continue;
            }
            c = At(j);
        }
        else if (m_nNext < nScan)
        {
            // The line's break.
            j = m_nNext;
            c = m_full[static_cast<size_t>(j)];
            if (!LineWalkDetail::IsDelimiter(c))
            {
                m_nNext = j + 1;
                continue;
            }
        }
        else if (m_nNext == nSize && m_nExtent > nSize)
        {
            j = nSize; // the NUL past a last line without a break
        }
        else
        {
            m_bDone = true;
            return false;
        }
        m_nNext = j + 1;
        word.nDelimiter = j;
        word.delimiter = c;
        if (c == '#')
        {
            // The first "#" anywhere turns the rest of the line into a comment.
            m_bDone = true;
            word.nStart = word.nEnd = j;
            word.bHasLetter = false;
            return true;
        }
        WordEndingAt(j, word);
        if (j < nInside)
            TakeCharacter(j);
        m_bDone = c == '\n';
        // A run of delimiters inside one word visits the same word again.
        const bool bNew =
            word.bHasLetter && (word.nStart != m_nLastWordStart || word.nEnd != m_nLastWordEnd);
        m_nLastWordStart = word.nStart;
        m_nLastWordEnd = word.nEnd;
        if (bNew)
            return true;
        if (m_bDone)
            return false;
    }
}
