#include "ScriptCompletion.h"

#include "Analysis.h"
#include "KnownTags.h"
#include "ScriptText.h"
#include "check/CommandKnowledge.h"
#include "check/ScriptOutline.h"
#include "check/UsageForm.h"
#include "helplib/CommandLibrary.h"

#include <set>

namespace
{
bool StartsWith(std::string_view text, std::string_view head)
{
    return text.compare(0, head.size(), head) == 0;
}

// Items each once, by label.
class CItems
{
public:
    explicit CItems(std::vector<CScriptCompletion::CItem>& items) : m_items(items)
    {
        for (const CScriptCompletion::CItem& item : m_items)
            m_seen.insert(item.label);
    }
    void Add(std::string label, CScriptCompletion::CItem::EKind kind, std::string detail = {})
    {
        if (m_seen.insert(label).second)
            m_items.push_back({std::move(label), kind, std::move(detail)});
    }

private:
    std::vector<CScriptCompletion::CItem>& m_items;
    std::set<std::string> m_seen;
};
} // namespace

CScriptCompletion::CScriptCompletion(const CCommandLibrary* pLibrary,
                                     const CCommandKnowledge* pKnowledge)
    : m_pLibrary(pLibrary), m_pKnowledge(pKnowledge)
{
}

CScriptCompletion::CResult CScriptCompletion::At(std::string_view text, const CAnalysis* pAnalysis,
                                                 size_t nOffset) const
{
    using EKind = CItem::EKind;
    CResult result;
    CItems items(result.items);
    nOffset = std::min(nOffset, text.size());
    size_t nFrom = nOffset;
    while (nFrom > 0 && ScriptText::IsNameByte(text[nFrom - 1]))
        --nFrom;
    const CScriptOutline* pOutline = pAnalysis != nullptr ? pAnalysis->pOutline.get() : nullptr;
    if (nFrom > 0 &&
        (text[nFrom - 1] == '$' || (text[nFrom - 1] == '{' && nFrom > 1 && text[nFrom - 2] == '$')))
    {
        result.nWordStart = nFrom;
        result.bVariable = true;
        result.prefix = std::string(text.substr(nFrom, nOffset - nFrom));
        if (pOutline != nullptr)
        {
            for (const CScriptOutline::CVariable& variable : pOutline->Variables())
            {
                std::string name = variable.name.substr(0, variable.name.find('('));
                if (StartsWith(name, result.prefix))
                    items.Add(std::move(name), EKind::Variable);
            }
        }
        return result;
    }
    // The words of the command so far, on this line, and the word being typed.
    const std::vector<std::string> words = ScriptText::WordsTyped(text, nOffset, result.prefix);
    result.nWordStart = nOffset - result.prefix.size();
    result.nWordsBefore = words.size();
    result.wordsBefore = words;
    if (words.empty())
    {
        if (result.prefix.find_first_of("$[\"{") != std::string::npos)
            return result;
        if (m_pLibrary != nullptr)
        {
            for (const int nRecord : m_pLibrary->Complete("command", result.prefix))
                items.Add(std::string(m_pLibrary->KeywordOf(nRecord)), EKind::Command);
        }
        if (pOutline != nullptr)
        {
            for (const CScriptOutline::CProcedure& procedure : pOutline->Procedures())
            {
                if (StartsWith(procedure.name, result.prefix))
                    items.Add(procedure.name, EKind::Procedure, "proc " + procedure.name);
            }
        }
        return result;
    }
    if (m_pLibrary != nullptr && words.size() == 1)
    {
        for (const int nRecord : m_pLibrary->Complete(words[0], result.prefix))
            items.Add(std::string(m_pLibrary->KeywordOf(nRecord)), EKind::SubCommand, words[0]);
    }
    Arguments(words, result.prefix, pAnalysis, result);
    return result;
}

// What the command's usage forms take at the next word: each form is
// matched against the words so far, and what it wanted where they ran out
// is offered, a flag, a choice or the tags of a placeholder's kind.
void CScriptCompletion::Arguments(const std::vector<std::string>& words, const std::string& prefix,
                                  const CAnalysis* pAnalysis, CResult& result) const
{
    using EKind = CItem::EKind;
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
    CItems items(result.items);
    const CKnownTags* pTags = pAnalysis != nullptr ? pAnalysis->pTags.get() : nullptr;
    for (const std::string& what : wanted)
    {
        if (what.empty() || what == "{")
            continue;
        if (what[0] == '<')
        {
            const std::string_view kind =
                pTags != nullptr ? pTags->KindOfPlaceholder(what.substr(1, what.find('>') - 1))
                                 : std::string_view();
            if (kind.empty())
                continue;
            for (const std::string& tag : pTags->TagsOf(kind))
            {
                if (StartsWith(tag, prefix))
                    items.Add(tag, EKind::Tag, std::string(kind) + " " + tag + " for " + what);
            }
            continue;
        }
        // A literal, or choices: -x|-y|-z, Static|Transient.
        for (size_t nStart = 0; nStart <= what.size();)
        {
            size_t nEnd = what.find('|', nStart);
            if (nEnd == std::string::npos)
                nEnd = what.size();
            std::string choice = what.substr(nStart, nEnd - nStart);
            if (!choice.empty() && StartsWith(choice, prefix))
            {
                const EKind kind = choice[0] == '-' ? EKind::Flag : EKind::Choice;
                items.Add(std::move(choice), kind, words[0]);
            }
            nStart = nEnd + 1;
        }
    }
}
