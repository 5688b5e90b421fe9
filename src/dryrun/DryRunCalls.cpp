#include "DryRunCalls.h"

#include <limits>

std::string_view CDryRunWords::operator[](size_t n) const
{
    const uint32_t nFrom = m_pEnds[static_cast<std::ptrdiff_t>(n) - 1];
    return std::string_view(*m_pBytes).substr(nFrom, m_pEnds[n] - nFrom);
}

std::vector<std::string> CDryRunWords::Strings() const
{
    return {begin(), end()};
}

CDryRunCalls::CDryRunCalls() : m_wordEnds(1, 0) {}

CDryRunCall CDryRunCalls::operator[](size_t n) const
{
    const CEntry& entry = m_calls[n];
    const uint32_t nNext = n + 1 < m_calls.size() ? m_calls[n + 1].nFirstWord
                                                  : static_cast<uint32_t>(m_wordEnds.size() - 1);
    return {
        entry.kind,
        CDryRunWords(&m_bytes, m_wordEnds.data() + 1 + entry.nFirstWord, nNext - entry.nFirstWord),
        CDryRunPlace{entry.nFile, entry.nLine}};
}

bool CDryRunCalls::Add(CDryRunCall::EKind kind, const std::vector<std::string>& words,
                       const CDryRunPlace& place)
{
    constexpr size_t kMost = std::numeric_limits<uint32_t>::max();
    size_t nBytes = m_bytes.size();
    for (const std::string& word : words)
        nBytes += word.size();
    if (nBytes > kMost || m_wordEnds.size() + words.size() > kMost ||
        place.nLine > std::numeric_limits<int32_t>::max())
        return false;
    m_calls.push_back({static_cast<uint32_t>(m_wordEnds.size() - 1), place.nFile,
                       static_cast<int32_t>(place.nLine), kind});
    for (const std::string& word : words)
    {
        m_bytes += word;
        m_wordEnds.push_back(static_cast<uint32_t>(m_bytes.size()));
    }
    return true;
}

void CDryRunCalls::Shrink()
{
    m_bytes.shrink_to_fit();
    m_wordEnds.shrink_to_fit();
    m_calls.shrink_to_fit();
}
