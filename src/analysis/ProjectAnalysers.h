#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

class CAnalyser;
class CCommandLibrary;
class CProjectFile;

// The analysers of scripts by the project each belongs to: a project file
// (corvale.toml in a script's folder or above) gets an analyser of its own,
// knowing its commands and command sets, over its own help library when it
// names one; scripts without one share the default. A project file that
// changed is read again. Belongs to the thread that made it, as its
// analysers do.
class CProjectAnalysers
{
public:
    // helpDir: the library's folder; bHelpDirFixed: it was given on the
    // command line, and holds over any project's.
    CProjectAnalysers(const CCommandLibrary& library, std::string helpDir,
                      bool bHelpDirFixed = false);
    ~CProjectAnalysers();
    CProjectAnalysers(const CProjectAnalysers&) = delete;
    CProjectAnalysers& operator=(const CProjectAnalysers&) = delete;

    struct CChoice
    {
        CAnalyser* pAnalyser = nullptr;
        const CProjectFile* pProject = nullptr; // nullptr for none
        std::string helpDir;                    // the dry run's
    };
    // The analyser for the script at scriptPath (empty: a new script, in the
    // working directory).
    CChoice For(const std::string& scriptPath);

private:
    struct CProject;

    const CCommandLibrary& m_library;
    std::string m_helpDir;
    bool m_bHelpDirFixed;
    std::unique_ptr<CAnalyser> m_pDefault;
    std::map<std::string, std::unique_ptr<CProject>> m_projects;
};
