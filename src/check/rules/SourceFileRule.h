#pragma once

#include "check/CheckRule.h"

// A sourced file that is not there, which the run will fail on; or that the
// check could not read for what it defines: not a regular file, or past the
// size the check reads.
class CSourceFileRule : public CCheckRule
{
public:
    std::vector<std::string_view> Ids() const override;
    void Finish(CCheckContext& context) override;
};
