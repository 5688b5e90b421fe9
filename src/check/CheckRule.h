#pragma once

#include "CheckContext.h"
#include "CheckSite.h"

#include <memory>
#include <string_view>
#include <tcl.h>
#include <vector>

// One rule of the script check. The walk over the script (CScriptChecker)
// hands each rule what it meets, in the order of the text, and the rule adds
// its findings to the context; Finish comes once the sourced files have been
// read for the procedures they define. A rule belongs to one check of one
// script. Each id it reports is in the rule catalogue, with its severity.
class CCheckRule
{
public:
    virtual ~CCheckRule() = default;

    // The ids of the findings this rule gives.
    virtual std::vector<std::string_view> Ids() const = 0;

    // A command Tcl could not parse; pTerm is where it stopped, pEnd the end
    // of the script or body it stands in.
    virtual void ParseError(const Tcl_Parse& parse, const char* pTerm, const char* pEnd,
                            CCheckContext& context);
    // Nesting too deep for the parser, at p: the rest is not checked.
    virtual void TooDeep(const char* p, CCheckContext& context);
    // The comment lines in front of a command.
    virtual void Comment(const char* p, const char* pEnd, const CCheckScope& scope,
                         CCheckContext& context);
    // A braced word about to be checked as a script.
    virtual void Body(const CCheckWord& body, const CCheckScope& scope, CCheckContext& context);
    virtual void Command(const CCommandSite& site, CCheckContext& context);
    // A variable's value read: $name, ${name}, $name(index), in a word or an
    // expression, before the command that the word belongs to.
    virtual void Read(std::string_view name, const char* pStart, const char* pEnd,
                      const CCheckScope& scope, CCheckContext& context);
    // An expression, before the commands in its [ ] are walked.
    virtual void Expression(const CExpressionSite& site, CCheckContext& context);
    virtual void Finish(CCheckContext& context);
};

// Every rule of the script check, new for one check.
std::vector<std::unique_ptr<CCheckRule>> MakeCheckRules();
