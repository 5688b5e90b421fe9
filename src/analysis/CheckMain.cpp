// corvale-check: the analysis from the command line. Each script gets the
// static rules and the dry run; the findings are printed in the form
// compilers use, as JSON or as SARIF, and the worst of them is the exit
// status.
#include "Analyser.h"
#include "FindingReport.h"
#include "ProjectAnalysers.h"
#include "ProjectFile.h"
#include "RuleCatalogue.h"
#include "RuleSelection.h"
#include "config/Configuration.h"
#include "helplib/CommandLibrary.h"
#include "run/HelperProgram.h"
#include "text/RegularFile.h"
#include "text/Utf8Detector.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace
{
constexpr int kClean = 0;
constexpr int kWarnings = 1;
constexpr int kErrors = 2;
constexpr int kUnusable = 3;
constexpr size_t kMaxScriptBytes = 64u << 20;

class CStandardError : public CMessageSink
{
public:
    void ShowMessage(const std::string& text) override
    {
        std::fprintf(stderr, "corvale-check: %s\n", text.c_str());
    }
};

void Usage()
{
    std::fprintf(stderr, "usage: corvale-check [--help-dir DIR] [--format gcc|json|sarif]\n"
                         "                     [--no-dry-run] [--rule IDS] [--ignore IDS]\n"
                         "                     [--list-rules] script.tcl...\n");
}

void ListRules()
{
    for (const CRuleInfo& rule : RuleCatalogue::kRules)
        std::printf("%-28s %-8s %s\n", std::string(rule.id).c_str(), SeverityName(rule.severity),
                    std::string(rule.catches).c_str());
}

void Write(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}
} // namespace

int main(int argc, char** argv)
{
    std::string helpDir;
    std::string format = "gcc";
    bool bDryRun = true;
    CRuleSelection selection;
    std::vector<std::string> scripts;
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        std::string unknown;
        if (argument == "--help-dir" && i + 1 < argc)
            helpDir = argv[++i];
        else if (argument == "--format" && i + 1 < argc)
            format = argv[++i];
        else if (argument == "--no-dry-run")
            bDryRun = false;
        else if ((argument == "--rule" || argument == "--ignore") && i + 1 < argc)
        {
            const std::string patterns = argv[++i];
            const bool bKnown = argument == "--rule" ? selection.Select(patterns, unknown)
                                                     : selection.Ignore(patterns, unknown);
            if (!bKnown)
            {
                std::fprintf(stderr,
                             "corvale-check: no rule is named \"%s\"; --list-rules names them\n",
                             unknown.c_str());
                return kUnusable;
            }
        }
        else if (argument == "--list-rules")
        {
            ListRules();
            return kClean;
        }
        else if (argument == "--help" || argument == "-h")
        {
            Usage();
            return kClean;
        }
        else if (!argument.empty() && argument[0] == '-' && argument != "-")
        {
            Usage();
            return kUnusable;
        }
        else
            scripts.push_back(argument);
    }
    if (scripts.empty() || (format != "gcc" && format != "json" && format != "sarif"))
    {
        Usage();
        return kUnusable;
    }
    CStandardError messages;
    SetDefaultMessageSink(&messages);
    const bool bHelpDirGiven = !helpDir.empty();
    helpDir = CConfiguration::HelpDirectory(helpDir, messages);
    CCommandLibrary library;
    library.Load(helpDir, messages);
    std::string helper;
    if (bDryRun)
    {
        helper = HelperProgram("corvale-dryrun");
        if (helper.empty())
            std::fprintf(stderr, "corvale-check: corvale-dryrun was not found beside "
                                 "corvale-check or on the PATH: there is no dry run\n");
    }
    CProjectAnalysers analysers(library, helpDir, bHelpDirGiven);
    std::set<std::string> projectsReported;

    int nStatus = kClean;
    std::vector<FindingReport::CScriptFindings> reports;
    for (const std::string& script : scripts)
    {
        // A script named here may be as large as a dry run takes; a FIFO or
        // a device is refused, never waited on.
        std::string text;
        const CRegularFile::EResult read = CRegularFile::Read(script, kMaxScriptBytes, text);
        if (read != CRegularFile::EResult::Read)
        {
            std::fprintf(stderr, "corvale-check: cannot read %s: it %s\n", script.c_str(),
                         CRegularFile::Why(read, kMaxScriptBytes).c_str());
            nStatus = kUnusable;
            continue;
        }
        FindingReport::CScriptFindings report;
        report.path = script;
        report.bUtf8 = CUtf8Detector::IsUtf8(text);
        const CProjectAnalysers::CChoice choice = analysers.For(script);
        report.findings = choice.pAnalyser->Analyse(text, script, helper, choice.helpDir);
        if (choice.pProject != nullptr)
        {
            choice.pProject->Apply(report.findings);
            // The project file's own problems are told once, not once a script.
            if (!projectsReported.insert(choice.pProject->Path()).second)
                std::erase_if(report.findings, [&](const CFinding& finding)
                              { return finding.file == choice.pProject->Path(); });
        }
        selection.Filter(report.findings);
        for (const CFinding& finding : report.findings)
        {
            if (nStatus == kUnusable)
                break;
            if (finding.severity == ESeverity::Error)
                nStatus = kErrors;
            else if (finding.severity == ESeverity::Warning)
                nStatus = std::max(nStatus, kWarnings);
        }
        reports.push_back(std::move(report));
    }
    if (format == "gcc")
        Write(FindingReport::Gcc(reports));
    else if (format == "json")
        Write(FindingReport::Json(reports));
    else
        Write(FindingReport::Sarif(reports, CORVALE_VERSION));
    return nStatus;
}
