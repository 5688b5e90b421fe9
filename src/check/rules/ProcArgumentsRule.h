#pragma once

#include "check/CheckRule.h"

#include <vector>

// A procedure of the script, or of a file it sources, called with fewer or
// more arguments than its proc's parameters take (defaults and args
// counted).
class CProcArgumentsRule : public CCheckRule
{
public:
    std::vector<std::string_view> Ids() const override;
    void Command(const CCommandSite& site, CCheckContext& context) override;
    void Finish(CCheckContext& context) override;

private:
    struct CCall
    {
        std::string_view name;
        std::string_view written; // as the call names it
        const char* pStart;       // the command's first word to its last
        const char* pEnd;
        int nArguments;
        bool bQualified; // named with a namespace: its whole name only
    };
    std::vector<CCall> m_calls;
};
