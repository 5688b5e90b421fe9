#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>

class CLspDocument;
struct CAnalysis;

// The code actions of the findings in a range of a script: each of the
// engine's fixes ("Replace with node"), and for each finding a comment
// that silences its rule on its line. The analysis is of the document's
// text as it stands.
namespace LspCodeActions
{
nlohmann::json For(const std::string& uri, const CLspDocument& document, const CAnalysis& analysis,
                   size_t nFrom, size_t nTo);
}
