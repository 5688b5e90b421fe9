#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CCommandKnowledge;

// The usage forms of a command being called, as an editor shows them while
// its words are typed: each form's line, its words after the command's own
// as parameters, and which of them the word being typed stands for. The
// editor's calltip and the language server's signature help show the same.
struct CCommandSignatures
{
    struct CForm
    {
        std::string line; // "element Beam <tag> <iNode> ..."
        // Each parameter's place in line, [from, to).
        std::vector<std::pair<size_t, size_t>> parameters;
    };
    std::vector<CForm> forms;
    size_t nActive = 0; // the parameter the word being typed stands for

    // The forms of a command (and of its sub-command or type, when the
    // library has it under the command), nWord the word being typed
    // (0 the command). Empty when the library has no form for it.
    static CCommandSignatures Of(const CCommandKnowledge& knowledge, std::string_view name,
                                 std::string_view sub, size_t nWord);
};
