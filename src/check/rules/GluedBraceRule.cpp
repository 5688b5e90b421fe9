#include "GluedBraceRule.h"

#include <array>

std::vector<std::string_view> CGluedBraceRule::Ids() const
{
    return {"trap/glued-brace"};
}

void CGluedBraceRule::Command(const CCommandSite& site, CCheckContext& context)
{
    static constexpr std::array<std::string_view, 10> kKeywords{
        "if", "elseif", "while", "for", "foreach", "switch", "proc", "catch", "lmap", "else"};
    const CCheckWord& first = site.words[0];
    const std::string_view written(first.pStart, static_cast<size_t>(first.nSize));
    for (const std::string_view keyword : kKeywords)
    {
        if (written.size() <= keyword.size() || written.substr(0, keyword.size()) != keyword ||
            written[keyword.size()] != '{')
            continue;
        const char* pBrace = first.pStart + keyword.size();
        CFinding* pFinding = context.Add(
            "trap/glued-brace", first.pStart, pBrace + 1,
            "no blank between " + std::string(keyword) + " and {: Tcl reads \"" +
                std::string(written.substr(0, std::min<size_t>(written.size(), 40))) +
                "\" as one word, the name of a command; write " + std::string(keyword) + " {");
        if (pFinding != nullptr)
            pFinding->fixes.push_back({"Put a blank before the {", pFinding->nStart, pFinding->nEnd,
                                       std::string(keyword) + " {"});
        // What this made of the command says nothing more.
        context.Supersede("trap/glued-brace", site.parse.commandStart,
                          site.parse.commandStart + site.parse.commandSize);
        return;
    }
}
