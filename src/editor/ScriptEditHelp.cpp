// The command library of the editing pane: loading it, looking commands up,
// and showing a record's help in the summary pane.
#include "AnalysisMarks.h"
#include "ScriptEdit.h"
#include "platform/ScopedValue.h"
#include "platform/UserInteraction.h"
#include "text/LineBreakNormaliser.h"

int CScriptEdit::LoadHelpFiles(std::string helpDirectory)
{
    // Loaded once per pane; a second load replaces the first rather than
    // adding to it. The check reads what it knows of the library anew.
    m_pAnalysis->ForgetLibrary();
    return m_library.Load(helpDirectory, UserInteraction());
}

// The first file in list order that holds the record shows it; later files
// are not consulted.
bool CScriptEdit::ShowCommandHelp(std::string_view keyword, std::string_view parent)
{
    const int nRecord = m_library.Find(keyword, parent);
    if (nRecord < 0)
        return false;
    if (m_bHelpOn != 0)
        ShowRecordHelp(nRecord);
    return true;
}

bool CScriptEdit::ShowTreeCommandHelp(const std::string& keyword, const std::string& parent)
{
    const CScopedValue<int> helpOn(m_bHelpOn, 1);
    return ShowCommandHelp(keyword, parent);
}

// The record's text replaces the pane's, in its file's encoding. The help
// already shown stays as it is, scrolled where the user left it.
void CScriptEdit::ShowRecordHelp(int nRecord)
{
    std::string text;
    if (m_pSummaryPane == nullptr || !m_library.FetchText(nRecord, text))
        return;
    const bool bUtf8 = m_library.IsUtf8(nRecord);
    if (m_pSummaryPane->IsUtf8Text() == bUtf8 &&
        m_pSummaryPane->TextView() == NormaliseLineBreaks(text))
        return;
    m_pSummaryPane->SetUtf8Text(bUtf8);
    m_pSummaryPane->SetWindowText(text);
}
