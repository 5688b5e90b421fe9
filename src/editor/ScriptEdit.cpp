#include "ScriptEdit.h"

#include "BlockFolding.h"
#include "CorvaleDoc.h"
#include "DryRunMarks.h"
#include "OccurrenceMarker.h"
#include "ProblemMarks.h"

CScriptEdit::CScriptEdit(QWidget* pParent, int nControlId) : CTextControl(pParent, nControlId)
{
    // Dropped text is an edit like any other: it changes the script and is coloured.
    connect(this, &CTextControl::TextDropped, this,
            [this]
            {
                if (m_pDoc != nullptr)
                    m_pDoc->m_bChanged = true;
                FontifyCurrentLine();
            });
    // The analysis program reports errors by line; Tcl is built on braces.
    ShowLineNumbers(true);
    HighlightCaretLine(true);
    SetBraceMatching(true);
    m_pFolding = new CBlockFolding(*this);
    m_pOccurrences = new COccurrenceMarker(*this);
    m_pProblems = new CProblemMarks(*this, m_library);
    m_pDryRun = new CDryRunMarks(*this, m_library, *m_pProblems);
}

// The check's and the dry run's threads read the library: they end before the library goes.
CScriptEdit::~CScriptEdit()
{
    delete m_pDryRun;
    delete m_pProblems;
}

void CScriptEdit::AttachTo(CCorvaleDoc& doc, CTextControl& summaryPane, QWidget& view)
{
    m_pSummaryPane = &summaryPane;
    SetUpFormats();
    LimitText(2000000);
    m_pDoc = &doc;
    doc.m_pEdit = this;
    doc.m_pView = &view;
}
