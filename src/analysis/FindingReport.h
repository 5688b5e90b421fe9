#pragma once

#include "Finding.h"

#include <string>
#include <vector>

// The findings of scripts as the command line writes them:
// - gcc: "file:line:col: severity: message [rule]", one line each, and a
//   "note" line for each related place;
// - json: an array of objects;
// - sarif: SARIF 2.1.0, as code-scanning services read it.
// Texts of a script that is not UTF-8 are read as Latin-1.
namespace FindingReport
{
struct CScriptFindings
{
    std::string path; // as the user named it
    bool bUtf8 = true;
    std::vector<CFinding> findings;
};

std::string Gcc(const std::vector<CScriptFindings>& scripts);
std::string Json(const std::vector<CScriptFindings>& scripts);
std::string Sarif(const std::vector<CScriptFindings>& scripts, const std::string& toolVersion);

// A path as a URI reference: relative stays relative, and every byte but
// the unreserved ones and "/" is percent-encoded.
std::string UriOf(const std::string& path);
} // namespace FindingReport
