#include "ScriptChecker.h"

#include "CommandKnowledge.h"
#include "TclCommands.h"
#include "TclLibrary.h"
#include "TclNesting.h"
#include "analysis/RuleCatalogue.h"
#include "text/RegularFile.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <tcl.h>
#include <unordered_map>

namespace
{
bool IsNumber(std::string_view text)
{
    size_t i = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    bool bDigit = false;
    for (; i < text.size(); ++i)
    {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            bDigit = true;
        else if (c != '.' && c != 'e' && c != 'E' && c != '-' && c != '+')
            return false;
    }
    return bDigit;
}

bool IsFlag(std::string_view text)
{
    return text.size() > 1 && text[0] == '-' && !IsNumber(text);
}

// Levenshtein distance, or limit + 1 once it is past the limit.
size_t EditDistance(std::string_view a, std::string_view b, size_t nLimit)
{
    if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > nLimit)
        return nLimit + 1;
    thread_local std::vector<size_t> row;
    row.resize(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i)
    {
        size_t nDiagonal = row[0];
        row[0] = i;
        size_t nBest = row[0];
        for (size_t j = 1; j <= b.size(); ++j)
        {
            const size_t nAbove = row[j];
            row[j] =
                std::min({row[j] + 1, row[j - 1] + 1, nDiagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            nDiagonal = nAbove;
            nBest = std::min(nBest, row[j]);
        }
        if (nBest > nLimit)
            return nLimit + 1;
    }
    return row[b.size()];
}

// Where each line starts, for the lines that messages name (1-based).
class CLineMap
{
public:
    explicit CLineMap(std::string_view text)
    {
        m_starts.push_back(0);
        for (size_t i = 0; i < text.size(); ++i)
        {
            if (text[i] == '\n')
                m_starts.push_back(static_cast<long>(i) + 1);
        }
    }
    long LineOf(long nPos) const
    {
        return static_cast<long>(std::upper_bound(m_starts.begin(), m_starts.end(), nPos) -
                                 m_starts.begin());
    }

private:
    std::vector<long> m_starts;
};

// One word of a parsed command.
struct CWord
{
    const char* pStart = nullptr; // as written
    long nSize = 0;
    bool bLiteral = false; // its value is known: text
    bool bBraced = false;
    bool bExpand = false;
    std::string_view text;
    const Tcl_Token* pToken = nullptr;
};

// What surrounds the commands being parsed.
struct CScope
{
    bool bTopLevel = true; // the script's own top level: not a body, not brackets
    bool bInBody = false;  // inside a braced body, where a comment's braces count
    bool bMainScript = true;
};
} // namespace

struct CScriptChecker::CInterp
{
    CInterp()
    {
        StartTclLibrary();
        p = Tcl_CreateInterp();
    }
    ~CInterp() { Tcl_DeleteInterp(p); }
    Tcl_Interp* p;
};

bool CScriptChecker::ReadFile(const std::string& path, std::string& bytes)
{
    return CRegularFile::Read(path, kMaxSourceBytes, bytes) == CRegularFile::EResult::Read;
}

CScriptChecker::CScriptChecker(const CCommandKnowledge& knowledge)
    : m_knowledge(knowledge), m_pInterp(std::make_unique<CInterp>())
{
    // Tcl's own command set, from Tcl itself; nothing of a script is ever run.
    if (Tcl_Eval(m_pInterp->p, "info commands") == TCL_OK)
    {
        int nCount = 0;
        const char** ppNames = nullptr;
        if (Tcl_SplitList(nullptr, Tcl_GetStringResult(m_pInterp->p), &nCount, &ppNames) == TCL_OK)
        {
            for (int i = 0; i < nCount; ++i)
                m_tclCommands.insert(ppNames[i]);
            Tcl_Free(reinterpret_cast<char*>(ppNames));
        }
    }
    Tcl_ResetResult(m_pInterp->p);
}

CScriptChecker::~CScriptChecker() = default;

void CScriptChecker::EndThread()
{
    Tcl_FinalizeThread();
}

// One check of one script: the definitions first (the script's procedures,
// its sourced files' ones, aliases), then the findings.
class CScriptChecker::CRun
{
public:
    CRun(const CScriptChecker& checker, std::string_view text, std::string folder,
         const FileReader& read, const KeepGoing& keepGoing)
        : m_checker(checker), m_knowledge(checker.m_knowledge), m_text(text),
          m_folder(std::move(folder)), m_read(read), m_keepGoing(keepGoing), m_lines(text)
    {
    }

    // One pass over the script checks it and notes what it defines; the
    // names no one knew by then wait until the sourced files are read.
    std::vector<CFinding> Run()
    {
        Parse(m_text.data(), m_text.data() + m_text.size(), CScope());
        m_bCollecting = true;
        // The sourced files, breadth first, each once, at most kMaxSources
        // and kMaxSourceBytes in all.
        size_t nSourceBytes = 0;
        std::vector<std::pair<const CSource*, std::string>> unread;
        for (size_t i = 0; i < m_sources.size() && i < static_cast<size_t>(kMaxSources); ++i)
        {
            std::string bytes;
            if (!m_read(m_sources[i].path, bytes))
            {
                // What stands there is a finding, never a wait.
                const CRegularFile::EResult found =
                    CRegularFile::Inspect(m_sources[i].path, kMaxSourceBytes);
                if (found == CRegularFile::EResult::NotRegular ||
                    found == CRegularFile::EResult::TooLarge)
                    unread.emplace_back(&m_sources[i], CRegularFile::Why(found, kMaxSourceBytes));
                continue;
            }
            nSourceBytes += bytes.size();
            if (nSourceBytes > kMaxSourceBytes)
            {
                unread.emplace_back(&m_sources[i], "is past the " +
                                                       std::to_string(kMaxSourceBytes >> 20) +
                                                       " MB that the check reads of sourced files");
                break;
            }
            m_sourceTexts.push_back(CTclNesting::Padded(bytes));
            const std::string& source = m_sourceTexts.back();
            CScope scope;
            scope.bMainScript = false;
            Parse(source.data(), source.data() + source.size(), scope);
        }
        m_bCollecting = false;
        for (const auto& [pSource, why] : unread)
        {
            if (pSource->pWord != nullptr)
                Add("source/unreadable", pSource->pWord, pSource->pWord + pSource->nSize,
                    "the sourced file " + why + ": it is not read, and what it defines is unknown");
        }
        for (const CUnresolved& unresolved : m_unresolved)
            Resolve(unresolved);
        std::stable_sort(m_findings.begin(), m_findings.end(),
                         [](const CFinding& a, const CFinding& b) { return a.nStart < b.nStart; });
        return std::move(m_findings);
    }

private:
    long Pos(const char* p) const { return static_cast<long>(p - m_text.data()); }

    // The finding added, for a fix to be attached; nullptr while collecting.
    CFinding* Add(std::string_view rule, const char* pStart, const char* pEnd, std::string message)
    {
        if (m_bCollecting)
            return nullptr;
        long nStart = std::clamp(Pos(pStart), 0L, static_cast<long>(m_text.size()));
        long nEnd = std::clamp(Pos(pEnd), nStart, static_cast<long>(m_text.size()));
        if (nEnd == nStart && nEnd < static_cast<long>(m_text.size()))
            ++nEnd;
        // A message quotes the script's words: a word of a megabyte is cut.
        if (message.size() > kMaxMessage)
            message = message.substr(0, kMaxMessage) + "...";
        CFinding finding;
        finding.severity = RuleCatalogue::SeverityOf(rule);
        finding.nStart = nStart;
        finding.nEnd = nEnd;
        finding.message = std::move(message);
        finding.rule = rule;
        m_findings.push_back(std::move(finding));
        return &m_findings.back();
    }

    // The word as written becomes the name suggested.
    static void OfferReplacement(CFinding* pFinding, const std::string& name)
    {
        if (pFinding != nullptr && !name.empty())
            pFinding->fixes.push_back(
                {"Replace with " + name, pFinding->nStart, pFinding->nEnd, name});
    }

    void Parse(const char* p, const char* pEnd, const CScope& scope)
    {
        if (++m_nDepth > kMaxDepth)
        {
            --m_nDepth;
            return;
        }
        const auto goesOn = [this]
        {
            if (!m_bStopped && m_keepGoing && !m_keepGoing())
                m_bStopped = true;
            return !m_bStopped;
        };
        if (goesOn())
            TclCommands::Walk(
                m_checker.m_pInterp->p, p, pEnd,
                [&](const Tcl_Parse& parse)
                {
                    if (parse.commentSize > 0 && scope.bInBody)
                        CheckComments(parse.commentStart, parse.commentStart + parse.commentSize);
                    if (parse.numWords > 0)
                        Command(parse, scope);
                    return goesOn();
                },
                // Parsing goes on past the line that held the trouble, or ends.
                [&](const Tcl_Parse& parse, const char*) { return ParseError(parse, pEnd); },
                [&](const char* pDeep)
                {
                    Add("parse/too-deep", pDeep, pDeep + 1,
                        "nested more than " + std::to_string(CTclNesting::kMaxDepth) +
                            " levels deep in [ ] or $name( ): too deep to check, the rest of "
                            "this script is not checked");
                });
        --m_nDepth;
    }

    // A parse error's finding; true when parsing can go on after its line.
    bool ParseError(const Tcl_Parse& parse, const char* pEnd)
    {
        const std::string opened =
            " (opened at line " + std::to_string(m_lines.LineOf(Pos(parse.term))) + ")";
        // Where Tcl ran out: the last character that is not blank.
        const char* pLast = pEnd;
        while (pLast > parse.term &&
               (pLast[-1] == ' ' || pLast[-1] == '\t' || pLast[-1] == '\n' || pLast[-1] == '\r'))
            --pLast;
        const char* pAt = pLast > parse.term ? pLast - 1 : parse.term;
        switch (parse.errorType)
        {
        case TCL_PARSE_MISSING_BRACE:
            Add("parse/missing-brace", pAt, pAt + 1, "missing close-brace" + opened);
            return false;
        case TCL_PARSE_MISSING_BRACKET:
            Add("parse/missing-bracket", pAt, pAt + 1, "missing close-bracket" + opened);
            return false;
        case TCL_PARSE_MISSING_QUOTE:
            Add("parse/missing-quote", pAt, pAt + 1, "missing close-quote" + opened);
            return false;
        case TCL_PARSE_MISSING_VAR_BRACE:
            Add("parse/missing-variable-brace", pAt, pAt + 1,
                "missing close-brace for variable name" + opened);
            return false;
        case TCL_PARSE_MISSING_PAREN:
            Add("parse/missing-paren", pAt, pAt + 1, "missing ) of an array element" + opened);
            return false;
        case TCL_PARSE_BRACE_EXTRA:
            Add("parse/extra-after-brace", parse.term, parse.term + 1,
                "extra characters after close-brace: put a blank after the }");
            return true;
        case TCL_PARSE_QUOTE_EXTRA:
            Add("parse/extra-after-quote", parse.term, parse.term + 1,
                "extra characters after close-quote: put a blank after the \"");
            return true;
        default:
            Add("parse/error", parse.term, parse.term + 1,
                Tcl_GetStringResult(m_checker.m_pInterp->p));
            return true;
        }
    }

    // Tcl counts the braces of a body before it knows where its comments are.
    void CheckComments(const char* p, const char* pEnd)
    {
        while (p < pEnd)
        {
            const char* pLineEnd = std::find(p, pEnd, '\n');
            bool bBrace = false;
            for (const char* q = p; q < pLineEnd && !bBrace; ++q)
            {
                if (*q == '\\')
                    ++q;
                else if (*q == '{' || *q == '}')
                    bBrace = true;
            }
            if (bBrace)
                Add("comment/brace", p, pLineEnd,
                    "a brace in a comment inside a body counts in Tcl: keep the braces of the "
                    "comment balanced, or escape them as \\{ and \\}");
            p = pLineEnd < pEnd ? pLineEnd + 1 : pEnd;
        }
    }

    static std::vector<CWord> WordsOf(const Tcl_Parse& parse)
    {
        std::vector<CWord> words;
        const Tcl_Token* pToken = parse.tokenPtr;
        for (int w = 0; w < parse.numWords; ++w)
        {
            CWord word;
            word.pToken = pToken;
            word.pStart = pToken->start;
            word.nSize = pToken->size;
            word.bExpand = pToken->type == TCL_TOKEN_EXPAND_WORD;
            word.bBraced = pToken->size > 0 && pToken->start[0] == '{';
            if (pToken->type == TCL_TOKEN_SIMPLE_WORD && pToken->numComponents == 1)
            {
                word.bLiteral = true;
                word.text = std::string_view(pToken[1].start, static_cast<size_t>(pToken[1].size));
            }
            words.push_back(word);
            pToken += 1 + pToken->numComponents;
        }
        return words;
    }

    // The scripts in a word's command substitutions, [ ... ].
    void Substitutions(const CWord& word, const CScope& scope)
    {
        if (word.bBraced)
            return;
        CScope inside = scope;
        inside.bTopLevel = false;
        for (int i = 1; i <= word.pToken->numComponents; ++i)
        {
            const Tcl_Token& token = word.pToken[i];
            if (token.type == TCL_TOKEN_COMMAND && token.size >= 2)
                Parse(token.start + 1, token.start + token.size - 1, inside);
        }
    }

    void Body(const CWord& word, const CScope& scope)
    {
        if (!word.bBraced || word.nSize < 2)
            return;
        // A "}" on a comment line ends the body there: Tcl counted it.
        const char* pClose = word.pStart + word.nSize - 1;
        const char* pLine = pClose;
        while (pLine > word.pStart && pLine[-1] != '\n')
            --pLine;
        while (pLine < pClose && (*pLine == ' ' || *pLine == '\t'))
            ++pLine;
        if (pLine > word.pStart && pLine < pClose && *pLine == '#')
            Add("comment/close-brace", pClose, pClose + 1,
                "this } in a comment ends the body: Tcl counts braces in comments; escape it "
                "as \\}");
        CScope inside = scope;
        inside.bTopLevel = false;
        inside.bInBody = true;
        Parse(word.pStart + 1, word.pStart + word.nSize - 1, inside);
    }

    void Command(const Tcl_Parse& parse, const CScope& scope)
    {
        const std::vector<CWord> words = WordsOf(parse);
        for (const CWord& word : words)
            Substitutions(word, scope);
        const CWord& first = words[0];
        if (!first.bLiteral)
            return;
        std::string_view name = first.text;
        while (name.size() > 2 && name.substr(0, 2) == "::")
            name.remove_prefix(2);
        Collect(name, words, scope, parse);

        const bool bTcl = m_checker.m_tclCommands.count(name) != 0;
        const bool bLibrary = m_knowledge.IsTopLevel(name);
        if (bTcl)
            TclCommand(name, words, scope, parse);
        if (bLibrary)
            LibraryCommand(name, words, scope, parse);
        if (bTcl || bLibrary || m_bCollecting)
            return;
        m_unresolved.push_back(
            {name, first.pStart, first.nSize, scope.bTopLevel && scope.bMainScript});
    }

    struct CUnresolved
    {
        std::string_view name;
        const char* pStart;
        long nSize;
        bool bTopLevel; // at the main script's top level
    };

    // A name neither Tcl nor the library knows: a procedure, or a mistake.
    void Resolve(const CUnresolved& unresolved)
    {
        const std::string_view name = unresolved.name;
        const char* pStart = unresolved.pStart;
        const char* pEnd = pStart + unresolved.nSize;
        const auto defined = m_procs.find(name);
        if (defined != m_procs.end())
        {
            // At the top level a procedure runs only once its proc has.
            if (unresolved.bTopLevel && defined->second >= 0 && Pos(pStart) < defined->second)
                Add("command/before-proc", pStart, pEnd,
                    "\"" + std::string(name) + "\" is used before its proc at line " +
                        std::to_string(m_lines.LineOf(defined->second)) +
                        ": move the proc above its first use");
            return;
        }
        if (name == "}" || name == "]")
        {
            Add("command/stray-close", pStart, pEnd,
                "a stray \"" + std::string(name) +
                    "\" closes nothing: remove it, or look for "
                    "what closed its block too early");
            return;
        }
        std::string message = "unknown command \"" + std::string(name) + "\"";
        const bool bWordLike =
            std::any_of(name.begin(), name.end(),
                        [](char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; });
        const std::string nearest = bWordLike ? NearestCommand(name) : std::string();
        message += nearest.empty() ? ": not a Tcl or library command, nor a proc of the script"
                                   : "; did you mean " + nearest + "?";
        OfferReplacement(Add("command/unknown", pStart, pEnd, message), nearest);
    }

    // Procedures, aliases and sourced files, wherever they stand.
    void Collect(std::string_view name, const std::vector<CWord>& words, const CScope& scope,
                 const Tcl_Parse& parse)
    {
        const auto define = [&](std::string_view proc)
        {
            const long nAt = scope.bMainScript && scope.bTopLevel ? Pos(parse.commandStart) : -1;
            for (std::string_view alias :
                 {proc,
                  proc.substr(proc.rfind(':') == std::string_view::npos ? 0 : proc.rfind(':') + 1)})
            {
                while (alias.size() > 2 && alias.substr(0, 2) == "::")
                    alias.remove_prefix(2);
                auto [it, bNew] = m_procs.emplace(std::string(alias), nAt);
                if (!bNew && (nAt < 0 || it->second < 0))
                    it->second = -1; // defined more than once, or out of order: no warning
            }
        };
        if (name == "proc" && words.size() >= 2 && words[1].bLiteral)
            define(words[1].text);
        else if (name == "interp" && words.size() >= 4 && words[1].bLiteral &&
                 words[1].text == "alias" && words[3].bLiteral)
            define(words[3].text);
        else if (name == "source" && words.size() == 2 && words[1].bLiteral)
        {
            std::string path(words[1].text);
            const bool bAbsolute = !path.empty() && (path[0] == '/' || path[0] == '\\' ||
                                                     (path.size() > 1 && path[1] == ':'));
            if (!bAbsolute && !m_folder.empty())
                path = m_folder + "/" + path;
            if (std::none_of(m_sources.begin(), m_sources.end(),
                             [&](const CSource& source) { return source.path == path; }))
                m_sources.push_back(
                    {path, scope.bMainScript ? words[1].pStart : nullptr, words[1].nSize});
        }
    }

    // The same unknown name comes again and again: its suggestion is kept.
    std::string NearestCommand(std::string_view name)
    {
        const auto known = m_suggestions.find(name);
        if (known != m_suggestions.end())
            return known->second;
        std::string best;
        size_t nBest = 3;
        const auto consider = [&](std::string_view candidate)
        {
            const size_t nDistance = EditDistance(name, candidate, nBest - 1);
            if (nDistance < nBest)
            {
                nBest = nDistance;
                best = candidate;
            }
        };
        for (const std::string& command : m_knowledge.TopLevelNames())
            consider(command);
        for (const auto& [proc, nAt] : m_procs)
            consider(proc);
        for (const std::string& command : m_checker.m_tclCommands)
            consider(command);
        m_suggestions.emplace(std::string(name), best);
        return best;
    }

    void TclCommand(std::string_view name, const std::vector<CWord>& words, const CScope& scope,
                    const Tcl_Parse& parse)
    {
        const size_t n = words.size();
        if (name == "set" && n == 2 && scope.bTopLevel)
        {
            Add("set/one-argument", parse.commandStart, words.back().pStart + words.back().nSize,
                "set with one argument only reads " +
                    (words[1].bLiteral ? "\"" + std::string(words[1].text) + "\""
                                       : "the variable") +
                    ": give it a value, set <name> <value>");
            return;
        }
        const auto body = [&](size_t i)
        {
            if (i < n)
                Body(words[i], scope);
        };
        const auto literal = [&](size_t i, std::string_view text)
        { return i < n && words[i].bLiteral && words[i].text == text; };
        if (name == "proc" && n >= 4)
            body(3);
        else if (name == "while" && n == 3)
            body(2);
        else if (name == "for" && n == 5)
        {
            body(1);
            body(3);
            body(4);
        }
        else if ((name == "foreach" || name == "lmap") && n >= 4)
            body(n - 1);
        else if (name == "catch" && n >= 2)
            body(1);
        else if (name == "eval" && n == 2)
            body(1);
        else if (name == "uplevel" && n >= 2)
            body(n - 1);
        else if (name == "namespace" && n == 4 && literal(1, "eval"))
            body(3);
        else if (name == "if")
        {
            size_t i = 2; // after the condition
            for (;;)
            {
                if (literal(i, "then"))
                    ++i;
                body(i++);
                if (literal(i, "elseif"))
                {
                    i += 2;
                    continue;
                }
                if (literal(i, "else"))
                    ++i;
                body(i);
                break;
            }
        }
        else if (name == "try" && n >= 2)
        {
            body(1);
            for (size_t i = 2; i < n;)
            {
                if (literal(i, "finally"))
                {
                    body(i + 1);
                    break;
                }
                if (literal(i, "on") || literal(i, "trap"))
                {
                    body(i + 3);
                    i += 4;
                    continue;
                }
                break;
            }
        }
        else if (name == "switch")
            Switch(words, scope);
    }

    // switch ?options? string {pattern body ...}, or pattern body ... as words.
    void Switch(const std::vector<CWord>& words, const CScope& scope)
    {
        size_t i = 1;
        while (i < words.size() && words[i].bLiteral && !words[i].text.empty() &&
               words[i].text[0] == '-')
        {
            const bool bEnd = words[i].text == "--";
            i += words[i].text == "-matchvar" || words[i].text == "-indexvar" ? 2 : 1;
            if (bEnd)
                break;
        }
        ++i; // the string
        if (i + 1 == words.size())
        {
            // One braced list of pairs: its elements as the words of commands.
            const CWord& list = words[i];
            if (!list.bBraced || list.nSize < 2)
                return;
            std::vector<CWord> elements;
            // A list that does not parse, or nests too deep, is for the
            // body check that follows to report.
            TclCommands::Walk(
                m_checker.m_pInterp->p, list.pStart + 1, list.pStart + list.nSize - 1,
                [&](const Tcl_Parse& parse)
                {
                    // The words hold views into the list, which outlives them.
                    for (CWord& element : WordsOf(parse))
                    {
                        element.pToken = nullptr;
                        elements.push_back(element);
                    }
                    return true;
                },
                [](const Tcl_Parse&, const char*) { return false; }, [](const char*) {});
            for (size_t e = 1; e < elements.size(); e += 2)
                Body(elements[e], scope);
            return;
        }
        for (size_t b = i + 1; b < words.size(); b += 2)
            Body(words[b], scope);
    }

    void LibraryCommand(std::string_view name, const std::vector<CWord>& words, const CScope& scope,
                        const Tcl_Parse& parse)
    {
        if (m_bCollecting)
        {
            // Bodies may define procedures too.
            DescendLibraryBodies(name, words, scope);
            return;
        }
        for (const CWord& word : words)
        {
            if (word.bExpand)
                return; // {*} hides how many words there are
        }
        std::string context(name);
        int nRecord = m_knowledge.Find(name, "command");
        size_t i = 1;
        while (i < words.size() && words[i].bLiteral && !words[i].text.empty() &&
               words[i].text[0] != '-' && !IsNumber(words[i].text))
        {
            const std::vector<std::string>* pChildren = m_knowledge.ChildrenOf(context);
            std::vector<std::string> keywords;
            if (pChildren != nullptr)
            {
                for (const std::string& child : *pChildren)
                {
                    if (!child.empty() && child[0] != '-')
                        keywords.push_back(child);
                }
            }
            if (keywords.empty())
                break;
            const int nChild = m_knowledge.Find(words[i].text, context);
            if (nChild < 0)
            {
                UnknownSubCommand(words[i], context, nRecord, keywords);
                return;
            }
            nRecord = nChild;
            context += " ";
            context += words[i].text;
            ++i;
        }
        const std::vector<CUsageForm>& forms = m_knowledge.FormsOf(nRecord);
        if (forms.empty())
            return; // a record with no usage line is not checked
        std::vector<CUsageForm::CWord> rest;
        for (size_t w = i; w < words.size(); ++w)
            rest.push_back({words[w].text, words[w].bLiteral});
        const CUsageForm* pBest = nullptr;
        CUsageForm::CMismatch best;
        bool bBody = false;
        for (const CUsageForm& form : forms)
        {
            CUsageForm::CMismatch mismatch;
            if (form.Matches(rest, mismatch))
            {
                if (form.EndsInBody())
                    Body(words.back(), scope);
                return;
            }
            bBody = bBody || form.EndsInBody();
            if (pBest == nullptr || mismatch.nWord > best.nWord)
            {
                pBest = &form;
                best = mismatch;
            }
        }
        if (bBody)
            Body(words.back(), scope);
        Mismatch(*pBest, best, words, i, parse);
    }

    void DescendLibraryBodies(std::string_view name, const std::vector<CWord>& words,
                              const CScope& scope)
    {
        const int nRecord = m_knowledge.Find(name, "command");
        for (const CUsageForm& form : m_knowledge.FormsOf(nRecord))
        {
            if (form.EndsInBody())
            {
                Body(words.back(), scope);
                return;
            }
        }
        // A sub-command's usage may open the body instead.
        if (words.size() > 1 && words[1].bLiteral)
        {
            for (const CUsageForm& form :
                 m_knowledge.FormsOf(m_knowledge.Find(words[1].text, name)))
            {
                if (form.EndsInBody())
                {
                    Body(words.back(), scope);
                    return;
                }
            }
        }
    }

    void UnknownSubCommand(const CWord& word, const std::string& context, int nParentRecord,
                           const std::vector<std::string>& keywords)
    {
        std::string what = "sub-command";
        for (const CUsageForm& form : m_knowledge.FormsOf(nParentRecord))
        {
            const std::string placeholder = form.FirstPlaceholder();
            if (!placeholder.empty())
            {
                what = placeholder;
                break;
            }
        }
        std::string message =
            "unknown " + context + " " + what + " \"" + std::string(word.text) + "\"";
        std::string best;
        size_t nBest = 3;
        for (const std::string& keyword : keywords)
        {
            const size_t nDistance = EditDistance(word.text, keyword, nBest - 1);
            if (nDistance < nBest)
            {
                nBest = nDistance;
                best = keyword;
            }
        }
        if (!best.empty())
            message += "; did you mean " + best + "?";
        else
        {
            message += ": one of ";
            for (size_t k = 0; k < keywords.size() && k < 8; ++k)
                message += (k == 0 ? "" : ", ") + keywords[k];
            if (keywords.size() > 8)
                message += ", ...";
        }
        OfferReplacement(
            Add("usage/unknown-subcommand", word.pStart, word.pStart + word.nSize, message), best);
    }

    void Mismatch(const CUsageForm& form, const CUsageForm::CMismatch& mismatch,
                  const std::vector<CWord>& words, size_t nFirstArgument, const Tcl_Parse& parse)
    {
        const std::string usage = ": " + form.Line();
        if (mismatch.bOutOfWords)
        {
            std::string missing;
            for (const std::string& expected : mismatch.expected)
            {
                if (!expected.empty())
                {
                    missing = expected;
                    break;
                }
            }
            const CWord& last = words.back();
            Add("usage/missing-argument", parse.commandStart, last.pStart + last.nSize,
                "missing " + (missing.empty() ? std::string("an argument") : missing) + usage);
            return;
        }
        // A flag the form does not know, taken for a value on the way, is
        // what went wrong.
        std::vector<std::string> flags = form.Flags();
        for (size_t w = nFirstArgument; w < words.size() && !flags.empty(); ++w)
        {
            const CWord& word = words[w];
            if (!word.bLiteral || !IsFlag(word.text) ||
                std::find(flags.begin(), flags.end(), word.text) != flags.end())
                continue;
            std::string message = "unknown flag \"" + std::string(word.text) + "\"; expected ";
            for (size_t k = 0; k < flags.size(); ++k)
                message += (k == 0 ? "" : " or ") + flags[k];
            Add("usage/unknown-flag", word.pStart, word.pStart + word.nSize, message + usage);
            return;
        }
        const size_t nAt = nFirstArgument + mismatch.nWord;
        const CWord& word = words[std::min(nAt, words.size() - 1)];
        std::vector<std::string> literals;
        bool bEndFits = false;
        for (const std::string& expected : mismatch.expected)
        {
            if (expected.empty())
                bEndFits = true;
            else if (expected[0] != '<' && expected != "{")
                literals.push_back(expected);
        }
        const std::string text = word.bLiteral ? std::string(word.text) : std::string();
        std::string message;
        std::string_view rule = "usage/too-many-arguments";
        if (IsFlag(text) && !literals.empty())
        {
            rule = "usage/unknown-flag";
            message = "unknown flag \"" + text + "\"; expected ";
            for (size_t k = 0; k < literals.size(); ++k)
                message += (k == 0 ? "" : " or ") + literals[k];
        }
        else if (!literals.empty() && !bEndFits)
        {
            rule = "usage/not-a-choice";
            message = "\"" + text + "\" is not one of ";
            for (size_t k = 0; k < literals.size(); ++k)
                message += (k == 0 ? "" : " or ") + literals[k];
        }
        else
            message =
                "too many arguments, from \"" + (word.bLiteral ? text : std::string("...")) + "\"";
        Add(rule, word.pStart, word.pStart + word.nSize, message + usage);
    }

    static constexpr int kMaxDepth = 200;
    static constexpr size_t kMaxMessage = 1000;

    const CScriptChecker& m_checker;
    const CCommandKnowledge& m_knowledge;
    std::string_view m_text;
    std::string m_folder;
    const FileReader& m_read;
    const KeepGoing& m_keepGoing;
    bool m_bStopped = false;
    CLineMap m_lines;
    bool m_bCollecting = false;
    int m_nDepth = 0;
    std::vector<CFinding> m_findings;
    // A procedure's name and where its proc stands at the top level of the
    // script (-1: elsewhere, or more than once).
    CNameMap<long> m_procs;
    // A sourced file, and the word that names it in the script (nullptr: in
    // another sourced file).
    struct CSource
    {
        std::string path;
        const char* pWord;
        long nSize;
    };
    std::deque<CSource> m_sources;
    std::deque<std::string> m_sourceTexts; // never moved: Tcl's tokens point into them
    CNameMap<std::string> m_suggestions;
    std::vector<CUnresolved> m_unresolved;
};

std::vector<CFinding> CScriptChecker::Check(std::string_view text, const std::string& scriptFolder,
                                            const FileReader& read, const KeepGoing& keepGoing)
{
    // Tcl parses a terminated, padded copy: see CTclNesting::Padded.
    const std::string padded = CTclNesting::Padded(text);
    CRun run(*this, padded, scriptFolder, read, keepGoing);
    return run.Run();
}
