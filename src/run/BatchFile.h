#pragma once

#include <string>

// The batch file that runs a script through Vorsa, exactly as the run command
// writes it: seven lines, each ended by CR LF on every platform.
// Paths of any length are written in full.
std::string ComposeBatchFile(const std::string& exePath, const std::string& scriptPath,
                             const std::string& binDirectory);
