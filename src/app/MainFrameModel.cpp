// The main window's part in the dry run: the Model pane, the dry run's rows
// of the Problems pane, and the values in the Variables list.
#include "DialogBar.h"
#include "EntryListModel.h"
#include "MainFrame.h"
#include "dryrun/DryRunResult.h"
#include "editor/AnalysisMarks.h"
#include "editor/CorvaleDoc.h"
#include "editor/ScriptEdit.h"
#include "panes/ModelPane.h"
#include "panes/ModelView.h"
#include "panes/ProblemsPane.h"
#include "platform/CommandIds.h"
#include "platform/CommandRouter.h"
#include "platform/Latin1.h"
#include "run/HelperProgram.h"
#include "view/CorvaleView.h"

#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <filesystem>
#include <set>

using namespace CommandId;

void CMainFrame::CreateModelPane()
{
    m_pModelPane = new CModelPane(this);
    addDockWidget(Qt::RightDockWidgetArea, m_pModelPane);
    m_pModelPane->hide();
    CScriptEdit& edit = m_pRightView->EditPane();
    // Without the helper, no dry run.
    const std::string helper = HelperProgram("corvale-dryrun");
    if (helper.empty())
        m_pModelPane->Summary()->setText(
            QStringLiteral("corvale-dryrun was not found beside the editor or on the PATH: "
                           "there is no dry run"));
    edit.Analysis().SetHelper(helper, m_pRightView->Configuration().help);
    connect(&edit.Analysis(), &CAnalysisMarks::DryRunChanged, this, &CMainFrame::ShowDryRun);
    connect(&m_pModelPane->View(), &CModelView::Picked, this, &CMainFrame::SelectCall);
    // A hidden Model pane is brought up to date when it is shown.
    connect(m_pModelPane, &QDockWidget::visibilityChanged, this,
            [this](bool bVisible)
            {
                // A hidden pane lets its model go: a large one is megabytes.
                if (!bVisible)
                {
                    m_pModelPane->SetResult(nullptr);
                    m_pModelShownResult = nullptr;
                    return;
                }
                // A picture of a structure needs room: a third of the window at least.
                if (!m_pModelPane->isFloating() && m_pModelPane->width() < width() / 3)
                    resizeDocks({m_pModelPane}, {width() / 3}, Qt::Horizontal);
                const auto& pResult = m_pRightView->EditPane().Analysis().DryRunResult();
                if (pResult && pResult.get() != m_pModelShownResult)
                    ShowDryRun();
            });
    connect(&edit, &CTextControl::SelectionChanged, this, &CMainFrame::HighlightCaretCalls);
    m_pDialogBar->VariablesModel()->ToolTipOf = [this](const std::string& name) -> QString
    {
        const auto& pResult = m_pRightView->EditPane().Analysis().DryRunResult();
        if (!pResult)
            return {};
        return m_pRightView->EditPane().ToDisplay(pResult->VariableTip(name));
    };
}

void CMainFrame::CreateModelCommands()
{
    m_frameCommands.OnCommand(
        ID_VIEW_MODEL,
        [this]
        {
            m_pModelPane->setVisible(!m_pModelPane->isVisible());
            if (m_pModelPane->isVisible())
                m_pModelPane->raise();
        },
        [this](CCmdUI& ui) { ui.checked = m_pModelPane->isVisible(); });
}

// A new dry run: the model, and the values of the Variables list. Its
// findings are the analysis's, shown with the rest.
void CMainFrame::ShowDryRun()
{
    const std::shared_ptr<const CDryRunResult>& pResult =
        m_pRightView->EditPane().Analysis().DryRunResult();
    if (!pResult)
        return;
    m_pDialogBar->VariablesModel()->RefreshToolTips();
    // The model is drawn only where it is seen.
    if (!m_pModelPane->isVisible())
        return;
    m_pModelPane->SetResult(pResult);
    m_pModelShownResult = pResult.get();
    m_pHighlightedResult = nullptr;
    HighlightCaretCalls();
}

void CMainFrame::SelectLine(long nLine)
{
    CScriptEdit& edit = m_pRightView->EditPane();
    if (nLine < 1 || nLine > edit.GetLineCount())
        return;
    const long nStart = edit.LineIndex(nLine - 1);
    edit.setFocus();
    edit.SetSel(nStart, nStart + edit.LineLength(nStart));
    edit.ScrollCaret();
}

void CMainFrame::SelectCall(size_t nCall)
{
    // The call is one of the model drawn, which may be older than the text.
    const auto& pResult = m_pModelPane->View().Result();
    if (!pResult || nCall >= pResult->Report().calls.size())
        return;
    const CDryRunPlace place = pResult->Report().calls[nCall].place;
    if (place.nFile == 0)
        SelectLine(place.nLine);
    else if (place.nFile > 0)
        GoToRunLocation(pResult->Report().files[static_cast<size_t>(place.nFile)], place.nLine);
}

// The nodes and elements the caret's line defines are drawn highlighted.
void CMainFrame::HighlightCaretCalls()
{
    CScriptEdit& edit = m_pRightView->EditPane();
    const auto& pResult = edit.Analysis().DryRunResult();
    if (!pResult || m_pModelPane == nullptr || !m_pModelPane->isVisible())
        return;
    long nStart = 0;
    long nEnd = 0;
    edit.GetSel(nStart, nEnd);
    const long nLine = edit.LineFromChar(nStart) + 1;
    // Scintilla reports an update after many a repaint: only a new line or
    // a new result is worth looking up.
    if (pResult.get() == m_pHighlightedResult && nLine == m_nHighlightedLine)
        return;
    m_pHighlightedResult = pResult.get();
    m_nHighlightedLine = nLine;
    std::vector<long> nodes;
    std::vector<long> elements;
    const CModelFacts& facts = pResult->Facts();
    for (const size_t nCall : facts.CallsOn(pResult->Report().calls, 0, nLine))
    {
        if (const long nNode = facts.NodeOfCall(nCall); nNode >= 0)
            nodes.push_back(nNode);
        if (const long nElement = facts.ElementOfCall(nCall); nElement >= 0)
            elements.push_back(nElement);
    }
    m_pModelPane->View().Highlight(std::move(nodes), std::move(elements));
}
