#include "MainFrame.h"

#include "CloseUpComboBox.h"
#include "CommandTable.h"
#include "DialogBar.h"
#include "UserInfoDlg.h"
#include "config/Configuration.h"
#include "editor/AnalysisMarks.h"
#include "editor/CorvaleDoc.h"
#include "editor/EditorAssist.h"
#include "panes/ProblemsPane.h"
#include "platform/CommandIds.h"
#include "platform/CommandRouter.h"
#include "platform/KeyboardLocks.h"
#include "platform/Latin1.h"
#include "platform/PlainText.h"
#include "platform/UserInteraction.h"
#include "print/PrintJobs.h"
#include "print/PrintOptionsDlg.h"
#include "run/AnalysisRun.h"
#include "run/HelperProgram.h"
#include "view/CorvaleView.h"
#include "view/LeftView.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

using namespace CommandId;

CMainFrame::CMainFrame(CCorvaleDoc& doc, CCommandRouter& router, QWidget* pParent)
    : QMainWindow(pParent), m_doc(doc), m_router(router), m_pPrintJobs(new CPrintJobs(*this))
{
    setObjectName(QStringLiteral("CMainFrame"));
    m_pToolBar = new QToolBar(QStringLiteral("Tool Bar"), this);
    m_pToolBar->setObjectName(QStringLiteral("ToolBar"));
    m_pToolBar->setIconSize(QSize(20, 16));
    addToolBar(Qt::TopToolBarArea, m_pToolBar);
    // The script's commands beside the first tool bar, which stays as it is.
    m_pScriptToolBar = new QToolBar(QStringLiteral("Script"), this);
    m_pScriptToolBar->setObjectName(QStringLiteral("ScriptToolBar"));
    m_pScriptToolBar->setIconSize(QSize(20, 16));
    addToolBar(Qt::TopToolBarArea, m_pScriptToolBar);
    // The dialog bar gets a row of its own, so that all of it shows.
    addToolBarBreak(Qt::TopToolBarArea);
    m_pDialogBar = new CDialogBar(router, this);
    addToolBar(Qt::TopToolBarArea, m_pDialogBar);

    // The splitter's right pane constructs the editor view, which reads the configuration.
    m_pSplitter = new QSplitter(Qt::Horizontal, this);
    m_pLeftView = new CLeftView(&doc, m_pSplitter);
    m_pRightView = new CCorvaleView(&doc, m_pSplitter);
    m_pSplitter->addWidget(m_pLeftView);
    m_pSplitter->addWidget(m_pRightView);
    m_pSplitter->setStretchFactor(0, 0);
    m_pSplitter->setStretchFactor(1, 1);
    m_pSplitter->setChildrenCollapsible(false);
    m_pSplitter->setSizes({175, 100});
    setCentralWidget(m_pSplitter);
    // The views are wired to the document, and the library loaded, as soon as
    // they exist: before the first script is created or opened.
    m_pRightView->SetUp();
    m_pRightView->SetPopupMenuFactory([this](QWidget* pParent)
                                      { return CreatePopupMenu(pParent); });
    doc.DefineCommands(*this);
    m_pDialogBar->ShowLists(doc.Variables(), doc.Sources(), m_pRightView->EditPane());
    connect(&doc, &CCorvaleDoc::ListsChanged, m_pDialogBar, &CDialogBar::RefreshLists);
    // A click in the tree, or Enter on it, says what it put on the clipboard.
    connect(
        &m_pLeftView->m_tree, &CCommandTreeCtrl::KeywordCopied, this,
        [this](const QString& keyword)
        { statusBar()->showMessage(QStringLiteral("Copied %1").arg(keyword), kStatusMessageMs); });

    statusBar()->addWidget(new QLabel(QStringLiteral("Ready"), this), 1);
    m_pProblemsPane = new CProblemsPane(m_pRightView->EditPane(), this);
    m_pRightView->EditPane().Analysis().OpenFileAt = [this](const std::string& path, long nLine)
    { GoToRunLocation(path, nLine); };
    CEditorAssist& assist = m_pRightView->EditPane().Assist();
    assist.SetCompleteWhileTyping(QSettings().value(kCompleteWhileTypingKey, true).toBool());
    connect(&assist, &CEditorAssist::NotFound, this,
            [this](const QString& why) { statusBar()->showMessage(why, kStatusMessageMs); });
    addDockWidget(Qt::BottomDockWidgetArea, m_pProblemsPane);
    CreateRunPane();
    CreateModelPane();
    CreateStatusPanes();
    CreateLockIndicators();
    CreateCommands();
    CreateFrameCommands();
    setAcceptDrops(true);
    connect(&doc, &CCorvaleDoc::TitleChanged, this, &CMainFrame::UpdateTitle);
    connect(&doc, &CCorvaleDoc::TitleChanged, this,
            [this] { m_pProblemsPane->SetFileName(ToQString(m_doc.GetTitle())); });
    UpdateTitle();
}

// The docks outlive the frame's own part by a moment: what they signal while
// they are taken down must not reach it.
CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
    for (QDockWidget* pDock : findChildren<QDockWidget*>())
        pDock->disconnect(this);
}

QAction* CMainFrame::ActionOf(int nId) const
{
    const auto found = m_actions.find(nId);
    return found == m_actions.end() ? nullptr : found->second;
}

// The action of a described command: its text, prompt, accelerators, and
// where it has one, its tool bar picture and tooltip. A command without a
// menu item still takes its accelerators from the window.
QAction* CMainFrame::AddCommand(const CCommandInfo& info)
{
    auto* pAction = new QAction(QString::fromLatin1(info.menuText != nullptr  ? info.menuText
                                                    : info.tooltip != nullptr ? info.tooltip
                                                                              : info.prompt),
                                this);
    pAction->setStatusTip(QString::fromLatin1(info.prompt));
    pAction->setShortcuts(info.Shortcuts());
    pAction->setShortcutContext(Qt::WindowShortcut);
    if (info.tooltip != nullptr)
        pAction->setToolTip(QString::fromLatin1(info.tooltip));
    if (info.icon != nullptr)
        pAction->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(info.icon))));
    addAction(pAction);
    m_router.Bind(info.nId, pAction);
    m_actions[info.nId] = pAction;
    return pAction;
}

void CMainFrame::CreateCommands()
{
    for (const CCommandInfo& info : CommandTable())
        AddCommand(info);
    for (const CMenuLayout& layout : MenuLayout())
    {
        QMenu* pMenu = menuBar()->addMenu(QString::fromLatin1(layout.title));
        for (const int nId : layout.ids)
        {
            if (nId == kSeparator)
                pMenu->addSeparator();
            else
                pMenu->addAction(ActionOf(nId));
        }
    }
    for (const int nId : ToolBarLayout())
    {
        if (nId == kSeparator)
            m_pToolBar->addSeparator();
        else
            m_pToolBar->addAction(ActionOf(nId));
    }
    for (const int nId : ScriptToolBarLayout())
        m_pScriptToolBar->addAction(ActionOf(nId));
}

// Where the caret is and whether the script is changed, before the lock
// indicators. They follow the caret as it moves and are looked at again
// whenever the program goes idle, since the changed flag is set in many places.
void CMainFrame::CreateStatusPanes()
{
    m_pCaretPane = PlainLabel(new QLabel(this));
    m_pCaretPane->setObjectName(QStringLiteral("CaretPosition"));
    FixPaneSize(m_pCaretPane, QStringLiteral("Ln 99999, Col 999"));
    m_pModifiedPane = PlainLabel(new QLabel(this));
    m_pModifiedPane->setObjectName(QStringLiteral("Modified"));
    FixPaneSize(m_pModifiedPane, QStringLiteral("Modified"));
    m_pModifiedPane->setAlignment(Qt::AlignCenter);
    m_pProblemCountPane = PlainLabel(new QLabel(this));
    m_pProblemCountPane->setObjectName(QStringLiteral("ProblemCounts"));
    FixPaneSize(m_pProblemCountPane, QStringLiteral("99999 errors, 99999 warnings"));
    statusBar()->addPermanentWidget(m_pCaretPane);
    statusBar()->addPermanentWidget(m_pModifiedPane);
    statusBar()->addPermanentWidget(m_pProblemCountPane);
    connect(&m_pRightView->EditPane().Analysis(), &CAnalysisMarks::FindingsChanged, this,
            &CMainFrame::UpdateProblemCounts);
    // A click on the count opens the Problems pane.
    m_pProblemCountPane->setCursor(Qt::PointingHandCursor);
    m_pProblemCountPane->setToolTip(PlainToolTip(QStringLiteral("Show the Problems pane")));
    m_pProblemCountPane->installEventFilter(this);
    const auto refresh = [this]
    {
        m_bStatusStale = true;
        UpdateStatusPanes();
    };
    connect(&m_pRightView->EditPane(), &CTextControl::SelectionChanged, this, refresh);
    connect(&m_pRightView->EditPane(), &CTextControl::TextEdited, this,
            [this] { m_bStatusStale = true; });
    connect(&m_doc, &CCorvaleDoc::TitleChanged, this, refresh);
    if (QAbstractEventDispatcher* pDispatcher = QAbstractEventDispatcher::instance())
        connect(pDispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &CMainFrame::UpdateStatusPanes);
    UpdateStatusPanes();
}

// A pane as wide as its widest text: a new text then repaints the pane alone,
// where a pane that may change its size would lay the status bar out again
// on every key.
void CMainFrame::FixPaneSize(QLabel* pPane, const QString& widest)
{
    pPane->setFixedSize(fontMetrics().horizontalAdvance(widest) + 8,
                        std::max(pPane->sizeHint().height(), fontMetrics().height() + 4));
}

void CMainFrame::UpdateStatusPanes()
{
    const CScriptEdit& edit = m_pRightView->EditPane();
    long nStart = 0;
    long nEnd = 0;
    edit.GetSel(nStart, nEnd);
    if (!m_bStatusStale && nEnd == m_nStatusCaret && m_doc.m_bChanged == m_bStatusModified)
        return;
    m_bStatusStale = false;
    m_nStatusCaret = nEnd;
    m_bStatusModified = m_doc.m_bChanged;
    const QString caret = QStringLiteral("Ln %1, Col %2")
                              .arg(edit.LineFromChar(nEnd) + 1)
                              .arg(edit.DisplayColumn(nEnd) + 1);
    if (m_pCaretPane->text() != caret)
        m_pCaretPane->setText(caret);
    const QString modified = m_doc.m_bChanged ? QStringLiteral("Modified") : QString();
    if (m_pModifiedPane->text() != modified)
        m_pModifiedPane->setText(modified);
}

// The editing pane's popup menu from the command table; its items route
// their commands as the menus do.
std::unique_ptr<QMenu> CMainFrame::CreatePopupMenu(QWidget* pParent)
{
    auto pMenu = std::make_unique<QMenu>(pParent);
    pMenu->setTitle(QStringLiteral("Popup"));
    for (const int nId : PopupLayout())
    {
        if (nId == kSeparator)
        {
            pMenu->addSeparator();
            continue;
        }
        const CCommandInfo* pInfo = CommandInfo(nId);
        QAction* pItem = pMenu->addAction(QString::fromLatin1(pInfo->popupText));
        pItem->setEnabled(m_router.StateOf(nId).bEnabled);
        connect(pItem, &QAction::triggered, this, [this, nId] { m_router.RouteCommand(nId); });
    }
    return pMenu;
}

// "2 errors, 1 warning", or "No problems" once the analysis has found none,
// from the list the squiggles and the Problems pane show.
void CMainFrame::UpdateProblemCounts()
{
    const CAnalysisMarks& analysis = m_pRightView->EditPane().Analysis();
    const auto count = [](int n, const char* pWhat)
    { return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(pWhat)).arg(n == 1 ? "" : "s"); };
    const int nErrors = analysis.Count(ESeverity::Error);
    const int nWarnings = analysis.Count(ESeverity::Warning);
    QString text;
    if (nErrors == 0 && nWarnings == 0)
        text = QStringLiteral("No problems");
    else if (nWarnings == 0)
        text = count(nErrors, "error");
    else if (nErrors == 0)
        text = count(nWarnings, "warning");
    else
        text = count(nErrors, "error") + QStringLiteral(", ") + count(nWarnings, "warning");
    m_pProblemCountPane->setText(text);
}

bool CMainFrame::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == m_pProblemCountPane && pEvent->type() == QEvent::MouseButtonRelease)
        ShowProblemsPane();
    else if (pEvent->type() == QEvent::KeyRelease)
    {
        const int nKey = static_cast<QKeyEvent*>(pEvent)->key();
        if (nKey == Qt::Key_CapsLock || nKey == Qt::Key_NumLock || nKey == Qt::Key_ScrollLock)
            UpdateLockIndicators();
    }
    return QMainWindow::eventFilter(pWatched, pEvent);
}

void CMainFrame::ShowProblemsPane()
{
    m_pProblemsPane->show();
    m_pProblemsPane->raise();
}

// CAP, NUM and SCRL show while their lock is on. While the window is active,
// its own lock keys tell when to look at the keyboard; while another window
// has the keys, a quarter-second look follows them. Looking asks the X
// server, so the window does not do it while it is busy with typing.
void CMainFrame::CreateLockIndicators()
{
    const char* const kNames[] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i)
    {
        m_lockIndicators[i] = PlainLabel(new QLabel(this));
        m_lockIndicators[i]->setObjectName(QString::fromLatin1(kNames[i]));
        FixPaneSize(m_lockIndicators[i], QStringLiteral("SCRL"));
        m_lockIndicators[i]->setAlignment(Qt::AlignCenter);
        statusBar()->addPermanentWidget(m_lockIndicators[i]);
    }
    auto* pTimer = new QTimer(this);
    pTimer->setInterval(250);
    connect(pTimer, &QTimer::timeout, this, &CMainFrame::UpdateLockIndicators);
    const auto follow = [this, pTimer](Qt::ApplicationState state)
    {
        UpdateLockIndicators();
        if (state == Qt::ApplicationActive)
            pTimer->stop();
        else
            pTimer->start();
    };
    connect(qApp, &QGuiApplication::applicationStateChanged, this, follow);
    follow(QGuiApplication::applicationState());
    qApp->installEventFilter(this);
}

void CMainFrame::UpdateLockIndicators()
{
    const std::optional<CKeyboardLocks> locks = QueryKeyboardLocks();
    const bool bOn[] = {locks && locks->bCapsLock, locks && locks->bNumLock,
                        locks && locks->bScrollLock};
    for (int i = 0; i < 3; ++i)
        m_lockIndicators[i]->setText(bOn[i] ? m_lockIndicators[i]->objectName() : QString());
}

// The document is not saved first: Vorsa reads the script as it was last saved.
void CMainFrame::OnStartAnalysis()
{
    if (!AnalysisRun().StartInTerminal(
            UserInteraction(),
            [](const std::string& program, const std::vector<std::string>& arguments)
            { return UserInteraction().StartProgram(program, arguments); }))
        return;
    // The run takes the file as last saved; say so, or an edit that had no
    // effect would puzzle the user.
    if (m_doc.m_bChanged)
        statusBar()->showMessage(
            QStringLiteral("Started the saved script; unsaved changes are not in this run"),
            kStatusMessageMs);
}

// A run of the saved script as the configuration has it; the runner lies beside the editor.
CAnalysisRun CMainFrame::AnalysisRun() const
{
    const CConfiguration& config = m_pRightView->Configuration();
    // Where it is not found, the run names the path beside the editor in its message.
    std::string runner = HelperProgram("corvale-batch");
    if (runner.empty())
        runner = QFile::encodeName(QCoreApplication::applicationDirPath() +
                                   QStringLiteral("/corvale-batch"))
                     .toStdString();
    return CAnalysisRun(config.exe, config.bin, m_doc.GetPathName(), runner);
}

QPrinter& CMainFrame::CurrentPrinter()
{
    return m_pPrintJobs->CurrentPrinter();
}

void CMainFrame::OnFilePrintSetup()
{
    m_pPrintJobs->PrintSetup();
}

void CMainFrame::PrintScript(bool bPreview)
{
    m_pRightView->setFocus();
    m_pPrintJobs->Print(m_pRightView->EditPane(), m_pRightView->m_printSettings, bPreview);
}

bool CMainFrame::PrintScriptDirect(const std::string& printerName)
{
    return m_pPrintJobs->PrintDirect(m_pRightView->EditPane(), m_pRightView->m_printSettings,
                                     printerName, m_doc.GetPathName() + ".pdf");
}

void CMainFrame::OnPrintOptions()
{
    CPrintOptionsDlg dialog(this);
    dialog.SetSettings(m_pRightView->m_printSettings);
    if (dialog.exec() == QDialog::Accepted)
        m_pRightView->m_printSettings = dialog.Settings();
}

// Typed text becomes the script's bytes as the editing pane shows them.
std::string CMainFrame::FindText() const
{
    return m_pRightView->EditPane().FromDisplay(m_pDialogBar->m_pFindText->text());
}

std::string CMainFrame::LineNumberText() const
{
    return m_pDialogBar->LineNumberText();
}

int CMainFrame::SelectedEntry(bool bSources, std::string& entry) const
{
    return m_pDialogBar->SelectedEntry(bSources, entry);
}

std::string CMainFrame::EditorProgram() const
{
    return m_pRightView->Configuration().editor;
}

void CMainFrame::OpenFindReplace(const std::string& findWhat)
{
    m_pRightView->OpenFindReplace(findWhat);
}

void CMainFrame::ToggleHelp()
{
    m_pRightView->ToggleHelp();
}

bool CMainFrame::IsHelpOn() const
{
    return m_pRightView->IsHelpOn();
}

void CMainFrame::ShowUserInformation(const std::string& opening)
{
    CUserInfoDlg dialog(this);
    dialog.m_strText = CUserInfoDlg::InformationText(opening);
    dialog.exec();
}

void CMainFrame::CreateFrameCommands()
{
    m_frameCommands.OnCommand(ID_USER_INFORMATION, [this] { ShowUserInformation("NOTE - "); });
    m_frameCommands.OnCommand(ID_START_ANALYSIS, [this] { OnStartAnalysis(); });
    m_frameCommands.OnCommand(ID_ADVANCED_PRINT_SETUP, [this] { OnPrintOptions(); });
    m_frameCommands.OnCommand(ID_PRINT, [this] { PrintScript(false); });
    m_frameCommands.OnCommand(ID_PRINT_PREVIEW, [this] { PrintScript(true); });
    m_editorViewCommands.OnCommand(ID_FILE_PRINT, [this] { PrintScript(false); });
    // The command tree prints what it draws: nothing, on one page.
    m_treeViewCommands.OnCommand(ID_FILE_PRINT, [this] { m_pPrintJobs->PrintNothing(); });
    m_frameCommands.OnCommand(ID_REDO_SYNTAX_HIGHLIGHTING, [this] { m_pRightView->RecolourAll(); });
    m_frameCommands.OnCommand(
        ID_VIEW_TOOLBAR, [this] { m_pToolBar->setVisible(!m_pToolBar->isVisible()); },
        [this](CCmdUI& ui) { ui.checked = m_pToolBar->isVisible(); });
    m_frameCommands.OnCommand(
        ID_VIEW_STATUS_BAR, [this] { statusBar()->setVisible(!statusBar()->isVisible()); },
        [this](CCmdUI& ui) { ui.checked = statusBar()->isVisible(); });
    m_frameCommands.OnCommand(ID_NEXT_PANE, [this] { MovePaneFocus(); });
    m_frameCommands.OnCommand(ID_PREV_PANE, [this] { MovePaneFocus(); });
    m_frameCommands.OnCommand(
        ID_EDIT_FIND,
        [this] { m_pRightView->FindWithText(m_pRightView->m_editPane.SearchText()); });
    m_frameCommands.OnCommand(ID_EDIT_REPEAT, [this] { m_pRightView->FindAgain(); });
    m_frameCommands.OnCommand(ID_GO_TO_LINE_BOX, [this] { m_pDialogBar->FocusLineNumber(); });
    // The analysis: the Problems pane opens when one of these asks for it.
    m_frameCommands.OnCommand(ID_CHECK_SCRIPT,
                              [this]
                              {
                                  ShowProblemsPane();
                                  m_pRightView->EditPane().Analysis().AnalyseNow();
                              });
    m_frameCommands.OnCommand(ID_NEXT_PROBLEM,
                              [this]
                              {
                                  ShowProblemsPane();
                                  m_pRightView->EditPane().Analysis().GoToNext(false);
                              });
    m_frameCommands.OnCommand(ID_PREVIOUS_PROBLEM,
                              [this]
                              {
                                  ShowProblemsPane();
                                  m_pRightView->EditPane().Analysis().GoToNext(true);
                              });
    m_frameCommands.OnCommand(ID_QUICK_FIX,
                              [this]
                              {
                                  if (!m_pRightView->EditPane().Analysis().QuickFixAtCaret())
                                      statusBar()->showMessage(
                                          QStringLiteral("No quick fix at the caret"),
                                          kStatusMessageMs);
                              });
    m_frameCommands.OnCommand(ID_GO_TO_DEFINITION,
                              [this]
                              {
                                  CScriptEdit& edit = m_pRightView->EditPane();
                                  long nStart = 0;
                                  long nEnd = 0;
                                  edit.GetSel(nStart, nEnd);
                                  edit.Assist().GoToDefinition(nStart);
                              });
    m_frameCommands.OnCommand(
        ID_COMPLETE_WHILE_TYPING,
        [this]
        {
            CEditorAssist& assist = m_pRightView->EditPane().Assist();
            assist.SetCompleteWhileTyping(!assist.CompletesWhileTyping());
            QSettings().setValue(kCompleteWhileTypingKey, assist.CompletesWhileTyping());
        },
        [this](CCmdUI& ui)
        { ui.checked = m_pRightView->EditPane().Assist().CompletesWhileTyping(); });
    m_frameCommands.OnCommand(
        ID_VIEW_PROBLEMS, [this] { m_pProblemsPane->setVisible(!m_pProblemsPane->isVisible()); },
        [this](CCmdUI& ui) { ui.checked = m_pProblemsPane->isVisible(); });
    // With the focus in the summary pane, Copy copies what is selected there;
    // everything else goes where it goes from the editor view.
    CreateRunCommands();
    CreateModelCommands();
    m_summaryPaneCommands = m_editorViewCommands;
    m_summaryPaneCommands.OnCommand(ID_EDIT_COPY, [this] { m_pRightView->m_summaryPane.Copy(); });
}

// F6 and Shift+F6 move between the splitter's two panes: the command tree and
// the editor view, whose editing pane takes the focus. With two panes, next
// and previous are the same step.
void CMainFrame::MovePaneFocus()
{
    if (m_pLeftView->HasFocus())
        m_pRightView->EditPane().setFocus(Qt::OtherFocusReason);
    else
        m_pLeftView->FocusTree();
}

const CCommandTarget* CMainFrame::ActiveViewTarget() const
{
    if (m_pLeftView->HasFocus())
        return &m_treeViewCommands;
    if (m_pRightView->m_summaryPane.hasFocus())
        return &m_summaryPaneCommands;
    return &m_editorViewCommands;
}

void CMainFrame::OnInitialUpdate()
{
    m_pLeftView->OnInitialUpdate();
}

void CMainFrame::FocusEditPane()
{
    m_pRightView->EditPane().setFocus();
}

void CMainFrame::UpdateTitle()
{
    setWindowTitle(ToQString(m_doc.GetTitle()) + QStringLiteral(" - Corvale - VORSA"));
}

// A run going is asked about first; it is stopped only once the script may close too.
void CMainFrame::closeEvent(QCloseEvent* pEvent)
{
    if (IsRunGoing() && !AskStopRun(kStopRunToCloseQuestion))
    {
        pEvent->ignore();
        return;
    }
    if (!m_doc.CanCloseFrame())
    {
        pEvent->ignore();
        return;
    }
    StopRunAndWait();
    SaveLayout();
    pEvent->accept();
}

namespace
{
const QString kGeometryKey = QStringLiteral("Window/Geometry");
const QString kStateKey = QStringLiteral("Window/Docks");
// Says which docks and tool bars a kept state was made with.
constexpr int kLayoutVersion = 1;
} // namespace

void CMainFrame::RestoreLayout()
{
    const QSettings settings;
    // A kept layout that does not fit this window leaves the window as it is.
    restoreGeometry(settings.value(kGeometryKey).toByteArray());
    restoreState(settings.value(kStateKey).toByteArray(), kLayoutVersion);
}

void CMainFrame::SaveLayout() const
{
    QSettings settings;
    settings.setValue(kGeometryKey, saveGeometry());
    settings.setValue(kStateKey, saveState(kLayoutVersion));
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* pEvent)
{
    if (pEvent->mimeData()->hasUrls())
        pEvent->acceptProposedAction();
}

// A file dropped on the window opens like a file chosen in the Open dialog.
void CMainFrame::dropEvent(QDropEvent* pEvent)
{
    for (const QUrl& url : pEvent->mimeData()->urls())
    {
        if (url.isLocalFile())
        {
            pEvent->acceptProposedAction();
            m_doc.OnOpenDocument(QFile::encodeName(url.toLocalFile()).toStdString());
            return;
        }
    }
}
