// What only a real window system shows: which window is active and where the
// next key goes.
#include "ServerKeys.h"
#include "app/CorvaleApp.h"
#include "app/DialogBar.h"
#include "app/MainFrame.h"
#include "editor/ScriptEdit.h"
#include "platform/ScriptedUserInteraction.h"
#include "support/ProgramWindow.h"
#include "support/TempDir.h"
#include "support/UserActions.h"
#include "view/CorvaleView.h"
#include "view/FindReplaceDlg.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <gmock/gmock.h>

namespace
{
class WindowFocusTest : public ::testing::Test
{
protected:
    WindowFocusTest() { m_dir.UseAsConfigurationHome("help " CORVALE_SOURCE_DIR "/share/help/\n"); }

    // The user clicks into the dialog, which becomes the active window.
    static void ActivateDialog(QDialog& dialog)
    {
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &dialog; }));
    }

    // A key typed now goes to the window that has the keyboard.
    static void TypeIntoActiveWindow(Qt::Key key)
    {
        QWindow* pWindow = QGuiApplication::focusWindow();
        ASSERT_NE(pWindow, nullptr);
        QTest::keyClick(pWindow, key);
    }

    CTempDir m_dir;
    CScriptedUserInteraction m_ui;
};
} // namespace

TEST_F(WindowFocusTest, FindNextAndReplaceShowTheMatchSelectedInTheActiveMainWindow)
{
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({"corvale", CORVALE_SOURCE_DIR "/share/demo/example.tcl"}));
    CMainFrame* pFrame = app.MainFrame();
    pFrame->activateWindow(); // as a window manager does with a new window
    ASSERT_TRUE(QTest::qWaitForWindowActive(pFrame));
    CScriptEdit& edit = EditingPane(pFrame);
    CDialogBar* pBar = pFrame->GetDialogBar();

    QTest::keyClicks(pBar->m_pFindText, "storyHeight");
    QTest::mouseClick(pBar->m_pFind, Qt::LeftButton);
    CFindReplaceDlg* pDialog = pFrame->GetRightPane()->m_pFindReplaceDlg;
    ASSERT_NE(pDialog, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pDialog));
    ActivateDialog(*pDialog);

    // The labels are real mnemonics: Alt+P and Alt+N go to their boxes.
    pDialog->m_pFindWhat->setFocus();
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_P, Qt::AltModifier);
    EXPECT_TRUE(pDialog->m_pReplaceWith->hasFocus());
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(pDialog->m_pFindWhat->hasFocus());
    EXPECT_EQ(pDialog->m_pFindWhat->text().toStdString(), "storyHeight");

    // Find Next: the main window is active again, the pane has the keyboard and
    // shows the match selected, and the dialog stays open.
    QTest::mouseClick(ButtonWithText(*pDialog, "&Find Next"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == pFrame; }));
    EXPECT_TRUE(edit.hasFocus());
    EXPECT_TRUE(pDialog->isVisible());
    EXPECT_EQ(edit.GetSelText(), "storyHeight");
    const long nMatch = edit.GetTextLength();
    TypeIntoActiveWindow(Qt::Key_H); // the next key replaces the match, not the find text
    EXPECT_EQ(edit.GetTextLength(), nMatch - 10);
    EXPECT_EQ(pDialog->m_pFindWhat->text().toStdString(), "storyHeight");

    // Replace: the same.
    ActivateDialog(*pDialog);
    pDialog->m_pReplaceWith->setText("floorHeight");
    QTest::mouseClick(ButtonWithText(*pDialog, "&Replace"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == pFrame; }));
    EXPECT_TRUE(edit.hasFocus());
    EXPECT_TRUE(pDialog->isVisible());
    long nStart = 0;
    long nEnd = 0;
    edit.GetSel(nStart, nEnd);
    EXPECT_EQ(edit.GetTextRange(nStart - 11, nEnd), "floorHeight");

    // Replace All too, once its message is closed.
    ActivateDialog(*pDialog);
    QTest::mouseClick(ButtonWithText(*pDialog, "Replace &All"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == pFrame; }));
    EXPECT_TRUE(edit.hasFocus());
    EXPECT_EQ(edit.GetWindowText().find("storyHeight"), std::string::npos);
}

// The lock indicators follow the keyboard whether the window has the keys,
// when its own lock key tells it, or another one has them.
TEST_F(WindowFocusTest, TheCapsLockIndicatorFollowsTheKeyInAndOutOfTheWindow)
{
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({"corvale", CORVALE_SOURCE_DIR "/share/demo/example.tcl"}));
    CMainFrame* pFrame = app.MainFrame();
    pFrame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pFrame));
    auto* pCaps = pFrame->findChild<QLabel*>(QStringLiteral("CAP"));
    ASSERT_NE(pCaps, nullptr);
    ASSERT_TRUE(pCaps->text().isEmpty());
    ASSERT_TRUE(PressCapsLockAtServer());
    EXPECT_TRUE(QTest::qWaitFor([&] { return pCaps->text() == QStringLiteral("CAP"); }, 3000));

    // Another window has the keys: the indicator still follows them.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    ASSERT_TRUE(PressCapsLockAtServer());
    EXPECT_TRUE(QTest::qWaitFor([&] { return pCaps->text().isEmpty(); }, 3000));
}
