#include "UnknownCommandRule.h"

#include <algorithm>

std::vector<std::string_view> CUnknownCommandRule::Ids() const
{
    return {"command/unknown", "command/stray-close", "command/before-proc"};
}

void CUnknownCommandRule::Command(const CCommandSite& site, CCheckContext&)
{
    const std::vector<CCheckWord>& words = site.words;
    if (site.name == "package" && m_pFirstRequire == nullptr && words.size() >= 3 &&
        words[1].bLiteral && words[1].text == "require")
    {
        // package require ?-exact? name ?version?
        size_t i = 2;
        if (words[i].bLiteral && words[i].text == "-exact" && words.size() >= 4)
            ++i;
        m_pFirstRequire = site.parse.commandStart;
        m_firstPackage = words[i].bLiteral ? std::string(words[i].text) : std::string("...");
    }
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
    // A near miss of a known name is a typo even after a package require.
    const bool bPackages =
        nearest.empty() && m_pFirstRequire != nullptr && pStart > m_pFirstRequire;
    if (!nearest.empty())
        message += "; did you mean " + nearest + "?";
    else if (bPackages)
        message += ": not a Tcl or library command, nor a proc of the script; it may come from "
                   "the package " +
                   m_firstPackage + " required at line " +
                   std::to_string(context.LineOf(m_pFirstRequire));
    else
        message += ": not a Tcl or library command, nor a proc of the script";
    CFinding* pFinding = context.Add("command/unknown", pStart, pEnd, message);
    if (pFinding != nullptr && bPackages)
        pFinding->severity = ESeverity::Warning;
    CCheckContext::OfferReplacement(pFinding, nearest);
}
