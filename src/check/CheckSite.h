#pragma once

#include "UsageForm.h"

#include <string>
#include <string_view>
#include <tcl.h>
#include <vector>

// One word of a parsed command, as the check's rules see it.
struct CCheckWord
{
    const char* pStart = nullptr; // as written
    long nSize = 0;
    bool bLiteral = false; // its value is known: text
    bool bBraced = false;
    bool bExpand = false;
    std::string_view text;
    const Tcl_Token* pToken = nullptr;

    const char* End() const { return pStart + nSize; }

    // An apply's lambda as written, {params body ?namespace?}: its
    // parameters and its braced body as words of their own; false for a
    // lambda that is not a braced literal of that shape.
    bool SplitLambda(CCheckWord& params, CCheckWord& body) const;
};

// What surrounds the commands being parsed.
struct CCheckScope
{
    bool bTopLevel = true; // the script's own top level: not a body, not brackets
    bool bInBody = false;  // inside a braced body, where a comment's braces count
    bool bMainScript = true;
    bool bInLoop = false; // inside the body of a loop, however deep
    // The namespace a namespace eval opened ("geo::shapes"), or nullptr for ::.
    const std::string* pNamespace = nullptr;
    // The body of the proc the commands stand in (its open brace), or nullptr
    // outside any proc: the variables' scope.
    const char* pProcBody = nullptr;
    bool bInNamespaceBody = false; // inside a namespace eval (not in a proc within it)
};

// What the usage lines of a library command make of one call of it.
struct CUsageMatch
{
    // The deepest record the words named ("mesh" of "mesh quad"), and the
    // words that named it ("mesh quad").
    int nRecord = -1;
    std::string context;
    size_t nFirstArgument = 1; // the first word after the ones that named the record
    // A word that names no sub-command of context; the others are these.
    const CCheckWord* pUnknownSubCommand = nullptr;
    int nParentRecord = -1;
    std::vector<std::string> subCommands;
    // The form the words fit; or, when they fit none, the one they came
    // furthest with, and how far.
    const CUsageForm* pMatched = nullptr;
    const CUsageForm* pBest = nullptr;
    CUsageForm::CMismatch mismatch;
};

// One command of the script, with what the walk knows of it.
struct CCommandSite
{
    const Tcl_Parse& parse;
    std::string_view name; // its first word's text, "::" in front taken off; empty when not literal
    const std::vector<CCheckWord>& words;
    const CCheckScope& scope;
    bool bTcl = false;     // one of Tcl's own commands
    bool bLibrary = false; // a top-level command of the library
    // For a library command whose words could be held against its usage;
    // nullptr for a command with {*} in it, or none.
    const CUsageMatch* pUsage = nullptr;
};

// A braced word Tcl evaluates as an expression: expr's, and the conditions
// of if, while and for.
struct CExpressionSite
{
    const CCheckWord& word;
    std::string_view text;  // inside the braces
    bool bParsed;           // Tcl's expression parser takes it
    std::string_view error; // else Tcl's message
    // The functions it calls ("sqrt" of sqrt($x)), views into text.
    const std::vector<std::string_view>& functions;
    const CCheckScope& scope;
};
