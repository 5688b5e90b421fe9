#pragma once

#include "check/CheckRule.h"

// "if{", "while{", "proc{": a keyword glued to the brace that follows it is
// one word to Tcl, the name of a command no one defined.
class CGluedBraceRule : public CCheckRule
{
public:
    std::vector<std::string_view> Ids() const override;
    void Command(const CCommandSite& site, CCheckContext& context) override;
};
