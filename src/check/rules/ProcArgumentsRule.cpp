#include "ProcArgumentsRule.h"

#include <algorithm>

std::vector<std::string_view> CProcArgumentsRule::Ids() const
{
    return {"proc/arguments"};
}

void CProcArgumentsRule::Command(const CCommandSite& site, CCheckContext&)
{
    if (site.name.empty() || site.bTcl || site.bLibrary)
        return;
    // {*} hides how many words there are.
    if (std::any_of(site.words.begin(), site.words.end(),
                    [](const CCheckWord& word) { return word.bExpand; }))
        return;
    m_calls.push_back({site.name, site.words.front().text, site.words.front().pStart,
                       site.words.back().End(), static_cast<int>(site.words.size()) - 1,
                       site.words.front().text.find("::") != std::string_view::npos});
}

void CProcArgumentsRule::Finish(CCheckContext& context)
{
    const CNameMap<CProcSignature>& whole = context.Signatures();
    const CNameMap<CProcSignature>& shortNames = context.ShortSignatures();
    for (const CCall& call : m_calls)
    {
        // A call by a plain name may be of a proc of its namespace.
        auto found = whole.find(call.name);
        if (found == whole.end())
        {
            if (call.bQualified)
                continue;
            found = shortNames.find(call.name);
            if (found == shortNames.end())
                continue;
        }
        const CProcSignature& signature = found->second;
        if (signature.Takes(call.nArguments))
            continue;
        const bool bFew = call.nArguments < signature.nRequired;
        context.Add("proc/arguments", call.pStart, call.pEnd,
                    "wrong # args: should be \"" + std::string(call.written) + signature.usage +
                        "\"; " + (bFew ? "too few" : "too many") + " arguments (" +
                        std::to_string(call.nArguments) + ") for the proc");
    }
}
