#include "ElseIfRule.h"

std::vector<std::string_view> CElseIfRule::Ids() const
{
    return {"trap/else-if"};
}

void CElseIfRule::Command(const CCommandSite& site, CCheckContext& context)
{
    if (!site.bTcl || site.name != "if")
        return;
    const std::vector<CCheckWord>& words = site.words;
    for (size_t i = 2; i + 2 < words.size(); ++i)
    {
        if (!words[i].bLiteral || words[i].text != "else" || !words[i + 1].bLiteral ||
            words[i + 1].text != "if")
            continue;
        CFinding* pFinding =
            context.Add("trap/else-if", words[i].pStart, words[i + 1].End(),
                        "\"else if\" is not Tcl: after else, if takes the one word \"if\" as the "
                        "else body, and the words after it are too many; write elseif");
        if (pFinding == nullptr)
            return;
        pFinding->fixes.push_back(
            {"Replace with elseif", pFinding->nStart, pFinding->nEnd, "elseif"});
        const long nIfLine = context.LineOf(site.parse.commandStart);
        if (nIfLine != context.LineOf(words[i].pStart))
            pFinding->related.push_back({"the if command begins here", "", nIfLine});
        return;
    }
}
