#include "MathFunctionRule.h"

std::vector<std::string_view> CMathFunctionRule::Ids() const
{
    return {"expr/unknown-function"};
}

void CMathFunctionRule::Expression(const CExpressionSite& site, CCheckContext&)
{
    m_calls.insert(m_calls.end(), site.functions.begin(), site.functions.end());
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
