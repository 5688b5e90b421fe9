#include "VariableRule.h"

#include "check/WordShape.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace
{
// The variables Tcl itself sets for every script.
bool IsTclGlobal(std::string_view name)
{
    static constexpr std::array<std::string_view, 16> kGlobals{"env",
                                                               "argv",
                                                               "argc",
                                                               "argv0",
                                                               "tcl_platform",
                                                               "tcl_version",
                                                               "tcl_patchLevel",
                                                               "tcl_library",
                                                               "tcl_pkgPath",
                                                               "auto_path",
                                                               "errorInfo",
                                                               "errorCode",
                                                               "tcl_interactive",
                                                               "tcl_precision",
                                                               "tcl_rcFileName",
                                                               "auto_index"};
    return std::find(kGlobals.begin(), kGlobals.end(), name) != kGlobals.end();
}

std::string_view ArrayName(std::string_view name)
{
    const size_t nParen = name.find('(');
    return nParen == std::string_view::npos ? name : name.substr(0, nParen);
}
} // namespace

std::vector<std::string_view> CVariableRule::Ids() const
{
    return {"variable/unset", "variable/typo", "variable/global-without-declaration"};
}

CVariableRule::CScope* CVariableRule::ScopeOf(const CCheckScope& scope)
{
    // A namespace eval's body reads and sets the namespace's variables.
    if (scope.bInNamespaceBody)
        return nullptr;
    return &m_scopes[scope.pProcBody];
}

void CVariableRule::Set(CScope& scope, const CCheckWord& word)
{
    if (!word.bLiteral)
    {
        scope.bDynamic = true;
        return;
    }
    const std::string_view name = ArrayName(word.text);
    if (scope.firstSet.find(name) == scope.firstSet.end())
        scope.firstSet.emplace(std::string(name), word.pStart);
}

void CVariableRule::SetEach(CScope& scope, const CCheckWord& list)
{
    if (!list.bLiteral)
    {
        scope.bDynamic = true;
        return;
    }
    WordShape::EachName(list.text,
                        [&](std::string_view name)
                        {
                            if (scope.firstSet.find(name) == scope.firstSet.end())
                                scope.firstSet.emplace(std::string(name), list.pStart);
                        });
}

void CVariableRule::Declare(CScope& scope, const CCheckWord& word)
{
    if (!word.bLiteral)
    {
        scope.bDynamic = true;
        return;
    }
    // variable ::tk::Priv makes Priv the proc's.
    std::string_view name = ArrayName(word.text);
    const size_t nColon = name.rfind("::");
    if (nColon != std::string_view::npos)
        name.remove_prefix(nColon + 2);
    scope.declared.emplace(name);
}

// A proc's or a lambda's parameters: the body's first variables.
void CVariableRule::Parameters(const CCheckWord& params, const char* pBody)
{
    CScope& body = m_scopes[pBody];
    if (!params.bLiteral)
        body.bDynamic = true;
    else
    {
        // {name default}: the name is the first word of the element.
        std::string_view list = params.text;
        int nDepth = 0;
        size_t nFrom = std::string_view::npos;
        for (size_t i = 0; i <= list.size(); ++i)
        {
            const char c = i < list.size() ? list[i] : ' ';
            const bool bBlank = c == ' ' || c == '\t' || c == '\n' || c == '\r';
            if (c == '{')
                ++nDepth;
            else if (c == '}')
                --nDepth;
            if (nDepth <= 1 && nFrom == std::string_view::npos && !bBlank && c != '{' && c != '}')
                nFrom = i;
            else if (nFrom != std::string_view::npos && (bBlank || c == '}' || c == '{'))
            {
                body.declared.emplace(list.substr(nFrom, i - nFrom));
                nFrom = std::string_view::npos;
                // The rest of a {name default} element is its default.
                if (nDepth == 1)
                {
                    while (i < list.size() && list[i] != '}')
                        ++i;
                    --nDepth;
                }
            }
        }
    }
}

void CVariableRule::Command(const CCommandSite& site, CCheckContext&)
{
    const std::vector<CCheckWord>& words = site.words;
    const size_t n = words.size();
    if (site.name == "proc" && n == 4 && site.bTcl)
    {
        if (words[1].bLiteral)
        {
            const std::string_view procName = words[1].text;
            const size_t nColon = procName.rfind(':');
            m_procBodies[std::string(
                nColon == std::string_view::npos ? procName : procName.substr(nColon + 1))] =
                words[3].pStart;
        }
        Parameters(words[2], words[3].pStart);
        return;
    }
    CCheckWord params;
    CCheckWord lambdaBody;
    // apply {params body} ..., coroutine name apply {params body} ...
    const bool bApply = site.name == "apply" && n >= 2;
    const bool bCoroutine =
        site.name == "coroutine" && n >= 4 && words[2].bLiteral && words[2].text == "apply";
    if ((bApply || bCoroutine) && site.bTcl &&
        words[bApply ? 1 : 3].SplitLambda(params, lambdaBody))
        Parameters(params, lambdaBody.pStart);
    CScope* pScope = ScopeOf(site.scope);
    if (pScope == nullptr || site.name.empty())
        return;
    CScope& scope = *pScope;
    if (!site.bTcl)
    {
        if (site.bLibrary)
            return;
        // A proc of the script, or of a package: it may set the names it is
        // given ("asnGetLength data length"), or reach up and set others.
        const size_t nColon = site.name.rfind(':');
        scope.calls.emplace(nColon == std::string_view::npos ? site.name
                                                             : site.name.substr(nColon + 1));
        for (size_t i = 1; i < n; ++i)
        {
            const std::string_view text = words[i].text;
            if (words[i].bLiteral && !words[i].bBraced && !text.empty() &&
                (std::isalpha(static_cast<unsigned char>(text[0])) != 0 || text[0] == '_') &&
                std::all_of(text.begin(), text.end(),
                            [](char c) {
                                return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
                            }))
                Set(scope, words[i]);
        }
        return;
    }
    const std::string_view name = site.name;
    const auto literal = [&](size_t i, std::string_view text)
    { return i < n && words[i].bLiteral && words[i].text == text; };
    // set with more words (set E = 3.0, a comment without ;) is a mistake
    // of its own, but meant to set the name.
    if (name == "set" && n >= 3)
        Set(scope, words[1]);
    else if ((name == "incr" || name == "append" || name == "lappend" || name == "lset" ||
              name == "vwait") &&
             n >= 2)
        Set(scope, words[1]);
    else if ((name == "foreach" || name == "lmap") && n >= 4)
    {
        for (size_t i = 1; i + 1 < n; i += 2)
            SetEach(scope, words[i]);
    }
    else if (name == "lassign")
    {
        for (size_t i = 2; i < n; ++i)
            Set(scope, words[i]);
    }
    else if (name == "scan")
    {
        for (size_t i = 3; i < n; ++i)
            Set(scope, words[i]);
    }
    else if (name == "binary" && literal(1, "scan"))
    {
        for (size_t i = 4; i < n; ++i)
            Set(scope, words[i]);
    }
    else if (name == "regexp" || name == "regsub")
    {
        size_t i = 1;
        while (i < n && words[i].bLiteral && !words[i].text.empty() && words[i].text[0] == '-')
        {
            const bool bEnd = words[i].text == "--";
            i += words[i].text == "-start" ? 2 : 1;
            if (bEnd)
                break;
        }
        i += 2; // the expression and the string
        if (name == "regsub")
            i += 1; // the substitution
        for (; i < n; ++i)
            Set(scope, words[i]);
    }
    else if (name == "gets" && n == 3)
        Set(scope, words[2]);
    else if (name == "file" && (literal(1, "stat") || literal(1, "lstat")) && n == 4)
        Set(scope, words[3]);
    else if (name == "catch")
    {
        for (size_t i = 2; i < n; ++i)
            Set(scope, words[i]);
    }
    else if (name == "array" && literal(1, "set") && n >= 3)
        Set(scope, words[2]);
    else if (name == "dict" && n >= 3)
    {
        if (literal(1, "for") || literal(1, "map"))
            SetEach(scope, words[2]);
        else if (literal(1, "with") || literal(1, "update"))
            scope.bDynamic = true; // the dictionary's keys become variables
        else if (literal(1, "set") || literal(1, "append") || literal(1, "incr") ||
                 literal(1, "lappend") || literal(1, "unset"))
            Set(scope, words[2]);
    }
    else if (name == "try")
    {
        for (size_t i = 2; i + 2 < n; ++i)
        {
            if (literal(i, "on") || literal(i, "trap"))
                SetEach(scope, words[i + 2]);
        }
    }
    else if (name == "global")
    {
        for (size_t i = 1; i < n; ++i)
        {
            Declare(scope, words[i]);
            if (words[i].bLiteral)
                m_procGlobals.emplace(ArrayName(words[i].text));
        }
    }
    else if (name == "variable")
    {
        for (size_t i = 1; i < n; i += 2)
            Declare(scope, words[i]);
    }
    else if (name == "upvar" && n >= 3)
    {
        // upvar ?level? other local ?other local ...?
        for (size_t i = (n - 1) % 2 == 1 ? 3 : 2; i < n; i += 2)
            Declare(scope, words[i]);
    }
    else if (name == "namespace" && literal(1, "upvar"))
    {
        for (size_t i = 4; i < n; i += 2)
            Declare(scope, words[i]);
    }
    else if (name == "info" && literal(1, "exists") && n == 3)
    {
        // info exists a($key): the array, as written.
        const std::string_view written(words[2].pStart, static_cast<size_t>(words[2].nSize));
        scope.guarded.emplace(ArrayName(written));
    }
    else if (name == "package" && literal(1, "ifneeded"))
        scope.declared.emplace("dir"); // a package index: Tcl sets dir for it
    else if (name == "eval" || name == "source")
        scope.bDynamic = true;
    if (name == "uplevel" || name == "upvar")
    {
        scope.bReachesUp = true;
        if (name == "uplevel")
            scope.bDynamic = true;
    }
}

void CVariableRule::Read(std::string_view name, const char* pStart, const char* pEnd,
                         const CCheckScope& scope, CCheckContext&)
{
    // A qualified name is a namespace's; "$" alone is no variable. A name
    // cut short by a byte that is not UTF-8 (a Latin-1 "ä") is not known.
    if (name.empty() || name.find("::") != std::string_view::npos ||
        static_cast<unsigned char>(name.data()[name.size()]) >= 0x80)
        return;
    CScope* pScope = ScopeOf(scope);
    if (pScope == nullptr)
        return;
    // At the top level a read after the name's first set is fine as it comes:
    // a model's many reads of its few variables are not kept.
    if (scope.pProcBody == nullptr)
    {
        const auto set = pScope->firstSet.find(name);
        if (set != pScope->firstSet.end() && set->second < pStart)
            return;
    }
    pScope->reads.push_back({name, pStart, pEnd, scope.bInLoop});
}

std::string CVariableRule::Nearest(std::string_view name, const CScope& scope,
                                   CCheckContext& context) const
{
    std::string best;
    const auto topLevel = m_scopes.find(nullptr);
    const bool bTopLevel = topLevel != m_scopes.end() && &scope == &topLevel->second;
    if (!context.SpendOnSuggestions(CCheckContext::ESuggestion::Variable,
                                    scope.firstSet.size() + scope.declared.size() +
                                        (bTopLevel ? context.SourcedGlobals().size() : 0)))
        return best;
    size_t nBest = WordShape::MostEditsForSuggestion(name) + 1;
    const auto consider = [&](std::string_view candidate)
    {
        const size_t nDistance = WordShape::EditDistance(name, candidate, nBest - 1);
        if (nDistance < nBest)
        {
            nBest = nDistance;
            best = candidate;
        }
    };
    for (const auto& [candidate, pAt] : scope.firstSet)
        consider(candidate);
    for (const std::string& candidate : scope.declared)
        consider(candidate);
    if (bTopLevel)
    {
        for (const std::string& candidate : context.SourcedGlobals())
            consider(candidate);
    }
    return best;
}

void CVariableRule::Finish(CCheckContext& context)
{
    for (const auto& [pBody, scope] : m_scopes)
    {
        if (pBody == nullptr && !context.SourcesKnown())
            continue; // what the sourced files set is not all known
        if (scope.bDynamic)
            continue;
        // A proc it calls may set its names from below.
        const bool bReachedInto =
            std::any_of(scope.calls.begin(), scope.calls.end(),
                        [&](const std::string& callee)
                        {
                            const auto body = m_procBodies.find(callee);
                            if (body == m_procBodies.end())
                                return false;
                            const auto called = m_scopes.find(body->second);
                            return called != m_scopes.end() && called->second.bReachesUp;
                        });
        if (!bReachedInto)
            Judge(scope, pBody != nullptr, context);
    }
}

void CVariableRule::Judge(const CScope& scope, bool bProc, CCheckContext& context)
{
    const auto topLevel = m_scopes.find(nullptr);
    for (const CRead& read : scope.reads)
    {
        const std::string_view name = read.name;
        if (scope.declared.count(name) != 0 || scope.guarded.count(name) != 0 || IsTclGlobal(name))
            continue;
        const auto set = scope.firstSet.find(name);
        if (bProc && set != scope.firstSet.end())
            continue; // set somewhere in the proc: its order is the proc's to keep
        if (!bProc)
        {
            if (context.SourcedGlobals().count(name) != 0 || m_procGlobals.count(name) != 0)
                continue;
            if (set != scope.firstSet.end())
            {
                if (set->second < read.pStart || read.bInLoop)
                    continue;
                context.Add("variable/unset", read.pStart, read.pEnd,
                            "can't read \"" + std::string(name) +
                                "\": it is read here before it is first set, at line " +
                                std::to_string(context.LineOf(set->second)));
                continue;
            }
        }
        else if (topLevel != m_scopes.end() && (topLevel->second.firstSet.count(name) != 0 ||
                                                context.SourcedGlobals().count(name) != 0))
        {
            context.Add("variable/global-without-declaration", read.pStart, read.pEnd,
                        "can't read \"" + std::string(name) +
                            "\" in the proc: it is a variable of the top level, which a proc "
                            "sees only after global " +
                            std::string(name));
            continue;
        }
        const std::string nearest = Nearest(name, scope, context);
        if (!nearest.empty())
        {
            CFinding* pFinding =
                context.Add("variable/typo", read.pStart, read.pEnd,
                            "can't read \"" + std::string(name) +
                                "\": no such variable; did you mean $" + nearest + "?");
            if (pFinding != nullptr)
            {
                // The name only: $name(index) keeps its index.
                const long nNameStart = pFinding->nStart + 1 + (read.pStart[1] == '{' ? 1 : 0);
                pFinding->fixes.push_back({"Replace with $" + nearest, nNameStart,
                                           nNameStart + static_cast<long>(name.size()), nearest});
            }
            continue;
        }
        context.Add("variable/unset", read.pStart, read.pEnd,
                    "can't read \"" + std::string(name) + "\": no such variable; nothing " +
                        (bProc ? "in the proc" : "in the script") + " sets it");
    }
}
