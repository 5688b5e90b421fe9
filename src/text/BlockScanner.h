#pragma once

#include <string_view>

// How the braces of one line of a Tcl script nest, as a fold margin shows
// them: the depth of braces open at the line's start, the least depth the
// line reaches, and the depth at its end. A backslash quotes the brace after
// it. Braces inside braces count wherever they stand, in a comment too, as
// Tcl counts them; outside any brace a comment line, and a word in double
// quotes, hold no braces that count.
namespace BlockScanner
{
struct CLineDepth
{
    int nStart = 0;
    int nLeast = 0;
    int nEnd = 0;
};

// The line's text without its break, and the depth open before it.
CLineDepth ScanLine(std::string_view line, int nDepthBefore);
} // namespace BlockScanner
