#pragma once

#include <string>
#include <string_view>

// Bytes read one character each (Latin-1), as UTF-8 and back: how a help
// file or a script that is not UTF-8 is shown as text, and how the dry
// run's answer carries any bytes through JSON.
namespace Latin1Text
{
// Each byte as the character of its value.
std::string ToUtf8(std::string_view bytes);
// Each character up to U+00FF as the byte of its value; anything else (a
// character beyond, bytes that are not UTF-8) as it stands.
std::string FromUtf8(std::string_view text);
} // namespace Latin1Text
