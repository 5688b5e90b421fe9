#pragma once

#include "LineWalk.h"
#include "WordColour.h"

#include <bitset>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// How the editing pane colours a line: the walk's words, each classified by
// the keyword table and the command library. Classifying has no side
// effects; whoever walks a line (the whole-text pass filling the lists,
// typing showing help) does what else it wants with each word.
class CLineColourer
{
public:
    struct CSpan
    {
        long nStart; // offsets into the line
        long nEnd;
        EWordColour colour;
    };

    // Is the word a library command under this parent?
    using CommandLookup = std::function<bool(std::string_view keyword, std::string_view parent)>;
    // Each word a recolouring colours, with the colour it gets.
    using WordVisitor = std::function<void(const CLineWalk::CWord& word, EWordColour colour)>;

    CLineColourer(const std::vector<std::string>& keywords, CommandLookup lookup);

    bool IsKeyword(std::string_view word) const;
    // The colour of a word with a letter, trimmed, in its context: a keyword,
    // the first word of a line that the library knows as a command, a word
    // the library knows under its context, a name after "source", or plain.
    EWordColour Classify(std::string_view trimmed, std::string_view context) const;
    // The word around a column of a line (its first nLength characters), as
    // typing finds it; -1 for a word without a letter, which is never coloured.
    int ClassifyWordAt(std::string_view line, long nLength, long nColumn,
                       CLineWalk::CWord& word) const;

    // The formats a word-by-word recolouring of the line leaves, in the order
    // they are applied: lineWithBreak is the line's text with its CR LF. False
    // for a blank line, which is left alone.
    bool ColourLine(std::string_view lineWithBreak, std::vector<CSpan>& spans,
                    const WordVisitor* pVisitor = nullptr) const;

    static constexpr const char* kTclKeywords[] = {"set",    "if",   "while", "puts", "gets",
                                                   "error",  "expr", "open",  "exec", "proc",
                                                   "source", "for",  "incr",  "pow"};

private:
    const std::vector<std::string>& m_keywords;
    // What the keywords have in common, to turn most words away at once.
    size_t m_nShortestKeyword = static_cast<size_t>(-1);
    size_t m_nLongestKeyword = 0;
    std::bitset<256> m_keywordStarts;
    bool m_bEmptyKeyword = false;
    CommandLookup m_lookup;
};
