#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Finds a record by its (keyword, parent) in constant time on average, with the
// answer an in-order scan would give: the first record with that pair. The
// texts the keys view belong to the caller and must outlive the index
// unchanged. A flat table keeps a lookup to one hash and, mostly, one probe;
// lookups run for every word the editor colours.
class CCommandIndex
{
public:
    void Build(std::vector<std::string_view> keywords, std::vector<std::string_view> parents,
               const std::vector<bool>& usable);
    void Build(const std::vector<std::string>& keywords, const std::vector<std::string>& parents,
               const std::vector<bool>& usable);
    void Clear();

    // The first usable record with exactly this keyword and parent, or -1.
    int Find(std::string_view keyword, std::string_view parent) const;

    static std::uint64_t Hash(std::string_view keyword, std::string_view parent);

private:
    struct CSlot
    {
        std::uint32_t nRecordPlusOne = 0; // 0: empty
        std::uint32_t nTag = 0;           // high half of the hash, to skip most string compares
    };

    std::vector<std::string_view> m_keywords;
    std::vector<std::string_view> m_parents;
    std::vector<CSlot> m_slots;
    std::uint64_t m_nMask = 0;
    size_t m_nLongestKeyword = 0; // of the usable records
    size_t m_nLongestParent = 0;
    int m_nShift = 63; // the slot is the hash's top bits
};
