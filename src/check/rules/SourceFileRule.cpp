#include "SourceFileRule.h"

std::vector<std::string_view> CSourceFileRule::Ids() const
{
    return {"source/unreadable"};
}

void CSourceFileRule::Finish(CCheckContext& context)
{
    for (const CCheckContext::CUnreadSource& source : context.UnreadSources())
    {
        if (source.pWord != nullptr)
            context.Add("source/unreadable", source.pWord, source.pWord + source.nSize,
                        "the sourced file " + source.why +
                            ": it is not read, and what it defines is unknown");
    }
}
