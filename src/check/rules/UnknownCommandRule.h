#pragma once

#include "check/CheckRule.h"

#include <string>
#include <vector>

// A command that neither Tcl nor the library knows is a procedure of the
// script or of a file it sources, or a mistake: the names wait until every
// definition has been read. A stray } or ] closes nothing, and at the top
// level a procedure runs only once its proc has. After a "package require"
// a name with no close neighbour may well be the package's: a warning.
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

    std::vector<CUnresolved> m_unresolved;
    // The first "package require" of the main script: where, and its package.
    const char* m_pFirstRequire = nullptr;
    std::string m_firstPackage;
};
