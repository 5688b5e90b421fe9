#pragma once

#include "check/CheckRule.h"

// "else if": Tcl's if has elseif; after else it takes the one word that
// follows as the else body, and the words after that are too many.
class CElseIfRule : public CCheckRule
{
public:
    std::vector<std::string_view> Ids() const override;
    void Command(const CCommandSite& site, CCheckContext& context) override;
};
