#include "CommandKnowledge.h"

#include "helplib/CommandLibrary.h"

#include <algorithm>
#include <cstdlib>

namespace
{
std::vector<std::string_view> WordsOf(std::string_view text)
{
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < text.size())
    {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        const size_t nStart = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > nStart)
            words.push_back(text.substr(nStart, i - nStart));
    }
    return words;
}
} // namespace

std::vector<CUsageForm> CCommandKnowledge::FormsInText(std::string_view text,
                                                       const std::vector<std::string>& recordWords,
                                                       std::vector<std::string>* pUnparsed)
{
    std::vector<CUsageForm> forms;
    size_t nFrom = 0;
    while (nFrom < text.size())
    {
        size_t nTo = text.find('\n', nFrom);
        if (nTo == std::string_view::npos)
            nTo = text.size();
        std::string_view line = text.substr(nFrom, nTo - nFrom);
        nFrom = nTo + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        const std::vector<std::string_view> words = WordsOf(line);
        if (words.size() < recordWords.size())
            continue;
        bool bStarts = true;
        for (size_t i = 0; i < recordWords.size() && bStarts; ++i)
            bStarts = words[i] == recordWords[i];
        if (!bStarts)
            continue;
        // The rest begins after the record's last word.
        const std::string_view last = words[recordWords.size() - 1];
        const size_t nRest = static_cast<size_t>(last.data() + last.size() - line.data());
        if (std::optional<CUsageForm> form =
                CUsageForm::Parse(line.substr(nRest), std::string(line)))
            forms.push_back(std::move(*form));
        else if (pUnparsed != nullptr)
            pUnparsed->emplace_back(line);
    }
    return forms;
}

void CCommandKnowledge::Build(const CCommandLibrary& library)
{
    m_topLevel.clear();
    m_topLevelSet.clear();
    m_children.clear();
    m_records.clear();
    m_forms.clear();
    m_bNumbersAreValues = true;
    m_returns.clear();
    m_returning.clear();
    m_unparsed.clear();
    m_prefixes.clear();
    m_nAdded = 0;
    std::vector<std::vector<std::string>> recordWords(static_cast<size_t>(library.RecordCount()));
    for (int k = 0; k < library.RecordCount(); ++k)
    {
        if (!library.IsUsable(k))
            continue;
        const std::string keyword(library.KeywordOf(k));
        const std::string parent(library.ParentOf(k));
        if (!m_records[parent].emplace(keyword, k).second)
            continue; // a later record with the same pair is never found
        m_children[parent].push_back(keyword);
        // A sub-command named by a number ("2D" is not one) is a keyword too.
        char* pEnd = nullptr;
        (void)std::strtod(keyword.c_str(), &pEnd);
        if (parent != "command" && !keyword.empty() && pEnd == keyword.c_str() + keyword.size())
            m_bNumbersAreValues = false;
        if (parent == "command" && m_topLevelSet.insert(keyword).second)
            m_topLevel.push_back(keyword);
        std::vector<std::string>& words = recordWords[static_cast<size_t>(k)];
        if (parent != "command")
        {
            for (const std::string_view word : WordsOf(parent))
                words.emplace_back(word);
        }
        words.push_back(keyword);
    }
    library.ForEachRecordText(
        [&](int nRecord, std::string_view text)
        {
            const std::vector<std::string>& words = recordWords[static_cast<size_t>(nRecord)];
            if (words.empty())
                return;
            std::vector<CUsageForm> forms = FormsInText(text, words, &m_unparsed);
            for (const CUsageForm& form : forms)
                m_bNumbersAreValues = m_bNumbersAreValues && !form.HasNumberKeyword();
            if (!forms.empty())
                m_forms[nRecord] = std::move(forms);
            if (std::optional<CReturnValue> value = CReturnValue::InText(text))
            {
                m_returns.emplace(nRecord, std::move(*value));
                m_returning.insert(words.front());
            }
        });
}

bool CCommandKnowledge::IsTopLevel(std::string_view name) const
{
    if (m_topLevelSet.count(name) != 0)
        return true;
    return std::any_of(m_prefixes.begin(), m_prefixes.end(),
                       [name](const std::string& prefix)
                       { return name.substr(0, prefix.size()) == prefix; });
}

std::vector<std::string> CCommandKnowledge::AddCommand(const std::string& name,
                                                       const std::vector<std::string>& usageLines)
{
    std::vector<std::string> unusable;
    int nRecord = Find(name, "command");
    if (nRecord < 0)
    {
        nRecord = kFirstAddedRecord + m_nAdded++;
        m_records["command"].emplace(name, nRecord);
        m_children["command"].push_back(name);
        if (m_topLevelSet.insert(name).second)
            m_topLevel.push_back(name);
    }
    const std::vector<std::string> words = {name};
    for (const std::string& line : usageLines)
    {
        const size_t nBefore = unusable.size();
        std::vector<CUsageForm> forms = FormsInText(line, words, &unusable);
        if (forms.empty())
        {
            if (unusable.size() == nBefore)
                unusable.push_back(line); // it does not begin with the name
            continue;
        }
        std::vector<CUsageForm>& into = m_forms[nRecord];
        for (CUsageForm& form : forms)
        {
            m_bNumbersAreValues = m_bNumbersAreValues && !form.HasNumberKeyword();
            into.push_back(std::move(form));
        }
    }
    return unusable;
}

void CCommandKnowledge::AddPrefix(std::string_view prefix)
{
    if (!prefix.empty())
        m_prefixes.emplace_back(prefix);
}

const std::vector<std::string>* CCommandKnowledge::ChildrenOf(std::string_view parent) const
{
    const auto found = m_children.find(parent);
    return found == m_children.end() ? nullptr : &found->second;
}

int CCommandKnowledge::Find(std::string_view keyword, std::string_view parent) const
{
    const auto byParent = m_records.find(parent);
    if (byParent == m_records.end())
        return -1;
    const auto found = byParent->second.find(keyword);
    return found == byParent->second.end() ? -1 : found->second;
}

const std::vector<CUsageForm>& CCommandKnowledge::FormsOf(int nRecord) const
{
    static const std::vector<CUsageForm> s_none;
    const auto found = m_forms.find(nRecord);
    return found == m_forms.end() ? s_none : found->second;
}

const CReturnValue* CCommandKnowledge::ReturnOf(int nRecord) const
{
    const auto found = m_returns.find(nRecord);
    return found == m_returns.end() ? nullptr : &found->second;
}

std::optional<std::string>
CCommandKnowledge::ResultOf(const std::vector<std::string_view>& call) const
{
    // Most calls are of commands that return nothing: no form is fitted for them.
    if (call.empty() || m_returning.count(call[0]) == 0U)
        return std::nullopt;
    std::vector<CUsageForm::CWord> scratch;
    std::vector<std::string_view> names;
    const CFit fit = FitCall(call, scratch, names);
    const CReturnValue* pValue = fit.nRecord >= 0 ? ReturnOf(fit.nRecord) : nullptr;
    std::vector<std::string_view> words;
    if (pValue != nullptr)
        words.assign(call.begin() + static_cast<long>(fit.nFirst), call.end());
    else
    {
        // The command's own line holds when the sub-command says nothing, or
        // when no form fits the words.
        names.clear();
        pValue = ReturnOf(Find(call[0], "command"));
    }
    if (pValue == nullptr)
        return std::nullopt;
    return pValue->Plausible(names, words);
}
