#pragma once

#include "check/CheckRule.h"

// A library command held against the usage lines of its help: a sub-command
// or type the library does not have, and words that fit none of its forms
// (an argument missing, a flag it does not know, a word where only certain
// words may stand, words too many).
class CLibraryUsageRule : public CCheckRule
{
public:
    std::vector<std::string_view> Ids() const override;
    void Command(const CCommandSite& site, CCheckContext& context) override;

private:
    static void UnknownSubCommand(const CUsageMatch& usage, CCheckContext& context);
    static void Mismatch(const CCommandSite& site, const CUsageMatch& usage,
                         CCheckContext& context);
};
