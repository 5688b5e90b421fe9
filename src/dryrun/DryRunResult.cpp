#include "DryRunResult.h"

#include "DryRunProtocol.h"
#include "check/ScriptOutline.h"
#include "check/TclNesting.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <tcl.h>

namespace
{
bool IsNameByte(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) != 0 || c == '_' || c == ':' || u >= 0x80;
}

// The byte ranges of a command's words, as Tcl's parser splits it.
std::vector<std::pair<size_t, size_t>> WordRanges(std::string_view text)
{
    std::vector<std::pair<size_t, size_t>> ranges;
    if (text.empty())
        return ranges;
    const std::string command = CTclNesting::Padded(text);
    // Each level of nesting opens with a "[" or a "(": a command with few of
    // them cannot be deep, and a hover need not measure it.
    const auto nOpeners =
        std::count(text.begin(), text.end(), '[') + std::count(text.begin(), text.end(), '(');
    if (nOpeners > CTclNesting::kMaxDepth &&
        CTclNesting::TooDeep(command.data(), command.data() + command.size()))
        return ranges;
    Tcl_Parse parse;
    if (Tcl_ParseCommand(nullptr, command.data(), static_cast<int>(command.size()), 0, &parse) ==
        TCL_OK)
    {
        const Tcl_Token* pToken = parse.tokenPtr;
        for (int i = 0; i < parse.numWords; ++i)
        {
            const size_t nFrom = static_cast<size_t>(pToken->start - command.data());
            ranges.emplace_back(nFrom, nFrom + static_cast<size_t>(pToken->size));
            pToken += pToken->numComponents + 1;
        }
    }
    Tcl_FreeParse(&parse);
    return ranges;
}
} // namespace

CDryRunResult::CDryRunResult() = default;
CDryRunResult::~CDryRunResult() = default;

void CDryRunResult::Read(std::string_view answer, std::string text,
                         const CCommandKnowledge& knowledge)
{
    Read(answer, std::make_shared<const std::string>(std::move(text)), knowledge);
}

void CDryRunResult::Read(std::string_view answer, std::shared_ptr<const std::string> pText,
                         const CCommandKnowledge& knowledge)
{
    Begin(std::move(pText));
    Feed(answer);
    Finish(knowledge);
}

void CDryRunResult::Begin(std::shared_ptr<const std::string> pText)
{
    m_pText = std::move(pText);
    m_pReader = std::make_unique<DryRunProtocol::CReader>(m_report);
}

void CDryRunResult::Feed(std::string_view bytes)
{
    if (m_pReader)
        m_pReader->Feed(bytes);
}

void CDryRunResult::Finish(const CCommandKnowledge& knowledge)
{
    if (!m_pReader)
        return;
    const bool bEmpty = m_pReader->IsEmpty();
    const bool bRead = m_pReader->Finish();
    m_pReader.reset();
    if (!bRead)
    {
        Fail(bEmpty ? "the dry run gave no answer" : "the dry run's answer is unreadable");
        return;
    }
    // The loop variables first: the pass over the text lets go of its
    // parse before the facts are built, so the two never stand side by side.
    m_facts.Build(knowledge, m_report);
    for (size_t i = 0; i < m_report.variables.size(); ++i)
        m_variables.emplace(m_report.variables[i].name, i);
}

void CDryRunResult::Fail(std::string why)
{
    m_failure = std::move(why);
}

void CDryRunResult::MarkStopped(const std::string& kind, const std::string& why)
{
    if (!m_report.limit.empty())
        return;
    m_report.limit = kind;
    m_report.limitMessage = why;
}

const CDryRunVariable* CDryRunResult::ValueOf(const std::string& name) const
{
    const auto found = m_variables.find(name);
    return found == m_variables.end() ? nullptr : &m_report.variables[found->second];
}

void CDryRunResult::SetOutline(std::shared_ptr<const CScriptOutline> pOutline)
{
    m_pOutline = std::move(pOutline);
}

bool CDryRunResult::IsSetInLoop(const std::string& name) const
{
    const CScriptOutline::CVariable* pVariable = m_pOutline ? m_pOutline->Variable(name) : nullptr;
    return pVariable != nullptr && pVariable->bSetInLoop;
}

std::string CDryRunResult::VariableTip(const std::string& name) const
{
    const CDryRunVariable* pVariable = ValueOf(name);
    if (pVariable == nullptr)
        return {};
    std::string tip = name + " = " + pVariable->value + (pVariable->bCut ? "…" : "");
    if (IsSetInLoop(name))
        tip += "  (the last value: it is set in a loop)";
    return tip;
}

std::string CDryRunResult::TipAt(size_t nPos) const
{
    const std::string& m_text = Text();
    if (nPos >= m_text.size())
        return {};
    // A variable: $name, ${name}, or the name a set gives a value.
    if (IsNameByte(Text()[nPos]) || Text()[nPos] == '$')
    {
        size_t nFrom = Text()[nPos] == '$' ? nPos + 1 : nPos;
        while (nFrom > 0 && IsNameByte(Text()[nFrom - 1]))
            --nFrom;
        size_t nTo = nFrom;
        while (nTo < Text().size() && IsNameByte(Text()[nTo]))
            ++nTo;
        std::string name = Text().substr(nFrom, nTo - nFrom);
        while (name.size() > 2 && name.compare(0, 2, "::") == 0)
            name.erase(0, 2);
        const bool bDollar = (nFrom > 0 && Text()[nFrom - 1] == '$') ||
                             (nFrom > 1 && Text()[nFrom - 1] == '{' && Text()[nFrom - 2] == '$');
        size_t nLineStart = Text().rfind('\n', nFrom == 0 ? 0 : nFrom - 1);
        nLineStart = nLineStart == std::string::npos || nFrom == 0 ? 0 : nLineStart + 1;
        std::string_view before = std::string_view(Text()).substr(nLineStart, nFrom - nLineStart);
        while (!before.empty() && (before.back() == ' ' || before.back() == '\t'))
            before.remove_suffix(1);
        const bool bSet = before.size() >= 3 && before.substr(before.size() - 3) == "set" &&
                          (before.size() == 3 || !IsNameByte(before[before.size() - 4]));
        if ((bDollar || bSet) && !name.empty())
        {
            if (nTo < Text().size() && Text()[nTo] == '(')
            {
                const size_t nClose = Text().find(')', nTo);
                if (nClose != std::string::npos && nClose - nTo < 200)
                {
                    const std::string element = name + Text().substr(nTo, nClose + 1 - nTo);
                    const std::string tip = VariableTip(element);
                    if (!tip.empty())
                        return tip;
                }
            }
            return VariableTip(name);
        }
    }
    // A word of a call: where the tag it names is defined.
    std::string tip;
    VisitWordAt(nPos, [&](const CScriptIndex::CCommand& command, long nLine, size_t nWord)
                { tip = TagTip(command, nLine, nWord); });
    return tip;
}

// Only the line is parsed, from its start, as far as its first command
// reaches; the innermost command that holds the position is handed on, and
// the command's words live only meanwhile.
void CDryRunResult::VisitWordAt(size_t nPos, const WordVisitor& visit) const
{
    const std::string& m_text = Text();
    if (nPos >= m_text.size())
        return;
    const size_t nLineStart = nPos == 0 ? 0 : m_text.rfind('\n', nPos - 1) + 1;
    const long nLine = static_cast<long>(
        std::count(m_text.begin(), m_text.begin() + static_cast<long>(nLineStart), '\n') + 1);
    const size_t nLineEnd = std::min(m_text.find('\n', nPos), m_text.size());
    const std::string_view line(m_text.data() + nLineStart, nLineEnd - nLineStart);
    CScriptIndex::Visit(
        line,
        [&](const CScriptIndex::CCommand& command,
            const std::vector<const CScriptIndex::CCommand*>&)
        {
            if (command.nLine != 1)
                return;
            const size_t nStart = command.nOffset;
            const size_t nAt = nPos - nLineStart;
            if (nStart >= line.size() || nAt < nStart || nAt > nStart + command.text.size())
                return;
            const std::vector<std::pair<size_t, size_t>> ranges = WordRanges(command.text);
            for (size_t nWord = 0; nWord < ranges.size(); ++nWord)
            {
                if (nAt >= nStart + ranges[nWord].first && nAt < nStart + ranges[nWord].second)
                    visit(command, nLine, nWord);
            }
        });
}

long CDryRunResult::CallOf(const CScriptIndex::CCommand& command, long nLine, size_t& nCalls) const
{
    nCalls = 0;
    if (command.words.empty() || !command.words[0].bLiteral)
        return -1;
    std::vector<size_t> calls = m_facts.CallsOn(m_report.calls, 0, nLine);
    calls.erase(std::remove_if(calls.begin(), calls.end(),
                               [&](size_t nCall)
                               {
                                   const CDryRunCall call = m_report.calls[nCall];
                                   return call.words.empty() ||
                                          call.words[0] != command.words[0].text;
                               }),
                calls.end());
    nCalls = calls.size();
    return calls.empty() ? -1 : static_cast<long>(calls.back());
}

long CDryRunResult::DefinitionAt(size_t nPos) const
{
    std::string kind;
    std::string tag;
    return TagAt(nPos, kind, tag) ? m_facts.DefinitionOf(m_report.calls, kind, tag) : -1;
}

bool CDryRunResult::TagAt(size_t nPos, std::string& kind, std::string& tag) const
{
    bool bFound = false;
    VisitWordAt(nPos,
                [&](const CScriptIndex::CCommand& command, long nLine, size_t nWord)
                {
                    size_t nCalls = 0;
                    const long nCall = CallOf(command, nLine, nCalls);
                    if (nCall < 0)
                        return;
                    const CDryRunCall call = m_report.calls[static_cast<size_t>(nCall)];
                    if (nWord >= call.words.size())
                        return;
                    switch (m_facts.RoleOf(static_cast<size_t>(nCall), nWord))
                    {
                    case CModelFacts::ERole::Tag:
                        kind = std::string(call.words[0]);
                        break;
                    case CModelFacts::ERole::NodeTag:
                    case CModelFacts::ERole::Reference:
                        kind =
                            std::string(m_facts.ReferenceKind(static_cast<size_t>(nCall), nWord));
                        break;
                    default:
                        return;
                    }
                    tag = CModelFacts::Normal(call.words[nWord]);
                    bFound = true;
                });
    return bFound;
}

std::string CDryRunResult::TagTip(const CScriptIndex::CCommand& command, long nLine,
                                  size_t nWord) const
{
    size_t nCalls = 0;
    const long nFound = CallOf(command, nLine, nCalls);
    if (nFound < 0)
        return {};
    const size_t nCall = static_cast<size_t>(nFound);
    const CDryRunCall call = m_report.calls[nCall];
    if (nWord >= call.words.size())
        return {};
    const std::string kind(call.words[0]);
    const std::string prefix =
        nCalls > 1 ? "the last of " + std::to_string(nCalls) + " calls here: " : "";
    const auto where = [&](size_t nDefinition)
    {
        const CDryRunPlace place = m_report.calls[nDefinition].place;
        std::string text = "line " + std::to_string(place.nLine);
        if (place.nFile > 0 && static_cast<size_t>(place.nFile) < m_report.files.size())
            text = std::filesystem::path(m_report.files[static_cast<size_t>(place.nFile)])
                       .filename()
                       .string() +
                   ":" + std::to_string(place.nLine);
        return text;
    };
    const std::string tag = CModelFacts::Normal(call.words[nWord]);
    // How many places refer to a kind's tag, for the tip's end.
    const auto referred = [&](std::string_view ofKind)
    {
        const uint32_t nCount = m_facts.ReferenceCount(m_report.calls, ofKind, tag);
        if (nCount == 0)
            return std::string(", nothing refers to it");
        return nCount == 1 ? std::string(", referred to once")
                           : ", referred to " + std::to_string(nCount) + " times";
    };
    switch (m_facts.RoleOf(nCall, nWord))
    {
    case CModelFacts::ERole::Tag:
    {
        const long nDefinition = m_facts.DefinitionOf(m_report.calls, kind, tag);
        if (nDefinition < 0)
            return {};
        if (static_cast<size_t>(nDefinition) == nCall)
            return prefix + kind + " " + tag + ": defined here" + referred(kind);
        return prefix + kind + " " + tag + ": defined again; first at " +
               where(static_cast<size_t>(nDefinition));
    }
    case CModelFacts::ERole::NodeTag:
    case CModelFacts::ERole::Reference:
    {
        const std::string refKind(m_facts.ReferenceKind(nCall, nWord));
        const long nDefinition = m_facts.DefinitionOf(m_report.calls, refKind, tag);
        if (nDefinition < 0)
            return prefix + refKind + " " + tag + ": not defined";
        return prefix + refKind + " " + tag + ": defined at " +
               where(static_cast<size_t>(nDefinition)) + referred(refKind);
    }
    case CModelFacts::ERole::Coordinate:
    case CModelFacts::ERole::Fixity:
    case CModelFacts::ERole::Force:
    case CModelFacts::ERole::None:
        break;
    }
    if (nWord < command.words.size() && !command.words[nWord].bLiteral)
        return prefix + "= " + std::string(call.words[nWord]);
    return {};
}
