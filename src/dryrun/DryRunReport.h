#pragma once

#include <string>
#include <vector>

// What a dry run of a script found: the calls of the library's commands it
// made (words after substitution, with the file and line of the call), the
// commands it called that nobody defines and those the sandbox refused, what
// it printed, the global variables it left, and how it ended.
struct CDryRunPlace
{
    int nFile = -1; // into CDryRunReport::files; -1 when unknown
    long nLine = 0; // from 1; 0 when unknown
};

struct CDryRunCall
{
    enum class EKind
    {
        Library, // a command of the library, recorded
        Unknown, // nobody defines it: recorded, returned empty
        Refused, // a command the sandbox does not run (exec, open, file, ...)
    } kind = EKind::Library;
    std::vector<std::string> words;
    CDryRunPlace place;
};

struct CDryRunVariable
{
    std::string name; // "name" or "name(key)"
    std::string value;
    bool bCut = false; // the value was longer than the run sends
};

struct CDryRunReport
{
    static constexpr int kVersion = 1;

    int nVersion = 0;               // 0 until the answer's first line says which it is
    std::vector<std::string> files; // the script first, then the files it sourced
    std::vector<CDryRunCall> calls;
    std::vector<CDryRunVariable> variables;
    std::string output; // what puts printed
    // A runtime error that ended the run, if any.
    bool bError = false;
    std::string errorMessage;
    CDryRunPlace errorPlace;
    // A limit that ended the run ("time", "cpu", "memory", "calls", "output"), if any.
    std::string limit;
    std::string limitMessage;
    CDryRunPlace limitPlace;
    bool bEnded = false; // the answer came to its end line
    bool bCut = false;   // it held more calls or words than are read
    long nMs = 0;        // how long the run took, by its own clock
};
