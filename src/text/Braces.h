#pragma once

#include <string_view>

// Brace matching over plain bytes, as an editor shows it at the caret.
namespace Braces
{
// True for the four braces Tcl nests: { } [ ].
bool IsBrace(char ch);

// The position of the brace that pairs with the one at nPos, or -1 when it
// has none. Braces of one kind pair with each other only; a brace after an
// odd number of backslashes is quoted and neither pairs nor counts.
long PartnerOf(std::string_view text, long nPos);

// The brace next to the caret that an editor marks: the one before it, else
// the one after it; -1 when neither is an unquoted brace.
long BraceAtCaret(std::string_view text, long nCaret);
} // namespace Braces
