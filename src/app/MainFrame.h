#pragma once

#include "editor/DocumentHost.h"
#include "platform/CommandTarget.h"
#include "run/AnalysisRun.h"

#include <QMainWindow>
#include <map>
#include <memory>
#include <string>

class CCommandRouter;
struct CCommandInfo;
class CCorvaleDoc;
class CCorvaleView;
class CDialogBar;
class CLeftView;
class CPrintJobs;
class COutputPane;
class CDryRunResult;
class CProblemsPane;
class CModelPane;
class CRunSession;
class QLabel;
class QMenu;
class QPrinter;
class QSplitter;
class QToolBar;

// The main window: menu, dialog bar, status bar, and a splitter with the
// command tree pane on the left and the editor view on the right.
class CMainFrame : public QMainWindow, public CDocumentHost
{
    Q_OBJECT

public:
    CMainFrame(CCorvaleDoc& doc, CCommandRouter& router, QWidget* pParent = nullptr);
    ~CMainFrame() override;

    CCorvaleView* GetRightPane() const { return m_pRightView; }
    CLeftView* GetLeftPane() const { return m_pLeftView; }
    CDialogBar* GetDialogBar() const { return m_pDialogBar; }
    QToolBar* GetToolBar() const { return m_pToolBar; }
    CProblemsPane* GetProblemsPane() const { return m_pProblemsPane; }
    CModelPane* GetModelPane() const { return m_pModelPane; }
    COutputPane* GetOutputPane() const { return m_pOutputPane; }
    CRunSession& RunSession() const { return *m_pRunSession; }
    QToolBar* GetScriptToolBar() const { return m_pScriptToolBar; }

    // How long a passing message stands in the status bar before "Ready" returns.
    static constexpr int kStatusMessageMs = 10000;
    // Where the choice of Script > Complete While Typing is kept.
    static constexpr const char* kCompleteWhileTypingKey = "Editor/Complete While Typing";
    static constexpr const char* kStopRunToRestartQuestion =
        "A run is going. Stop it and start again?";
    static constexpr const char* kStopRunToCloseQuestion = "A run is going. Stop it and close?";
    // Run in Output Pane: the script saved first (Save As when it has no
    // name), then run through the batch runner with its output in the pane.
    void OnRunInOutputPane();
    // A place the run named: its file opened as File Open would, its line
    // selected; false when the user kept the changed script open.
    bool GoToRunLocation(const std::string& path, long nLine);
    // Start Analysis: writes exec.bat into the working directory and starts it
    // without waiting, in a terminal where there is one.
    void OnStartAnalysis();

    // Print or preview the script from the editor view, which gets the focus first.
    void PrintScript(bool bPreview);
    // Prints the script without a dialog, on the named printer or the default
    // one; where no printer is installed, to "<script>.pdf". False when nothing printed.
    bool PrintScriptDirect(const std::string& printerName);

    // Print Setup: chooses the current printer and its page for what follows.
    void OnFilePrintSetup();
    // The printer chosen for the run (CPrintJobs::CurrentPrinter).
    QPrinter& CurrentPrinter();

    // ---- what the document's commands ask of the window ----
    std::string FindText() const override;
    std::string LineNumberText() const override;
    int SelectedEntry(bool bSources, std::string& entry) const override;
    std::string EditorProgram() const override;
    void OpenFindReplace(const std::string& findWhat) override;
    void ToggleHelp() override;
    bool IsHelpOn() const override;
    // Print Options: the view's margins and line gap, changed only on OK.
    void OnPrintOptions();
    // The User/Developer Information dialog, with the given opening.
    void ShowUserInformation(const std::string& opening) override;
    // The menu item or accelerator of a command, for routing and tests.
    QAction* ActionOf(int nId) const;

    // The target of the view that has the focus: the editor view unless the
    // command tree has it.
    const CCommandTarget* ActiveViewTarget() const;

    // The views' initial update: the command tree fills itself.
    void OnInitialUpdate();
    // The window's size, its maximised state and the docks' places and
    // sizes, as the last window left them; kept in the settings store.
    void RestoreLayout();
    void SaveLayout() const;
    void FocusEditPane();

    // "<document title> - Corvale - VORSA"
    void UpdateTitle();

    // The commands the frame itself answers.
    const CCommandTarget& FrameCommands() const { return m_frameCommands; }

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    CAnalysisRun AnalysisRun() const;
    // The menus, the tool bar and the accelerators, from the command table.
    void CreateCommands();
    void CreateLockIndicators();
    void CreateStatusPanes();
    void UpdateStatusPanes();
    void FixPaneSize(QLabel* pPane, const QString& widest);
    void UpdateProblemCounts();
    void ShowProblemsPane();
    void UpdateLockIndicators();
    void CreateFrameCommands();
    QAction* AddCommand(const CCommandInfo& info);
    std::unique_ptr<QMenu> CreatePopupMenu(QWidget* pParent);
    void MovePaneFocus();
    // The run in the Output pane (MainFrameRun.cpp).
    void CreateRunPane();
    void CreateRunCommands();
    void CreateModelPane();
    void CreateModelCommands();
    void ShowDryRun();
    void SelectLine(long nLine);
    void SelectCall(size_t nCall);
    void HighlightCaretCalls();
    // The result the Model pane shows, to know when it is behind.
    const CDryRunResult* m_pModelShownResult = nullptr;
    const void* m_pHighlightedResult = nullptr;
    long m_nHighlightedLine = 0;
    bool IsRunGoing() const;
    bool AskStopRun(const char* pQuestion) const;
    // Stops the run and waits for it to end; false when it would not.
    bool StopRunAndWait();
    void ShowRunError();

    CCorvaleDoc& m_doc;
    CCommandRouter& m_router;
    QToolBar* m_pToolBar;
    QToolBar* m_pScriptToolBar;
    CDialogBar* m_pDialogBar;
    QSplitter* m_pSplitter;
    CLeftView* m_pLeftView;
    CCorvaleView* m_pRightView;
    CCommandTarget m_frameCommands;
    CCommandTarget m_editorViewCommands;
    CCommandTarget m_treeViewCommands;
    CCommandTarget m_summaryPaneCommands;
    std::map<int, QAction*> m_actions;
    QLabel* m_lockIndicators[3] = {};
    QLabel* m_pCaretPane = nullptr;
    // What the caret and modified panes show: they are asked each time the
    // loop goes idle, and only a moved caret, an edit or the modified flag
    // is news.
    long m_nStatusCaret = -1;
    bool m_bStatusModified = false;
    bool m_bStatusStale = true;
    QLabel* m_pModifiedPane = nullptr;
    QLabel* m_pProblemCountPane = nullptr;
    CProblemsPane* m_pProblemsPane = nullptr;
    CModelPane* m_pModelPane = nullptr;
    COutputPane* m_pOutputPane = nullptr;
    CRunSession* m_pRunSession = nullptr;
    CPrintJobs* m_pPrintJobs;
};
