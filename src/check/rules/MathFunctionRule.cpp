#include "MathFunctionRule.h"

#include <cctype>

std::vector<std::string_view> CMathFunctionRule::Ids() const
{
    return {"expr/unknown-function"};
}

void CMathFunctionRule::Expression(const CExpressionSite& site, CCheckContext&)
{
    if (site.pParse == nullptr)
        return;
    const Tcl_Parse& parse = *site.pParse;
    // A function call is a sub-expression whose operator is a name; eq, ne,
    // in and ni are the operators that are words.
    for (int i = 0; i + 1 < parse.numTokens; ++i)
    {
        if (parse.tokenPtr[i].type != TCL_TOKEN_SUB_EXPR ||
            parse.tokenPtr[i + 1].type != TCL_TOKEN_OPERATOR)
            continue;
        const Tcl_Token& operation = parse.tokenPtr[i + 1];
        const std::string_view name(operation.start, static_cast<size_t>(operation.size));
        if (name.empty() || std::isalpha(static_cast<unsigned char>(name[0])) == 0 ||
            name == "eq" || name == "ne" || name == "in" || name == "ni")
            continue;
        m_calls.push_back(name);
    }
}

void CMathFunctionRule::Finish(CCheckContext& context)
{
    for (const std::string_view name : m_calls)
    {
        if (context.MathFunctions().count(name) != 0 ||
            context.Procedures().count("tcl::mathfunc::" + std::string(name)) != 0)
            continue;
        context.Add("expr/unknown-function", name.data(), name.data() + name.size(),
                    "unknown function \"" + std::string(name) +
                        "\" in the expression: Tcl has no tcl::mathfunc::" + std::string(name));
    }
}
