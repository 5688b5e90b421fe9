#include "Analyser.h"

#include "DryRunSource.h"
#include "FindingMerge.h"
#include "ProjectFile.h"
#include "RunFindings.h"
#include "TextPlaces.h"
#include "check/CommandKnowledge.h"
#include "check/CommandSet.h"
#include "check/ScriptChecker.h"
#include "dryrun/DryRunResult.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

CAnalyser::CAnalyser(const CCommandLibrary& library, const CProjectFile* pProject)
    : m_pKnowledge(std::make_shared<CCommandKnowledge>())
{
    m_pKnowledge->Build(library);
    if (pProject != nullptr)
    {
        for (const std::string& name : pProject->CommandSets())
        {
            if (const CCommandSet* pSet = CCommandSet::Find(name))
            {
                for (const std::string_view command : pSet->commands)
                    m_pKnowledge->AddCommand(std::string(command), {});
                for (const std::string_view prefix : pSet->prefixes)
                    m_pKnowledge->AddPrefix(prefix);
            }
        }
        // A usage line that does not parse is the project file's finding already.
        for (const CProjectFile::CCommand& command : pProject->Commands())
            m_pKnowledge->AddCommand(command.name, command.usage);
    }
    m_pChecker = std::make_unique<CScriptChecker>(*m_pKnowledge);
}

CAnalyser::~CAnalyser() = default;

std::string CAnalyser::RunPath(const std::string& path)
{
    if (!path.empty())
        return path;
    std::error_code error;
    return (fs::current_path(error) / "Untitled.tcl").string();
}

std::vector<CFinding> CAnalyser::Check(const std::string& text, const std::string& path,
                                       const KeepGoing& keepGoing, CScriptOutline* pOutline)
{
    const std::string folder = fs::path(RunPath(path)).parent_path().string();
    return m_pChecker->Check(text, folder, &CScriptChecker::ReadFile, keepGoing, pOutline);
}

std::shared_ptr<CDryRunResult> CAnalyser::DryRun(std::shared_ptr<const std::string> pText,
                                                 const std::string& path, const std::string& helper,
                                                 const std::string& helpDir,
                                                 const KeepGoing& keepGoing)
{
    CDryRunSource::CRequest request;
    request.pText = std::move(pText);
    request.scriptPath = RunPath(path);
    request.helper = helper;
    request.helpDir = helpDir;
    return CDryRunSource::Run(request, *m_pKnowledge, keepGoing);
}

std::vector<CFinding> CAnalyser::Analyse(const std::string& text, const std::string& path,
                                         const std::string& helper, const std::string& helpDir)
{
    std::vector<CFinding> check = Check(text, path);
    std::vector<CFinding> run;
    if (!helper.empty())
    {
        if (const auto pResult =
                DryRun(std::make_shared<const std::string>(text), path, helper, helpDir))
            run = RunFindings::From(*pResult);
    }
    return FindingMerge::Merge(std::move(check), std::move(run), CTextPlaces(text));
}
