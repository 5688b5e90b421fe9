#pragma once

#include <string>
#include <vector>

// Splits a command line into arguments as Windows programs do (the rules of
// CommandLineToArgv): white space separates arguments; double quotes group;
// 2n backslashes before a quote give n backslashes and the quote's meaning,
// 2n+1 give n and a literal quote; other backslashes are literal. Nothing else
// means anything: no variables, no pipes, no command separators.
std::vector<std::string> SplitWindowsCommandLine(const std::string& commandLine);
