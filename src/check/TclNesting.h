#pragma once

#include <string>
#include <string_view>

// Tcl's parser calls itself for every command substitution ("[") and every
// array index ("$a(") it meets, so a script nested fifty thousand deep runs
// any thread out of stack inside Tcl. Before a command goes to Tcl, its
// nesting is measured here, by the same rules, without recursion: a command
// deeper than kMaxDepth never reaches Tcl's parser.
//
// The measure never falls short of Tcl's own: it follows Tcl's rules and
// stops where Tcl's parse of the command stops (extra characters after a
// close-brace or close-quote), so it is no longer than that parse; where a
// close-quote, bracket or ")" is missing it reads on to the end; and where
// the end of a variable's name depends on how Tcl reads characters past
// ASCII, Tcl itself is asked (on the name alone, which holds no "(" and so
// no nesting).
class CTclNesting
{
public:
    static constexpr int kMaxDepth = 1000;

    // The deepest nesting Tcl's parser reaches in the first command of
    // [p, pEnd), as Tcl_ParseCommand would take it (nested: a "]" ends it).
    // Stops counting past nLimit and answers nLimit + 1; ppAt, when given,
    // is set to where that depth was passed (or to the command's end).
    static int Depth(const char* p, const char* pEnd, bool bNested, int nLimit,
                     const char** ppAt = nullptr);
    static bool TooDeep(const char* p, const char* pEnd, const char** ppAt = nullptr)
    {
        return Depth(p, pEnd, false, kMaxDepth, ppAt) > kMaxDepth;
    }

    // Tcl's parser may read a few bytes past the length it is given (a
    // character past ASCII at the very end); it is only ever handed text
    // followed by this many NULs, so such a read stays inside the buffer.
    static constexpr size_t kPadding = 8;
    // A copy of text that Tcl may parse: its size is text's, the padding
    // lies behind it.
    static std::string Padded(std::string_view text);
};
