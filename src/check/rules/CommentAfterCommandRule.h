#pragma once

#include "check/CheckRule.h"

// "set a 1 # the area": a # starts a comment only where a command could
// start; after a command's words it is one more word, and so is every word
// of the comment, unless a ; ends the command first.
class CCommentAfterCommandRule : public CCheckRule
{
public:
    std::vector<std::string_view> Ids() const override;
    void Command(const CCommandSite& site, CCheckContext& context) override;
};
