#pragma once

#include <string>

// Where a helper program of the editor is: beside the running program, as
// installed or built; else where the PATH has it; empty when neither has it.
// The editor, corvale-check and corvale-lsp find their helpers this one way.
std::string HelperProgram(const std::string& name);
