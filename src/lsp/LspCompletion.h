#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>
#include <vector>

class CCommandKnowledge;
class CCommandLibrary;
struct CAnalysis;

// What may be typed at a place of a script, by what stands before it:
// - a variable the script sets, after $;
// - a command of the library or a procedure of the script, where a command
//   starts;
// - after a command: its sub-commands and types, and the flags and literal
//   choices its usage forms take next;
// - where a form wants a tag of a kind (<material>, <iNode>), the tags of
//   that kind the last dry run saw defined.
class CLspCompletion
{
public:
    // Either may be nullptr: without a library, only names of the script.
    CLspCompletion(const CCommandLibrary* pLibrary, const CCommandKnowledge* pKnowledge);

    // The items, a CompletionItem array; pAnalysis may be of an older text.
    nlohmann::json At(const std::string& text, const CAnalysis* pAnalysis, size_t nOffset) const;

    // Most tags offered for one placeholder.
    static constexpr size_t kMaxTags = 1000;

private:
    void Arguments(const std::vector<std::string>& words, const std::string& prefix,
                   const CAnalysis* pAnalysis, nlohmann::json& items) const;

    const CCommandLibrary* m_pLibrary;
    const CCommandKnowledge* m_pKnowledge;
};
