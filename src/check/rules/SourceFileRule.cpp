#include "SourceFileRule.h"

std::vector<std::string_view> CSourceFileRule::Ids() const
{
    return {"source/missing", "source/unreadable"};
}

void CSourceFileRule::Finish(CCheckContext& context)
{
    for (const CCheckContext::CUnreadSource& source : context.UnreadSources())
    {
        if (source.pWord == nullptr)
            continue;
        if (source.bMissing)
            context.Add("source/missing", source.pWord, source.pWord + source.nSize,
                        "no file \"" + source.why +
                            "\" beside the script: source will fail (a relative name is read "
                            "from the folder the script runs in)");
        else
            context.Add("source/unreadable", source.pWord, source.pWord + source.nSize,
                        "the sourced file " + source.why +
                            ": it is not read, and what it defines is unknown");
    }
}
