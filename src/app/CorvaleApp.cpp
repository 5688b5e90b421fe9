#include "CorvaleApp.h"

#include "AboutDlg.h"
#include "CloseUpComboBox.h"
#include "CommandLineInfo.h"
#include "DialogBar.h"
#include "MainFrame.h"
#include "editor/ScriptEdit.h"
#include "platform/CommandIds.h"
#include "platform/Latin1.h"
#include "view/CorvaleView.h"
#include "view/LeftView.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QLineEdit>
#include <QSettings>

using namespace CommandId;

namespace
{
constexpr int kRecentFiles = 6;
}

// The icons live in a resource of this static library, which is not linked in
// unless asked for.
static void InitResources()
{
    Q_INIT_RESOURCE(corvale);
}

CCorvaleApp::CCorvaleApp()
{
    InitResources();
    CreateDocumentCommands();
    CreateAppCommands();
}

// The route refers to the frame, which goes first.
CCorvaleApp::~CCorvaleApp()
{
    m_router.SetRoute({});
}

void CCorvaleApp::CreateDocumentCommands()
{
    CCorvaleDoc* pDoc = &m_doc;
    m_documentCommands.OnCommand(ID_FILE_NEW, [pDoc] { pDoc->OnFileNew(); });
    m_documentCommands.OnCommand(ID_FILE_SAVE, [pDoc] { pDoc->OnFileSave(); });
    m_documentCommands.OnCommand(ID_FILE_SAVE_AS, [pDoc] { pDoc->OnFileSaveAs(); });
    m_documentCommands.OnCommand(ID_EDIT_CUT, [pDoc] { pDoc->OnEditCut(); });
    m_documentCommands.OnCommand(ID_EDIT_COPY, [pDoc] { pDoc->OnEditCopy(); });
    m_documentCommands.OnCommand(ID_EDIT_PASTE, [pDoc] { pDoc->OnEditPaste(); });
    m_documentCommands.OnCommand(ID_EDIT_UNDO, [pDoc] { pDoc->OnEditUndo(); });
    auto fontifyLine = [pDoc]
    {
        if (pDoc->m_pEdit != nullptr)
            pDoc->m_pEdit->FontifyCurrentLine();
    };
    m_documentCommands.OnCommand(ID_FONTIFY_CURRENT_LINE, fontifyLine);
    m_documentCommands.OnCommand(ID_COMMENT_SELECTION, [pDoc] { pDoc->OnCommentSelection(); });
    m_documentCommands.OnCommand(ID_UNCOMMENT_SELECTION, [pDoc] { pDoc->OnUncommentSelection(); });
    m_documentCommands.OnCommand(IDC_FONT, [pDoc] { pDoc->OnFont(); });
    m_documentCommands.OnCommand(
        IDC_GO,
        [this]
        {
            if (m_pMainFrame)
                m_doc.OnGo(FromQString(m_pMainFrame->GetDialogBar()->m_pLineNumber->text()));
        });
    auto closeUp = [this](bool bSources)
    {
        if (!m_pMainFrame)
            return;
        const QComboBox* pList =
            bSources ? static_cast<QComboBox*>(m_pMainFrame->GetDialogBar()->m_pSources)
                     : static_cast<QComboBox*>(m_pMainFrame->GetDialogBar()->m_pVariables);
        m_doc.OnListCloseUp(bSources, pList->currentIndex(), FromQString(pList->currentText()));
    };
    m_documentCommands.OnCommand(IDC_FIND,
                                 [this]
                                 {
                                     if (m_pMainFrame)
                                         m_pMainFrame->GetRightPane()->OpenFindReplace(FromQString(
                                             m_pMainFrame->GetDialogBar()->m_pFindText->text()));
                                 });
    m_documentCommands.OnCommand(IDC_VARIABLES, [closeUp] { closeUp(false); });
    m_documentCommands.OnCommand(IDC_SOURCES, [closeUp] { closeUp(true); });
    m_documentCommands.OnCommand(
        IDC_OPEN_SOURCE,
        [this]
        {
            if (!m_pMainFrame)
                return;
            const QComboBox* pList = m_pMainFrame->GetDialogBar()->m_pSources;
            const int nSelected = pList->currentIndex();
            m_doc.OnOpenSource(
                nSelected, nSelected >= 0 ? FromQString(pList->itemText(nSelected)) : std::string(),
                m_pMainFrame->GetRightPane()->m_config.editor);
        });
    m_documentCommands.OnCommand(
        ID_HELP_ON_OFF,
        [this]
        {
            if (m_pMainFrame)
                m_pMainFrame->GetRightPane()->ToggleHelp();
        },
        [this](CCmdUI& ui)
        { ui.checked = m_pMainFrame && m_pMainFrame->GetRightPane()->m_editPane.m_bHelpOn == 1; });
    // The document answers Print Options whenever a view is active; the frame otherwise.
    m_documentCommands.OnCommand(ID_ADVANCED_PRINT_SETUP,
                                 [this]
                                 {
                                     if (m_pMainFrame)
                                         m_pMainFrame->OnPrintOptions();
                                 });
    m_documentCommands.OnCommand(ID_USER_DEVELOPER_INFORMATION,
                                 [this]
                                 {
                                     if (m_pMainFrame)
                                         m_pMainFrame->ShowUserInformation("NOTE: - ");
                                 });
    m_documentCommands.OnCommand(ID_FONTIFY_LINE, fontifyLine);
}

void CCorvaleApp::CreateAppCommands()
{
    m_appCommands.OnCommand(ID_FILE_OPEN, [this] { m_doc.OnFileOpen(); });
    m_appCommands.OnCommand(ID_APP_ABOUT,
                            [this]
                            {
                                CAboutDlg dialog(m_pMainFrame.get());
                                dialog.exec();
                            });
    m_appCommands.OnCommand(ID_FILE_PRINT_SETUP,
                            [this]
                            {
                                if (m_pMainFrame)
                                    m_pMainFrame->OnFilePrintSetup();
                            });
    m_appCommands.OnCommand(ID_APP_EXIT,
                            [this]
                            {
                                if (m_pMainFrame)
                                    m_pMainFrame->close();
                            });
}

// The settings store keeps the recently used files, although no menu lists them.
void CCorvaleApp::RememberRecentFile()
{
    if (m_doc.GetPathName().empty())
        return;
    QSettings settings;
    QStringList files;
    const QString path = QFile::decodeName(QByteArray::fromStdString(m_doc.GetPathName()));
    files << path;
    for (int i = 1; i <= kRecentFiles; ++i)
    {
        const QString file =
            settings.value(QStringLiteral("Recent File List/File%1").arg(i)).toString();
        if (!file.isEmpty() && file != path && files.size() < kRecentFiles)
            files << file;
    }
    for (int i = 0; i < files.size(); ++i)
        settings.setValue(QStringLiteral("Recent File List/File%1").arg(i + 1), files[i]);
}

bool CCorvaleApp::InitInstance(const std::vector<std::string>& arguments)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QCoreApplication::setApplicationName(QStringLiteral("Corvale"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/corvale.svg")));

    const CCommandLineInfo commandLine(arguments);
    // /Unregister removes what the program keeps (its settings store; the file
    // type belongs to the installed desktop entry) and ends before any window.
    if (commandLine.m_nShellCommand == CCommandLineInfo::AppUnregister)
    {
        QSettings settings;
        settings.clear();
        settings.sync();
        m_bEndedAsAsked = true;
        return false;
    }

    m_pMainFrame = std::make_unique<CMainFrame>(m_doc, m_router);
    CMainFrame* pFrame = m_pMainFrame.get();
    m_router.SetRoute(
        [this, pFrame]
        {
            return std::vector<const CCommandTarget*>{pFrame->ActiveViewTarget(),
                                                      &m_documentCommands, &pFrame->m_frameCommands,
                                                      &m_appCommands};
        });
    m_router.UpdateWhenIdle();
    QObject::connect(&m_doc, &CCorvaleDoc::TitleChanged, [this] { RememberRecentFile(); });

    // The first sizing of the editor view, still while the frame is built.
    pFrame->resize(900, 650);
    pFrame->GetRightPane()->SetUpOnce();

    // DDE and the embedding switches mean nothing here: those starts get an
    // empty script like any other.
    const std::string& script = commandLine.m_strFileName;
    const bool bStarted = script.empty() ? m_doc.OnNewDocument() : m_doc.OnOpenDocument(script);
    if (!bStarted)
        return false;

    if (!script.empty() && (commandLine.m_nShellCommand == CCommandLineInfo::FilePrint ||
                            commandLine.m_nShellCommand == CCommandLineInfo::FilePrintTo))
    {
        pFrame->PrintScriptDirect(commandLine.m_strPrinterName);
        m_bEndedAsAsked = true;
        return false;
    }

    pFrame->GetLeftPane()->OnInitialUpdate();
    m_router.UpdateCommandStates();
    pFrame->show();
    pFrame->GetRightPane()->m_editPane.setFocus();
    return true;
}
