#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Turns the bytes a run writes into the lines a pane shows, as a terminal
// would: LF ends a line, a bare CR goes back to the line's start so that what
// follows overwrites it (progress counters), ANSI colour codes set a colour
// (other escape sequences are dropped, never shown), and bytes that are not
// UTF-8 are read as Latin-1. Each character keeps where it came from
// (standard output or error) and its colour. The text given out is UTF-8.
class COutputDecoder
{
public:
    // What a character is drawn in: 0 the stream's own colour, 1 to 16 the
    // ANSI colours (30-37 as 1-8, 90-97 as 9-16).
    struct CLine
    {
        std::string text;
        std::string colours; // one per byte of text
        std::string errors;  // one per byte of text: 1 where it came from standard error
    };

    void Feed(std::string_view bytes, bool bError);
    // A line longer than this goes on in a new one, as a terminal wraps it.
    static constexpr size_t kMaxLineBytes = 65536;
    // The end of the output: what is left of an escape or a UTF-8 sequence
    // goes out as it is, the last line without its LF stays open.
    void Finish();

    // Lines finished since the last call, in order.
    std::vector<CLine> TakeLines();
    // The line being written, not yet ended.
    const CLine& OpenLine() const { return m_line; }

private:
    void Put(std::string_view utf8, bool bError);
    void PutByte(unsigned char c, bool bError);
    void FlushPending(bool bError);
    void Escape(unsigned char c);
    void EndLine();

    CLine m_line;
    size_t m_nColumn = 0; // where the next character goes in m_line (bytes)
    std::vector<CLine> m_done;
    std::uint8_t m_nColour = 0;
    bool m_bReturn = false; // a CR came: the next character overwrites from the start

    enum class EEscape
    {
        None,
        Start,    // ESC seen
        Sequence, // ESC [ seen, parameters follow
        Other,    // some other escape, ended by its final byte
        String,   // a title or other string (ESC ] ...), ended by BEL or ST
        StringEscape,
    } m_escape = EEscape::None;
    std::string m_parameters;

    // A UTF-8 sequence under way.
    std::string m_pending;
    int m_nPendingNeeded = 0;
};
