#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

struct CDryRunPlace
{
    int nFile = -1; // into CDryRunReport::files; -1 when unknown
    long nLine = 0; // from 1; 0 when unknown
};

// The items of a container that hands them out by value, by index.
template <typename TOwner, typename TValue> class CIndexIterator
{
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = TValue;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = TValue;

    CIndexIterator(const TOwner* pOwner, size_t n) : m_pOwner(pOwner), m_n(n) {}
    TValue operator*() const { return (*m_pOwner)[m_n]; }
    CIndexIterator& operator++()
    {
        ++m_n;
        return *this;
    }
    bool operator==(const CIndexIterator& other) const { return m_n == other.m_n; }

private:
    const TOwner* m_pOwner;
    size_t m_n;
};

// The words of one call, as the run substituted them: a view into the
// calls' storage, valid while it is.
class CDryRunWords
{
public:
    using CIterator = CIndexIterator<CDryRunWords, std::string_view>;

    CDryRunWords(const std::string* pBytes, const uint32_t* pEnds, size_t nCount)
        : m_pBytes(pBytes), m_pEnds(pEnds), m_nCount(nCount)
    {
    }

    size_t size() const { return m_nCount; }
    bool empty() const { return m_nCount == 0; }
    std::string_view operator[](size_t n) const;
    CIterator begin() const { return {this, 0}; }
    CIterator end() const { return {this, m_nCount}; }
    std::vector<std::string> Strings() const;

private:
    const std::string* m_pBytes;
    const uint32_t* m_pEnds; // m_pEnds[-1] is where the first word begins
    size_t m_nCount;
};

struct CDryRunCall
{
    enum class EKind : unsigned char
    {
        Library, // a command of the library, recorded
        Unknown, // nobody defines it: recorded, returned empty
        Refused, // a command the sandbox does not run (exec, open, file, ...)
    };
    EKind kind;
    CDryRunWords words;
    CDryRunPlace place;
};

// The calls a run made, in order. A large model makes hundreds of thousands
// of them, so they are kept flat: every word's bytes in one buffer, and per
// call its first word, kind and place.
class CDryRunCalls
{
public:
    using CIterator = CIndexIterator<CDryRunCalls, CDryRunCall>;

    CDryRunCalls();

    size_t size() const { return m_calls.size(); }
    bool empty() const { return m_calls.empty(); }
    CDryRunCall operator[](size_t n) const;
    CIterator begin() const { return {this, 0}; }
    CIterator end() const { return {this, size()}; }

    // False, and nothing kept, once the words would pass what one buffer
    // holds (4 GB, or a billion words).
    bool Add(CDryRunCall::EKind kind, const std::vector<std::string>& words,
             const CDryRunPlace& place);
    // Gives back the room kept for growth, once the last call is in, when
    // more than a sixteenth of it went unused.
    void Shrink();

private:
    // Twelve bytes a call: the kind shares a word with the first word's index.
    static constexpr uint32_t kMostWords = (1U << 30) - 1;
    struct CEntry
    {
        uint32_t nFirstWord : 30;
        uint32_t nKind : 2;
        int32_t nFile;
        int32_t nLine;
    };
    static_assert(sizeof(CEntry) == 12);

    std::string m_bytes;
    // Where each word ends in m_bytes, behind a 0 for where the first begins.
    std::vector<uint32_t> m_wordEnds;
    std::vector<CEntry> m_calls;
};
