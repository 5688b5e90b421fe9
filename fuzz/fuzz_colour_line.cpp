// The colouring of one line with a small library: the one walk that
// ColourLine is, against the word-by-word rule it stands for, written out
// here apart from the walk (a delimiter at a time, the word around it found
// afresh), and the walk's word at every column against the same rule.
#include "FuzzSupport.h"
#include "colour/LineColourer.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace
{
bool LookUp(std::string_view keyword, std::string_view parent)
{
    static const std::set<std::pair<std::string, std::string>> s_library = {
        {"node", "command"},  {"element", "command"}, {"model", "command"},
        {"Truss", "element"}, {"-dims", "model"},     {"lin", "element Truss"},
        {"set", "command"},   {"x", "set"},           {"fix", "command"}};
    return s_library.count({std::string(keyword), std::string(parent)}) != 0;
}

bool IsWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDelimiter(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0' || c == '#';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsWhite(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsWhite(text.back()))
        text.remove_suffix(1);
    return text;
}

// From after the last space, "{" or "[" before the column to the first space
// at or after it.
std::pair<long, long> WordAround(std::string_view line, long nLength, long nColumn)
{
    long p = nColumn - 1;
    if (p >= nLength)
        p = nLength - 1;
    while (p >= 0 && line[static_cast<size_t>(p)] != ' ' && line[static_cast<size_t>(p)] != '{' &&
           line[static_cast<size_t>(p)] != '[')
        --p;
    const long nStart = p + 1;
    long nEnd = nLength;
    for (long i = std::max(0L, nColumn); nColumn < nLength && i < nLength; ++i)
    {
        if (line[static_cast<size_t>(i)] == ' ')
        {
            nEnd = i;
            break;
        }
    }
    return {nStart, std::max(nStart, nEnd)};
}

std::string_view ContextBefore(std::string_view line, long nStart)
{
    const std::string_view context =
        nStart - 1 > 0 ? Trimmed(line.substr(0, static_cast<size_t>(nStart - 1))) : "";
    return context.empty() ? std::string_view("command") : context;
}

bool HasLetter(std::string_view word)
{
    return std::any_of(word.begin(), word.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

EWordColour ClassifyByRule(std::string_view word, std::string_view context)
{
    for (const char* keyword : CLineColourer::kTclKeywords)
    {
        if (word == keyword)
            return EWordColour::Keyword;
    }
    if (context == "command" && LookUp(word, "command"))
        return EWordColour::Command;
    if (LookUp(word, context))
        return EWordColour::SubCommand;
    return context == "source" ? EWordColour::SourcedName : EWordColour::Plain;
}

// The rule as written: the extent, then the word before every delimiter.
std::vector<CLineColourer::CSpan> WordByWord(std::string_view line,
                                             std::vector<std::string>& listed)
{
    std::vector<CLineColourer::CSpan> spans;
    size_t nFirst = 0;
    while (nFirst < line.size() && IsWhite(line[nFirst]))
        ++nFirst;
    if (nFirst == line.size())
        return spans;
    size_t nBreak = std::min(line.find('\n'), line.size());
    nBreak = std::min(nBreak, std::min(line.find('\xFF'), line.size()));
    const long nExtent = static_cast<long>(nBreak) + 1;
    if (line[nFirst] == '#')
        return {{0, nExtent, EWordColour::Comment}};
    long nLength = static_cast<long>(line.size());
    if (nLength >= 2 && line.substr(static_cast<size_t>(nLength - 2)) == "\r\n")
        nLength -= 2;
    spans.push_back({0, nExtent, EWordColour::Plain});
    long nLastStart = -1;
    long nLastEnd = -1;
    for (long j = 0; j < nExtent; ++j)
    {
        const char c = j < static_cast<long>(line.size()) ? line[static_cast<size_t>(j)] : '\0';
        if (!IsDelimiter(c))
            continue;
        if (c == '#')
        {
            spans.push_back({j, nLength, EWordColour::Comment});
            break;
        }
        const auto [nStart, nEnd] = WordAround(line, nLength, j);
        const std::string_view word =
            line.substr(static_cast<size_t>(nStart), static_cast<size_t>(nEnd - nStart));
        // A word visited again colours nothing new.
        if (HasLetter(word) && (nStart != nLastStart || nEnd != nLastEnd))
        {
            const std::string_view context = ContextBefore(line.substr(0, nLength), nStart);
            spans.push_back({nStart, nEnd, ClassifyByRule(Trimmed(word), context)});
            if (context == "set" || context == "source")
                listed.push_back(std::string(context) + " " + std::string(Trimmed(word)));
        }
        nLastStart = nStart;
        nLastEnd = nEnd;
        if (c == '\n')
            break;
    }
    return spans;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize > 4096) // the word-by-word rule takes time in the square of the length
        return 0;
    const std::string_view line = BytesOf(pData, nSize);
    const std::vector<std::string> keywords(std::begin(CLineColourer::kTclKeywords),
                                            std::end(CLineColourer::kTclKeywords));
    const CLineColourer colourer(keywords, &LookUp);
    std::vector<std::string> listed;
    const CLineColourer::WordVisitor list = [&](const CLineWalk::CWord& word, EWordColour)
    {
        if (word.context == "set" || word.context == "source")
            listed.push_back(std::string(word.context) + " " + std::string(word.trimmed));
    };

    std::vector<CLineColourer::CSpan> spans;
    const bool bColoured = colourer.ColourLine(line, spans, &list);
    std::vector<std::string> expectedListed;
    const std::vector<CLineColourer::CSpan> expected = WordByWord(line, expectedListed);
    Require(bColoured == !expected.empty(), "a blank line is left alone");
    Require(spans.size() == expected.size(), "as many spans as the word-by-word rule gives");
    for (size_t i = 0; i < spans.size() && i < expected.size(); ++i)
    {
        Require(spans[i].nStart == expected[i].nStart && spans[i].nEnd == expected[i].nEnd &&
                    spans[i].colour == expected[i].colour,
                "each span as the word-by-word rule gives it");
        Require(0 <= spans[i].nStart && spans[i].nStart <= spans[i].nEnd &&
                    spans[i].nEnd <= static_cast<long>(nSize) + 1,
                "a span stays within the line and the NUL after it");
        Require(i < 2 || spans[i].nStart >= spans[i - 1].nStart, "word spans come in order");
    }
    Require(listed == expectedListed, "the walk lists what the rule lists");

    for (long nColumn = 0; nColumn <= static_cast<long>(nSize) + 1; ++nColumn)
    {
        CLineWalk walk(line, static_cast<long>(nSize));
        CLineWalk::CWord word;
        walk.WordAt(nColumn, word);
        const auto [nStart, nEnd] = WordAround(line, static_cast<long>(nSize), nColumn);
        Require(word.nStart == nStart && word.nEnd == nEnd, "the word at a column is the rule's");
        const std::string_view text =
            line.substr(static_cast<size_t>(nStart), static_cast<size_t>(nEnd - nStart));
        Require(word.bHasLetter == HasLetter(text), "the letter test is the rule's");
        if (word.bHasLetter)
            Require(word.trimmed == Trimmed(text) && word.context == ContextBefore(line, nStart),
                    "the word's text and context are the rule's");
    }
    return 0;
}
