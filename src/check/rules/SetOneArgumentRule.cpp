#include "SetOneArgumentRule.h"

std::vector<std::string_view> CSetOneArgumentRule::Ids() const
{
    return {"set/one-argument"};
}

void CSetOneArgumentRule::Command(const CCommandSite& site, CCheckContext& context)
{
    if (!site.bTcl || site.name != "set" || site.words.size() != 2 || !site.scope.bTopLevel)
        return;
    const CCheckWord& name = site.words[1];
    context.Add("set/one-argument", site.parse.commandStart, name.End(),
                "set with one argument only reads " +
                    (name.bLiteral ? "\"" + std::string(name.text) + "\"" : "the variable") +
                    ": give it a value, set <name> <value>");
}
