#pragma once

#include <algorithm>
#include <tcl.h>

// How deep Tcl's own parser nests in a script, read from the tokens it
// gives: one level for each command substitution and each array index. The
// reference the nesting measure is held against; only for text small
// enough for Tcl to parse safely.
namespace TclParserDepth
{
int Script(const char* p, const char* pEnd, bool bNested);

inline int Tokens(const Tcl_Token* pToken, int nCount, bool bNested)
{
    int nDeepest = 0;
    for (int i = 0; i < nCount; ++i)
    {
        const Tcl_Token& token = pToken[i];
        if (token.type == TCL_TOKEN_COMMAND && token.size >= 1)
            nDeepest =
                std::max(nDeepest, 1 + Script(token.start + 1, token.start + token.size - 1, true));
        else if (token.type == TCL_TOKEN_VARIABLE && token.numComponents > 1)
        {
            // The name, then the index's tokens: the index is one level down.
            nDeepest =
                std::max(nDeepest, 1 + Tokens(pToken + i + 2, token.numComponents - 1, bNested));
            i += token.numComponents;
        }
    }
    return nDeepest;
}

// The first command of [p, pEnd), or every command of a bracket's script.
inline int Script(const char* p, const char* pEnd, bool bNested)
{
    int nDeepest = 0;
    while (p < pEnd)
    {
        Tcl_Parse parse;
        if (Tcl_ParseCommand(nullptr, p, static_cast<int>(pEnd - p), bNested ? 1 : 0, &parse) !=
            TCL_OK)
        {
            Tcl_FreeParse(&parse);
            break;
        }
        nDeepest = std::max(nDeepest, Tokens(parse.tokenPtr, parse.numTokens, bNested));
        const char* pNext = std::min(parse.commandStart + parse.commandSize, pEnd);
        Tcl_FreeParse(&parse);
        if (!bNested || pNext <= p)
            break;
        p = pNext;
    }
    return nDeepest;
}
} // namespace TclParserDepth
