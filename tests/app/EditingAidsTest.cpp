// What every editor has, on the real window: redo, line numbers, the caret's
// line, brace matching, the search keys, and the summary pane's face.

#include "AppWindowTest.h"
#include "app/CorvaleApp.h"
#include "app/DialogBar.h"
#include "app/MainFrame.h"
#include "editor/ScriptEdit.h"
#include "platform/CommandIds.h"
#include "platform/ScriptedUserInteraction.h"
#include "support/Palette.h"
#include "support/ProgramWindow.h"
#include "support/TempDir.h"
#include "support/UserActions.h"
#include "view/CorvaleView.h"
#include "view/FindReplaceDlg.h"

#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace CommandId;

namespace
{

using EditingAidsTest = AppWindowTest;
} // namespace

TEST_F(EditingAidsTest, RedoByEitherKeyMenuOrPopupBringsTheChangeBackInColour)
{
    CMainFrame* pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = Edit(pFrame);
    QTest::keyClicks(&edit, "set x 1");
    QTest::keyClick(&edit, Qt::Key_Return);
    QTest::keyClicks(&edit, "node 1 0 0");
    const std::string typed = edit.GetWindowText();

    const QList<QKeySequence> redoKeys{QKeySequence(Qt::CTRL | Qt::Key_Y),
                                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)};
    for (const QKeySequence& keys : redoKeys)
    {
        while (edit.CanUndo())
            QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
        ASSERT_EQ(edit.GetWindowText(), "");
        m_app.m_doc.m_bChanged = false;
        while (edit.CanRedo())
            QTest::keySequence(&edit, keys);
        EXPECT_EQ(edit.GetWindowText(), typed) << keys.toString().toStdString();
        EXPECT_TRUE(m_app.m_doc.m_bChanged);
        // The text came back without its formats, and was recoloured.
        EXPECT_EQ(edit.GetCharFormatAt(0).crTextColor, kPurple);
        EXPECT_EQ(edit.GetCharFormatAt(9).crTextColor, kGreen);
    }

    // Edit > Redo sits under Undo, and so does the popup menu's Redo.
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    const std::string undone = edit.GetWindowText();
    ASSERT_NE(undone, typed);
    QAction* pRedo = pFrame->ActionOf(ID_EDIT_REDO);
    ASSERT_NE(pRedo, nullptr);
    EXPECT_EQ(pRedo->text(), "&Redo\tCtrl+Y");
    pRedo->trigger();
    EXPECT_EQ(edit.GetWindowText(), typed);
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    const std::unique_ptr<QMenu> pPopup = pFrame->GetRightPane()->CreatePopupMenu();
    const QList<QAction*> items = pPopup->actions();
    ASSERT_EQ(items.at(items.size() - 2)->text(), "Undo");
    ASSERT_EQ(items.back()->text(), "Redo");
    items.back()->trigger();
    EXPECT_EQ(edit.GetWindowText(), typed);
}

TEST_F(EditingAidsTest, LineNumbersFillTheMarginAndGrowWithTheScript)
{
    CMainFrame* pFrame = Start("set a 1\nnode 1 0 0\n");
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = Edit(pFrame);
    const int nNarrow = edit.LineNumberWidth();
    ASSERT_GT(nNarrow, 0);
    // The text starts right of the margin; the numbers are drawn in it.
    EXPECT_GE(edit.PosFromChar(0).x(), nNarrow);
    const QRect firstLine(0, edit.PosFromChar(0).y(), nNarrow, 14);
    EXPECT_GT(PixelsOf(*edit.viewport(), QColor(240, 240, 240), firstLine), 0);
    const QImage image = edit.viewport()->grab().toImage();
    int nDarkInMargin = 0;
    for (int y = firstLine.top(); y <= firstLine.bottom(); ++y)
    {
        for (int x = 0; x < nNarrow; ++x)
            nDarkInMargin += image.pixelColor(x, y).lightness() < 200 ? 1 : 0;
    }
    EXPECT_GT(nDarkInMargin, 3) << "no digit in the margin";

    // Typing the script past 999 lines widens the margin as it goes.
    std::string many;
    for (int i = 0; i < 1200; ++i)
        many += "node " + std::to_string(i) + " 0 0\r\n";
    edit.SetSel(edit.GetTextLength(), edit.GetTextLength());
    edit.ReplaceSel(many);
    QCoreApplication::processEvents();
    EXPECT_GT(edit.LineNumberWidth(), nNarrow);
    EXPECT_EQ(edit.GetCharFormatAt(0).crTextColor, kPurple);
}

TEST_F(EditingAidsTest, TheCaretLineIsTintedAndBracesPairWithoutChangingFormats)
{
    CMainFrame* pFrame = Start("if {[run 10] != 0} {\n  puts \\{\n}\nexpr {1 + [x]\n");
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = Edit(pFrame);
    const std::string text = edit.GetWindowText();
    std::vector<CCharFormat> before;
    for (long nPos = 0; nPos < edit.GetTextLength(); ++nPos)
        before.push_back(edit.GetCharFormatAt(nPos));

    // After the first "{": its partner is the "}" that closes the condition.
    PutCaret(edit, 4);
    EXPECT_EQ(edit.HighlightedBraces(), (std::pair<long, long>{3, 17}));
    // Before "[": the bracket pairs with "]".
    PutCaret(edit, 4);
    edit.SetSel(5, 5);
    QCoreApplication::processEvents();
    EXPECT_EQ(edit.HighlightedBraces(), (std::pair<long, long>{4, 11}));
    // The block's "{" at the line's end pairs with the "}" two lines down;
    // the quoted "\{" between them does not count.
    const long nBlockOpen = static_cast<long>(text.find("{\r\n"));
    PutCaret(edit, nBlockOpen + 1);
    EXPECT_EQ(edit.HighlightedBraces(),
              (std::pair<long, long>{nBlockOpen, static_cast<long>(text.find("\r\n}\r\n") + 2)}));
    // An unmatched brace is marked as such.
    const long nUnmatched = static_cast<long>(text.find("expr {") + 5);
    PutCaret(edit, nUnmatched);
    EXPECT_EQ(edit.HighlightedBraces(), (std::pair<long, long>{nUnmatched, -1}));
    EXPECT_GT(PixelsOf(*edit.viewport(), QColor(255, 170, 170)), 20);
    PutCaret(edit, 4);
    EXPECT_GT(PixelsOf(*edit.viewport(), QColor(160, 230, 160)), 40);
    // Away from braces nothing is marked; the caret's line is tinted.
    PutCaret(edit, 1);
    EXPECT_EQ(edit.HighlightedBraces(), (std::pair<long, long>{-1, -1}));
    EXPECT_EQ(PixelsOf(*edit.viewport(), QColor(160, 230, 160)), 0);
    EXPECT_GT(PixelsOf(*edit.viewport(), QColor(240, 244, 252)), 200);

    for (long nPos = 0; nPos < edit.GetTextLength(); ++nPos)
    {
        const CCharFormat after = edit.GetCharFormatAt(nPos);
        EXPECT_EQ(after.crTextColor, before[static_cast<size_t>(nPos)].crTextColor) << nPos;
        EXPECT_EQ(after.szFaceName, before[static_cast<size_t>(nPos)].szFaceName) << nPos;
    }
    EXPECT_FALSE(m_app.m_doc.m_bChanged);
}

TEST_F(EditingAidsTest, CtrlFFindsTheSelectionOrTheWordAtTheCaret)
{
    CMainFrame* pFrame = Start("set storyHeight 3.5\nnode 1 0.0 $storyHeight\nnode 2 0.0 1.0\n");
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = Edit(pFrame);
    CCorvaleView* pView = pFrame->GetRightPane();

    PutCaret(edit, 8); // inside "storyHeight"
    QTest::keyClick(&edit, Qt::Key_F, Qt::ControlModifier);
    ASSERT_NE(pView->m_pFindReplaceDlg, nullptr);
    EXPECT_TRUE(pView->m_pFindReplaceDlg->isVisible());
    EXPECT_EQ(pView->m_pFindReplaceDlg->m_pFindWhat->text(), "storyHeight");

    // With the dialog open, Ctrl+F gives it the selection instead.
    edit.activateWindow();
    edit.setFocus();
    edit.SetSel(21, 27); // "node 1"
    QTest::keyClick(&edit, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(pView->m_pFindReplaceDlg->m_pFindWhat->text(), "node 1");

    // Find Next in the dialog, then F3 in the pane finds the next one.
    TypeOver(*pView->m_pFindReplaceDlg->m_pFindWhat, "node");
    edit.SetSel(0, 0);
    QTest::mouseClick(ButtonWithText(*pView->m_pFindReplaceDlg, "&Find Next"), Qt::LeftButton);
    long nStart = 0;
    long nEnd = 0;
    edit.GetSel(nStart, nEnd);
    const long nFirst = static_cast<long>(edit.GetWindowText().find("node"));
    EXPECT_EQ(nStart, nFirst);
    QTest::mouseClick(ButtonWithText(*pView->m_pFindReplaceDlg, "Cancel"), Qt::LeftButton);
    edit.activateWindow();
    edit.setFocus();
    QTest::keyClick(&edit, Qt::Key_F3);
    edit.GetSel(nStart, nEnd);
    EXPECT_EQ(nStart, static_cast<long>(edit.GetWindowText().find("node", nFirst + 1)));
    EXPECT_EQ(nEnd, nStart + 4);
    EXPECT_THAT(m_ui.m_messages, ::testing::IsEmpty());
    QTest::keyClick(&edit, Qt::Key_F3);
    EXPECT_THAT(m_ui.m_messages, ::testing::ElementsAre("String not found"));
}

TEST_F(EditingAidsTest, CtrlGAndEnterInTheBoxesActLikeTheirButtons)
{
    CMainFrame* pFrame = Start("set a 1\nset b 2\nnode 1 0 0\nnode 2 1 0\n");
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = Edit(pFrame);
    CDialogBar* pBar = pFrame->GetDialogBar();

    QTest::keyClick(&edit, Qt::Key_G, Qt::ControlModifier);
    ASSERT_TRUE(pBar->m_pLineNumber->hasFocus());
    QTest::keyClicks(pBar->m_pLineNumber, "3");
    QTest::keyClick(pBar->m_pLineNumber, Qt::Key_Return);
    EXPECT_EQ(edit.GetSelText(), "node 1 0 0");
    EXPECT_TRUE(edit.hasFocus());

    // Ctrl+G again selects the old number, so typing replaces it.
    QTest::keyClick(&edit, Qt::Key_G, Qt::ControlModifier);
    QTest::keyClicks(pBar->m_pLineNumber, "2");
    QTest::keyClick(pBar->m_pLineNumber, Qt::Key_Enter);
    EXPECT_EQ(edit.GetSelText(), "set b 2");

    // Enter in the Find box is the Find button.
    QTest::keyClicks(pBar->m_pFindText, "node");
    QTest::keyClick(pBar->m_pFindText, Qt::Key_Return);
    CFindReplaceDlg* pDialog = pFrame->GetRightPane()->m_pFindReplaceDlg;
    ASSERT_NE(pDialog, nullptr);
    EXPECT_EQ(pDialog->m_pFindWhat->text(), "node");
    EXPECT_THAT(m_ui.m_messages, ::testing::IsEmpty());
}

TEST_F(EditingAidsTest, TheSummaryPaneShowsHelpInAFixedPitchFace)
{
    CMainFrame* pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    const CCharFormat format = SummaryPane(pFrame).GetDefaultCharFormat();
    EXPECT_EQ(format.szFaceName, CScriptEdit::FixedPitchFace());
    // What the user sees: every character as wide as the next. (Some fixed-pitch
    // faces, Noto Sans Mono among them, do not call themselves fixed pitch.)
    const QFontMetrics metrics(QFont(QString::fromStdString(format.szFaceName)));
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('i')),
              metrics.horizontalAdvance(QLatin1Char('W')));
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char(' ')),
              metrics.horizontalAdvance(QLatin1Char('W')));
    // At the height the pane always had: three quarters of the script's.
    EXPECT_EQ(format.yHeight, 157);
}
