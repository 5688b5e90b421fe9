#pragma once

#include <string_view>
#include <unordered_map>
#include <vector>

// The library's records grouped by parent and sorted by keyword, so that
// completing a word lists, for one parent, the keywords that begin with what
// was typed: a hash lookup and a binary search, never a scan of the records.
// A keyword that several records share under one parent is listed once, for
// its first record in list order, the one a lookup finds. The texts belong to
// the caller and must outlive the index unchanged.
class CCompletionIndex
{
public:
    void Build(const std::vector<std::string_view>& keywords,
               const std::vector<std::string_view>& parents, const std::vector<bool>& usable);
    void Clear();
    bool IsBuilt() const { return m_bBuilt; }

    // The records under this parent whose keyword begins with the prefix, by
    // keyword in byte order.
    std::vector<int> Complete(std::string_view parent, std::string_view prefix) const;

    std::string_view KeywordOf(int nRecord) const
    {
        return m_keywords[static_cast<size_t>(nRecord)];
    }

private:
    std::vector<std::string_view> m_keywords;
    std::unordered_map<std::string_view, std::vector<int>> m_byParent;
    bool m_bBuilt = false;
};
