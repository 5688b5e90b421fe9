#include "ScriptIndex.h"

#include "check/TclCommands.h"
#include "check/TclLibrary.h"
#include "check/TclNesting.h"

#include <algorithm>
#include <tcl.h>

namespace
{
std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r' ||
                             text.front() == '\n'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}
} // namespace

// Tcl's parser over a padded text, command by command and into every braced
// word, handing each command to a visitor with the commands around it.
class CScriptIndex::CWalk
{
public:
    CWalk(std::string_view text, const Visitor& visit) : m_text(text), m_visit(visit)
    {
        StartTclLibrary();
        m_lineStarts.push_back(0);
        for (size_t i = 0; i < m_text.size(); ++i)
        {
            if (m_text[i] == '\n')
                m_lineStarts.push_back(i + 1);
        }
    }

    void Run() { Parse(m_text.data(), m_text.data() + m_text.size(), 0); }

    long LineOf(size_t nPos) const
    {
        return static_cast<long>(std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), nPos) -
                                 m_lineStarts.begin());
    }

    std::vector<size_t> TakeLineStarts() { return std::move(m_lineStarts); }

private:
    void Parse(const char* p, const char* pEnd, int nDepth)
    {
        if (nDepth > kMaxDepth)
            return;
        const char* const pBegin = m_text.data();
        if (m_nCommands >= kMaxCommands)
            return;
        // A part Tcl cannot parse is passed over to the next line; past
        // nesting too deep for Tcl's parser, nothing is indexed.
        TclCommands::Walk(
            nullptr, p, pEnd,
            [&](const Tcl_Parse& parse)
            {
                if (parse.numWords == 0)
                    return true;
                ++m_nCommands;
                CCommand command;
                const char* pStart = parse.tokenPtr[0].start;
                const char* pStop = parse.commandStart + parse.commandSize;
                // The terminating newline or semicolon is not part of it.
                while (pStop > pStart &&
                       (pStop[-1] == '\n' || pStop[-1] == ';' || pStop[-1] == '\r'))
                    --pStop;
                command.nLine = LineOf(static_cast<size_t>(pStart - pBegin));
                command.nEndLine =
                    LineOf(static_cast<size_t>(std::max(pStart, pStop - 1) - pBegin));
                command.text = std::string_view(pStart, static_cast<size_t>(pStop - pStart));
                command.nOffset = static_cast<size_t>(pStart - pBegin);
                command.nDepth = nDepth;
                std::vector<std::pair<const char*, const char*>> bodies;
                const Tcl_Token* pToken = parse.tokenPtr;
                for (int nWord = 0; nWord < parse.numWords; ++nWord)
                {
                    CWord word;
                    word.nLine = LineOf(static_cast<size_t>(pToken->start - pBegin));
                    word.nOffset = static_cast<size_t>(pToken->start - pBegin);
                    word.bLiteral = pToken->type == TCL_TOKEN_SIMPLE_WORD;
                    if (word.bLiteral)
                    {
                        const Tcl_Token& text = pToken[1];
                        word.text = std::string_view(text.start, static_cast<size_t>(text.size));
                        word.bBraced = pToken->start[0] == '{';
                        if (word.bBraced && text.size > 0)
                            bodies.emplace_back(text.start, text.start + text.size);
                    }
                    command.words.push_back(word);
                    pToken += pToken->numComponents + 1;
                }
                m_visit(command, m_outer);
                m_outer.push_back(&command);
                for (const auto& [pFrom, pTo] : bodies)
                    Parse(pFrom, pTo, nDepth + 1);
                m_outer.pop_back();
                return m_nCommands < kMaxCommands;
            },
            [](const Tcl_Parse&, const char*) { return true; }, [](const char*) {});
    }

    std::string_view m_text;
    const Visitor& m_visit;
    std::vector<size_t> m_lineStarts;
    std::vector<const CCommand*> m_outer;
    size_t m_nCommands = 0;
};

CScriptIndex::CScriptIndex(std::string text) : m_text(CTclNesting::Padded(text))
{
    const Visitor keep = [this](const CCommand& command, const std::vector<const CCommand*>&)
    { m_commands.push_back(command); };
    CWalk walk(m_text, keep);
    walk.Run();
    m_lineStarts = walk.TakeLineStarts();
    // Outer commands are added before those inside them, which start no
    // earlier: a stable sort by first line keeps that order.
    std::stable_sort(m_commands.begin(), m_commands.end(),
                     [](const CCommand& a, const CCommand& b) { return a.nLine < b.nLine; });
}

void CScriptIndex::Visit(std::string_view text, const Visitor& visit)
{
    const std::string padded = CTclNesting::Padded(text);
    CWalk walk(padded, visit);
    walk.Run();
}

long CScriptIndex::LineOf(size_t nPos) const
{
    return static_cast<long>(std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), nPos) -
                             m_lineStarts.begin());
}

const CScriptIndex::CCommand* CScriptIndex::FindCommand(long nFirst, long nLast,
                                                        std::string_view text) const
{
    text = TrimBlanks(text);
    // Tcl cuts a long command short with "...", and the first line is enough to know it by.
    if (text.size() >= 3 && text.substr(text.size() - 3) == "...")
        text.remove_suffix(3);
    text = text.substr(0, text.find('\n'));
    text = TrimBlanks(text);
    if (text.empty())
        return nullptr;
    auto it = std::lower_bound(m_commands.begin(), m_commands.end(), nFirst,
                               [](const CCommand& command, long n) { return command.nLine < n; });
    for (; it != m_commands.end() && it->nLine <= nLast; ++it)
    {
        const std::string_view own = TrimBlanks(it->text);
        if (own.substr(0, text.size()) == text)
            return &*it;
    }
    return nullptr;
}

std::vector<const CScriptIndex::CCommand*> CScriptIndex::CommandsOnLine(long nLine) const
{
    std::vector<const CCommand*> found;
    auto it = std::lower_bound(m_commands.begin(), m_commands.end(), nLine,
                               [](const CCommand& command, long n) { return command.nLine < n; });
    for (; it != m_commands.end() && it->nLine == nLine; ++it)
        found.push_back(&*it);
    return found;
}
