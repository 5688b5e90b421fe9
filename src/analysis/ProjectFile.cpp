#include "ProjectFile.h"

#include "RuleCatalogue.h"
#include "check/CommandKnowledge.h"
#include "check/CommandSet.h"
#include "text/RegularFile.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <toml++/toml.h>

namespace fs = std::filesystem;

namespace
{
long LineOf(const toml::node& node)
{
    return static_cast<long>(node.source().begin.line);
}

// A list of strings, or one string; false for anything else.
bool Strings(const toml::node& node, std::vector<std::string>& strings)
{
    strings.clear();
    if (const auto pText = node.as_string())
    {
        strings.push_back(pText->get());
        return true;
    }
    const toml::array* pArray = node.as_array();
    if (pArray == nullptr)
        return false;
    for (const toml::node& item : *pArray)
    {
        const auto pText = item.as_string();
        if (pText == nullptr)
            return false;
        strings.push_back(pText->get());
    }
    return true;
}

bool NamesARule(std::string_view pattern)
{
    return std::any_of(RuleCatalogue::kRules.begin(), RuleCatalogue::kRules.end(),
                       [&](const CRuleInfo& rule)
                       { return CRuleSelection::PatternMatches(pattern, rule.id); });
}
} // namespace

std::string CProjectFile::Locate(const std::string& scriptPath)
{
    std::error_code error;
    fs::path folder = fs::absolute(fs::path(scriptPath), error).lexically_normal().parent_path();
    if (error)
        return {};
    for (;;)
    {
        const fs::path candidate = folder / kName;
        if (fs::is_regular_file(candidate, error))
            return candidate.string();
        if (!folder.has_relative_path())
            return {};
        folder = folder.parent_path();
    }
}

void CProjectFile::Problem(long nLine, std::string message)
{
    CFinding finding;
    finding.rule = "project/invalid";
    finding.severity = RuleCatalogue::SeverityOf(finding.rule);
    finding.message = std::string(kName) + ": " + std::move(message);
    finding.file = m_path;
    finding.nLine = std::max(nLine, 1L);
    finding.nStart = -1;
    finding.nEnd = -1;
    m_problems.push_back(std::move(finding));
}

CProjectFile CProjectFile::Read(const std::string& path)
{
    std::string text;
    const CRegularFile::EResult read = CRegularFile::Read(path, kMaxBytes, text);
    if (read != CRegularFile::EResult::Read)
    {
        CProjectFile project;
        project.m_path = path;
        project.Problem(1, "it cannot be read: it " + CRegularFile::Why(read, kMaxBytes));
        return project;
    }
    return Parse(text, path);
}

CProjectFile CProjectFile::Parse(std::string_view text, const std::string& path)
{
    CProjectFile project;
    project.m_path = path;
    toml::table table;
    try
    {
        table = toml::parse(text, path);
    }
    catch (const toml::parse_error& error)
    {
        project.Problem(static_cast<long>(error.source().begin.line),
                        "not TOML: " + std::string(error.description()));
        return project;
    }
    const fs::path folder = fs::path(path).parent_path();
    std::vector<std::string> strings;
    for (const auto& [key, node] : table)
    {
        const long nLine = LineOf(node);
        const std::string_view name = key.str();
        if (name == "help")
        {
            const auto pText = node.as_string();
            if (pText == nullptr || pText->get().empty())
                project.Problem(nLine, "help is a folder's name, in quotes");
            else
                project.m_helpDirectory =
                    (folder / fs::path(pText->get())).lexically_normal().string();
        }
        else if (name == "command-sets")
        {
            if (!Strings(node, strings))
                project.Problem(nLine, "command-sets is a list of names, such as [\"tk\"]");
            for (const std::string& set : strings)
            {
                if (CCommandSet::Find(set) != nullptr)
                    project.m_commandSets.push_back(set);
                else
                    project.Problem(nLine, "there is no command set \"" + set + "\"; there is " +
                                               std::string(CCommandSet::Names()));
            }
        }
        else if (name == "ignore")
        {
            if (!Strings(node, strings))
                project.Problem(nLine, "ignore is a list of rules or groups, such as [\"style\"]");
            for (const std::string& pattern : strings)
            {
                std::string unknown;
                if (!project.m_ignored.Ignore(pattern, unknown))
                    project.Problem(nLine, "no rule is named \"" + unknown + "\"");
            }
        }
        else if (name == "severity")
        {
            const toml::table* pSeverities = node.as_table();
            if (pSeverities == nullptr)
            {
                project.Problem(nLine, "severity is a table: [severity], then \"rule\" = \"info\"");
                continue;
            }
            for (const auto& [rule, value] : *pSeverities)
            {
                const std::string pattern(rule.str());
                const auto pLevel = value.as_string();
                const std::string level = pLevel != nullptr ? pLevel->get() : std::string();
                if (!NamesARule(pattern))
                    project.Problem(LineOf(value), "no rule is named \"" + pattern + "\"");
                else if (level == "error" || level == "warning" || level == "info")
                    project.m_severities.emplace_back(pattern, level == "error" ? ESeverity::Error
                                                               : level == "warning"
                                                                   ? ESeverity::Warning
                                                                   : ESeverity::Info);
                else
                    project.Problem(LineOf(value), "the severity of \"" + pattern +
                                                       "\" is \"error\", \"warning\" or \"info\"");
            }
        }
        else if (name == "commands")
        {
            const toml::table* pCommands = node.as_table();
            if (pCommands == nullptr)
            {
                project.Problem(nLine,
                                "commands is a table: [commands], then name = [usage lines]");
                continue;
            }
            for (const auto& [command, usage] : *pCommands)
            {
                if (!Strings(usage, strings))
                    project.Problem(LineOf(usage), "the usage of \"" + std::string(command.str()) +
                                                       "\" is a list of lines in quotes, or []");
                else if (command.str().empty())
                    project.Problem(LineOf(usage), "a command has a name");
                else
                {
                    const std::string commandName(command.str());
                    for (const std::string& line : strings)
                    {
                        if (CCommandKnowledge::FormsInText(line, {commandName}).empty())
                            project.Problem(LineOf(usage),
                                            "the usage line \"" + line + "\" of \"" + commandName +
                                                "\" does not begin with its name or does not "
                                                "parse; it is not checked against");
                    }
                    project.m_commands.push_back({commandName, strings, LineOf(usage)});
                }
            }
        }
        else
            project.Problem(nLine, "\"" + std::string(name) +
                                       "\" means nothing here; a project file holds help, "
                                       "command-sets, ignore, [severity] and [commands]");
    }
    // TOML's tables are kept by key: the problems are told in the file's order.
    std::stable_sort(project.m_problems.begin(), project.m_problems.end(),
                     [](const CFinding& a, const CFinding& b) { return a.nLine < b.nLine; });
    // An id's severity is given after its group's, so that it wins.
    std::stable_sort(project.m_severities.begin(), project.m_severities.end(),
                     [](const auto& a, const auto& b)
                     {
                         const auto isId = [](const std::string& pattern)
                         {
                             return std::any_of(
                                 RuleCatalogue::kRules.begin(), RuleCatalogue::kRules.end(),
                                 [&](const CRuleInfo& rule) { return rule.id == pattern; });
                         };
                         return !isId(a.first) && isId(b.first);
                     });
    return project;
}

void CProjectFile::Apply(std::vector<CFinding>& findings) const
{
    findings.insert(findings.end(), m_problems.begin(), m_problems.end());
    m_ignored.Filter(findings);
    for (CFinding& finding : findings)
    {
        for (const auto& [pattern, severity] : m_severities)
        {
            if (CRuleSelection::PatternMatches(pattern, finding.rule))
                finding.severity = severity;
        }
    }
}
