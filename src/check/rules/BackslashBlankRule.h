#pragma once

#include "check/CheckRule.h"

// A backslash at the end of a line continues the command on the next, but
// only when nothing follows it: with a blank after it, the command ends there
// and the next line is a command of its own.
class CBackslashBlankRule : public CCheckRule
{
public:
    std::vector<std::string_view> Ids() const override;
    void Finish(CCheckContext& context) override;
};
