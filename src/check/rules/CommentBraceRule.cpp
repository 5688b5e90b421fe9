#include "CommentBraceRule.h"

#include <algorithm>

std::vector<std::string_view> CCommentBraceRule::Ids() const
{
    return {"comment/brace", "comment/close-brace"};
}

void CCommentBraceRule::Comment(const char* p, const char* pEnd, const CCheckScope& scope,
                                CCheckContext& context)
{
    if (!scope.bInBody)
        return;
    while (p < pEnd)
    {
        while (p < pEnd && (*p == ' ' || *p == '\t'))
            ++p;
        const char* pLineEnd = std::find(p, pEnd, '\n');
        // A comment whose braces balance on its own line leaves Tcl's count
        // as it was: only one that does not is trouble.
        int nOpen = 0;
        bool bUnbalanced = false;
        for (const char* q = p; q < pLineEnd && !bUnbalanced; ++q)
        {
            if (*q == '\\')
                ++q;
            else if (*q == '{')
                ++nOpen;
            else if (*q == '}')
                bUnbalanced = --nOpen < 0;
        }
        if (bUnbalanced || nOpen != 0)
            context.Add("comment/brace", p, pLineEnd,
                        "a brace in a comment inside a body counts in Tcl: keep the braces of the "
                        "comment balanced, or escape them as \\{ and \\}");
        p = pLineEnd < pEnd ? pLineEnd + 1 : pEnd;
    }
}

void CCommentBraceRule::Body(const CCheckWord& body, const CCheckScope&, CCheckContext& context)
{
    // A "}" on a comment line ends the body there: Tcl counted it.
    const char* pClose = body.End() - 1;
    const char* pLine = pClose;
    while (pLine > body.pStart && pLine[-1] != '\n')
        --pLine;
    while (pLine < pClose && (*pLine == ' ' || *pLine == '\t'))
        ++pLine;
    if (pLine > body.pStart && pLine < pClose && *pLine == '#')
        context.Add("comment/close-brace", pClose, pClose + 1,
                    "this } in a comment ends the body: Tcl counts braces in comments; escape it "
                    "as \\}");
}
