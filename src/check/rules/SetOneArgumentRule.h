#pragma once

#include "check/CheckRule.h"

// "set" with a name only, at the top level of a script, where it sets
// nothing and its value goes nowhere: a value forgotten.
class CSetOneArgumentRule : public CCheckRule
{
public:
    std::vector<std::string_view> Ids() const override;
    void Command(const CCommandSite& site, CCheckContext& context) override;
};
