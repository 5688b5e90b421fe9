// The colouring of one line with a small library: the one-pass ColourLine
// against the word-by-word rule it stands for (a delimiter at a time, through
// ClassifyWord), and WordAtColumn at every column.
#include "FuzzSupport.h"
#include "editor/LineColourer.h"

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

bool IsDelimiter(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0' || c == '#';
}

// The rule as written: the extent, then the word before every delimiter.
std::vector<CLineColourer::CSpan> WordByWord(const CLineColourer& colourer, std::string_view line)
{
    std::vector<CLineColourer::CSpan> spans;
    size_t nFirst = 0;
    while (nFirst < line.size() &&
           (line[nFirst] == ' ' || line[nFirst] == '\t' || line[nFirst] == '\n' ||
            line[nFirst] == '\v' || line[nFirst] == '\f' || line[nFirst] == '\r'))
        ++nFirst;
    if (nFirst == line.size())
        return spans;
    const size_t nBreak = CLineColourer::FirstBreak(line);
    const long nExtent = nBreak == std::string_view::npos ? static_cast<long>(line.size()) + 1
                                                          : static_cast<long>(nBreak) + 1;
    if (line[nFirst] == '#')
        return {{0, nExtent, EWordColour::Comment}};
    long nLength = static_cast<long>(line.size());
    if (nLength >= 2 && line.substr(static_cast<size_t>(nLength - 2)) == "\r\n")
        nLength -= 2;
    const std::string_view text = line.substr(0, static_cast<size_t>(nLength));
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
        long nStart = 0;
        long nEnd = 0;
        const int nColour = colourer.ClassifyWord(text, nLength, j, nStart, nEnd);
        // A word visited again colours nothing new.
        if (nColour >= 0 && nStart < nEnd && (nStart != nLastStart || nEnd != nLastEnd))
            spans.push_back({nStart, nEnd, static_cast<EWordColour>(nColour)});
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
    std::vector<std::string> entries;
    std::vector<std::string> referenceEntries;
    const CLineColourer::ListEntry toEntries = [&](bool bSource, const std::string& word)
    { entries.push_back((bSource ? "source " : "set ") + word); };
    const CLineColourer::ListEntry toReference = [&](bool bSource, const std::string& word)
    { referenceEntries.push_back((bSource ? "source " : "set ") + word); };
    const CLineColourer colourer(keywords, &LookUp, &toEntries);
    const CLineColourer reference(keywords, &LookUp, &toReference);

    std::vector<CLineColourer::CSpan> spans;
    const bool bColoured = colourer.ColourLine(line, spans);
    const std::vector<CLineColourer::CSpan> expected = WordByWord(reference, line);
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
    // The one-pass visit lists each word once; the rule may list it again.
    for (const std::string& entry : entries)
        Require(std::find(referenceEntries.begin(), referenceEntries.end(), entry) !=
                    referenceEntries.end(),
                "a listed word is one the rule lists");

    for (long nColumn = 0; nColumn <= static_cast<long>(nSize) + 1; ++nColumn)
    {
        long nStart = 0;
        long nEnd = 0;
        const std::string word =
            CLineColourer::WordAtColumn(line, static_cast<long>(nSize), nColumn, nStart, nEnd);
        Require(0 <= nStart && nStart <= nEnd && nEnd <= static_cast<long>(nSize),
                "a word lies within the line");
        Require(word ==
                    line.substr(static_cast<size_t>(nStart), static_cast<size_t>(nEnd - nStart)),
                "the word is the text between its bounds");
    }
    return 0;
}
