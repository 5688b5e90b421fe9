#include "CommandLibrary.h"

#include <algorithm>

namespace
{
constexpr const char* kNotFound = "not found";
}

void CCommandLibrary::Clear()
{
    m_index.Clear();
    m_completion.Clear();
    m_keywords.clear();
    m_parents.clear();
    m_usable.clear();
    m_fileFirstRecord.clear();
    m_nHelpFiles = 0;
    m_helpFiles.clear();
    m_helpPaths.clear();
}

int CCommandLibrary::Load(const std::string& helpDirectory, CMessageSink& messages)
{
    if (helpDirectory == kNotFound)
    {
        messages.ShowMessage("Unable to load help-files, - check corvale.config\n Specify -> help "
                             "<path to help files>");
        return 0;
    }
    Clear();

    CTextFileReader listFile;
    if (!listFile.Open(helpDirectory + "list.txt"))
    {
        messages.ShowMessage("Error - File not found: lists.txt");
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
        m_helpFiles.push_back(std::make_unique<CHelpFile>(messages));
    for (int i = 0; i < m_nHelpFiles; ++i)
        m_helpFiles[Index(i)]->Load(m_helpPaths[Index(i)]);

    size_t nRecords = 0;
    for (const auto& pHelpFile : m_helpFiles)
        nRecords += static_cast<size_t>(pHelpFile->m_nRecords);
    m_keywords.reserve(nRecords);
    m_parents.reserve(nRecords);
    m_usable.reserve(nRecords);
    m_fileFirstRecord.reserve(m_helpFiles.size());
    for (const auto& pHelpFile : m_helpFiles)
    {
        m_fileFirstRecord.push_back(static_cast<int>(m_keywords.size()));
        for (int k = 0; k < pHelpFile->m_nRecords; ++k)
        {
            m_keywords.push_back(pHelpFile->m_keywords[Index(k)]);
            m_parents.push_back(pHelpFile->m_parents[Index(k)]);
            m_usable.push_back(pHelpFile->IsUsable(k));
        }
    }
    m_index.Build(m_keywords, m_parents, m_usable);
    return 1;
}

int CCommandLibrary::FileOf(int nRecord) const
{
    return static_cast<int>(
               std::upper_bound(m_fileFirstRecord.begin(), m_fileFirstRecord.end(), nRecord) -
               m_fileFirstRecord.begin()) -
           1;
}

bool CCommandLibrary::FetchText(int nRecord, std::string& text) const
{
    if (nRecord < 0 || nRecord >= RecordCount())
        return false;
    CHelpFile& file = *m_helpFiles[Index(FileOf(nRecord))];
    return file.FetchHelp(std::string(KeywordOf(nRecord)), std::string(ParentOf(nRecord)), text);
}

std::vector<int> CCommandLibrary::Complete(std::string_view parent, std::string_view prefix) const
{
    if (!m_completion.IsBuilt())
        m_completion.Build(m_keywords, m_parents, m_usable);
    return m_completion.Complete(parent, prefix);
}

void CCommandLibrary::ForEachRecordText(
    const std::function<void(int nRecord, std::string_view text)>& visit) const
{
    for (size_t f = 0; f < m_helpFiles.size(); ++f)
    {
        const int nFirst = m_fileFirstRecord[f];
        m_helpFiles[f]->ForEachRecordText([&](int nLocal, std::string_view text)
                                          { visit(nFirst + nLocal, text); });
    }
}
