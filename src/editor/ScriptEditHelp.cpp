// The command library of the editing pane: loading it, and looking commands up.
#include "ScriptEdit.h"
#include "config/Configuration.h"
#include "platform/TextFileReader.h"
#include "platform/UserInteraction.h"

int CScriptEdit::LoadHelpFiles(std::string helpDirectory)
{
    if (helpDirectory == CConfiguration::kNotFound)
    {
        UserInteraction().ShowMessage("Unable to load help-files, - check corvale.config\n Specify "
                                      "-> help <path to help files>");
        return 0;
    }

    // Loaded once per pane; a second load replaces the first rather than adding to it.
    m_nHelpFiles = 0;
    m_helpFiles.clear();
    m_helpPaths.clear();

    CTextFileReader listFile;
    if (!listFile.Open(helpDirectory + "list.txt"))
    {
        UserInteraction().ShowMessage("Error - File not found: lists.txt");
        return 0;
    }
    std::string name;
    while (listFile.ReadToken(name))
        m_helpPaths.push_back(helpDirectory + name);

    // Every cache is allocated before any file is loaded, so allocation
    // messages come first.
    m_nHelpFiles = static_cast<int>(m_helpPaths.size());
    m_helpFiles.reserve(m_helpPaths.size());
    for (int i = 0; i < m_nHelpFiles; ++i)
        m_helpFiles.push_back(std::make_unique<CHelpFile>());
    for (int i = 0; i < m_nHelpFiles; ++i)
        m_helpFiles[static_cast<size_t>(i)]->Load(m_helpPaths[static_cast<size_t>(i)]);
    return 1;
}

bool CScriptEdit::ShowCommandHelp(const std::string& keyword, const std::string& parent)
{
    for (const auto& pHelpFile : m_helpFiles)
    {
        if (pHelpFile->HasCommand(keyword, parent))
        {
            if (m_bHelpOn != 0 && m_pSummaryPane != nullptr)
                pHelpFile->ShowHelp(keyword, parent, *m_pSummaryPane);
            return true;
        }
    }
    return false;
}

bool CScriptEdit::LookUpQuietly(const std::string& keyword, const std::string& parent) const
{
    for (const auto& pHelpFile : m_helpFiles)
    {
        if (pHelpFile->HasCommand(keyword, parent))
            return true;
    }
    return false;
}

bool CScriptEdit::ShowTreeCommandHelp(const std::string& keyword, const std::string& parent)
{
    const int bWasOn = m_bHelpOn;
    m_bHelpOn = 1;
    const bool bFound = ShowCommandHelp(keyword, parent);
    m_bHelpOn = bWasOn;
    return bFound;
}
