#include "SetDollarNameRule.h"

std::vector<std::string_view> CSetDollarNameRule::Ids() const
{
    return {"set/dollar-name"};
}

void CSetDollarNameRule::Command(const CCommandSite& site, CCheckContext& context)
{
    const std::vector<CCheckWord>& words = site.words;
    if (!site.bTcl || site.name != "set" || words.size() != 3)
        return;
    // The name word is one plain variable: $name or ${name}.
    const Tcl_Token* pToken = words[1].pToken;
    if (pToken == nullptr || pToken->type != TCL_TOKEN_WORD || pToken->numComponents != 2 ||
        pToken[1].type != TCL_TOKEN_VARIABLE || pToken[1].numComponents != 1)
        return;
    const std::string name(pToken[2].start, static_cast<size_t>(pToken[2].size));
    CFinding* pFinding =
        context.Add("set/dollar-name", words[1].pStart, words[1].End(),
                    "set $" + name + " sets the variable whose name is the value of " + name +
                        "; to set " + name + " itself, write set " + name + " without the $");
    if (pFinding != nullptr)
        pFinding->fixes.push_back({"Remove the $", pFinding->nStart, pFinding->nEnd, name});
}
