#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// A command is named by its keyword and its parent, compared byte for byte.
struct CCommandKey
{
    std::string_view keyword;
    std::string_view parent;

    friend bool operator==(const CCommandKey&, const CCommandKey&) = default;
};

// FNV-1a over both parts, with a separator byte so that ("ab", "c") and
// ("a", "bc") differ. Short keys make a simple byte hash the fastest here.
struct CCommandKeyHash
{
    size_t operator()(const CCommandKey& key) const noexcept
    {
        std::uint64_t nHash = 14695981039346656037ull;
        auto mix = [&nHash](std::string_view text)
        {
            for (const char c : text)
            {
                nHash ^= static_cast<unsigned char>(c);
                nHash *= 1099511628211ull;
            }
        };
        mix(key.keyword);
        nHash ^= 0xFFu;
        nHash *= 1099511628211ull;
        mix(key.parent);
        return static_cast<size_t>(nHash);
    }
};
