#include "DryRunCalls.h"

#include <algorithm>
#include <limits>

namespace
{
// Room for nMore more, grown by a quarter at a time: a run's calls are read
// without knowing how many come, and doubling would leave up to half unused
// (shrinking it then would hold two copies for a moment).
template <typename TBuffer> void MakeRoom(TBuffer& buffer, size_t nMore)
{
    const size_t nNeeded = buffer.size() + nMore;
    if (nNeeded > buffer.capacity())
        buffer.reserve(std::max(nNeeded, buffer.capacity() + buffer.capacity() / 4 + 1024));
}

// Called before anything is built from the calls, so the copy made here
// never stands beside what comes later.
template <typename TBuffer> void ShrinkIfMuchUnused(TBuffer& buffer)
{
    if (buffer.size() < buffer.capacity() / 16 * 15)
        buffer.shrink_to_fit();
}
} // namespace

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
        static_cast<CDryRunCall::EKind>(entry.nKind),
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
    if (nBytes > kMost || m_wordEnds.size() + words.size() > kMostWords ||
        place.nLine > std::numeric_limits<int32_t>::max())
        return false;
    MakeRoom(m_calls, 1);
    MakeRoom(m_wordEnds, words.size());
    MakeRoom(m_bytes, nBytes - m_bytes.size());
    m_calls.push_back({static_cast<uint32_t>(m_wordEnds.size() - 1),
                       static_cast<uint32_t>(kind) & 3U, place.nFile,
                       static_cast<int32_t>(place.nLine)});
    for (const std::string& word : words)
    {
        m_bytes += word;
        m_wordEnds.push_back(static_cast<uint32_t>(m_bytes.size()));
    }
    return true;
}

void CDryRunCalls::Shrink()
{
    ShrinkIfMuchUnused(m_bytes);
    ShrinkIfMuchUnused(m_wordEnds);
    ShrinkIfMuchUnused(m_calls);
}
