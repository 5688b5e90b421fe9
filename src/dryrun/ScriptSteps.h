#pragma once

#include <string>
#include <string_view>

// A script made to run one top-level command at a time: each command of the
// file becomes "::corvale::step {command}", on the same lines, so that the
// step can record an error and go on with the next command, while Tcl still
// counts every line from the file. A command that braces cannot carry as it
// stands (a quoted word with a brace of its own) stays as it is, and so does
// everything from a command Tcl cannot parse on.
class CScriptSteps
{
public:
    static constexpr std::string_view kStepCommand = "::corvale::step";

    static std::string Wrap(std::string_view text);
};
