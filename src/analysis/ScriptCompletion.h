#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CCommandKnowledge;
class CCommandLibrary;
struct CAnalysis;

// What may be typed at a place of a script, by what stands before it on
// its line:
// - a variable the script sets, after $;
// - a command of the library or a procedure of the script, where a command
//   starts;
// - after a command: its sub-commands and types, and the flags and literal
//   choices its usage forms take next;
// - where a form wants a tag of a kind (<material>, <iNode>), the tags of
//   that kind the last dry run saw defined (CAnalysis::pTags).
// The editor's window and the language server both offer these.
class CScriptCompletion
{
public:
    struct CItem
    {
        enum class EKind
        {
            Command,
            Procedure,
            SubCommand,
            Flag,
            Choice,
            Tag,
            Variable,
        };
        std::string label;
        EKind kind = EKind::Command;
        std::string detail; // "proc area", "node 5 for <iNode>"
    };
    struct CResult
    {
        size_t nWordStart = 0; // where the word the items complete starts
        std::string prefix;    // what of it is typed
        std::vector<CItem> items;
        bool bVariable = false;  // after $
        size_t nWordsBefore = 0; // the command's words before this one (0: it is the command)
        // The words before, when the command's own may be completed.
        std::vector<std::string> wordsBefore;
    };

    // Any may be nullptr: without a library, only names of the script.
    CScriptCompletion(const CCommandLibrary* pLibrary, const CCommandKnowledge* pKnowledge);

    // The items at a byte of the text; pAnalysis may be of an older text,
    // only its names are used. Only the byte's line is read.
    CResult At(std::string_view text, const CAnalysis* pAnalysis, size_t nOffset) const;

private:
    void Arguments(const std::vector<std::string>& words, const std::string& prefix,
                   const CAnalysis* pAnalysis, CResult& result) const;

    const CCommandLibrary* m_pLibrary;
    const CCommandKnowledge* m_pKnowledge;
};
