#include "UnbracedExprRule.h"

#include <algorithm>

std::vector<std::string_view> CUnbracedExprRule::Ids() const
{
    return {"expr/unbraced"};
}

void CUnbracedExprRule::Command(const CCommandSite& site, CCheckContext& context)
{
    const std::vector<CCheckWord>& words = site.words;
    if (!site.bTcl || site.name != "expr" || words.size() < 2 ||
        (words.size() == 2 && words[1].bBraced))
        return;
    // Only words with a substitution in them are substituted twice.
    const bool bSubstituted = std::any_of(words.begin() + 1, words.end(),
                                          [](const CCheckWord& word) { return !word.bLiteral; });
    if (!bSubstituted)
        return;
    const bool bPlain =
        std::none_of(words.begin() + 1, words.end(),
                     [](const CCheckWord& word)
                     { return word.bBraced || word.bExpand || word.pStart[0] == '"'; });
    CFinding* pFinding = context.Add(
        "expr/unbraced", words[1].pStart, words.back().End(),
        "the expression is not in braces: Tcl substitutes it twice and cannot compile it; write "
        "expr {...}");
    if (pFinding != nullptr && bPlain)
        pFinding->fixes.push_back(
            {"Put the expression in braces", pFinding->nStart, pFinding->nEnd,
             "{" +
                 std::string(context.Text().substr(
                     static_cast<size_t>(pFinding->nStart),
                     static_cast<size_t>(pFinding->nEnd - pFinding->nStart))) +
                 "}"});
}
