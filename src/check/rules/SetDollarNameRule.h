#pragma once

#include "check/CheckRule.h"

// "set $name value" sets the variable that name's value names, not name: a
// $ too many, more often than a variable meant to hold a name.
class CSetDollarNameRule : public CCheckRule
{
public:
    std::vector<std::string_view> Ids() const override;
    void Command(const CCommandSite& site, CCheckContext& context) override;
};
