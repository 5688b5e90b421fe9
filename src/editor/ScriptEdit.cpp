#include "ScriptEdit.h"

#include "AnalysisMarks.h"
#include "BlockFolding.h"
#include "CorvaleDoc.h"
#include "EditorAssist.h"
#include "OccurrenceMarker.h"

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
    m_pAnalysis = new CAnalysisMarks(*this, m_library);
    m_pAssist = new CEditorAssist(*this, m_library);
}

// The analysis's worker reads the library: it ends before the library goes.
CScriptEdit::~CScriptEdit()
{
    // The assist hears the pane's events, which the control's own end still sends.
    delete m_pAssist;
    delete m_pAnalysis;
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
