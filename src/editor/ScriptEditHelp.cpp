// The command library of the editing pane: loading it, and looking commands up.
#include "ScriptEdit.h"
#include "config/Configuration.h"
#include "platform/ScopedValue.h"
#include "text/TextFileReader.h"
#include "platform/UserInteraction.h"

#include <algorithm>

int CScriptEdit::LoadHelpFiles(std::string helpDirectory)
{
    if (helpDirectory == CConfiguration::kNotFound)
    {
        UserInteraction().ShowMessage("Unable to load help-files, - check corvale.config\n Specify "
                                      "-> help <path to help files>");
        return 0;
    }

    // Loaded once per pane; a second load replaces the first rather than adding to it.
    m_libraryIndex.Clear();
    m_completionIndex.Clear();
    m_fileFirstRecord.clear();
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

    size_t nRecords = 0;
    for (const auto& pHelpFile : m_helpFiles)
        nRecords += static_cast<size_t>(pHelpFile->m_nRecords);
    std::vector<std::string_view> keywords;
    std::vector<std::string_view> parents;
    std::vector<bool> usable;
    keywords.reserve(nRecords);
    parents.reserve(nRecords);
    usable.reserve(nRecords);
    m_fileFirstRecord.reserve(m_helpFiles.size());
    for (const auto& pHelpFile : m_helpFiles)
    {
        m_fileFirstRecord.push_back(static_cast<int>(keywords.size()));
        for (int k = 0; k < pHelpFile->m_nRecords; ++k)
        {
            keywords.push_back(pHelpFile->m_keywords[static_cast<size_t>(k)]);
            parents.push_back(pHelpFile->m_parents[static_cast<size_t>(k)]);
            usable.push_back(pHelpFile->IsUsable(k));
        }
    }
    m_libraryIndex.Build(std::move(keywords), std::move(parents), usable);
    return 1;
}

int CScriptEdit::FindHelpFile(std::string_view keyword, std::string_view parent) const
{
    const int nRecord = m_libraryIndex.Find(keyword, parent);
    if (nRecord < 0)
        return -1;
    return static_cast<int>(
               std::upper_bound(m_fileFirstRecord.begin(), m_fileFirstRecord.end(), nRecord) -
               m_fileFirstRecord.begin()) -
           1;
}

// The first file in list order that holds the record shows it; later files
// are not consulted.
bool CScriptEdit::ShowCommandHelp(std::string_view keyword, std::string_view parent)
{
    const int nFile = FindHelpFile(keyword, parent);
    if (nFile < 0)
        return false;
    if (m_bHelpOn != 0 && m_pSummaryPane != nullptr)
        m_helpFiles[static_cast<size_t>(nFile)]->ShowHelp(std::string(keyword), std::string(parent),
                                                          *m_pSummaryPane);
    return true;
}

bool CScriptEdit::ShowTreeCommandHelp(const std::string& keyword, const std::string& parent)
{
    const CScopedValue<int> helpOn(m_bHelpOn, 1);
    return ShowCommandHelp(keyword, parent);
}
