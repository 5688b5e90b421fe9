#pragma once

#include <cstdint>
#include <string>

// A character format as the text control takes it: which attributes to set
// (dwMask) and their values. Heights are in twips (1/20 point), colours are
// 0x00BBGGRR. Bold is never applied.
struct CCharFormat
{
    std::uint32_t dwMask = 0;
    std::uint32_t dwEffects = 0;
    std::int32_t yHeight = 0;
    std::uint32_t crTextColor = 0;
    std::uint8_t bCharSet = 0;
    std::uint8_t bPitchAndFamily = 0;
    std::string szFaceName; // at most kMaxFaceName characters are used

    friend bool operator==(const CCharFormat&, const CCharFormat&) = default;
};

inline constexpr size_t kMaxFaceName = 31;

inline constexpr std::uint32_t CFM_ITALIC = 0x00000002;
inline constexpr std::uint32_t CFM_UNDERLINE = 0x00000004;
inline constexpr std::uint32_t CFM_STRIKEOUT = 0x00000008;
inline constexpr std::uint32_t CFM_CHARSET = 0x08000000;
inline constexpr std::uint32_t CFM_FACE = 0x20000000;
inline constexpr std::uint32_t CFM_COLOR = 0x40000000;
inline constexpr std::uint32_t CFM_SIZE = 0x80000000;
inline constexpr std::uint32_t CFM_EFFECTS = CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;

inline constexpr std::uint32_t CFE_ITALIC = 0x00000002;
inline constexpr std::uint32_t CFE_UNDERLINE = 0x00000004;
inline constexpr std::uint32_t CFE_STRIKEOUT = 0x00000008;

inline constexpr std::uint8_t FIXED_PITCH = 0x01;
inline constexpr std::uint8_t FF_ROMAN = 0x10;
inline constexpr std::uint8_t FF_SWISS = 0x20;
inline constexpr std::uint8_t FF_MODERN = 0x30;

constexpr std::uint32_t Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return std::uint32_t(r) | (std::uint32_t(g) << 8) | (std::uint32_t(b) << 16);
}
