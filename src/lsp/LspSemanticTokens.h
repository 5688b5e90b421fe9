#pragma once

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <vector>

class CCommandLibrary;

// The words of a script as Corvale's editing pane colours them, as the
// protocol's semantic tokens: Tcl's keywords, the library's commands and
// sub-commands, the flags after a library command, comments and sourced
// names; so that another editor colours a script as Corvale does.
namespace LspSemanticTokens
{
// The legend the server announces: the token types, in the order of their numbers.
nlohmann::json Legend();
// The tokens of the whole text, encoded as the protocol wants them (five
// numbers each, relative to the token before), positions in UTF-16 units.
std::vector<uint32_t> Of(const std::string& text, const CCommandLibrary& library);
} // namespace LspSemanticTokens
