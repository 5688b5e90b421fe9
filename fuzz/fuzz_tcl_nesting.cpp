// The nesting measure against Tcl's own parser on arbitrary bytes: it never
// counts less than Tcl nests. Inputs stay small enough for Tcl to parse them.
#include "FuzzSupport.h"
#include "check/TclLibrary.h"
#include "check/TclNesting.h"

#include <algorithm>
#include <memory>
#include <tcl.h>

namespace
{
int ScriptDepth(const char* p, const char* pEnd, bool bNested);

int TokenDepth(const Tcl_Token* pToken, int nCount, bool bNested)
{
    int nDeepest = 0;
    for (int i = 0; i < nCount; ++i)
    {
        const Tcl_Token& token = pToken[i];
        if (token.type == TCL_TOKEN_COMMAND && token.size >= 1)
            nDeepest = std::max(
                nDeepest, 1 + ScriptDepth(token.start + 1, token.start + token.size - 1, true));
        else if (token.type == TCL_TOKEN_VARIABLE && token.numComponents > 1)
        {
            nDeepest = std::max(nDeepest,
                                1 + TokenDepth(pToken + i + 2, token.numComponents - 1, bNested));
            i += token.numComponents;
        }
    }
    return nDeepest;
}

int ScriptDepth(const char* p, const char* pEnd, bool bNested)
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
        nDeepest = std::max(nDeepest, TokenDepth(parse.tokenPtr, parse.numTokens, bNested));
        const char* pNext = std::min(parse.commandStart + parse.commandSize, pEnd);
        Tcl_FreeParse(&parse);
        if (!bNested || pNext <= p)
            break;
        p = pNext;
    }
    return nDeepest;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize > 4096)
        return 0;
    StartTclLibrary();
    const std::string text = CTclNesting::Padded(BytesOf(pData, nSize));
    const char* pEnd = text.data() + text.size();
    const int nOurs = CTclNesting::Depth(text.data(), pEnd, false, 100000);
    Require(nOurs >= ScriptDepth(text.data(), pEnd, false),
            "the measure never counts less than Tcl's parser nests");
    return 0;
}
