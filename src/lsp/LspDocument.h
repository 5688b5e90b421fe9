#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A place in a document as the protocol counts it: a line from 0, and a
// character from 0 in UTF-16 code units of that line.
struct CLspPosition
{
    long nLine = 0;
    long nCharacter = 0;

    friend bool operator==(const CLspPosition&, const CLspPosition&) = default;
};

// An open document's text at its version, as a client's changes make it,
// and the way between the protocol's places and the text's bytes. Bytes that
// are not UTF-8 count one unit each, as a client that read them as Latin-1
// would count them.
class CLspDocument
{
public:
    CLspDocument(std::string text, long nVersion);

    const std::string& Text() const { return m_text; }
    long Version() const { return m_nVersion; }

    // Replaces [from, to) with text, or the whole text with none given;
    // false, and nothing changed, for a range that runs backwards.
    bool Replace(CLspPosition from, CLspPosition to, std::string_view text);
    void ReplaceAll(std::string text);
    void SetVersion(long nVersion) { m_nVersion = nVersion; }

    // The byte of a place; a place past a line's end is its end, past the
    // last line the text's end.
    size_t Offset(CLspPosition position) const;
    CLspPosition PositionOf(size_t nOffset) const;

private:
    void IndexLines();

    std::string m_text;
    long m_nVersion;
    std::vector<size_t> m_lineStarts;
};
