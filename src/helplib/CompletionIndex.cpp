#include "CompletionIndex.h"

#include <algorithm>

void CCompletionIndex::Build(const std::vector<std::string_view>& keywords,
                             const std::vector<std::string_view>& parents,
                             const std::vector<bool>& usable)
{
    Clear();
    m_keywords = keywords;
    for (size_t n = 0; n < keywords.size(); ++n)
    {
        if (usable[n] && !keywords[n].empty())
            m_byParent[parents[n]].push_back(static_cast<int>(n));
    }
    for (auto& [parent, records] : m_byParent)
    {
        // Stable, so the first record of a keyword leads its run.
        std::stable_sort(records.begin(), records.end(),
                         [this](int nA, int nB) { return KeywordOf(nA) < KeywordOf(nB); });
        records.erase(std::unique(records.begin(), records.end(),
                                  [this](int nA, int nB)
                                  { return KeywordOf(nA) == KeywordOf(nB); }),
                      records.end());
    }
    m_bBuilt = true;
}

void CCompletionIndex::Clear()
{
    m_keywords.clear();
    m_byParent.clear();
    m_bBuilt = false;
}

std::vector<int> CCompletionIndex::Complete(std::string_view parent, std::string_view prefix) const
{
    const auto found = m_byParent.find(parent);
    if (found == m_byParent.end())
        return {};
    const std::vector<int>& records = found->second;
    const auto first = std::lower_bound(records.begin(), records.end(), prefix,
                                        [this](int nRecord, std::string_view text)
                                        { return KeywordOf(nRecord) < text; });
    auto last = first;
    while (last != records.end() && KeywordOf(*last).substr(0, prefix.size()) == prefix)
        ++last;
    return std::vector<int>(first, last);
}
