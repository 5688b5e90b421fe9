#include "CorvaleApp.h"

#include "AboutDlg.h"
#include "CloseUpComboBox.h"
#include "CommandLineInfo.h"
#include "DialogBar.h"
#include "MainFrame.h"
#include "editor/ScriptEdit.h"
#include "platform/CommandIds.h"
#include "platform/Latin1.h"
#include "platform/UserInteraction.h"
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
    CreateAppCommands();
}

// The route refers to the frame, which goes first.
CCorvaleApp::~CCorvaleApp()
{
    m_router.SetRoute({});
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
    // The configuration and the library report in the program's message boxes.
    SetDefaultMessageSink(&UserInteraction());

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
            return std::vector<const CCommandTarget*>{pFrame->ActiveViewTarget(), &m_doc.Commands(),
                                                      &pFrame->FrameCommands(), &m_appCommands};
        });
    m_router.UpdateWhenIdle();
    QObject::connect(&m_doc, &CCorvaleDoc::TitleChanged, [this] { RememberRecentFile(); });

    pFrame->resize(900, 650);
    pFrame->RestoreLayout();

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

    pFrame->OnInitialUpdate();
    m_router.UpdateCommandStates();
    pFrame->show();
    pFrame->FocusEditPane();
    return true;
}
