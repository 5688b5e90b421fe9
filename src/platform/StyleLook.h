#pragma once

#include "CharFormat.h"

#include <compare>
#include <cstdint>
#include <string>

// What one Scintilla style shows. Strike-out is not part of it: Scintilla
// styles cannot strike through, so the text control keeps it as an indicator.
struct CStyleLook
{
    std::uint32_t crColor = 0;
    std::int32_t yHeight = 200;
    std::string face;
    std::uint8_t bPitchAndFamily = 0;
    bool bItalic = false;
    bool bUnderline = false;

    auto operator<=>(const CStyleLook&) const = default;
};

// The attributes of a format that a look carries.
inline constexpr std::uint32_t kLookMask =
    CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_ITALIC | CFM_UNDERLINE;

// The look after applying the masked attributes of a format.
CStyleLook MergeFormat(CStyleLook look, const CCharFormat& format);
