#include "LspCompletion.h"

#include "LspText.h"
#include "analysis/Analysis.h"
#include "check/CommandKnowledge.h"
#include "check/ScriptOutline.h"
#include "check/UsageForm.h"
#include "dryrun/DryRunResult.h"
#include "helplib/CommandLibrary.h"

#include <nlohmann/json.hpp>
#include <set>

using json = nlohmann::json;

namespace
{
// The protocol's CompletionItemKind.
constexpr int kFunction = 3;
constexpr int kVariable = 6;
constexpr int kClass = 7;
constexpr int kKeyword = 14;
constexpr int kEnumMember = 20;
constexpr int kConstant = 21;

void Add(json& items, std::set<std::string>& seen, const std::string& label, int nKind,
         const std::string& detail)
{
    if (!seen.insert(label).second)
        return;
    json item = {{"label", label}, {"kind", nKind}};
    if (!detail.empty())
        item["detail"] = detail;
    items.push_back(std::move(item));
}

bool StartsWith(std::string_view text, std::string_view head)
{
    return text.compare(0, head.size(), head) == 0;
}
} // namespace

CLspCompletion::CLspCompletion(const CCommandLibrary* pLibrary, const CCommandKnowledge* pKnowledge)
    : m_pLibrary(pLibrary), m_pKnowledge(pKnowledge)
{
}

json CLspCompletion::At(const std::string& text, const CAnalysis* pAnalysis, size_t nOffset) const
{
    json items = json::array();
    std::set<std::string> seen;
    nOffset = std::min(nOffset, text.size());
    size_t nFrom = nOffset;
    while (nFrom > 0 && LspText::IsNameByte(text[nFrom - 1]))
        --nFrom;
    const CScriptOutline* pOutline = pAnalysis != nullptr ? pAnalysis->pOutline.get() : nullptr;
    if (nFrom > 0 &&
        (text[nFrom - 1] == '$' || (text[nFrom - 1] == '{' && nFrom > 1 && text[nFrom - 2] == '$')))
    {
        const std::string prefix = text.substr(nFrom, nOffset - nFrom);
        if (pOutline != nullptr)
        {
            for (const CScriptOutline::CVariable& variable : pOutline->Variables())
            {
                const std::string name = variable.name.substr(0, variable.name.find('('));
                if (StartsWith(name, prefix))
                    Add(items, seen, name, kVariable, "");
            }
        }
        return items;
    }
    // The words of the command so far, on this line, and the word being typed.
    std::string prefix;
    const std::vector<std::string> words = LspText::WordsTyped(text, nOffset, prefix);
    if (words.empty())
    {
        if (prefix.find_first_of("$[\"{") != std::string::npos)
            return items;
        if (m_pLibrary != nullptr)
        {
            for (const int nRecord : m_pLibrary->Complete("command", prefix))
                Add(items, seen, std::string(m_pLibrary->KeywordOf(nRecord)), kFunction, "");
        }
        if (pOutline != nullptr)
        {
            for (const CScriptOutline::CProcedure& procedure : pOutline->Procedures())
            {
                if (StartsWith(procedure.name, prefix))
                    Add(items, seen, procedure.name, kFunction, "proc " + procedure.name);
            }
        }
        return items;
    }
    if (m_pLibrary != nullptr && words.size() == 1)
    {
        for (const int nRecord : m_pLibrary->Complete(words[0], prefix))
            Add(items, seen, std::string(m_pLibrary->KeywordOf(nRecord)), kClass, words[0]);
    }
    Arguments(words, prefix, pAnalysis, items);
    return items;
}

// What the command's usage forms take at the next word: each form is
// matched against the words so far, and what it wanted where they ran out
// is offered, a flag, a choice or the tags of a placeholder's kind.
void CLspCompletion::Arguments(const std::vector<std::string>& words, const std::string& prefix,
                               const CAnalysis* pAnalysis, json& items) const
{
    if (m_pKnowledge == nullptr)
        return;
    int nRecord = m_pKnowledge->Find(words[0], "command");
    size_t nCommandWords = 1;
    if (words.size() >= 2)
    {
        const int nSub = m_pKnowledge->Find(words[1], words[0]);
        if (nSub >= 0)
        {
            nRecord = nSub;
            nCommandWords = 2;
        }
    }
    if (nRecord < 0)
        return;
    std::vector<CUsageForm::CWord> arguments;
    for (size_t i = nCommandWords; i < words.size(); ++i)
        arguments.push_back({words[i], words[i].find_first_of("$[") == std::string::npos});
    std::vector<std::string> wanted;
    for (const CUsageForm& form : m_pKnowledge->FormsOf(nRecord))
    {
        CUsageForm::CMismatch mismatch;
        if (form.Matches(arguments, mismatch))
        {
            // A whole call: what an optional item may add, unless a
            // placeholder could take the next word.
            std::vector<CUsageForm::CWord> more = arguments;
            more.push_back({"\x01", true});
            if (form.Matches(more, mismatch) || mismatch.nWord != arguments.size())
                continue;
        }
        else if (mismatch.nWord != arguments.size())
            continue;
        wanted.insert(wanted.end(), mismatch.expected.begin(), mismatch.expected.end());
    }
    std::set<std::string> seen;
    for (const json& item : items)
        seen.insert(item["label"].get<std::string>());
    const std::shared_ptr<const CDryRunResult> pRun =
        pAnalysis != nullptr ? pAnalysis->pDryRun : nullptr;
    for (const std::string& what : wanted)
    {
        if (what.empty() || what == "{")
            continue;
        if (what[0] == '<')
        {
            if (pRun == nullptr)
                continue;
            std::string name = what.substr(1, what.find('>') - 1);
            const std::string_view kind = pRun->Facts().KindOfPlaceholder(name);
            if (kind.empty())
                continue;
            const CDryRunCalls& calls = pRun->Report().calls;
            size_t nOffered = 0;
            for (const size_t nCall : pRun->Facts().DefinitionsOf(calls, kind))
            {
                const std::string tag = pRun->Facts().Tag(calls, nCall);
                if (!StartsWith(tag, prefix))
                    continue;
                Add(items, seen, tag, kConstant, std::string(kind) + " " + tag + " for " + what);
                if (++nOffered == kMaxTags)
                    break;
            }
            continue;
        }
        // A literal, or choices: -x|-y|-z, Static|Transient.
        for (size_t nStart = 0; nStart <= what.size();)
        {
            size_t nEnd = what.find('|', nStart);
            if (nEnd == std::string::npos)
                nEnd = what.size();
            const std::string choice = what.substr(nStart, nEnd - nStart);
            if (!choice.empty() && StartsWith(choice, prefix))
                Add(items, seen, choice, choice[0] == '-' ? kKeyword : kEnumMember, words[0]);
            nStart = nEnd + 1;
        }
    }
}
