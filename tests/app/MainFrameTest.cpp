#include "app/MainFrame.h"

#include "app/AboutDlg.h"
#include "app/CloseUpComboBox.h"
#include "app/CommandLineInfo.h"
#include "app/CommandTable.h"
#include "app/CorvaleApp.h"
#include "app/DialogBar.h"
#include "app/UserInfoDlg.h"
#include "editor/ScriptEdit.h"
#include "platform/CommandIds.h"
#include "platform/QtUserInteraction.h"
#include "platform/ScriptedUserInteraction.h"
#include "run/BatchFile.h"
#include "support/Palette.h"
#include "support/ProgramWindow.h"
#include "support/TempDir.h"
#include "support/UserActions.h"
#include "view/CorvaleView.h"
#include "view/FindReplaceDlg.h"
#include "view/LeftView.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QValidator>
#include <cstdlib>
#include <functional>
#include <gmock/gmock.h>
#include <sys/stat.h>

using namespace CommandId;

namespace
{
class MainFrameTest : public ::testing::Test
{
protected:
    MainFrameTest() { m_dir.UseAsConfigurationHome("help " CORVALE_SOURCE_DIR "/share/help/\n"); }

    // Opens the drop-down and clicks the entry's row, as the mouse does.
    static void PickWithMouse(QComboBox& list, const QString& text)
    {
        const int nRow = list.findText(text);
        ASSERT_GE(nRow, 0) << text.toStdString();
        list.showPopup();
        QAbstractItemView* pView = list.view();
        ASSERT_TRUE(pView->isVisible());
        const QRect row = pView->visualRect(pView->model()->index(nRow, 0));
        QTest::mouseClick(pView->viewport(), Qt::LeftButton, {}, row.center());
        QCoreApplication::sendPostedEvents();
        EXPECT_FALSE(pView->isVisible());
    }

    // Starts the program on an empty script and makes its window the active
    // one, as a window manager does; nullptr when that fails.
    static CMainFrame* StartActive(CCorvaleApp& app)
    {
        if (!app.InitInstance({"corvale"}))
            return nullptr;
        app.MainFrame()->activateWindow();
        return QTest::qWaitForWindowActive(app.MainFrame()) ? app.MainFrame() : nullptr;
    }

    static QStringList MenuTexts(const QMenu* pMenu)
    {
        QStringList texts;
        for (const QAction* pAction : pMenu->actions())
            texts << (pAction->isSeparator() ? QStringLiteral("-") : pAction->text());
        return texts;
    }

    CTempDir m_dir;
    CScriptedUserInteraction m_ui;
};
} // namespace

TEST_F(MainFrameTest, StartsOnAnEmptyScriptWithTheLibraryInTheTree)
{
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({"corvale"}));
    CMainFrame* pFrame = app.MainFrame();
    EXPECT_EQ(pFrame->windowTitle(), "Untitled - Corvale - VORSA");
    EXPECT_TRUE(m_ui.m_messages.empty());
    EXPECT_GE(pFrame->GetLeftPane()->ItemCount(), 41);
    EXPECT_EQ(pFrame->GetLeftPane()->width() > 0, true);
    EXPECT_EQ(app.m_doc.m_pEdit, &EditingPane(pFrame));

    const QList<QAction*> menus = pFrame->menuBar()->actions();
    // The menus of old, with the Script menu after View; View has the Problems pane too.
    ASSERT_EQ(menus.size(), 5);
    EXPECT_EQ(menus[0]->text(), "&File");
    EXPECT_EQ(MenuTexts(menus[0]->menu()),
              (QStringList{"&New\tCtrl+N", "&Open...\tCtrl+O", "&Save\tCtrl+S", "Save &As...", "-",
                           "&Print...\tCtrl+P", "P&rint Setup...", "Print Pre&view",
                           "Advanced Print Setup..", "-", "Recent File", "-", "E&xit"}));
    EXPECT_EQ(MenuTexts(menus[1]->menu()),
              (QStringList{"&Undo\tCtrl+Z", "&Redo\tCtrl+Y", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C",
                           "&Paste\tCtrl+V", "-"}));
    EXPECT_EQ(MenuTexts(menus[2]->menu()),
              (QStringList{"&Toolbar", "&Status Bar", "&Problems", "&Output"}));
    EXPECT_EQ(menus[3]->text(), "&Script");
    EXPECT_EQ(MenuTexts(menus[3]->menu()),
              (QStringList{"&Check Script\tF7", "Next &Problem\tF8", "Pre&vious Problem\tShift+F8",
                           "&Quick Fix\tCtrl+.", "-", "Go to &Definition\tF12",
                           "Complete While &Typing", "-", "&Run in Output Pane\tF5",
                           "S&top Run\tShift+F5", "Next Run &Location\tF4",
                           "Previous Run L&ocation\tShift+F4", "-", "&Model View\tF9"}));
    EXPECT_EQ(MenuTexts(menus[4]->menu()),
              (QStringList{"&About Corvale...", "User/Developer &Information"}));
    EXPECT_EQ(pFrame->ActionOf(ID_EDIT_UNDO)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Z),
                                   QKeySequence(Qt::ALT | Qt::Key_Backspace)}));

    // The dialog bar's controls, in order, with their texts and ids.
    const CDialogBar* pBar = pFrame->GetDialogBar();
    EXPECT_EQ(pBar->m_pFind->text(), "Find");
    EXPECT_EQ(pBar->m_pFont->text(), "Font");
    EXPECT_EQ(pBar->m_pPlus->text(), "+");
    EXPECT_EQ(pBar->m_pMinus->text(), "--");
    EXPECT_EQ(pBar->m_pGo->text(), "Go");
    EXPECT_EQ(pBar->m_pOpen->text(), "Open");
    EXPECT_EQ(pBar->m_pLineNumber->objectName(), "1015");
    EXPECT_EQ(pBar->m_pVariables->objectName(), "1017");
    EXPECT_EQ(pBar->m_pSources->objectName(), "1018");
    QString typed = "12a3";
    int nPos = 0;
    EXPECT_EQ(pBar->m_pLineNumber->validator()->validate(typed, nPos), QValidator::Invalid);
    typed = "123";
    EXPECT_EQ(pBar->m_pLineNumber->validator()->validate(typed, nPos), QValidator::Acceptable);

    // Commands without a handler stand disabled.
    app.m_router.UpdateCommandStates();
    EXPECT_FALSE(pFrame->ActionOf(ID_RECENT_FILE)->isEnabled());
    EXPECT_TRUE(pFrame->ActionOf(ID_FILE_NEW)->isEnabled());
    EXPECT_FALSE(pFrame->GetDialogBar()->m_pPlus->isEnabled());
    EXPECT_FALSE(pFrame->GetDialogBar()->m_pMinus->isEnabled());
    EXPECT_TRUE(pFrame->ActionOf(ID_VIEW_STATUS_BAR)->isChecked());
}

TEST_F(MainFrameTest, CommandsReachTheDocumentTheFrameAndTheApplication)
{
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({"corvale"}));
    CMainFrame* pFrame = app.MainFrame();
    CScriptEdit& edit = EditingPane(pFrame);

    // New goes to the document, which asks about the changed script.
    edit.SetWindowText("set x 1");
    app.m_doc.m_bChanged = true;
    m_ui.QueueAnswer(false);
    pFrame->ActionOf(ID_FILE_NEW)->trigger();
    EXPECT_THAT(m_ui.m_questions, ::testing::ElementsAre("File has been modified, close anyway?"));
    EXPECT_EQ(edit.GetWindowText(), "set x 1");

    // Redo syntax highlighting is the frame's: the whole text is coloured.
    EXPECT_TRUE(app.m_router.RouteCommand(ID_REDO_SYNTAX_HIGHLIGHTING));
    EXPECT_EQ(edit.GetCharFormatAt(0).crTextColor, kPurple);
    EXPECT_EQ(pFrame->GetDialogBar()->m_pVariables->count(), 1);
    EXPECT_TRUE(app.m_doc.m_bChanged);

    // Open is the application's: the dialog, then the document.
    const std::string path = m_dir.Write("frame.tcl", "node 1 0 0\n");
    m_ui.QueueFileName(path);
    m_ui.QueueAnswer(true);
    pFrame->ActionOf(ID_FILE_OPEN)->trigger();
    EXPECT_EQ(pFrame->windowTitle(), "frame.tcl - Corvale - VORSA");
    EXPECT_EQ(edit.GetCharFormatAt(0).crTextColor, kGreen);
}

TEST_F(MainFrameTest, AScriptOnTheCommandLineOpensAndAMissingOneEndsTheProgram)
{
    {
        CCorvaleApp app;
        ASSERT_TRUE(app.InitInstance({"corvale", CORVALE_SOURCE_DIR "/share/demo/example.tcl"}));
        EXPECT_EQ(app.MainFrame()->windowTitle(), "example.tcl - Corvale - VORSA");
        EXPECT_FALSE(app.m_doc.m_bChanged);
        EXPECT_GT(app.MainFrame()->GetDialogBar()->m_pVariables->count(), 2);
        EXPECT_EQ(app.MainFrame()->GetDialogBar()->m_pVariables->currentIndex(), -1);
    }
    {
        CCorvaleApp app;
        EXPECT_FALSE(app.InitInstance({"corvale", m_dir.PathOf("missing.tcl")}));
    }
    // A FIFO named on the command line ends the program too, instead of blocking it.
    ASSERT_EQ(mkfifo(m_dir.PathOf("pipe.tcl").c_str(), 0600), 0);
    CCorvaleApp app;
    EXPECT_FALSE(app.InitInstance({"corvale", m_dir.PathOf("pipe.tcl")}));
    EXPECT_THAT(m_ui.m_messages,
                ::testing::ElementsAre(m_dir.PathOf("missing.tcl") + " was not found.",
                                       "Failed to open document."));
}

TEST_F(MainFrameTest, TheToolBarHasItsSixteenButtonsWithTheirTipsAsWritten)
{
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({"corvale"}));
    QStringList tips;
    QStringList prompts;
    for (const QAction* pAction : app.MainFrame()->GetToolBar()->actions())
    {
        tips << (pAction->isSeparator() ? QStringLiteral("|") : pAction->toolTip());
        if (!pAction->isSeparator())
        {
            prompts << pAction->statusTip();
            EXPECT_FALSE(pAction->icon().isNull()) << pAction->toolTip().toStdString();
        }
    }
    EXPECT_EQ(tips.join(',').toStdString(),
              "New,Open,Save,|,Cut,Copy,Paste,|, Print, Print Preview,|, Redo sytax highlighting, "
              "Sytax highlight current line,|,Comment Selection, Uncomment Selection,|, Run "
              "Vorsa,|, Turn on "
              "or off help,About,User information");
    EXPECT_EQ(prompts.size(), 16);
    EXPECT_EQ(prompts[8], "Redo syntax highlighting");
    EXPECT_EQ(prompts[13], "Turn On - Off help");
}

TEST_F(MainFrameTest, TheInformationDialogsSayWhatTheyShould)
{
    const std::string menuText = CUserInfoDlg::InformationText("NOTE: - ");
    const std::string barText = CUserInfoDlg::InformationText("NOTE - ");
    EXPECT_EQ(menuText.rfind("NOTE: - ", 0), 0u);
    EXPECT_EQ(barText.rfind("NOTE - ", 0), 0u);
    EXPECT_EQ(menuText.substr(8), barText.substr(7));
    EXPECT_LT(menuText.size(), 2000u);
    EXPECT_NE(menuText.find(std::string(62, '_')), std::string::npos);
    EXPECT_NE(menuText.find("Information for VORSA Developers:"), std::string::npos);
    EXPECT_NE(menuText.find("with Ctrl+V or with the middle mouse button"), std::string::npos);
    EXPECT_NE(menuText.find("*.txt files in the editor's directory"), std::string::npos);

    // OK closes the dialog while the text fits the 2,000 characters.
    CUserInfoDlg dialog;
    dialog.m_strText = menuText;
    QTimer::singleShot(0, &dialog, &CUserInfoDlg::accept);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.windowTitle(), "User/Developer Information");
    EXPECT_TRUE(dialog.m_pText->isReadOnly());
    EXPECT_TRUE(m_ui.m_messages.empty());

    CUserInfoDlg tooLong;
    tooLong.m_strText = std::string(2001, 'x');
    QTimer::singleShot(0, &tooLong, &CUserInfoDlg::accept);
    QTimer::singleShot(0, &tooLong, &QDialog::reject);
    EXPECT_EQ(tooLong.exec(), QDialog::Rejected);
    EXPECT_THAT(m_ui.m_messages,
                ::testing::ElementsAre("Please enter no more than 2000 characters."));

    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), "About Corvale");
    QString shown;
    for (const QLabel* pLabel : about.findChildren<QLabel*>())
        shown += pLabel->text();
    EXPECT_TRUE(shown.contains("Corvale Version 0.3.1 (beta)  February 20, 2001"));
    EXPECT_TRUE(shown.contains("6. Fixed scrolling issues with Windows 2000"));
    EXPECT_TRUE(shown.contains("Read in the above information through the configuration file"));
}

TEST_F(MainFrameTest, AFileDroppedOnTheWindowOpensAndIsRemembered)
{
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({"corvale"}));
    CMainFrame* pFrame = app.MainFrame();
    const std::string path = m_dir.Write("portal.tcl", "element Truss 1 1 2 10.0 1\n");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(300, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pFrame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(300, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pFrame, &drop);
    EXPECT_EQ(pFrame->windowTitle(), "portal.tcl - Corvale - VORSA");

    QSettings settings;
    EXPECT_EQ(settings.organizationName(), "Local AppWizard-Generated Applications");
    EXPECT_EQ(settings.value("Recent File List/File1").toString().toStdString(), path);
}

TEST_F(MainFrameTest, ShortcutsInTheEditingPaneReachTheDocumentsCommands)
{
    CCorvaleApp app;
    CMainFrame* pFrame = StartActive(app);
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = EditingPane(pFrame);
    edit.setFocus();
    QApplication::clipboard()->setText("element");
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.GetWindowText(), "element");
    EXPECT_TRUE(app.m_doc.m_bChanged);
    EXPECT_EQ(edit.GetCharFormatAt(0).crTextColor, kGreen); // the pasted line is coloured

    app.m_doc.m_bChanged = false;
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.GetWindowText(), "");
    EXPECT_TRUE(app.m_doc.m_bChanged);
}

TEST_F(MainFrameTest, TheDialogBarDrivesGoTheListsOpenAndTheHelpButton)
{
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({"corvale", CORVALE_SOURCE_DIR "/share/demo/example.tcl"}));
    CMainFrame* pFrame = app.MainFrame();
    CDialogBar* pBar = pFrame->GetDialogBar();
    CScriptEdit& edit = EditingPane(pFrame);

    pBar->m_pLineNumber->setText("4");
    pBar->m_pGo->click();
    EXPECT_EQ(edit.GetSelText(), "model -dims 2 -dofs 3");

    // Picking an entry with the mouse jumps to its line at once, and so does
    // every later pick; closing the list again repeats the jump.
    CCloseUpComboBox* pVariables = pBar->m_pVariables;
    PickWithMouse(*pVariables, "storyHeight");
    EXPECT_EQ(edit.GetSelText(), "set storyHeight 3.5");
    PickWithMouse(*pVariables, "bayWidth");
    EXPECT_EQ(edit.GetSelText(), "set bayWidth 6.0");
    edit.SetSel(0, 0);
    pVariables->showPopup();
    QTest::keyClick(pVariables->view(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(edit.GetSelText(), "set bayWidth 6.0");

    // The keyboard: Alt+Down opens the list, Down moves to the next entry, Enter picks it.
    const int nBay = pVariables->findText("bayWidth");
    ASSERT_GE(nBay, 0);
    ASSERT_LT(nBay + 1, pVariables->count());
    const QString next = pVariables->itemText(nBay + 1);
    QTest::keyClick(pVariables, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(pVariables->view()->isVisible());
    QTest::keyClick(pVariables->view(), Qt::Key_Down);
    QTest::keyClick(pVariables->view(), Qt::Key_Return);
    QCoreApplication::sendPostedEvents();
    EXPECT_THAT(edit.GetSelText(), ::testing::StartsWith("set " + next.toStdString() + " "));

    // Open starts the configured editor on the Source entry just picked.
    PickWithMouse(*pBar->m_pSources, "materials_part.tcl");
    EXPECT_EQ(edit.GetSelText(), "source materials_part.tcl");
    pBar->m_pOpen->click();
    ASSERT_EQ(m_ui.m_startedPrograms.size(), 1u);
    EXPECT_EQ(m_ui.m_startedPrograms[0], "not found|materials_part.tcl");
    // The entry is relative; the editor started now finds it beside the script.
    EXPECT_TRUE(QFileInfo::exists("materials_part.tcl"));

    // The help button shows pressed while help is on.
    app.m_router.UpdateCommandStates();
    QAction* pHelp = pFrame->ActionOf(ID_HELP_ON_OFF);
    EXPECT_TRUE(pHelp->isChecked());
    pHelp->trigger();
    app.m_router.UpdateCommandStates();
    EXPECT_FALSE(pHelp->isChecked());
    EXPECT_EQ(pFrame->GetRightPane()->m_fSplitRatio, 1.0f);
    EXPECT_FALSE(app.m_doc.m_bChanged);

    // A new script starts with empty lists: Open has no entry of the last
    // script to start the editor on.
    pFrame->ActionOf(ID_FILE_NEW)->trigger();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(pVariables->count(), 0);
    EXPECT_EQ(pBar->m_pSources->count(), 0);
    pBar->m_pOpen->click();
    EXPECT_EQ(m_ui.m_startedPrograms.size(), 1u);
}

TEST_F(MainFrameTest, StartAnalysisWritesExecBatAndStartsItWithoutSaving)
{
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({"corvale"}));
    CMainFrame* pFrame = app.MainFrame();
    QDir::setCurrent(QString::fromStdString(m_dir.Prefix()));

    // Without a usable exe nothing is written.
    pFrame->OnStartAnalysis();
    EXPECT_THAT(m_ui.m_messages, ::testing::ElementsAre("Error - corvale.conf"));
    EXPECT_FALSE(QFile::exists(QStringLiteral("exec.bat")));

    const std::string vorsa = m_dir.Write("vorsa", "");
    pFrame->GetRightPane()->m_config.exe = vorsa;
    pFrame->GetRightPane()->m_config.bin = m_dir.Prefix();
    EditingPane(pFrame).SetWindowText("unsaved edits");
    pFrame->OnStartAnalysis();
    pFrame->OnStartAnalysis(); // runs may follow one another; the file is written anew
    EXPECT_EQ(ReadFileBytes(m_dir.PathOf("exec.bat")), ComposeBatchFile(vorsa, "", m_dir.Prefix()));
    ASSERT_EQ(m_ui.m_startedPrograms.size(), 2u);
    EXPECT_THAT(m_ui.m_startedPrograms[0], ::testing::EndsWith("corvale-batch|exec.bat"));
    EXPECT_TRUE(app.m_doc.GetPathName().empty());

    m_ui.m_bProgramsStart = false;
    pFrame->OnStartAnalysis();
    EXPECT_EQ(m_ui.m_messages.back(), "Error opening file");
}

TEST(CommandLine, SwitchesAndNamesAreReadInTheOldFrameworksOrder)
{
    using Info = CCommandLineInfo;
    EXPECT_EQ(Info({"corvale"}).m_nShellCommand, Info::FileNew);
    const Info open({"corvale", "/home/eng/frame.tcl"});
    EXPECT_EQ(open.m_nShellCommand, Info::FileOpen);
    EXPECT_EQ(open.m_strFileName, "/home/eng/frame.tcl"); // an absolute path, not a switch
    const Info print({"corvale", "/P", "frame.tcl"});
    EXPECT_EQ(print.m_nShellCommand, Info::FilePrint);
    EXPECT_EQ(print.m_strFileName, "frame.tcl");
    const Info printTo({"corvale", "/pt", "frame.tcl", "Office Laser", "driver", "port"});
    EXPECT_EQ(printTo.m_nShellCommand, Info::FilePrintTo);
    EXPECT_EQ(printTo.m_strFileName, "frame.tcl");
    EXPECT_EQ(printTo.m_strPrinterName, "Office Laser");
    EXPECT_EQ(printTo.m_strDriverName, "driver");
    EXPECT_EQ(printTo.m_strPortName, "port");
    EXPECT_EQ(Info({"corvale", "/Unregister"}).m_nShellCommand, Info::AppUnregister);
    EXPECT_EQ(Info({"corvale", "-unregserver"}).m_nShellCommand, Info::AppUnregister);
}

TEST_F(MainFrameTest, PrintSwitchesPrintTheNamedScriptAndUnregisterEnds)
{
    const std::string path = m_dir.Write("print me.tcl", "set x 1\n# a comment\nnode 1 0 0\n");
    {
        CCorvaleApp app;
        EXPECT_FALSE(app.InitInstance({"corvale", "/p", path}));
        EXPECT_TRUE(app.m_bEndedAsAsked);
        EXPECT_THAT(m_ui.m_messages,
                    ::testing::ElementsAre("Sending to Print Device/ Print Preview"));
    }
    const bool bPdf = QPrinterInfo::availablePrinters().isEmpty();
    if (bPdf)
    {
        EXPECT_TRUE(QFile::exists(QString::fromStdString(path + ".pdf")));
        QFile::remove(QString::fromStdString(path + ".pdf"));
    }

    // /pt takes the script first and the printer second.
    {
        CCorvaleApp app;
        EXPECT_FALSE(app.InitInstance({"corvale", "/pt", path, "Office Laser"}));
        EXPECT_TRUE(app.m_bEndedAsAsked);
        EXPECT_EQ(app.m_doc.GetPathName(), path);
        EXPECT_EQ(m_ui.m_messages.size(), 2u);
        if (bPdf)
        {
            EXPECT_TRUE(QFile::exists(QString::fromStdString(path + ".pdf")));
        }
    }

    // /Unregister removes what the program keeps and ends before any window.
    QSettings().setValue("Recent File List/File1", QString::fromStdString(path));
    CCorvaleApp app;
    EXPECT_FALSE(app.InitInstance({"corvale", "/Unregister"}));
    EXPECT_TRUE(app.m_bEndedAsAsked);
    EXPECT_EQ(app.MainFrame(), nullptr);
    EXPECT_TRUE(QSettings().allKeys().isEmpty());
}

TEST_F(MainFrameTest, TheWorkingDirectoryFollowsTheScriptAndPathsAreFull)
{
    m_dir.MakeDirectory("frame");
    m_dir.MakeDirectory("portal");
    const std::string frame = m_dir.Write("frame/frame.tcl", "set bays 3\n");
    const std::string portal = m_dir.Write("portal/portal.tcl", "set bays 1\n");
    QDir::setCurrent(QString::fromStdString(m_dir.Prefix()));

    // A relative name on the command line.
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({"corvale", "frame/frame.tcl"}));
    CMainFrame* pFrame = app.MainFrame();
    EXPECT_EQ(app.m_doc.GetPathName(), frame);
    EXPECT_EQ(QDir::currentPath().toStdString(), m_dir.PathOf("frame"));
    EXPECT_EQ(QSettings().value("Recent File List/File1").toString().toStdString(), frame);

    // Run writes exec.bat beside the script and names it in full.
    const std::string vorsa = m_dir.Write("vorsa", "");
    pFrame->GetRightPane()->m_config.exe = vorsa;
    pFrame->GetRightPane()->m_config.bin = m_dir.Prefix();
    QTest::mouseClick(pFrame->GetToolBar()->widgetForAction(pFrame->ActionOf(ID_START_ANALYSIS)),
                      Qt::LeftButton);
    EXPECT_EQ(ReadFileBytes(m_dir.PathOf("frame/exec.bat")),
              ComposeBatchFile(vorsa, frame, m_dir.Prefix()));

    // A dropped script moves it to its own folder.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(portal))});
    QDragEnterEvent enter(QPoint(300, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pFrame, &enter);
    QDropEvent drop(QPointF(300, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pFrame, &drop);
    EXPECT_EQ(app.m_doc.GetPathName(), portal);
    EXPECT_EQ(QDir::currentPath().toStdString(), m_dir.PathOf("portal"));

    // So does Save As.
    m_ui.QueueFileName(m_dir.PathOf("frame/portal copy.tcl"));
    pFrame->ActionOf(ID_FILE_SAVE_AS)->trigger();
    EXPECT_EQ(app.m_doc.GetPathName(), m_dir.PathOf("frame/portal copy.tcl"));
    EXPECT_EQ(QDir::currentPath().toStdString(), m_dir.PathOf("frame"));

    // The real Open dialog starts there.
    CQtUserInteraction dialogs;
    QString shownFolder;
    QTimer::singleShot(0,
                       [&]
                       {
                           auto* pDialog =
                               qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                           ASSERT_NE(pDialog, nullptr);
                           shownFolder = pDialog->directory().absolutePath();
                           pDialog->reject();
                       });
    std::string chosen;
    EXPECT_FALSE(dialogs.AskOpenFileName(CCorvaleDoc::kFilter, chosen));
    EXPECT_EQ(shownFolder.toStdString(), m_dir.PathOf("frame"));
}

TEST_F(MainFrameTest, ReplacementsMadeInTheDialogAreNotThrownAwayWithoutAsking)
{
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({"corvale", CORVALE_SOURCE_DIR "/share/demo/example.tcl"}));
    CMainFrame* pFrame = app.MainFrame();
    CDialogBar* pBar = pFrame->GetDialogBar();
    CScriptEdit& edit = EditingPane(pFrame);
    const std::string original = edit.GetWindowText();
    ASSERT_FALSE(app.m_doc.m_bChanged);

    QTest::keyClicks(pBar->m_pFindText, "storyHeight");
    QTest::mouseClick(pBar->m_pFind, Qt::LeftButton);
    CFindReplaceDlg* pDialog = pFrame->GetRightPane()->m_pFindReplaceDlg;
    ASSERT_NE(pDialog, nullptr);
    EXPECT_EQ(pDialog->m_pFindWhat->text(), "storyHeight");
    QTest::keyClicks(pDialog->m_pReplaceWith, "floorHeight");
    QTest::mouseClick(ButtonWithText(*pDialog, "Replace &All"), Qt::LeftButton);
    EXPECT_THAT(m_ui.m_messages,
                ::testing::ElementsAre("All occurences of <storyHeight> \nhave been changed"));
    EXPECT_EQ(edit.GetWindowText().find("storyHeight"), std::string::npos);
    EXPECT_TRUE(app.m_doc.m_bChanged);

    // File New asks before the replacements go; No keeps them.
    m_ui.QueueAnswer(false);
    pFrame->ActionOf(ID_FILE_NEW)->trigger();
    EXPECT_THAT(m_ui.m_questions, ::testing::ElementsAre("File has been modified, close anyway?"));
    EXPECT_NE(edit.GetWindowText().find("floorHeight"), std::string::npos);

    // One Replace press is a change too: closing the window asks.
    m_ui.QueueAnswer(true);
    ASSERT_TRUE(app.m_doc.OnOpenDocument(CORVALE_SOURCE_DIR "/share/demo/example.tcl"));
    EXPECT_EQ(edit.GetWindowText(), original);
    edit.SetSel(0, 0);
    QTest::mouseClick(ButtonWithText(*pDialog, "&Replace"), Qt::LeftButton);
    EXPECT_TRUE(app.m_doc.m_bChanged);
    m_ui.QueueAnswer(false);
    EXPECT_FALSE(pFrame->close());
    EXPECT_EQ(m_ui.m_questions.size(), 3u);
    EXPECT_EQ(m_ui.m_nUnexpectedQuestions, 0);
}

TEST_F(MainFrameTest, UndoBringsTextBackInItsColours)
{
    CCorvaleApp app;
    CMainFrame* pFrame = StartActive(app);
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = EditingPane(pFrame);
    edit.setFocus();

    QTest::keyClicks(&edit, "set x 1");
    ASSERT_EQ(edit.GetCharFormatAt(0).crTextColor, kPurple);

    // A deleted keyword comes back purple.
    QTest::keyClick(&edit, Qt::Key_Home);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&edit, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&edit, Qt::Key_Delete);
    ASSERT_EQ(edit.GetWindowText(), " x 1");
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.GetWindowText(), "set x 1");
    for (long nPos = 0; nPos < 3; ++nPos)
        EXPECT_EQ(edit.GetCharFormatAt(nPos).crTextColor, kPurple) << nPos;

    // Comment from the tool bar, then Undo: the line is no longer grey.
    QAction* pComment = pFrame->ActionOf(ID_COMMENT_SELECTION);
    QTest::mouseClick(pFrame->GetToolBar()->widgetForAction(pComment), Qt::LeftButton);
    ASSERT_EQ(edit.GetWindowText(), "#set x 1");
    ASSERT_EQ(edit.GetCharFormatAt(4).crTextColor, kGrey);
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.GetWindowText(), "set x 1");
    EXPECT_EQ(edit.GetCharFormatAt(0).crTextColor, kPurple);
    EXPECT_EQ(edit.GetCharFormatAt(4).crTextColor, kBlack);
    EXPECT_TRUE(app.m_doc.m_bChanged);
}

TEST_F(MainFrameTest, ThePrintDialogsRangeAndPrintSetupsChoiceAreHonoured)
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "prints to PDF only where no printer is installed";
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({"corvale"}));
    CMainFrame* pFrame = app.MainFrame();
    std::string script;
    for (int i = 0; i < 400; ++i)
        script += (i % 7 == 0 ? "# part " : "node ") + std::to_string(i) + " 0.0 0.0\n";
    EditingPane(pFrame).SetWindowText(script);
    QWidget* pPrintButton = pFrame->GetToolBar()->widgetForAction(pFrame->ActionOf(ID_PRINT));

    // Pages 2 to 2 print one page, with one message.
    const std::string rangePdf = m_dir.PathOf("range.pdf");
    WhenDialogShows(
        [&](QWidget& dialog)
        {
            QTest::mouseClick(ButtonWithText(dialog, "&Options >>"), Qt::LeftButton);
            EXPECT_FALSE(dialog.findChild<QRadioButton*>("printSelection")->isVisible());
            EXPECT_FALSE(dialog.findChild<QRadioButton*>("printCurrentPage")->isVisible());
            auto* pRange = dialog.findChild<QRadioButton*>("printRange");
            ASSERT_TRUE(pRange->isVisible());
            QTest::mouseClick(pRange, Qt::LeftButton);
            TypeOver(*dialog.findChild<QSpinBox*>("to")->findChild<QLineEdit*>(), "2");
            TypeOver(*dialog.findChild<QSpinBox*>("from")->findChild<QLineEdit*>(), "2");
            TypeOver(*dialog.findChild<QLineEdit*>("filename"), QString::fromStdString(rangePdf));
            QTest::mouseClick(ButtonWithText(dialog, "&Print"), Qt::LeftButton);
        });
    QTest::mouseClick(pPrintButton, Qt::LeftButton);
    EXPECT_EQ(PagesInPdf(ReadFileBytes(rangePdf)), 1);
    EXPECT_EQ(m_ui.m_messages.size(), 1u);

    // Print Setup chooses the output for what follows; the next print starts on
    // all pages again, with a message before each.
    const std::string setupPdf = m_dir.PathOf("chosen in setup.pdf");
    WhenDialogShows(
        [&](QWidget& dialog)
        {
            EXPECT_EQ(dialog.windowTitle(), "Print Setup");
            TypeOver(*dialog.findChild<QLineEdit*>("filename"), QString::fromStdString(setupPdf));
            QTest::mouseClick(ButtonWithText(dialog, "OK"), Qt::LeftButton);
        });
    pFrame->ActionOf(ID_FILE_PRINT_SETUP)->trigger();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(setupPdf))); // set up, not printed
    QString shownFile;
    WhenDialogShows(
        [&](QWidget& dialog)
        {
            shownFile = dialog.findChild<QLineEdit*>("filename")->text();
            QTest::mouseClick(ButtonWithText(dialog, "&Print"), Qt::LeftButton);
        });
    m_ui.m_messages.clear();
    QTest::mouseClick(pPrintButton, Qt::LeftButton);
    EXPECT_EQ(shownFile.toStdString(), setupPdf);
    const int nPages = PagesInPdf(ReadFileBytes(setupPdf));
    EXPECT_GE(nPages, 3);
    EXPECT_EQ(static_cast<int>(m_ui.m_messages.size()), nPages);

    // A preview of those pages shows the message once, however often it is drawn.
    m_ui.m_messages.clear();
    WhenDialogShows(
        [&](QWidget& dialog)
        {
            auto* pPreview = dialog.findChild<QPrintPreviewWidget*>();
            ASSERT_NE(pPreview, nullptr);
            EXPECT_EQ(pPreview->pageCount(), nPages);
            pPreview->updatePreview();
            dialog.close();
        });
    QTest::mouseClick(pFrame->GetToolBar()->widgetForAction(pFrame->ActionOf(ID_PRINT_PREVIEW)),
                      Qt::LeftButton);
    EXPECT_THAT(m_ui.m_messages, ::testing::ElementsAre("Sending to Print Device/ Print Preview"));
}

TEST_F(MainFrameTest, F6MovesBetweenTheCommandTreeAndTheEditorView)
{
    CCorvaleApp app;
    CMainFrame* pFrame = StartActive(app);
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = EditingPane(pFrame);
    QWidget& tree = pFrame->GetLeftPane()->m_tree;

    edit.setFocus();
    QTest::keyClick(&edit, Qt::Key_F6);
    EXPECT_TRUE(tree.hasFocus());
    QTest::keyClick(&tree, Qt::Key_F6);
    EXPECT_TRUE(edit.hasFocus());
    QTest::keyClick(&edit, Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(tree.hasFocus());
    QTest::keyClick(&tree, Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(edit.hasFocus());

    // From the summary pane, part of the editor view, the next pane is the tree.
    SummaryPane(pFrame).setFocus();
    QTest::keyClick(&SummaryPane(pFrame), Qt::Key_F6);
    EXPECT_TRUE(tree.hasFocus());
}

TEST_F(MainFrameTest, StartAnalysisRunsOnlyWhatTheUserConfigured)
{
    m_dir.MakeDirectory("run");
    const std::string vorsa = m_dir.Write("run/vorsa", "#!/bin/sh\ntouch \"$0.ran\"\n");
    QFile::setPermissions(QString::fromStdString(vorsa),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A script whose name holds line feeds would split exec.bat into program
    // lines of its own: Start Analysis refuses it, and whatever lies in the
    // folder, the real runner runs no program the user did not name.
    const std::string hostile = m_dir.Write("run/x\ntouch INJECTED\n.tcl", "set x 1\n");
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({"corvale", hostile}));
    CMainFrame* pFrame = app.MainFrame();
    pFrame->GetRightPane()->m_config.exe = vorsa;
    pFrame->GetRightPane()->m_config.bin = m_dir.PathOf("run/");
    QWidget* pRun = pFrame->GetToolBar()->widgetForAction(pFrame->ActionOf(ID_START_ANALYSIS));
    QTest::mouseClick(pRun, Qt::LeftButton);
    EXPECT_THAT(m_ui.m_messages, ::testing::ElementsAre(::testing::HasSubstr("line break")));
    EXPECT_TRUE(m_ui.m_startedPrograms.empty());
    if (QFile::exists(QStringLiteral("exec.bat")))
    {
        QProcess runner;
        runner.start(QStringLiteral(CORVALE_BATCH_PATH), {QStringLiteral("exec.bat")});
        ASSERT_TRUE(runner.waitForFinished(30000));
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(m_dir.PathOf("run/INJECTED"))));

    // exec.bat as a symlink is replaced by the file; what it pointed to is kept.
    const std::string script = m_dir.Write("run/frame.tcl", "set x 1\n");
    const std::string victim = m_dir.Write("victim.txt", "precious\n");
    QFile::remove(QString::fromStdString(m_dir.PathOf("run/exec.bat")));
    ASSERT_TRUE(QFile::link(QString::fromStdString(victim), m_dir.PathOf("run/exec.bat").c_str()));
    ASSERT_TRUE(app.m_doc.OnOpenDocument(script));
    QTest::mouseClick(pRun, Qt::LeftButton);
    EXPECT_EQ(ReadFileBytes(victim), "precious\n");
    EXPECT_FALSE(QFileInfo(QString::fromStdString(m_dir.PathOf("run/exec.bat"))).isSymLink());
    EXPECT_EQ(ReadFileBytes(m_dir.PathOf("run/exec.bat")),
              ComposeBatchFile(vorsa, script, m_dir.PathOf("run/")));
    EXPECT_EQ(QDir(QString::fromStdString(m_dir.PathOf("run"))).entryList({"exec.bat*"}),
              QStringList{"exec.bat"});
    ASSERT_EQ(m_ui.m_startedPrograms.size(), 1u);
}

TEST_F(MainFrameTest, EveryCommandInAMenuOrOnTheToolBarReachesAHandler)
{
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({"corvale"}));
    std::vector<int> ids = ToolBarLayout();
    for (const CMenuLayout& menu : MenuLayout())
        ids.insert(ids.end(), menu.ids.begin(), menu.ids.end());
    for (const CCommandInfo& info : CommandTable())
        ids.push_back(info.nId);
    for (const int nId : ids)
    {
        if (nId == kSeparator)
            continue;
        ASSERT_NE(CommandInfo(nId), nullptr) << nId;
        // "Recent File" has no command behind it and stands disabled by design.
        EXPECT_EQ(app.m_router.Handles(nId), nId != ID_RECENT_FILE) << nId;
        EXPECT_NE(app.MainFrame()->ActionOf(nId), nullptr) << nId;
    }
}

TEST_F(MainFrameTest, ThePopupMenuHasTheEditingCommandsAndRoutesThem)
{
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({"corvale"}));
    CCorvaleView* pView = app.MainFrame()->GetRightPane();
    const std::unique_ptr<QMenu> pMenu = pView->CreatePopupMenu();
    QStringList texts;
    for (const QAction* pAction : pMenu->actions())
        texts << (pAction->isSeparator() ? QStringLiteral("-") : pAction->text());
    EXPECT_EQ(texts, (QStringList{"Fontify line", "-", "Comment", "Uncomment", "-", "Cut", "Copy",
                                  "Paste", "Undo", "Redo"}));

    pView->EditPane().setFocus();
    pView->EditPane().SetWindowText("model");
    pView->EditPane().SetSel(0, 5);
    pMenu->actions().at(5)->trigger(); // Cut
    EXPECT_EQ(pView->EditPane().GetWindowText(), "");
    EXPECT_TRUE(app.m_doc.m_bChanged);
    pMenu->actions().at(8)->trigger(); // Undo
    EXPECT_EQ(pView->EditPane().GetWindowText(), "model");
}
