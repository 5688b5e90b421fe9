#include "SetEqualsRule.h"

std::vector<std::string_view> CSetEqualsRule::Ids() const
{
    return {"set/equals"};
}

void CSetEqualsRule::Command(const CCommandSite& site, CCheckContext& context)
{
    const std::vector<CCheckWord>& words = site.words;
    if (!site.bTcl || site.name != "set" || words.size() != 4 || !words[2].bLiteral ||
        (words[2].text != "=" && words[2].text != ":="))
        return;
    const std::string name = words[1].bLiteral ? std::string(words[1].text) : "name";
    const std::string value = words[3].bLiteral ? std::string(words[3].text) : "value";
    CFinding* pFinding =
        context.Add("set/equals", words[2].pStart, words[2].End(),
                    "Tcl's set takes the name and the value with no " + std::string(words[2].text) +
                        " between: write set " + name + " " + value);
    if (pFinding != nullptr)
        pFinding->fixes.push_back({"Remove the " + std::string(words[2].text),
                                   context.Pos(words[1].End()), context.Pos(words[3].pStart), " "});
}
