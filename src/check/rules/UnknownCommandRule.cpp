#include "UnknownCommandRule.h"

#include <algorithm>

std::vector<std::string_view> CUnknownCommandRule::Ids() const
{
    return {"command/unknown", "command/stray-close", "command/before-proc"};
}

void CUnknownCommandRule::Command(const CCommandSite& site, CCheckContext&)
{
    if (site.name.empty() || site.bTcl || site.bLibrary)
        return;
    const CCheckWord& first = site.words[0];
    m_unresolved.push_back(
        {site.name, first.pStart, first.nSize, site.scope.bTopLevel && site.scope.bMainScript});
}

void CUnknownCommandRule::Finish(CCheckContext& context)
{
    for (const CUnresolved& unresolved : m_unresolved)
        Resolve(unresolved, context);
}

void CUnknownCommandRule::Resolve(const CUnresolved& unresolved, CCheckContext& context)
{
    const std::string_view name = unresolved.name;
    const char* pStart = unresolved.pStart;
    const char* pEnd = pStart + unresolved.nSize;
    const CNameMap<long>& procedures = context.Procedures();
    const auto defined = procedures.find(name);
    if (defined != procedures.end())
    {
        if (unresolved.bTopLevel && defined->second >= 0 && context.Pos(pStart) < defined->second)
            context.Add(
                "command/before-proc", pStart, pEnd,
                "\"" + std::string(name) + "\" is used before its proc at line " +
                    std::to_string(context.LineOf(context.Text().data() + defined->second)) +
                    ": move the proc above its first use");
        return;
    }
    if (name == "}" || name == "]")
    {
        context.Add("command/stray-close", pStart, pEnd,
                    "a stray \"" + std::string(name) +
                        "\" closes nothing: remove it, or look for what closed its block too "
                        "early");
        return;
    }
    std::string message = "unknown command \"" + std::string(name) + "\"";
    const bool bWordLike = std::any_of(
        name.begin(), name.end(), [](char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; });
    const std::string nearest = bWordLike ? context.NearestCommand(name) : std::string();
    message += nearest.empty() ? ": not a Tcl or library command, nor a proc of the script"
                               : "; did you mean " + nearest + "?";
    CCheckContext::OfferReplacement(context.Add("command/unknown", pStart, pEnd, message), nearest);
}
