#include "text/BlockScanner.h"

#include <algorithm>

namespace BlockScanner
{
CLineDepth ScanLine(std::string_view line, int nDepthBefore)
{
    CLineDepth depth{nDepthBefore, nDepthBefore, nDepthBefore};
    int nDepth = nDepthBefore;
    size_t i = 0;
    const size_t n = line.size();
    // At the top level, a comment line holds nothing that counts.
    if (nDepth == 0)
    {
        const size_t nFirst = line.find_first_not_of(" \t");
        if (nFirst != std::string_view::npos && line[nFirst] == '#')
            return depth;
    }
    bool bWordStart = true;
    bool bQuoted = false; // inside a "..." word at the top level
    for (; i < n; ++i)
    {
        const char c = line[i];
        if (c == '\\')
        {
            ++i; // the next character is quoted
            bWordStart = false;
            continue;
        }
        if (bQuoted)
        {
            bQuoted = c != '"';
            continue;
        }
        if (c == '"' && nDepth == 0 && bWordStart)
        {
            bQuoted = true;
            continue;
        }
        if (c == '{')
            ++nDepth;
        else if (c == '}' && nDepth > 0)
        {
            --nDepth;
            depth.nLeast = std::min(depth.nLeast, nDepth);
        }
        bWordStart = c == ' ' || c == '\t' || c == ';' || c == '[' || c == '{';
    }
    depth.nEnd = nDepth;
    return depth;
}
} // namespace BlockScanner
