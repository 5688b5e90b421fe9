#include "ProjectAnalysers.h"

#include "Analyser.h"
#include "ProjectFile.h"
#include "helplib/CommandLibrary.h"
#include "text/MessageSink.h"

#include <system_error>

namespace fs = std::filesystem;

namespace
{
// What loading a project's help library says, kept for its project file.
class CCollectedMessages : public CMessageSink
{
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// Most project files held at once: a session that wanders through many
// projects keeps the latest.
constexpr size_t kMostProjects = 16;
} // namespace

struct CProjectAnalysers::CProject
{
    fs::file_time_type time;
    std::uintmax_t nSize = 0;
    std::unique_ptr<CProjectFile> pFile;
    CCollectedMessages messages; // outlives the library, as it must
    std::unique_ptr<CCommandLibrary> pLibrary;
    std::unique_ptr<CAnalyser> pAnalyser;
    std::string helpDir;
};

CProjectAnalysers::CProjectAnalysers(const CCommandLibrary& library, std::string helpDir,
                                     bool bHelpDirFixed)
    : m_library(library), m_helpDir(std::move(helpDir)), m_bHelpDirFixed(bHelpDirFixed)
{
}

CProjectAnalysers::~CProjectAnalysers() = default;

CProjectAnalysers::CChoice CProjectAnalysers::For(const std::string& scriptPath)
{
    const std::string path = CProjectFile::Locate(CAnalyser::RunPath(scriptPath));
    if (path.empty())
    {
        if (!m_pDefault)
            m_pDefault = std::make_unique<CAnalyser>(m_library);
        return {m_pDefault.get(), nullptr, m_helpDir};
    }
    std::error_code error;
    const fs::file_time_type time = fs::last_write_time(path, error);
    const std::uintmax_t nSize = fs::file_size(path, error);
    std::unique_ptr<CProject>& pProject = m_projects[path];
    if (pProject && pProject->time == time && pProject->nSize == nSize)
        return {pProject->pAnalyser.get(), pProject->pFile.get(), pProject->helpDir};
    if (!pProject && m_projects.size() > kMostProjects)
    {
        // The entry just made stays; another goes.
        for (auto it = m_projects.begin(); it != m_projects.end(); ++it)
        {
            if (it->first != path)
            {
                m_projects.erase(it);
                break;
            }
        }
    }
    pProject = std::make_unique<CProject>();
    pProject->time = time;
    pProject->nSize = nSize;
    pProject->pFile = std::make_unique<CProjectFile>(CProjectFile::Read(path));
    const CCommandLibrary* pLibrary = &m_library;
    pProject->helpDir = m_helpDir;
    const std::string& helpDir = pProject->pFile->HelpDirectory();
    if (!helpDir.empty() && !m_bHelpDirFixed)
    {
        pProject->pLibrary = std::make_unique<CCommandLibrary>();
        // The library takes its folder as a prefix of its files' names.
        const std::string prefix = helpDir.back() == '/' ? helpDir : helpDir + "/";
        if (pProject->pLibrary->Load(prefix, pProject->messages) != 0)
        {
            pLibrary = pProject->pLibrary.get();
            pProject->helpDir = prefix;
        }
        else
            pProject->pFile->AddProblem(1, "help: the help directory \"" + helpDir +
                                               "\" has no list.txt that can be read");
        for (const std::string& message : pProject->messages.messages)
            pProject->pFile->AddProblem(1, "help: " + message);
    }
    pProject->pAnalyser = std::make_unique<CAnalyser>(*pLibrary, pProject->pFile.get());
    return {pProject->pAnalyser.get(), pProject->pFile.get(), pProject->helpDir};
}
