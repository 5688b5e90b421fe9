#pragma once

#include "check/CheckRule.h"

#include <string>
#include <vector>

// A command that neither Tcl nor the library knows is a procedure of the
// script or of a file it sources, or a mistake: the names wait until every
// definition has been read. A stray } or ] closes nothing, and at the top
// level a procedure runs only once its proc has. After a "package require"
// or a "namespace import", a name that is no near miss of a known one may
// well come from there: a warning.
class CUnknownCommandRule : public CCheckRule
{
public:
    std::vector<std::string_view> Ids() const override;
    void Command(const CCommandSite& site, CCheckContext& context) override;
    void Finish(CCheckContext& context) override;

private:
    struct CUnresolved
    {
        std::string_view name;
        const char* pStart;
        long nSize;
        bool bTopLevel; // at the main script's top level
    };
    void Resolve(const CUnresolved& unresolved, CCheckContext& context);

    static constexpr int kMeantCalls = 3;

    std::vector<CUnresolved> m_unresolved;
    // The first "package require" or "namespace import" of the main script:
    // where, and what it brings in; commands after it may be from there.
    const char* m_pFirstImport = nullptr;
    std::string m_imported;
    // How often each unknown name is called: one called again and again is
    // meant, not a typo of a known one.
    CNameMap<int> m_calls;
};
