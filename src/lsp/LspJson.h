#pragma once

#include <nlohmann/json.hpp>
#include <string>

class CLspDocument;

// The protocol's objects for places in a document.
namespace LspJson
{
// A range from line and character to line and character, all from 0.
nlohmann::json Range(long nLine, long nCharacter, long nEndLine, long nEndCharacter);
// The range of bytes [nFrom, nTo) of a document.
nlohmann::json RangeOf(const CLspDocument& document, size_t nFrom, size_t nTo);
// A place in a file: bytes [nStart, nEnd) of the open document, or the
// start of a line (from 1) of a file that is not open.
nlohmann::json Location(const std::string& uri, const CLspDocument* pDocument, long nStart,
                        long nEnd, long nLine);
} // namespace LspJson
