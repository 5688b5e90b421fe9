#pragma once

#include <cstdint>

// The formats the editing pane colours words with.
enum class EWordColour : std::uint8_t
{
    Plain,
    Keyword,
    Command,
    SubCommand,
    Comment,
    SourcedName,
};

inline constexpr int kWordColourCount = 6;
