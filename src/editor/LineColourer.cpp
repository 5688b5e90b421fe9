#include "LineColourer.h"

#include "platform/WhiteSpace.h"

#include <algorithm>

namespace
{
bool IsLeftBound(char c)
{
    return c == ' ' || c == '{' || c == '[';
}

// The characters at which a recolouring visits the word before them.
bool IsDelimiter(char c)
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

bool CLineColourer::IsKeyword(std::string_view word) const
{
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
    const std::string_view context = ContextOf(line, nStart);
    const std::string_view trimmed = Trim(word);
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

bool CLineColourer::ColourLine(std::string_view lineWithBreak, std::vector<CSpan>& spans) const
{
    spans.clear();
    const std::string_view trimmed = TrimLeft(lineWithBreak);
    if (trimmed.empty())
        return false;

    // The extent runs through the first line feed or 0xFF; a last line without
    // either ends one past its last character, in a NUL.
    const size_t nBreak = lineWithBreak.find_first_of(std::string_view("\n\xFF", 2));
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
    for (long j = 0; j < nExtent; ++j)
    {
        const char c = j < static_cast<long>(lineWithBreak.size())
                           ? lineWithBreak[static_cast<size_t>(j)]
                           : '\0';
        if (!IsDelimiter(c))
            continue;
        if (c == '#')
        {
            // The first "#" anywhere turns the rest of the line into a comment.
            spans.push_back({j, nLength, EWordColour::Comment});
            break;
        }
        long nStart = 0;
        long nEnd = 0;
        const int nColour = ClassifyWord(line, nLength, j, nStart, nEnd);
        if (nColour >= 0 && nStart < nEnd)
            spans.push_back({nStart, nEnd, static_cast<EWordColour>(nColour)});
        if (c == '\n')
            break;
    }
    return true;
}
