#include "UnknownCommandRule.h"

#include <algorithm>

std::vector<std::string_view> CUnknownCommandRule::Ids() const
{
    return {"command/unknown", "command/stray-close", "command/before-proc"};
}

void CUnknownCommandRule::Command(const CCommandSite& site, CCheckContext&)
{
    const std::vector<CCheckWord>& words = site.words;
    if (m_pFirstImport == nullptr && words.size() >= 3 && words[1].bLiteral &&
        ((site.name == "package" && words[1].text == "require") ||
         (site.name == "namespace" && words[1].text == "import")))
    {
        // package require ?-exact? name ?version?; namespace import ?-force? pattern ...
        size_t i = 2;
        if (words[i].bLiteral && (words[i].text == "-exact" || words[i].text == "-force") &&
            words.size() >= 4)
            ++i;
        m_pFirstImport = site.parse.commandStart;
        m_imported = site.name == "package" ? "the package " : "the namespace ";
        m_imported.append(words[i].bLiteral ? words[i].text : std::string_view("..."));
        m_imported.append(site.name == "package" ? " required" : " imported");
    }
    if (site.name.empty() || site.bTcl || site.bLibrary)
        return;
    if (const auto counted = m_calls.find(site.name); counted != m_calls.end())
        ++counted->second;
    else
        m_calls.emplace(std::string(site.name), 1);
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
    // A typo is made once or twice; a name called again and again is meant.
    const auto called = m_calls.find(name);
    const bool bMeant = called != m_calls.end() && called->second >= kMeantCalls;
    const std::string nearest = bWordLike && !bMeant ? context.NearestCommand(name) : std::string();
    // A near miss of a known name is a typo even after a package require.
    const bool bImported = nearest.empty() && m_pFirstImport != nullptr && pStart > m_pFirstImport;
    if (!nearest.empty())
        message += "; did you mean " + nearest + "?";
    else if (bImported)
        message += ": not a Tcl or library command, nor a proc of the script; it may come from " +
                   m_imported + " at line " + std::to_string(context.LineOf(m_pFirstImport));
    else
        message += ": not a Tcl or library command, nor a proc of the script";
    CFinding* pFinding = context.Add("command/unknown", pStart, pEnd, message);
    if (pFinding != nullptr && bImported)
        pFinding->severity = ESeverity::Warning;
    CCheckContext::OfferReplacement(pFinding, nearest);
}
