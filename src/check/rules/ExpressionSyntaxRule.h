#pragma once

#include "check/CheckRule.h"

// An expression Tcl's own parser refuses, in Tcl's words: a bareword where a
// value must stand (a $ forgotten, a string not quoted), a lone = where ==
// compares, an operand or operator missing.
class CExpressionSyntaxRule : public CCheckRule
{
public:
    std::vector<std::string_view> Ids() const override;
    void Expression(const CExpressionSite& site, CCheckContext& context) override;
};
