#pragma once

#include "Finding.h"

#include <array>
#include <string_view>

// Every rule of the analysis, by id: what it catches and how bad that is.
// The id is what a user names to select or ignore a rule, what the command
// line prints in brackets and what a language client sees as the code.
struct CRuleInfo
{
    std::string_view id;
    ESeverity severity;
    std::string_view catches;
};

namespace RuleCatalogue
{
inline constexpr std::array kRules{
    CRuleInfo{"parse/too-deep", ESeverity::Error,
              "nesting deeper than the check follows; the rest of the script is not checked"},
    CRuleInfo{"parse/missing-brace", ESeverity::Error, "a { that is never closed"},
    CRuleInfo{"parse/missing-bracket", ESeverity::Error, "a [ that is never closed"},
    CRuleInfo{"parse/missing-quote", ESeverity::Error, "a \" that is never closed"},
    CRuleInfo{"parse/missing-variable-brace", ESeverity::Error, "${name without its }"},
    CRuleInfo{"parse/missing-paren", ESeverity::Error, "$name(key without its )"},
    CRuleInfo{"parse/extra-after-brace", ESeverity::Error, "a word glued to a closing }"},
    CRuleInfo{"parse/extra-after-quote", ESeverity::Error, "a word glued to a closing \""},
    CRuleInfo{"parse/error", ESeverity::Error, "any other text Tcl cannot parse"},
    CRuleInfo{"comment/brace", ESeverity::Warning,
              "braces in a comment inside a body, which Tcl counts"},
    CRuleInfo{"comment/close-brace", ESeverity::Warning,
              "a } in a comment that ends the body it stands in"},
    CRuleInfo{"command/unknown", ESeverity::Error,
              "a command that is not Tcl's, the library's or a proc of the script"},
    CRuleInfo{"command/stray-close", ESeverity::Error, "a } or ] that closes nothing"},
    CRuleInfo{"command/before-proc", ESeverity::Warning,
              "a procedure called at the top level before its proc"},
    CRuleInfo{"source/missing", ESeverity::Error, "a sourced file that does not exist"},
    CRuleInfo{"source/unreadable", ESeverity::Warning,
              "a sourced file that is not a regular file, or too large to read"},
    CRuleInfo{"usage/unknown-subcommand", ESeverity::Error,
              "a sub-command or type the library does not have"},
    CRuleInfo{"usage/missing-argument", ESeverity::Error,
              "a library command with fewer words than its usage asks"},
    CRuleInfo{"usage/unknown-flag", ESeverity::Error, "a flag the command's usage does not know"},
    CRuleInfo{"usage/not-a-choice", ESeverity::Error,
              "a word where the usage allows only certain words"},
    CRuleInfo{"usage/too-many-arguments", ESeverity::Error,
              "a library command with more words than its usage takes"},
    CRuleInfo{"set/one-argument", ESeverity::Warning,
              "set with a name only at the top level, which sets nothing"},
    CRuleInfo{"set/equals", ESeverity::Error, "set name = value: Tcl's set takes no ="},
    CRuleInfo{"set/dollar-name", ESeverity::Warning,
              "set $name value, which sets the variable that name's value names"},
    CRuleInfo{"trap/glued-brace", ESeverity::Error,
              "if{, while{, proc{: a keyword glued to its brace makes one word"},
    CRuleInfo{"trap/else-if", ESeverity::Error, "else if where Tcl has elseif"},
    CRuleInfo{"trap/backslash-blank", ESeverity::Error,
              "a blank after a line-continuing backslash, which ends the command"},
    CRuleInfo{"trap/comment-without-semicolon", ESeverity::Error,
              "a # comment after a command's words without a ; before it"},
    CRuleInfo{"expr/bareword", ESeverity::Error,
              "a bare word in an expression: a $ forgotten, or a string not quoted"},
    CRuleInfo{"expr/assignment", ESeverity::Error, "a lone = in an expression, where == compares"},
    CRuleInfo{"expr/syntax", ESeverity::Error, "an expression Tcl's parser refuses otherwise"},
    CRuleInfo{"expr/unknown-function", ESeverity::Error,
              "a function in an expression that Tcl does not have"},
    CRuleInfo{"expr/unbraced", ESeverity::Warning,
              "expr with its expression not in braces: substituted twice, not compiled"},
    CRuleInfo{"proc/arguments", ESeverity::Error,
              "a proc of the script called with fewer or more arguments than it takes"},
    CRuleInfo{"variable/unset", ESeverity::Error,
              "a variable read where nothing sets it, or before its first set"},
    CRuleInfo{"variable/typo", ESeverity::Error,
              "a variable read that nothing sets, a near miss of one that is set"},
    CRuleInfo{"variable/global-without-declaration", ESeverity::Error,
              "a proc reading a variable of the top level without global or upvar"},
    CRuleInfo{"run/error", ESeverity::Error, "an error of a top-level command in the dry run"},
    CRuleInfo{"run/limit", ESeverity::Warning,
              "a limit of the dry run that stopped it: time, memory, calls, output"},
    CRuleInfo{"run/refused", ESeverity::Info,
              "a command the dry run does not carry out (files, processes, sockets)"},
    CRuleInfo{"run/not-run", ESeverity::Warning, "the dry run could not be made"},
    CRuleInfo{"run/last-run", ESeverity::Error, "the first error of the last real run"},
    CRuleInfo{"model/undefined-tag", ESeverity::Error, "a reference to a tag never defined"},
    CRuleInfo{"model/duplicate-tag", ESeverity::Error, "a tag defined a second time"},
    CRuleInfo{"model/before-definition", ESeverity::Error,
              "a reference to a tag that is defined only later"},
    CRuleInfo{"model/repeated-node", ESeverity::Error, "an element that names one node twice"},
    CRuleInfo{"model/zero-length", ESeverity::Error,
              "an element whose nodes all stand at one place"},
    CRuleInfo{"model/node-dimensions", ESeverity::Error,
              "a node with fewer coordinates than the model's other nodes"},
    CRuleInfo{"model/no-support", ESeverity::Error,
              "a model with elements and no fixed node: the structure is free to move"},
    CRuleInfo{"model/unused-node", ESeverity::Warning,
              "a node that no element, support, load or output names"},
    CRuleInfo{"model/unused-definition", ESeverity::Info,
              "a material, section, transformation or series nothing refers to"},
    CRuleInfo{"project/invalid", ESeverity::Warning,
              "a project file (corvale.toml) that is not TOML, or a key, rule, set or usage "
              "line of it that means nothing"},
};

// The rule of an id, or nullptr.
constexpr const CRuleInfo* Find(std::string_view id)
{
    for (const CRuleInfo& rule : kRules)
    {
        if (rule.id == id)
            return &rule;
    }
    return nullptr;
}

constexpr ESeverity SeverityOf(std::string_view id)
{
    const CRuleInfo* pRule = Find(id);
    return pRule != nullptr ? pRule->severity : ESeverity::Error;
}
} // namespace RuleCatalogue
