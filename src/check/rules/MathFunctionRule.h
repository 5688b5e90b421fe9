#pragma once

#include "check/CheckRule.h"

#include <vector>

// A function in an expression that Tcl does not have (a math function is a
// command in tcl::mathfunc, so a script may add its own with proc).
class CMathFunctionRule : public CCheckRule
{
public:
    std::vector<std::string_view> Ids() const override;
    void Expression(const CExpressionSite& site, CCheckContext& context) override;
    void Finish(CCheckContext& context) override;

private:
    std::vector<std::string_view> m_calls; // function names as written, until Finish
};
