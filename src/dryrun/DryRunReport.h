#pragma once

#include "DryRunCalls.h"

#include <string>
#include <vector>

// What a dry run of a script found: the calls of the library's commands it
// made (words after substitution, with the file and line of the call), the
// commands it called that nobody defines and those the sandbox refused, what
// it printed, the global variables it left, and how it ended.
struct CDryRunVariable
{
    std::string name; // "name" or "name(key)"
    std::string value;
    bool bCut = false; // the value was longer than the run sends
};

// A runtime error of one top-level command: the run went on after it.
struct CDryRunError
{
    std::string message;
    CDryRunPlace place;
};

struct CDryRunReport
{
    static constexpr int kVersion = 1;

    int nVersion = 0;               // 0 until the answer's first line says which it is
    std::vector<std::string> files; // the script first, then the files it sourced
    CDryRunCalls calls;
    std::vector<CDryRunVariable> variables;
    std::string output; // what puts printed
    // The runtime errors of the script's commands, in the order met.
    std::vector<CDryRunError> errors;
    // A limit that ended the run ("time", "cpu", "memory", "calls", "output"), if any.
    std::string limit;
    std::string limitMessage;
    CDryRunPlace limitPlace;
    bool bLimitUnsure = false; // reached in a step on values the run cannot know
    bool bEnded = false;       // the answer came to its end line
    bool bCut = false;         // it held more calls or words than are read
    long nMs = 0;              // how long the run took, by its own clock
};
