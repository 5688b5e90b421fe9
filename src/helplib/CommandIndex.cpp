#include "CommandIndex.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace
{
constexpr std::uint64_t kMultiplier1 = 0x9E3779B97F4A7C15ull;
constexpr std::uint64_t kMultiplier2 = 0xC2B2AE3D27D4EB4Full;
constexpr std::uint64_t kMultiplier3 = 0x165667B19E3779F9ull;

std::uint64_t Read8(const char* p)
{
    std::uint64_t nValue = 0;
    std::memcpy(&nValue, p, 8);
    return nValue;
}

std::uint64_t Read4(const char* p)
{
    std::uint32_t nValue = 0;
    std::memcpy(&nValue, p, 4);
    return nValue;
}

// Every byte of a text of 1 to 7 bytes, without a call to memcpy: two
// overlapping 4-byte reads, or the first, middle and last byte.
std::uint64_t ReadShort(const char* p, size_t n)
{
    if (n >= 4)
        return (Read4(p) << 32) | Read4(p + n - 4);
    return (std::uint64_t(static_cast<unsigned char>(p[0])) << 16) |
           (std::uint64_t(static_cast<unsigned char>(p[n >> 1])) << 8) |
           static_cast<unsigned char>(p[n - 1]);
}

// The first and the last eight bytes (overlapping for short texts); shorter
// texts are read whole. Longer texts fold their middle in as well.
std::uint64_t HashText(std::string_view text, std::uint64_t nSeed)
{
    const char* p = text.data();
    const size_t n = text.size();
    std::uint64_t nFirst = 0;
    std::uint64_t nLast = 0;
    if (n >= 8)
    {
        nFirst = Read8(p);
        nLast = Read8(p + n - 8);
        for (size_t i = 8; i + 8 < n; i += 8)
            nFirst = (nFirst ^ Read8(p + i)) * kMultiplier3;
    }
    else if (n > 0)
    {
        nFirst = ReadShort(p, n);
    }
    // The two multiplies do not depend on each other and run side by side.
    return (nFirst ^ nSeed) * kMultiplier1 ^ (nLast + n) * kMultiplier2;
}

// Equal texts of up to sixteen bytes are compared with two loads each; the
// library's memcmp is for the rest.
bool SameText(std::string_view a, std::string_view b)
{
    const size_t n = a.size();
    if (n != b.size())
        return false;
    if (n == 0)
        return true;
    if (n < 8)
        return ReadShort(a.data(), n) == ReadShort(b.data(), n);
    if (n <= 16)
        return Read8(a.data()) == Read8(b.data()) &&
               Read8(a.data() + n - 8) == Read8(b.data() + n - 8);
    return std::memcmp(a.data(), b.data(), n) == 0;
}
} // namespace

std::uint64_t CCommandIndex::Hash(std::string_view keyword, std::string_view parent)
{
    // Products carry their good bits at the top; the index is taken from there.
    return HashText(keyword, 0x243F6A8885A308D3ull) ^
           HashText(parent, 0x13198A2E03707344ull) * kMultiplier3;
}

void CCommandIndex::Clear()
{
    m_slots.clear();
    m_nMask = 0;
    m_nShift = 63;
    m_nLongestKeyword = 0;
    m_nLongestParent = 0;
    m_keywords.clear();
    m_parents.clear();
}

void CCommandIndex::Build(const std::vector<std::string>& keywords,
                          const std::vector<std::string>& parents, const std::vector<bool>& usable)
{
    Build(std::vector<std::string_view>(keywords.begin(), keywords.end()),
          std::vector<std::string_view>(parents.begin(), parents.end()), usable);
}

void CCommandIndex::Build(std::vector<std::string_view> keywordViews,
                          std::vector<std::string_view> parentViews,
                          const std::vector<bool>& usable)
{
    Clear();
    m_keywords = std::move(keywordViews);
    m_parents = std::move(parentViews);
    const std::vector<std::string_view>& keywords = m_keywords;
    const std::vector<std::string_view>& parents = m_parents;
    // At most half full, so probe runs stay short.
    const size_t nCapacity = std::bit_ceil(std::max<size_t>(16, 2 * keywords.size()));
    m_slots.assign(nCapacity, CSlot());
    m_nMask = nCapacity - 1;
    m_nShift = 64 - std::countr_zero(nCapacity);

    for (size_t k = 0; k < keywords.size(); ++k)
    {
        if (!usable[k])
            continue;
        m_nLongestKeyword = std::max(m_nLongestKeyword, keywords[k].size());
        m_nLongestParent = std::max(m_nLongestParent, parents[k].size());
        const std::uint64_t nHash = Hash(keywords[k], parents[k]);
        const auto nTag = static_cast<std::uint32_t>(nHash >> 32);
        for (std::uint64_t i = nHash >> m_nShift;; i = (i + 1) & m_nMask)
        {
            CSlot& slot = m_slots[i];
            if (slot.nRecordPlusOne == 0)
            {
                slot.nRecordPlusOne = static_cast<std::uint32_t>(k + 1);
                slot.nTag = nTag;
                break;
            }
            const size_t nOther = slot.nRecordPlusOne - 1;
            if (slot.nTag == nTag && SameText(keywords[nOther], keywords[k]) &&
                SameText(parents[nOther], parents[k]))
                break; // an earlier record with the same pair wins
        }
    }
}

int CCommandIndex::Find(std::string_view keyword, std::string_view parent) const
{
    // A text longer than every record's can match none. Colouring asks with
    // everything before a word as the parent, so without this test a long
    // line would be hashed over and over, once per word.
    if (m_slots.empty() || keyword.size() > m_nLongestKeyword || parent.size() > m_nLongestParent)
        return -1;
    const std::uint64_t nHash = Hash(keyword, parent);
    const auto nTag = static_cast<std::uint32_t>(nHash >> 32);
    for (std::uint64_t i = nHash >> m_nShift;; i = (i + 1) & m_nMask)
    {
        const CSlot& slot = m_slots[i];
        if (slot.nRecordPlusOne == 0)
            return -1;
        const size_t nRecord = slot.nRecordPlusOne - 1;
        if (slot.nTag == nTag && SameText(m_keywords[nRecord], keyword) &&
            SameText(m_parents[nRecord], parent))
            return static_cast<int>(nRecord);
    }
}
