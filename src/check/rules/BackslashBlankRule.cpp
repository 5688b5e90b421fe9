#include "BackslashBlankRule.h"

#include <cstring>

namespace
{
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The start of the line that p stands on.
const char* LineStart(const char* pText, const char* p)
{
    while (p > pText && p[-1] != '\n')
        --p;
    return p;
}

// A line that ends in a backslash right before its line break goes on.
bool Continues(const char* pText, const char* pLineStart)
{
    if (pLineStart <= pText + 1)
        return false;
    const char* pBreak = pLineStart - 1;
    if (pBreak > pText && pBreak[-1] == '\r')
        --pBreak;
    return pBreak > pText && pBreak[-1] == '\\';
}
} // namespace

std::vector<std::string_view> CBackslashBlankRule::Ids() const
{
    return {"trap/backslash-blank"};
}

void CBackslashBlankRule::Finish(CCheckContext& context)
{
    const std::string_view text = context.Text();
    const char* pText = text.data();
    const char* pEnd = pText + text.size();
    for (const char* p = pText; p < pEnd;)
    {
        const char* pSlash = static_cast<const char*>(std::memchr(p, '\\', pEnd - p));
        if (pSlash == nullptr)
            break;
        p = pSlash + 1;
        // An escaped backslash is a backslash, not a continuation.
        const char* pRun = pSlash;
        while (pRun > pText && pRun[-1] == '\\')
            --pRun;
        if ((pSlash - pRun) % 2 != 0)
            continue;
        const char* pAfter = pSlash + 1;
        while (pAfter < pEnd && IsBlank(*pAfter))
            ++pAfter;
        if (pAfter == pSlash + 1 || pAfter >= pEnd ||
            (*pAfter != '\n' && !(*pAfter == '\r' && pAfter + 1 < pEnd && pAfter[1] == '\n')))
            continue;
        // In a comment the line break ends the comment either way.
        const char* pLine = LineStart(pText, pSlash);
        const char* pFirst = pLine;
        while (pFirst < pSlash && IsBlank(*pFirst))
            ++pFirst;
        if (*pFirst == '#')
            continue;
        CFinding* pFinding = context.Add(
            "trap/backslash-blank", pSlash, pAfter,
            "a blank after the backslash: the command ends here and the next line is a command of "
            "its own; remove the blank so that the line goes on");
        if (pFinding != nullptr)
            pFinding->fixes.push_back(
                {"Remove the blank after the backslash", pFinding->nStart + 1, pFinding->nEnd, ""});
        // The command as it was meant, from its first line to the next line's end.
        while (Continues(pText, pLine))
            pLine = LineStart(pText, pLine - 1);
        const char* pNextEnd = static_cast<const char*>(std::memchr(pAfter, '\n', pEnd - pAfter));
        if (pNextEnd != nullptr)
            pNextEnd =
                static_cast<const char*>(std::memchr(pNextEnd + 1, '\n', pEnd - pNextEnd - 1));
        context.Supersede("trap/backslash-blank", pLine, pNextEnd != nullptr ? pNextEnd : pEnd);
    }
}
