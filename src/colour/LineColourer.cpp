#include "LineColourer.h"

#include <algorithm>

CLineColourer::CLineColourer(const std::vector<std::string>& keywords, CommandLookup lookup)
    : m_keywords(keywords), m_lookup(std::move(lookup))
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

EWordColour CLineColourer::Classify(std::string_view trimmed, std::string_view context) const
{
    if (IsKeyword(trimmed))
        return EWordColour::Keyword;
    if (context == "command" && m_lookup(trimmed, "command"))
        return EWordColour::Command;
    if (m_lookup(trimmed, context))
        return EWordColour::SubCommand;
    return context == "source" ? EWordColour::SourcedName : EWordColour::Plain;
}

int CLineColourer::ClassifyWordAt(std::string_view line, long nLength, long nColumn,
                                  CLineWalk::CWord& word) const
{
    CLineWalk walk(line, nLength);
    walk.WordAt(nColumn, word);
    if (!word.bHasLetter)
        return -1;
    return static_cast<int>(Classify(word.trimmed, word.context));
}

bool CLineColourer::ColourLine(std::string_view lineWithBreak, std::vector<CSpan>& spans,
                               const WordVisitor* pVisitor) const
{
    spans.clear();
    CLineWalk walk = CLineWalk::OfLineWithBreak(lineWithBreak);
    if (walk.IsBlank())
        return false;
    if (walk.IsCommentLine())
    {
        spans.push_back({0, walk.Extent(), EWordColour::Comment});
        return true;
    }
    spans.push_back({0, walk.Extent(), EWordColour::Plain});
    CLineWalk::CWord word;
    while (walk.Next(word))
    {
        if (word.delimiter == '#')
        {
            spans.push_back({word.nDelimiter, walk.Length(), EWordColour::Comment});
            break;
        }
        const EWordColour colour = Classify(word.trimmed, word.context);
        spans.push_back({word.nStart, word.nEnd, colour});
        if (pVisitor != nullptr)
            (*pVisitor)(word, colour);
    }
    return true;
}
