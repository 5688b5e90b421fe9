// The main window's part in the dry run: the Model pane, the dry run's rows
// of the Problems pane, and the values in the Variables list.
#include "DialogBar.h"
#include "EntryListModel.h"
#include "MainFrame.h"
#include "ModelPane.h"
#include "ModelView.h"
#include "ProblemsPane.h"
#include "analysis/RuleCatalogue.h"
#include "dryrun/DryRunResult.h"
#include "editor/CorvaleDoc.h"
#include "editor/DryRunMarks.h"
#include "editor/ScriptEdit.h"
#include "platform/CommandIds.h"
#include "platform/CommandRouter.h"
#include "platform/Latin1.h"
#include "view/CorvaleView.h"

#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <filesystem>
#include <set>

using namespace CommandId;

namespace
{
constexpr size_t kMaxDryRunRows = 1000;
}

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
    edit.DryRun().SetHelper(helper, m_pRightView->Configuration().help);
    connect(&edit.DryRun(), &CDryRunMarks::ResultChanged, this, &CMainFrame::ShowDryRun);
    connect(&m_pModelPane->View(), &CModelView::Picked, this, &CMainFrame::SelectCall);
    connect(&edit, &CTextControl::SelectionChanged, this, &CMainFrame::HighlightCaretCalls);
    m_pDialogBar->VariablesModel()->ToolTipOf = [this](const std::string& name) -> QString
    {
        const CDryRunMarks& dryRun = m_pRightView->EditPane().DryRun();
        if (!dryRun.Result())
            return {};
        return m_pRightView->EditPane().ToDisplay(dryRun.Result()->VariableTip(name));
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

void CMainFrame::ShowDryRun()
{
    CScriptEdit& edit = m_pRightView->EditPane();
    const std::shared_ptr<const CDryRunResult>& pResult = edit.DryRun().Result();
    if (!pResult)
        return;
    m_pModelPane->SetResult(pResult);
    m_pHighlightedResult = nullptr;
    HighlightCaretCalls();
    m_pDialogBar->VariablesModel()->RefreshToolTips();

    const CDryRunReport& report = pResult->Report();
    const QString scriptName = ToQString(m_doc.GetTitle());
    const auto fileName = [&](int nFile)
    {
        if (nFile <= 0 || static_cast<size_t>(nFile) >= report.files.size())
            return scriptName;
        return QFileInfo(QFile::decodeName(
                             QByteArray::fromStdString(report.files[static_cast<size_t>(nFile)])))
            .fileName();
    };
    const auto goTo = [this, &report](const CDryRunPlace& place) -> std::function<void()>
    {
        if (place.nLine <= 0 || place.nFile < 0)
            return {};
        const long nLine = place.nLine;
        if (place.nFile == 0)
            return [this, nLine] { SelectLine(nLine); };
        const std::string path = report.files[static_cast<size_t>(place.nFile)];
        return [this, path, nLine] { GoToRunLocation(path, nLine); };
    };
    std::vector<CProblemsPane::CDryRunProblem> rows;
    const auto add = [&](bool bError, const std::string& message, const CDryRunPlace& place)
    {
        rows.push_back({bError, edit.ToDisplay(message), fileName(place.nFile),
                        place.nFile >= 0 ? place.nLine : 0, goTo(place)});
    };
    if (!pResult->Failure().empty())
        add(false, "run: " + pResult->Failure(), {});
    if (report.bError)
        add(true, "run: " + report.errorMessage, report.errorPlace);
    if (!report.limit.empty() && report.limit != "exit")
        add(false, "run: the dry run stopped: " + report.limitMessage, report.limitPlace);
    // A command the sandbox does not run, once for each name.
    std::set<std::string> refused;
    for (const CDryRunCall& call : report.calls)
    {
        if (call.kind == CDryRunCall::EKind::Refused && refused.insert(call.words[0]).second)
            add(false,
                "run: \"" + call.words[0] + "\" does not run in a dry run; it returned empty",
                call.place);
    }
    // A script that repeats one mistake in a loop gets a pane it can still read.
    const auto& problems = pResult->Facts().Problems();
    for (size_t i = 0; i < problems.size() && i < kMaxDryRunRows; ++i)
        add(RuleCatalogue::SeverityOf(problems[i].rule) == ESeverity::Error, problems[i].message,
            problems[i].place);
    if (problems.size() > kMaxDryRunRows)
        add(false, "and " + std::to_string(problems.size() - kMaxDryRunRows) + " more like these",
            {});
    m_pProblemsPane->SetDryRunProblems(std::move(rows));
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
    const auto& pResult = m_pRightView->EditPane().DryRun().Result();
    if (!pResult || nCall >= pResult->Report().calls.size())
        return;
    const CDryRunPlace& place = pResult->Report().calls[nCall].place;
    if (place.nFile == 0)
        SelectLine(place.nLine);
    else if (place.nFile > 0)
        GoToRunLocation(pResult->Report().files[static_cast<size_t>(place.nFile)], place.nLine);
}

// The nodes and elements the caret's line defines are drawn highlighted.
void CMainFrame::HighlightCaretCalls()
{
    CScriptEdit& edit = m_pRightView->EditPane();
    const auto& pResult = edit.DryRun().Result();
    if (!pResult || m_pModelPane == nullptr)
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
    for (const size_t nCall : facts.CallsOn(0, nLine))
    {
        if (const long nNode = facts.NodeOfCall(nCall); nNode >= 0)
            nodes.push_back(nNode);
        if (const long nElement = facts.ElementOfCall(nCall); nElement >= 0)
            elements.push_back(nElement);
    }
    m_pModelPane->View().Highlight(std::move(nodes), std::move(elements));
}
