#pragma once

#include "check/CheckRule.h"

// expr with its expression not in braces: Tcl substitutes the words once as
// a command and again as an expression, and cannot compile it.
class CUnbracedExprRule : public CCheckRule
{
public:
    std::vector<std::string_view> Ids() const override;
    void Command(const CCommandSite& site, CCheckContext& context) override;
};
