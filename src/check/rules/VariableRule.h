#pragma once

#include "check/CheckRule.h"

#include <unordered_map>
#include <vector>

// A variable read where nothing sets it: at the script's top level, a name
// that no command of the script or its sourced files sets, or one read
// before its first set outside any loop; in a proc, a name that is not a
// parameter, not declared (global, upvar, variable) and not set in the
// proc, with a word of its own for a name the top level sets. A near miss
// of a name that is set is offered as the typo it likely is. A scope where
// names are made at run time (set $name, upvar $level, eval, dict with) is
// not judged, nor is one that calls a proc that reaches up into it (upvar,
// uplevel), nor are the reads an info exists guards; a plain word given to a
// proc may be the name of a variable it sets there.
class CVariableRule : public CCheckRule
{
public:
    std::vector<std::string_view> Ids() const override;
    void Command(const CCommandSite& site, CCheckContext& context) override;
    void Read(std::string_view name, const char* pStart, const char* pEnd, const CCheckScope& scope,
              CCheckContext& context) override;
    void Finish(CCheckContext& context) override;

private:
    struct CRead
    {
        std::string_view name;
        const char* pStart;
        const char* pEnd;
        bool bInLoop;
    };
    struct CScope
    {
        CNameMap<const char*> firstSet; // where each name is first set
        CNameSet declared;              // parameters, global, upvar, variable
        CNameSet guarded;               // asked about with info exists
        bool bDynamic = false;          // names made at run time
        bool bReachesUp = false;        // upvar or uplevel: it sets its caller's names
        CNameSet calls;                 // the commands of the script it calls
        std::vector<CRead> reads;
    };

    // The scope of the commands: a proc's body, or the top level (nullptr);
    // nothing for a namespace eval's body outside a proc.
    CScope* ScopeOf(const CCheckScope& scope);
    void Set(CScope& scope, const CCheckWord& word);
    void SetEach(CScope& scope, const CCheckWord& list); // a list of names
    void Declare(CScope& scope, const CCheckWord& word);
    void Parameters(const CCheckWord& params, const char* pBody);
    void Judge(const CScope& scope, bool bProc, CCheckContext& context);
    std::string Nearest(std::string_view name, const CScope& scope, CCheckContext& context) const;

    std::unordered_map<const char*, CScope> m_scopes;
    CNameMap<const char*> m_procBodies; // each proc's body by its name's last part
    CNameSet m_procGlobals;             // names some proc declares global, and may set
};
