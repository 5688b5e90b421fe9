#pragma once

#include "Finding.h"
#include "RuleSelection.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What a project tells the analysis of the scripts in its folder and below,
// in a TOML file named corvale.toml there:
//   help = "help"                        a help directory, from the file's folder
//   command-sets = ["tk"]                sets of commands the scripts may call
//   ignore = ["trap", "expr/unbraced"]   rules or groups never reported
//   [severity]                           a rule's or group's severity
//   "variable/global" = "info"
//   [commands]                           commands the scripts may call,
//   logMessage = []                      with usage lines in the library's
//   "util::clamp" = ["util::clamp <value> <low> <high>"]   notation, or none
// What it cannot take (a TOML mistake, a key or rule that means nothing) is a
// finding in the file, and the rest still holds.
class CProjectFile
{
public:
    static constexpr std::string_view kName = "corvale.toml";
    // Larger project files are not read.
    static constexpr size_t kMaxBytes = 1 << 20;

    // The project file that holds for a script at scriptPath: in its folder
    // or the nearest folder above with one; empty for none.
    static std::string Locate(const std::string& scriptPath);

    // Reads the file at path; what it cannot take goes to Problems().
    static CProjectFile Read(const std::string& path);
    // Reads the text as the file at path.
    static CProjectFile Parse(std::string_view text, const std::string& path);

    const std::string& Path() const { return m_path; }
    // The help directory it names, made absolute; empty for none.
    const std::string& HelpDirectory() const { return m_helpDirectory; }
    const std::vector<std::string>& CommandSets() const { return m_commandSets; }
    struct CCommand
    {
        std::string name;
        std::vector<std::string> usage;
        long nLine = 0; // where the file names it
    };
    const std::vector<CCommand>& Commands() const { return m_commands; }
    const std::vector<CFinding>& Problems() const { return m_problems; }
    // A problem found later, in a line of the file: a usage line that does not parse.
    void AddProblem(long nLine, std::string message) { Problem(nLine, std::move(message)); }

    // Drops the findings of ignored rules, gives the others their severity,
    // and adds the file's own problems.
    void Apply(std::vector<CFinding>& findings) const;

private:
    void Problem(long nLine, std::string message);

    std::string m_path;
    std::string m_helpDirectory;
    std::vector<std::string> m_commandSets;
    std::vector<CCommand> m_commands;
    CRuleSelection m_ignored;
    // Patterns and their severity, groups before ids, so that an id's wins.
    std::vector<std::pair<std::string, ESeverity>> m_severities;
    std::vector<CFinding> m_problems;
};
