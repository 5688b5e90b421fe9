#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

struct CFinding;

// Lines and columns of a text's bytes. Lines and columns count from 1; a
// character of a UTF-8 text counts once, in any other text each byte does,
// and a tab counts as one. Only where lines start is kept; a column is
// counted on from the last one asked for when it lies further on the same
// line, so findings placed in order cost one pass over their lines.
class CTextPlaces
{
public:
    explicit CTextPlaces(std::string_view text);

    void Find(long nPos, long& nLine, long& nColumn) const;
    long LineOf(long nPos) const;
    long LineCount() const { return static_cast<long>(m_lineStarts.size()); }
    // A line's bytes from its first non-blank to its end, without the line
    // break; an empty range at the end of the text for a line it does not have.
    std::pair<long, long> LineRange(long nLine) const;
    // A finding in the text gets its line and column from its byte range; one
    // placed by line only gets that line's range.
    void Place(CFinding& finding) const;
    std::string_view Text() const { return m_text; }

private:
    std::string_view m_text;
    bool m_bUtf8 = false;
    std::vector<size_t> m_lineStarts;
    // The last column counted: its byte and its characters from its line's start.
    mutable size_t m_nCountedPos = 0;
    mutable size_t m_nCountedLineStart = 0;
    mutable size_t m_nCountedCharacters = 0;
};
