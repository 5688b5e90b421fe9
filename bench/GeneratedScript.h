#pragma once

#include <string>

// A deterministic Vorsa script of exactly nChars characters with LF line ends:
// model, node, element and material lines, set and source lines, comments,
// procedures, commands of the generated library, and now and then a line of
// more than 5,000 characters.
std::string GeneratedScript(size_t nChars);
