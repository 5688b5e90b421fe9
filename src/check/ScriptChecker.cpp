#include "ScriptChecker.h"

#include "CheckContext.h"
#include "CheckRule.h"
#include "CommandKnowledge.h"
#include "ScriptOutline.h"
#include "TclCommands.h"
#include "TclLibrary.h"
#include "TclNesting.h"
#include "WordShape.h"
#include "text/RegularFile.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <optional>
#include <tcl.h>

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
    // Tcl's own command set, from Tcl itself: every command of every
    // namespace a fresh interpreter has, and the procedures Tcl's library
    // loads on first use (parray, history). Nothing of a script is ever run.
    Tcl_Interp* pInterp = m_pInterp->p;
    if (Tcl_Init(pInterp) == TCL_OK)
        Tcl_Eval(pInterp, "catch auto_load_index");
    const auto names = [&](const char* pScript, CNameSet& into)
    {
        if (Tcl_Eval(pInterp, pScript) != TCL_OK)
            return;
        int nCount = 0;
        const char** ppNames = nullptr;
        if (Tcl_SplitList(nullptr, Tcl_GetStringResult(pInterp), &nCount, &ppNames) != TCL_OK)
            return;
        for (int i = 0; i < nCount; ++i)
        {
            std::string_view name = ppNames[i];
            while (name.size() > 2 && name.substr(0, 2) == "::")
                name.remove_prefix(2);
            into.emplace(name);
        }
        Tcl_Free(reinterpret_cast<char*>(ppNames));
    };
    names("apply {{} {"
          "    set names [info commands]\n"
          "    set queue [namespace children ::]\n"
          "    while {[llength $queue] > 0} {\n"
          "        set queue [lassign $queue ns]\n"
          "        lappend names {*}[info commands ${ns}::*]\n"
          "        lappend queue {*}[namespace children $ns]\n"
          "    }\n"
          "    if {[array exists ::auto_index]} {\n"
          "        lappend names {*}[array names ::auto_index]\n"
          "    }\n"
          "    return $names\n"
          "}}",
          m_tclCommands);
    names("info functions", m_mathFunctions);
    Tcl_ResetResult(pInterp);
}

CScriptChecker::~CScriptChecker() = default;

void CScriptChecker::EndThread()
{
    Tcl_FinalizeThread();
}

// One check of one script: a walk over its commands, and into every body and
// [ ] Tcl would evaluate, that hands each rule what it meets; then the files
// it sources are walked for the procedures they define, and the rules finish.
class CScriptChecker::CRun
{
public:
    CRun(const CScriptChecker& checker, std::string_view text, std::string folder,
         const FileReader& read, const KeepGoing& keepGoing, CScriptOutline* pOutline)
        : m_checker(checker), m_knowledge(checker.m_knowledge),
          m_context(text, checker.m_knowledge, checker.m_tclCommands, checker.m_mathFunctions,
                    checker.m_pInterp->p),
          m_text(text), m_folder(std::move(folder)), m_read(read), m_keepGoing(keepGoing),
          m_rules(MakeCheckRules()), m_pOutline(pOutline)
    {
    }

    std::vector<CFinding> Run()
    {
        Parse(m_text.data(), m_text.data() + m_text.size(), CCheckScope());
        ReadSources();
        for (const auto& pRule : m_rules)
            pRule->Finish(m_context);
        return m_context.TakeFindings();
    }

private:
    // The sourced files, breadth first, each once, at most kMaxSources and
    // kMaxSourceBytes in all, for the procedures they define.
    void ReadSources()
    {
        m_bCollecting = true;
        m_context.SetCollecting(true);
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
                if (found == CRegularFile::EResult::Missing)
                {
                    // Named as from the script's folder, where it is looked for.
                    std::string named = m_sources[i].path;
                    if (!m_folder.empty() && named.rfind(m_folder + "/", 0) == 0)
                        named.erase(0, m_folder.size() + 1);
                    m_context.UnreadSources().push_back(
                        {m_sources[i].pWord, m_sources[i].nSize, named, true});
                }
                else if (found == CRegularFile::EResult::NotRegular ||
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
            CCheckScope scope;
            scope.bMainScript = false;
            Parse(source.data(), source.data() + source.size(), scope);
        }
        m_bCollecting = false;
        m_context.SetCollecting(false);
        for (const auto& [pSource, why] : unread)
            m_context.UnreadSources().push_back({pSource->pWord, pSource->nSize, why, false});
    }

    // Each rule hears of what the walk meets, but only in the script checked.
    template <typename TCall> void Tell(TCall&& call)
    {
        if (m_bCollecting)
            return;
        for (const auto& pRule : m_rules)
            call(*pRule);
    }

    void Parse(const char* p, const char* pEnd, const CCheckScope& scope)
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
                    if (parse.commentSize > 0)
                        Tell(
                            [&](CCheckRule& rule) {
                                rule.Comment(parse.commentStart,
                                             parse.commentStart + parse.commentSize, scope,
                                             m_context);
                            });
                    if (parse.numWords > 0)
                        Command(parse, scope);
                    return goesOn();
                },
                // Parsing goes on past the line that held the trouble, or ends.
                [&](const Tcl_Parse& parse, const char* pTerm)
                {
                    Tell([&](CCheckRule& rule) { rule.ParseError(parse, pTerm, pEnd, m_context); });
                    switch (parse.errorType)
                    {
                    case TCL_PARSE_MISSING_BRACE:
                    case TCL_PARSE_MISSING_BRACKET:
                    case TCL_PARSE_MISSING_QUOTE:
                    case TCL_PARSE_MISSING_VAR_BRACE:
                    case TCL_PARSE_MISSING_PAREN:
                        return false;
                    default:
                        return true;
                    }
                },
                [&](const char* pDeep)
                { Tell([&](CCheckRule& rule) { rule.TooDeep(pDeep, m_context); }); });
        --m_nDepth;
    }

    static std::vector<CCheckWord> WordsOf(const Tcl_Parse& parse)
    {
        std::vector<CCheckWord> words;
        words.reserve(static_cast<size_t>(parse.numWords));
        const Tcl_Token* pToken = parse.tokenPtr;
        for (int w = 0; w < parse.numWords; ++w)
        {
            CCheckWord word;
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
    void Substitutions(const CCheckWord& word, const CCheckScope& scope)
    {
        if (word.bBraced)
            return;
        CCheckScope inside = scope;
        inside.bTopLevel = false;
        for (int i = 1; i <= word.pToken->numComponents; ++i)
        {
            const Tcl_Token& token = word.pToken[i];
            if (token.type == TCL_TOKEN_COMMAND && token.size >= 2)
                Parse(token.start + 1, token.start + token.size - 1, inside);
        }
    }

    // bLoop: the body of a loop, run again and again.
    void Body(const CCheckWord& word, const CCheckScope& scope, bool bLoop = false)
    {
        if (!word.bBraced || word.nSize < 2)
            return;
        Tell([&](CCheckRule& rule) { rule.Body(word, scope, m_context); });
        CCheckScope inside = scope;
        inside.bTopLevel = false;
        inside.bInBody = true;
        inside.bInLoop = scope.bInLoop || bLoop;
        Parse(word.pStart + 1, word.End() - 1, inside);
    }

    // What an expression without commands came to, by its text.
    struct CExpressionSummary
    {
        bool bParsed = false;
        std::string error;
        struct CRead
        {
            uint32_t nAt, nSize, nName, nNameSize;
        };
        std::vector<CRead> reads;
        std::vector<std::pair<uint32_t, uint32_t>> functions;
    };

    // A braced word that Tcl evaluates as an expression: parsed with Tcl's
    // own expression parser, each rule told, and the commands in its [ ]
    // walked as every other script.
    void Expression(const CCheckWord& word, const CCheckScope& scope)
    {
        if (!word.bBraced || word.nSize < 2)
            return;
        const char* pStart = word.pStart + 1;
        const char* pEnd = word.End() - 1;
        const std::string_view text(pStart, static_cast<size_t>(pEnd - pStart));
        // A model repeats its expressions ({2 * $bayWidth}): one without
        // commands in it is parsed once, and what Tcl made of it kept.
        const bool bCommands = text.find('[') != std::string_view::npos;
        const CExpressionSummary* pSummary = nullptr;
        CExpressionSummary made;
        if (!bCommands)
        {
            const auto known = m_expressions.find(text);
            if (known != m_expressions.end())
                pSummary = &known->second;
        }
        if (pSummary == nullptr)
        {
            if (!Summarise(text, scope, made))
                return;
            if (!bCommands && m_expressions.size() < kMaxExpressionsKept)
                pSummary = &m_expressions.emplace(std::string(text), std::move(made)).first->second;
            else
                pSummary = &made;
        }
        std::vector<std::string_view> functions;
        for (const auto& [nAt, nSize] : pSummary->functions)
            functions.push_back(text.substr(nAt, nSize));
        const CExpressionSite site{word,      text, pSummary->bParsed, pSummary->error,
                                   functions, scope};
        Tell([&](CCheckRule& rule) { rule.Expression(site, m_context); });
        if (!m_bCollecting)
        {
            for (const CExpressionSummary::CRead& read : pSummary->reads)
            {
                const std::string_view name = text.substr(read.nName, read.nNameSize);
                const char* pRead = pStart + read.nAt;
                Tell([&](CCheckRule& rule)
                     { rule.Read(name, pRead, pRead + read.nSize, scope, m_context); });
            }
        }
    }

    // What Tcl's expression parser makes of an expression, by offsets into
    // it; the commands in its [ ] are walked on the way. False when it is
    // nested too deep to give to the parser.
    bool Summarise(std::string_view text, const CCheckScope& scope, CExpressionSummary& summary)
    {
        const char* pStart = text.data();
        const char* pEnd = pStart + text.size();
        // Each level of nesting opens with a "[" or a "(": an expression with
        // few of them cannot be too deep, and need not be measured.
        const auto nOpeners = std::count(pStart, pEnd, '[') + std::count(pStart, pEnd, '(');
        const char* pDeep = nullptr;
        if (nOpeners > CTclNesting::kMaxDepth && CTclNesting::TooDeep(pStart, pEnd, &pDeep))
            return false;
        Tcl_Interp* pInterp = m_checker.m_pInterp->p;
        Tcl_Parse parse;
        summary.bParsed =
            Tcl_ParseExpr(pInterp, pStart, static_cast<int>(text.size()), &parse) == TCL_OK;
        if (!summary.bParsed)
            summary.error = Tcl_GetStringResult(pInterp);
        Tcl_ResetResult(pInterp);
        if (summary.bParsed)
        {
            const auto offset = [&](const char* p) { return static_cast<uint32_t>(p - pStart); };
            CCheckScope inside = scope;
            inside.bTopLevel = false;
            for (int i = 0; i < parse.numTokens; ++i)
            {
                const Tcl_Token& token = parse.tokenPtr[i];
                if (token.type == TCL_TOKEN_VARIABLE && token.numComponents >= 1 &&
                    parse.tokenPtr[i + 1].type == TCL_TOKEN_TEXT)
                    summary.reads.push_back({offset(token.start), static_cast<uint32_t>(token.size),
                                             offset(parse.tokenPtr[i + 1].start),
                                             static_cast<uint32_t>(parse.tokenPtr[i + 1].size)});
                else if (token.type == TCL_TOKEN_COMMAND && token.size >= 2)
                    Parse(token.start + 1, token.start + token.size - 1, inside);
                else if (token.type == TCL_TOKEN_SUB_EXPR && i + 1 < parse.numTokens &&
                         parse.tokenPtr[i + 1].type == TCL_TOKEN_OPERATOR)
                {
                    // A function call is a sub-expression whose operator is a
                    // name; eq, ne, in and ni are the operators that are words.
                    const Tcl_Token& operation = parse.tokenPtr[i + 1];
                    const std::string_view name(operation.start,
                                                static_cast<size_t>(operation.size));
                    if (!name.empty() && std::isalpha(static_cast<unsigned char>(name[0])) != 0 &&
                        name != "eq" && name != "ne" && name != "in" && name != "ni")
                        summary.functions.emplace_back(offset(operation.start),
                                                       static_cast<uint32_t>(name.size()));
                }
            }
        }
        Tcl_FreeParse(&parse);
        return true;
    }

    CScriptOutline::CPlace PlaceOf(const char* pStart, size_t nSize) const
    {
        const long nStart = m_context.Pos(pStart);
        return {nStart, nStart + static_cast<long>(nSize)};
    }

    // What the script itself defines: procedures, variables set, sourced files.
    void Outline(std::string_view name, const std::vector<CCheckWord>& words,
                 const CCheckScope& scope)
    {
        if (m_pOutline == nullptr || m_bCollecting || !scope.bMainScript)
            return;
        const size_t n = words.size();
        const auto literal = [&](size_t i) { return i < n && words[i].bLiteral; };
        const auto setHere = [&](size_t i, bool bLoop)
        {
            if (literal(i) && !words[i].text.empty())
                m_pOutline->AddVariable(words[i].text,
                                        PlaceOf(words[i].text.data(), words[i].text.size()),
                                        scope.bInLoop || bLoop);
        };
        if (name == "proc" && literal(1))
            m_pOutline->AddProcedure(words[1].text, literal(2) ? words[2].text : std::string_view(),
                                     literal(2),
                                     PlaceOf(words[1].text.data(), words[1].text.size()));
        else if (name == "source" && n == 2 && literal(1))
            m_pOutline->AddSource(words[1].text,
                                  PlaceOf(words[1].text.data(), words[1].text.size()));
        else if (name == "set" && n == 3)
            setHere(1, false);
        else if ((name == "incr" || name == "append" || name == "lappend" || name == "lset") &&
                 n >= 2)
            setHere(1, false);
        else if (name == "lassign")
        {
            for (size_t i = 2; i < n; ++i)
                setHere(i, false);
        }
        else if ((name == "array" && literal(1) && words[1].text == "set") ||
                 (name == "dict" && literal(1) &&
                  (words[1].text == "set" || words[1].text == "append" || words[1].text == "incr" ||
                   words[1].text == "lappend")))
            setHere(2, false);
        else if ((name == "foreach" || name == "lmap") && n >= 4)
        {
            // foreach {a b} $list ...: each name of each list of names.
            for (size_t i = 1; i + 1 < n; i += 2)
            {
                if (!literal(i))
                    continue;
                WordShape::EachName(
                    words[i].text, [&](std::string_view each)
                    { m_pOutline->AddVariable(each, PlaceOf(each.data(), each.size()), true); });
            }
        }
    }

    void Command(const Tcl_Parse& parse, const CCheckScope& scope)
    {
        const std::vector<CCheckWord> words = WordsOf(parse);
        for (const CCheckWord& word : words)
            Substitutions(word, scope);
        for (const CCheckWord& word : words)
        {
            if (!word.bBraced && word.pToken != nullptr)
                Reads(word.pToken + 1, word.pToken->numComponents, scope);
        }
        const CCheckWord& first = words[0];
        if (!first.bLiteral)
        {
            Tell([&](CCheckRule& rule) { rule.Command({parse, {}, words, scope}, m_context); });
            return;
        }
        std::string_view name = first.text;
        while (name.size() > 2 && name.substr(0, 2) == "::")
            name.remove_prefix(2);
        Collect(name, words, scope, parse);
        Outline(name, words, scope);

        CCommandSite site{parse, name, words, scope};
        site.bTcl = m_checker.m_tclCommands.count(name) != 0;
        site.bLibrary = m_knowledge.IsTopLevel(name);
        std::optional<CUsageMatch> usage;
        if (site.bLibrary && !m_bCollecting)
            usage = MatchUsage(name, words);
        site.pUsage = usage ? &*usage : nullptr;
        Tell([&](CCheckRule& rule) { rule.Command(site, m_context); });
        if (site.bTcl)
            TclBodies(name, words, scope);
        if (site.bLibrary)
            LibraryBodies(name, words, scope, site.pUsage);
    }

    // The variables a sourced file sets at its top level: the main script's
    // to read once it sourced the file.
    void SourcedGlobals(std::string_view name, const std::vector<CCheckWord>& words)
    {
        const size_t n = words.size();
        const auto literal = [&](size_t i) { return i < n && words[i].bLiteral; };
        if ((name == "set" && n >= 3 && literal(1)) ||
            ((name == "incr" || name == "append" || name == "lappend") && literal(1)))
            m_context.SourcedGlobals().emplace(words[1].text);
        else if (name == "array" && literal(1) && words[1].text == "set" && literal(2))
            m_context.SourcedGlobals().emplace(words[2].text);
        else if (name == "lassign")
        {
            for (size_t i = 2; i < n; ++i)
            {
                if (literal(i))
                    m_context.SourcedGlobals().emplace(words[i].text);
            }
        }
        else if (name == "foreach" && n >= 4)
        {
            for (size_t i = 1; i + 1 < n; i += 2)
            {
                if (!literal(i))
                    continue;
                WordShape::EachName(words[i].text, [this](std::string_view each)
                                    { m_context.SourcedGlobals().emplace(each); });
            }
        }
    }

    // The variables whose values the tokens read.
    void Reads(const Tcl_Token* pTokens, int nCount, const CCheckScope& scope)
    {
        if (m_bCollecting)
            return;
        for (int i = 0; i < nCount; ++i)
        {
            const Tcl_Token& token = pTokens[i];
            if (token.type != TCL_TOKEN_VARIABLE || token.numComponents < 1 ||
                pTokens[i + 1].type != TCL_TOKEN_TEXT)
                continue;
            const std::string_view name(pTokens[i + 1].start,
                                        static_cast<size_t>(pTokens[i + 1].size));
            Tell([&](CCheckRule& rule)
                 { rule.Read(name, token.start, token.start + token.size, scope, m_context); });
        }
    }

    // Procedures, aliases and sourced files, wherever they stand.
    void Collect(std::string_view name, const std::vector<CCheckWord>& words,
                 const CCheckScope& scope, const Tcl_Parse& parse)
    {
        // A procedure is known by its whole name (in the namespace the proc
        // stands in, unless it names one from ::), by its name as written
        // (a call from the same namespace), and by its last part.
        const auto define = [&](std::string_view written, const CProcSignature& signature)
        {
            const long nAt =
                scope.bMainScript && scope.bTopLevel ? m_context.Pos(parse.commandStart) : -1;
            std::string_view plain = written;
            while (plain.size() > 2 && plain.substr(0, 2) == "::")
                plain.remove_prefix(2);
            const bool bAbsolute = plain.size() != written.size();
            const std::string whole = bAbsolute || scope.pNamespace == nullptr
                                          ? std::string(plain)
                                          : *scope.pNamespace + "::" + std::string(plain);
            const size_t nLastColon = plain.rfind(':');
            const std::string_view last =
                nLastColon == std::string_view::npos ? plain : plain.substr(nLastColon + 1);
            const auto add = [&](std::string_view alias, CNameMap<CProcSignature>& signatures)
            {
                auto [it, bNew] = m_context.Procedures().emplace(std::string(alias), nAt);
                if (!bNew && (nAt < 0 || it->second < 0))
                    it->second = -1; // defined more than once, or out of order: no warning
                // Defined again with other parameters: which one is called is not known.
                auto [known, bFirst] = signatures.emplace(std::string(alias), signature);
                if (!bFirst && !(known->second == signature))
                    known->second = CProcSignature();
            };
            add(whole, m_context.Signatures());
            if (plain != whole)
                add(plain, m_context.ShortSignatures());
            if (last != plain)
                add(last, m_context.ShortSignatures());
        };
        if (!scope.bMainScript && scope.pProcBody == nullptr && !scope.bInNamespaceBody)
            SourcedGlobals(name, words);
        if (name == "proc" && words.size() >= 2 && words[1].bLiteral)
            define(words[1].text, words.size() == 4 && words[2].bLiteral
                                      ? CProcSignature::Of(words[2].text)
                                      : CProcSignature());
        else if (name == "interp" && words.size() >= 4 && words[1].bLiteral &&
                 words[1].text == "alias" && words[3].bLiteral)
            define(words[3].text, CProcSignature());
        else if (words.size() >= 3 && words[1].bLiteral && words[2].bLiteral &&
                 words[1].text == "create" &&
                 (name == "oo::class" || name == "::oo::class" || name == "oo::object" ||
                  name == "::oo::object" || m_classes.count(name) != 0U))
        {
            // A class, or an object of one: a command from then on, whose
            // methods are its words, not known here.
            if (name == "oo::class" || name == "::oo::class")
                m_classes.emplace(words[2].text);
            define(words[2].text, CProcSignature());
        }
        else if (name == "rename" && words.size() == 3 && words[1].bLiteral && words[2].bLiteral &&
                 !words[2].text.empty())
        {
            // The new name takes the old one's parameters, when they are known.
            const auto known = m_context.Signatures().find(words[1].text);
            define(words[2].text,
                   known != m_context.Signatures().end() ? known->second : CProcSignature());
        }
        else if (name == "coroutine" && words.size() >= 3 && words[1].bLiteral)
            define(words[1].text, CProcSignature());
        else if (name == "namespace" && words.size() >= 3 && words[1].bLiteral &&
                 words[1].text == "ensemble" && words[2].bLiteral && words[2].text == "create")
        {
            // Named by -command, else after the namespace it stands in.
            std::string_view command;
            for (size_t i = 3; i + 1 < words.size(); i += 2)
            {
                if (words[i].bLiteral && words[i].text == "-command" && words[i + 1].bLiteral)
                    command = words[i + 1].text;
            }
            if (!command.empty())
                define(command, CProcSignature());
            else if (scope.pNamespace != nullptr)
                define("::" + *scope.pNamespace, CProcSignature());
        }
        else if (name == "set" && words.size() == 3 && words[1].bLiteral && scope.bMainScript &&
                 scope.bTopLevel)
            NoteValue(words[1].text, words[2]);
        else if (name == "source" && words.size() == 2)
        {
            const std::optional<std::string> named = ValueOf(words[1], 0);
            if (!named)
            {
                // What it defines cannot be known.
                m_context.MarkSourcesUnknown();
                return;
            }
            std::string path = *named;
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

    // A variable of the main script's top level whose value the walk knows:
    // set once to a literal, or to the script's folder.
    void NoteValue(std::string_view name, const CCheckWord& word)
    {
        const std::optional<std::string> value = ValueOf(word, 0);
        const auto [it, bNew] = m_values.try_emplace(std::string(name), value);
        if (!bNew && it->second != value)
            it->second.reset(); // set more than once: not known
    }

    // What a word of a source command comes to, where the walk can tell
    // without running anything: literal text, the known variables, and
    // [file dirname [info script]] and [file join ...] of those.
    std::optional<std::string> ValueOf(const CCheckWord& word, int nDepth) const
    {
        if (word.bLiteral)
            return std::string(word.text);
        if (word.pToken == nullptr || word.bExpand || nDepth > kMaxValueDepth)
            return std::nullopt;
        std::string value;
        const Tcl_Token* pToken = word.pToken;
        for (int i = 1; i <= pToken->numComponents; ++i)
        {
            const Tcl_Token& part = pToken[i];
            if (part.type == TCL_TOKEN_TEXT)
                value.append(part.start, static_cast<size_t>(part.size));
            else if (part.type == TCL_TOKEN_VARIABLE && part.numComponents == 1)
            {
                const auto known = m_values.find(
                    std::string_view(pToken[i + 1].start, static_cast<size_t>(pToken[i + 1].size)));
                if (known == m_values.end() || !known->second)
                    return std::nullopt;
                value += *known->second;
                i += part.numComponents;
            }
            else if (part.type == TCL_TOKEN_COMMAND && part.size >= 2)
            {
                const std::optional<std::string> result = CommandValue(
                    std::string_view(part.start + 1, static_cast<size_t>(part.size - 2)),
                    nDepth + 1);
                if (!result)
                    return std::nullopt;
                value += *result;
            }
            else
                return std::nullopt;
        }
        return value;
    }

    std::optional<std::string> CommandValue(std::string_view script, int nDepth) const
    {
        std::optional<std::string> value;
        const std::string padded = CTclNesting::Padded(script);
        Tcl_Parse parse;
        if (Tcl_ParseCommand(nullptr, padded.data(), static_cast<int>(script.size()), 0, &parse) !=
            TCL_OK)
        {
            Tcl_FreeParse(&parse);
            return value;
        }
        const std::vector<CCheckWord> words = WordsOf(parse);
        const auto literal = [&](size_t i, std::string_view text)
        { return i < words.size() && words[i].bLiteral && words[i].text == text; };
        const std::string folder = m_folder.empty() ? "." : m_folder;
        if (words.size() == 2 && literal(0, "info") && literal(1, "script"))
            value = folder + "/"; // only its folder is ever asked for
        else if (words.size() == 3 && literal(0, "file") && literal(1, "dirname"))
        {
            if (const std::optional<std::string> path = ValueOf(words[2], nDepth);
                path && *path == folder + "/")
                value = folder;
        }
        else if (words.size() >= 3 && literal(0, "file") && literal(1, "join"))
        {
            std::string joined;
            for (size_t i = 2; i < words.size(); ++i)
            {
                const std::optional<std::string> part = ValueOf(words[i], nDepth);
                if (!part)
                {
                    joined.clear();
                    break;
                }
                joined = joined.empty() || (!part->empty() && part->front() == '/')
                             ? *part
                             : joined + "/" + *part;
            }
            if (!joined.empty())
                value = joined;
        }
        Tcl_FreeParse(&parse);
        return value;
    }

    // The bodies of Tcl's own commands that take scripts.
    void TclBodies(std::string_view name, const std::vector<CCheckWord>& words,
                   const CCheckScope& scope)
    {
        const size_t n = words.size();
        const auto body = [&](size_t i)
        {
            if (i < n)
                Body(words[i], scope);
        };
        const auto literal = [&](size_t i, std::string_view text)
        { return i < n && words[i].bLiteral && words[i].text == text; };
        const auto loop = [&](size_t i)
        {
            if (i < n)
                Body(words[i], scope, true);
        };
        const auto expression = [&](size_t i)
        {
            if (i < n)
                Expression(words[i], scope);
        };
        if (name == "proc" && n >= 4)
        {
            // A proc's body is a scope of its own, run when it is called.
            CCheckScope inside = scope;
            inside.pProcBody = words[3].pStart;
            inside.bInLoop = false;
            inside.bInNamespaceBody = false;
            Body(words[3], inside);
        }
        else if ((name == "apply" && n >= 2) ||
                 (name == "coroutine" && n >= 4 && literal(2, "apply")))
        {
            const CCheckWord& lambda = name == "apply" ? words[1] : words[3];
            // A lambda's body is a scope of its own too, its parameters set.
            CCheckWord params;
            CCheckWord lambdaBody;
            if (lambda.SplitLambda(params, lambdaBody))
            {
                CCheckScope inside = scope;
                inside.pProcBody = lambdaBody.pStart;
                inside.bInLoop = false;
                inside.bInNamespaceBody = false;
                Body(lambdaBody, inside);
            }
        }
        else if (name == "expr" && n == 2)
            expression(1);
        else if (name == "while" && n == 3)
        {
            expression(1);
            loop(2);
        }
        else if (name == "for" && n == 5)
        {
            loop(1);
            expression(2);
            loop(3);
            loop(4);
        }
        else if ((name == "foreach" || name == "lmap") && n >= 4)
            loop(n - 1);
        else if (name == "dict" && n == 5 && (literal(1, "for") || literal(1, "map")))
            loop(4);
        else if (name == "dict" &&
                 ((n >= 4 && literal(1, "with")) || (n >= 6 && literal(1, "update"))))
            body(n - 1);
        else if (name == "time" && (n == 2 || n == 3))
            loop(1);
        else if (name == "catch" && n >= 2)
            body(1);
        else if (name == "eval" && n == 2)
            body(1);
        else if (name == "uplevel" && n >= 2)
            body(n - 1);
        else if (name == "namespace" && n == 4 && literal(1, "eval"))
        {
            // The procs in its body are the namespace's.
            CCheckScope inside = scope;
            if (words[2].bLiteral)
            {
                std::string_view named = words[2].text;
                const bool bAbsolute = named.substr(0, 2) == "::";
                while (named.size() > 2 && named.substr(0, 2) == "::")
                    named.remove_prefix(2);
                m_namespaces.push_back(bAbsolute || scope.pNamespace == nullptr
                                           ? std::string(named)
                                           : *scope.pNamespace + "::" + std::string(named));
                inside.pNamespace = &m_namespaces.back();
            }
            inside.bInNamespaceBody = true;
            Body(words[3], inside);
        }
        else if (name == "if")
        {
            expression(1);
            // if 0 {...} is how Tcl comments out a block: its body never runs.
            const bool bNever =
                n > 1 && words[1].bLiteral &&
                words[1].text.find_first_not_of(" \t") != std::string_view::npos &&
                words[1].text.substr(words[1].text.find_first_not_of(" \t"), 1) == "0" &&
                words[1].text.find_first_not_of(" \t0") == std::string_view::npos;
            size_t i = 2; // after the condition
            for (;;)
            {
                if (literal(i, "then"))
                    ++i;
                if (!bNever || i > 3)
                    body(i);
                ++i;
                if (literal(i, "elseif"))
                {
                    expression(i + 1);
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
    void Switch(const std::vector<CCheckWord>& words, const CCheckScope& scope)
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
            const CCheckWord& list = words[i];
            if (!list.bBraced || list.nSize < 2)
                return;
            std::vector<CCheckWord> elements;
            // A list that does not parse, or nests too deep, is for the
            // body check that follows to report.
            TclCommands::Walk(
                m_checker.m_pInterp->p, list.pStart + 1, list.End() - 1,
                [&](const Tcl_Parse& parse)
                {
                    // The words hold views into the list, which outlives them.
                    for (CCheckWord& element : WordsOf(parse))
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

    // The words of a library command against its usage lines: which record
    // they name, and whether they fit one of its forms.
    // Nothing for a command with {*}, which hides how many words there are.
    std::optional<CUsageMatch> MatchUsage(std::string_view name,
                                          const std::vector<CCheckWord>& words) const
    {
        for (const CCheckWord& word : words)
        {
            if (word.bExpand)
                return std::nullopt;
        }
        CUsageMatch usage;
        usage.context = name;
        usage.nRecord = m_knowledge.Find(name, "command");
        size_t i = 1;
        while (i < words.size() && words[i].bLiteral && !words[i].text.empty() &&
               words[i].text[0] != '-' && !WordShape::IsNumber(words[i].text))
        {
            const std::vector<std::string>* pChildren = m_knowledge.ChildrenOf(usage.context);
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
            const int nChild = m_knowledge.Find(words[i].text, usage.context);
            if (nChild < 0)
            {
                usage.pUnknownSubCommand = &words[i];
                usage.nParentRecord = usage.nRecord;
                usage.subCommands = std::move(keywords);
                return usage;
            }
            usage.nRecord = nChild;
            usage.context += " ";
            usage.context += words[i].text;
            ++i;
        }
        usage.nFirstArgument = i;
        const std::vector<CUsageForm>& forms = m_knowledge.FormsOf(usage.nRecord);
        std::vector<CUsageForm::CWord> rest;
        rest.reserve(words.size() - i);
        for (size_t w = i; w < words.size(); ++w)
            rest.push_back({words[w].text, words[w].bLiteral});
        for (const CUsageForm& form : forms)
        {
            CUsageForm::CMismatch mismatch;
            if (form.Matches(rest, mismatch))
            {
                usage.pBest = nullptr;
                usage.pMatched = &form;
                return usage;
            }
            if (usage.pBest == nullptr || mismatch.nWord > usage.mismatch.nWord)
            {
                usage.pBest = &form;
                usage.mismatch = std::move(mismatch);
            }
        }
        return usage;
    }

    // A library command whose usage ends in a body: the body is a script.
    void LibraryBodies(std::string_view name, const std::vector<CCheckWord>& words,
                       const CCheckScope& scope, const CUsageMatch* pUsage)
    {
        if (pUsage != nullptr)
        {
            // As its words were matched: the form that fits, or else any.
            if (pUsage->pUnknownSubCommand != nullptr)
                return;
            bool bBody = pUsage->pMatched != nullptr && pUsage->pMatched->EndsInBody();
            if (pUsage->pMatched == nullptr)
            {
                for (const CUsageForm& form : m_knowledge.FormsOf(pUsage->nRecord))
                    bBody = bBody || form.EndsInBody();
            }
            if (bBody)
                Body(words.back(), scope);
            return;
        }
        if (!m_bCollecting)
            return;
        // Collecting: bodies may define procedures too.
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

    static constexpr int kMaxDepth = 200;

    const CScriptChecker& m_checker;
    const CCommandKnowledge& m_knowledge;
    CCheckContext m_context;
    std::string_view m_text;
    std::string m_folder;
    const FileReader& m_read;
    const KeepGoing& m_keepGoing;
    std::vector<std::unique_ptr<CCheckRule>> m_rules;
    CScriptOutline* m_pOutline;
    bool m_bStopped = false;
    bool m_bCollecting = false;
    int m_nDepth = 0;
    // A sourced file, and the word that names it in the script (nullptr: in
    // another sourced file).
    struct CSource
    {
        std::string path;
        const char* pWord;
        long nSize;
    };
    std::deque<CSource> m_sources;
    std::deque<std::string> m_sourceTexts;         // never moved: Tcl's tokens point into them
    CNameMap<std::optional<std::string>> m_values; // see NoteValue
    std::deque<std::string> m_namespaces;          // never moved: scopes point at them
    CNameSet m_classes;                            // the classes oo::class created
    CNameMap<CExpressionSummary> m_expressions;
    // Enough for the expressions a script repeats; a generated model's own
    // (each with its numbers) would only fill memory.
    static constexpr size_t kMaxExpressionsKept = 4096;
    static constexpr int kMaxValueDepth = 8;
};

std::vector<CFinding> CScriptChecker::Check(std::string_view text, const std::string& scriptFolder,
                                            const FileReader& read, const KeepGoing& keepGoing,
                                            CScriptOutline* pOutline)
{
    // Tcl parses a terminated, padded copy: see CTclNesting::Padded.
    const std::string padded = CTclNesting::Padded(text);
    CRun run(*this, padded, scriptFolder, read, keepGoing, pOutline);
    return run.Run();
}
