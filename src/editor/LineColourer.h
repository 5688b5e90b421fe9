#pragma once

#include "WordColour.h"

#include <bitset>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The word rules of the editing pane, as plain functions of a line's text.
// Recolouring a line word by word means visiting each delimiter of the line and
// colouring the word before it; ColourLine gives the formats that visit leaves
// behind, in the order they are applied, so that they can be applied in one go.
class CLineColourer
{
public:
    struct CSpan
    {
        long nStart; // offsets into the line
        long nEnd;
        EWordColour colour;
    };

    // Is the word a library command under this parent (a lookup with help off)?
    using CommandLookup = std::function<bool(std::string_view keyword, std::string_view parent)>;
    // A word after "source" (bSource) or "set", met while recolouring.
    using ListEntry = std::function<void(bool bSource, const std::string& word)>;

    CLineColourer(const std::vector<std::string>& keywords, CommandLookup lookup,
                  const ListEntry* pListEntry);

    // Where a line's extent ends: its first line feed or 0xFF byte; npos for none.
    static size_t FirstBreak(std::string_view line);

    // The word around a column: from after the last space, "{" or "[" before the
    // column to the first space at or after it.
    static std::string WordAtColumn(std::string_view line, long nLength, long nColumn, long& nStart,
                                    long& nEnd);
    static std::string_view WordViewAtColumn(std::string_view line, long nLength, long nColumn,
                                             long& nStart, long& nEnd);
    bool IsKeyword(std::string_view word) const;
    // A word is classified only when it holds a letter a-z in either case.
    static bool HasLetter(std::string_view word);
    // The words of the line before the word's delimiter, trimmed; "command" when none.
    static std::string_view ContextOf(std::string_view line, long nWordStart);

    // How the word around nColumn is coloured in recolour mode (or -1 for
    // "leave it", a word without letters). Reports list entries on the way.
    int ClassifyWord(std::string_view line, long nLength, long nColumn, long& nStart,
                     long& nEnd) const;

    // The formats a word-by-word recolouring of the line leaves: lineWithBreak is
    // the line's text with its CR LF. False for a blank line, which is left alone.
    bool ColourLine(std::string_view lineWithBreak, std::vector<CSpan>& spans) const;

    static constexpr const char* kTclKeywords[] = {"set",    "if",   "while", "puts", "gets",
                                                   "error",  "expr", "open",  "exec", "proc",
                                                   "source", "for",  "incr",  "pow"};

private:
    // The colour of a word with a letter, given the word and its context
    // trimmed; reports list entries on the way.
    int Classify(std::string_view trimmed, std::string_view context) const;

    const std::vector<std::string>& m_keywords;
    // What the keywords have in common, to turn most words away at once.
    size_t m_nShortestKeyword = static_cast<size_t>(-1);
    size_t m_nLongestKeyword = 0;
    std::bitset<256> m_keywordStarts;
    bool m_bEmptyKeyword = false;
    CommandLookup m_lookup;
    const ListEntry* m_pListEntry;
};
