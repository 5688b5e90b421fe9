#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Where each command of a script stands, as Tcl's parser splits it: the
// script's own commands and those inside every braced word, however deep,
// each with its first and last line and where its words open. It is what a
// trace's lines are counted from: a procedure's body, a loop's body.
class CScriptIndex
{
public:
    struct CWord
    {
        long nLine = 0;       // the line the word opens on, from 1
        size_t nOffset = 0;   // the byte it opens on, from the text's start
        bool bLiteral = true; // braced, or plain text with no substitution
        bool bBraced = false;
        std::string_view text; // a literal word's text (inside its braces)
    };

    struct CCommand
    {
        long nLine = 0;        // its first line, from 1
        long nEndLine = 0;     // its last line
        size_t nOffset = 0;    // the byte of its first word, from the text's start
        std::string_view text; // from its first word to its end
        std::vector<CWord> words;
        int nDepth = 0; // 0 for the script's own commands
    };

    // Indexes a script; a part Tcl cannot parse is passed over to the next line.
    explicit CScriptIndex(std::string text);

    // Each command of a script in order (an outer command before those inside
    // it), with the commands it stands inside, outermost first; nothing is
    // kept, so a large script costs no more memory than its deepest nesting.
    using Visitor =
        std::function<void(const CCommand& command, const std::vector<const CCommand*>& outer)>;
    static void Visit(std::string_view text, const Visitor& visit);
    CScriptIndex(const CScriptIndex&) = delete;
    CScriptIndex& operator=(const CScriptIndex&) = delete;

    // In order of their first lines (an outer command before those inside it).
    const std::vector<CCommand>& Commands() const { return m_commands; }
    // The text indexed: the commands' and words' views point into it.
    std::string_view Text() const { return m_text; }
    long LineCount() const { return static_cast<long>(m_lineStarts.size()); }
    long LineOf(size_t nPos) const;

    // The first command that starts on a line from nFirst to nLast whose text
    // begins as text does (blanks at either end aside); nullptr for none.
    const CCommand* FindCommand(long nFirst, long nLast, std::string_view text) const;
    // The commands that start on a line, outermost first.
    std::vector<const CCommand*> CommandsOnLine(long nLine) const;

    static constexpr int kMaxDepth = 100;
    static constexpr size_t kMaxCommands = 2000000;

private:
    class CWalk;

    std::string m_text;
    std::vector<size_t> m_lineStarts;
    std::vector<CCommand> m_commands;
};
