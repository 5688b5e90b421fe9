#pragma once

#include "platform/CharFormat.h"

#include <cstdint>

// The colours the editing pane gives each class of word, as the tests check them.
inline constexpr std::uint32_t kPurple = Rgb(160, 0, 135); // Tcl keyword
inline constexpr std::uint32_t kGreen = Rgb(0, 150, 0);    // library command
inline constexpr std::uint32_t kBlue = Rgb(0, 0, 255);     // library sub-command
inline constexpr std::uint32_t kGrey = Rgb(150, 150, 150); // comment
inline constexpr std::uint32_t kBlack = Rgb(0, 0, 0);      // plain text and sourced names
