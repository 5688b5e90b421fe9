#pragma once

#include "check/CheckRule.h"

// "set E = 3.0": Tcl's set takes a name and a value, with no = between.
class CSetEqualsRule : public CCheckRule
{
public:
    std::vector<std::string_view> Ids() const override;
    void Command(const CCommandSite& site, CCheckContext& context) override;
};
