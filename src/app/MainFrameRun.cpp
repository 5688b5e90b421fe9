// The main window's part in a run whose output the Output pane shows.
#include "MainFrame.h"
#include "editor/AnalysisMarks.h"
#include "editor/CorvaleDoc.h"
#include "panes/OutputPane.h"
#include "panes/OutputText.h"
#include "panes/ProblemsPane.h"
#include "panes/RunSession.h"
#include "platform/CommandIds.h"
#include "platform/CommandRouter.h"
#include "platform/Latin1.h"
#include "platform/UserInteraction.h"
#include "view/CorvaleView.h"

#include <QFileInfo>
#include <QStatusBar>
#include <filesystem>

using namespace CommandId;

namespace
{
bool SameFile(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    std::error_code error;
    const auto canonicalA = std::filesystem::weakly_canonical(a, error);
    const auto canonicalB = std::filesystem::weakly_canonical(b, error);
    return canonicalA == canonicalB;
}

QString FileNameOf(const std::string& path)
{
    return QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).fileName();
}
} // namespace

void CMainFrame::CreateRunPane()
{
    m_pOutputPane = new COutputPane(this);
    addDockWidget(Qt::BottomDockWidgetArea, m_pOutputPane);
    tabifyDockWidget(m_pProblemsPane, m_pOutputPane);
    m_pRunSession = new CRunSession(*m_pOutputPane, this);
    connect(m_pOutputPane, &COutputPane::StopClicked, m_pRunSession, &CRunSession::Stop);
    m_pRunSession->FollowLocation = [this](const CTraceMapper::CLocation& location)
    { return GoToRunLocation(location.path, location.nLine); };
    connect(m_pRunSession, &CRunSession::FirstErrorFound, this, &CMainFrame::ShowRunError);
    // Stop is enabled the moment a run starts, not at the next idle moment.
    connect(m_pRunSession, &CRunSession::StateChanged, &m_router,
            &CCommandRouter::UpdateCommandStates);
    // A script opened anew shows the mark again when the error lies in it.
    connect(&m_doc, &CCorvaleDoc::TitleChanged, this, &CMainFrame::ShowRunError);
    connect(&m_pOutputPane->Text(), &COutputText::SaveRequested, this,
            [this]
            {
                const std::string script = m_doc.GetPathName();
                // Beside the script, named after it.
                const std::string proposed =
                    script.empty()
                        ? std::string("output.out")
                        : std::filesystem::path(script).replace_extension(".out").string();
                std::string path;
                if (!UserInteraction().AskSaveFileName(
                        "Output Files (*.out *.txt);;All Files (*.*)", "out", proposed, path))
                    return;
                std::string error;
                if (!m_pRunSession->SaveOutput(path, error))
                    UserInteraction().ShowMessage("The output could not be saved: " + error);
                else if (m_pRunSession->KeepsWholeOutput())
                    statusBar()->showMessage(
                        QStringLiteral("Saved the output as %1").arg(FileNameOf(path)),
                        kStatusMessageMs);
                else
                    UserInteraction().ShowMessage(
                        "The whole output could not be kept (the disk may be full): saved what "
                        "the Output pane shows.");
            });
}

void CMainFrame::CreateRunCommands()
{
    m_frameCommands.OnCommand(ID_RUN_IN_OUTPUT_PANE, [this] { OnRunInOutputPane(); });
    m_frameCommands.OnCommand(
        ID_STOP_RUN, [this] { m_pRunSession->Stop(); },
        [this](CCmdUI& ui) { ui.bEnabled = m_pRunSession->IsRunning(); });
    m_frameCommands.OnCommand(ID_NEXT_RUN_LOCATION, [this] { m_pRunSession->StepLocation(false); });
    m_frameCommands.OnCommand(ID_PREVIOUS_RUN_LOCATION,
                              [this] { m_pRunSession->StepLocation(true); });
    m_frameCommands.OnCommand(
        ID_VIEW_OUTPUT, [this] { m_pOutputPane->setVisible(!m_pOutputPane->isVisible()); },
        [this](CCmdUI& ui) { ui.checked = m_pOutputPane->isVisible(); });
}

bool CMainFrame::IsRunGoing() const
{
    return m_pRunSession->IsRunning();
}

bool CMainFrame::AskStopRun(const char* pQuestion) const
{
    return UserInteraction().AskYesNo(pQuestion);
}

bool CMainFrame::StopRunAndWait()
{
    if (!m_pRunSession->IsRunning())
        return true;
    m_pRunSession->Stop();
    return m_pRunSession->WaitForFinished(CSubprocessChannel::kKillAfterMs + 2000);
}

void CMainFrame::OnRunInOutputPane()
{
    if (IsRunGoing())
    {
        if (!AskStopRun(kStopRunToRestartQuestion))
            return;
        if (!StopRunAndWait())
        {
            UserInteraction().ShowMessage("The run would not stop; nothing was started.");
            return;
        }
    }
    // The run reads the file: what the user sees is saved first.
    bool bSaved = false;
    if (m_doc.GetPathName().empty())
    {
        if (!m_doc.OnFileSaveAs())
            return;
        bSaved = true;
    }
    else if (m_doc.m_bChanged)
    {
        if (!m_doc.OnFileSave())
            return;
        bSaved = true;
    }
    if (bSaved)
        statusBar()->showMessage(
            QStringLiteral("Saved %1 before the run").arg(ToQString(m_doc.GetTitle())),
            kStatusMessageMs);
    m_pRightView->EditPane().Analysis().ClearRunFinding();
    const std::string script = m_doc.GetPathName();
    const std::string folder = std::filesystem::path(script).parent_path().string();
    m_pRunSession->Start(AnalysisRun(), folder, script, UserInteraction());
}

bool CMainFrame::GoToRunLocation(const std::string& path, long nLine)
{
    if (!SameFile(path, m_doc.GetPathName()) && !m_doc.OnOpenDocument(path))
        return false;
    m_pRightView->EditPane().GoToLine(nLine);
    return true;
}

// The first error's place: a finding of the analysis's list, from this run,
// with a red mark in the margin when it lies in the script shown. It goes
// when its line changes or the script is run again.
void CMainFrame::ShowRunError()
{
    const auto& error = m_pRunSession->FirstError();
    if (!error)
        return;
    const CTraceMapper::CLocation location = error->location;
    const bool bHere = SameFile(location.path, m_doc.GetPathName());
    m_pRightView->EditPane().Analysis().SetRunFinding(bHere ? std::string() : location.path,
                                                      location.nLine, error->message);
    m_pOutputPane->raise();
}
