#pragma once

#include <string>
#include <vector>

// What the analysis finds in a script, whichever rule found it: the static
// check, the dry run or the model rules. Every front end (the editor, the
// command line, a language server) shows this one shape and builds none.
enum class ESeverity
{
    Error,
    Warning,
    Info,
};

// Another place that explains a finding: "first defined at".
struct CRelatedPlace
{
    std::string message;
    std::string file; // empty: the script analysed
    long nLine = 0;   // from 1; 0 when unknown
};

// A replacement that mends a finding: the bytes [nStart, nEnd) of the script
// become text.
struct CFix
{
    std::string title; // "Replace with node"
    long nStart = 0;
    long nEnd = 0;
    std::string text;

    friend bool operator==(const CFix&, const CFix&) = default;
};

struct CFinding
{
    ESeverity severity = ESeverity::Error;
    // Bytes [nStart, nEnd) of the file; -1 when only the line is known.
    long nStart = 0;
    long nEnd = 0;
    std::string message;
    std::string rule; // "command/unknown"; see AnalysisRules
    std::string file; // empty: the script analysed; else a file it sourced
    long nLine = 0;   // from 1, as the engine counts it; 0 when unknown
    long nColumn = 0; // from 1, in characters
    long nEndLine = 0;
    long nEndColumn = 0;
    std::vector<CRelatedPlace> related;
    std::vector<CFix> fixes;

    bool InScript() const { return file.empty(); }

    friend bool operator==(const CFinding& a, const CFinding& b)
    {
        return a.severity == b.severity && a.nStart == b.nStart && a.nEnd == b.nEnd &&
               a.message == b.message && a.rule == b.rule && a.file == b.file &&
               a.nLine == b.nLine && a.fixes == b.fixes;
    }
};

inline const char* SeverityName(ESeverity severity)
{
    switch (severity)
    {
    case ESeverity::Error:
        return "error";
    case ESeverity::Warning:
        return "warning";
    default:
        return "info";
    }
}
