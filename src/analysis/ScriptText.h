#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What an editor's requests read of a script's text around a place,
// without a parse of the whole: they come on every key, and a script may be
// megabytes long.
namespace ScriptText
{
// A byte of a command's or a variable's name.
bool IsNameByte(char c);

// The run of name bytes around a byte, as [from, to).
std::pair<size_t, size_t> NameAround(std::string_view text, size_t nAt);

// The words of the command being typed up to a byte, on its line: a command
// starts at the line's start, after a ; or [, or inside an opening brace.
// open gets the word the byte ends, empty after a blank.
std::vector<std::string> WordsTyped(std::string_view text, size_t nTo, std::string& open);

// The part of the text around a byte that the command holding it lies in,
// as Tcl would read it in well laid out code: from the nearest line before
// that starts a command at the first column, to the next such line. A walk
// of that part finds the same innermost command as a walk of the whole.
std::pair<size_t, size_t> CommandWindow(std::string_view text, size_t nOffset);

// Where a name stands as a whole name in the text, [from, to) each, with
// "::" before it allowed; bVariable: only as $name or ${name}.
std::vector<std::pair<size_t, size_t>> Occurrences(std::string_view text, std::string_view name,
                                                   bool bVariable);
} // namespace ScriptText
