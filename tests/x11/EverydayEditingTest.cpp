// The keyboard as a user meets it in a real window: chords that must type
// nothing, help that follows the caret and the tree, copying from the summary
// pane, auto-indent, folding and the marks of other occurrences.
#include "ProgramWindowTest.h"
#include "app/CorvaleApp.h"
#include "app/DialogBar.h"
#include "app/MainFrame.h"
#include "editor/BlockFolding.h"
#include "editor/ScriptEdit.h"
#include "platform/ScriptedUserInteraction.h"
#include "support/Palette.h"
#include "support/ProgramWindow.h"
#include "support/TempDir.h"
#include "support/UserActions.h"
#include "view/CorvaleView.h"
#include "view/FindReplaceDlg.h"
#include "view/LeftView.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gmock/gmock.h>

namespace
{
using EverydayEditingTest = ProgramWindowTest;
// The help of a top-level command, as the summary pane shows it: its header line.
bool ShowsHelpOf(const std::string& text, const std::string& command)
{
    return text.find(command + ":command") != std::string::npos;
}
} // namespace

TEST_F(EverydayEditingTest, ChordsWithCtrlOrAltTypeNothingButAltGrStillTypes)
{
    ASSERT_NE(Start("set a 1\n"), nullptr);
    CScriptEdit& edit = Edit();
    edit.SetSel(edit.GetTextLength(), edit.GetTextLength());
    const std::string before = edit.GetWindowText();
    for (const Qt::Key key : {Qt::Key_1, Qt::Key_9, Qt::Key_Equal, Qt::Key_Plus, Qt::Key_Period,
                              Qt::Key_Minus, Qt::Key_Comma, Qt::Key_Semicolon})
    {
        Press(key, Qt::ControlModifier);
        Press(key, Qt::AltModifier);
        Press(key, Qt::MetaModifier);
    }
    EXPECT_EQ(edit.GetWindowText(), before);
    EXPECT_FALSE(m_app.m_doc.m_bChanged);
    // The bound chords still work: Ctrl+End, and Ctrl+Z undoing a typed key.
    edit.SetSel(0, 0);
    Press(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(edit.GetSelText(), "");
    EXPECT_EQ(edit.LineFromChar(-1), edit.GetLineCount() - 1);
    // AltGr, as X11 reports it, types its character; so does Windows' Ctrl+Alt.
    QTest::sendKeyEvent(QTest::Click, QGuiApplication::focusWindow(), Qt::Key_At,
                        QStringLiteral("@"), Qt::GroupSwitchModifier);
    QTest::sendKeyEvent(QTest::Click, QGuiApplication::focusWindow(), Qt::Key_BraceLeft,
                        QStringLiteral("{"), Qt::ControlModifier | Qt::AltModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(edit.GetWindowText(), before + "@{");
}

TEST_F(EverydayEditingTest, TheHelpPaneFollowsTheCaretMovedByTheKeyboard)
{
    ASSERT_NE(Start("model -dims 2 -dofs 3\nnode 1 0.0 0.0\n\nsupport 1 1 1 1\n"
                    "element Truss 6 1 5 0.002 1\n"),
              nullptr);
    CScriptEdit& edit = Edit();
    const CCharFormat colourBefore = edit.GetCharFormatAt(edit.LineIndex(1));
    edit.SetSel(0, 0);
    Press(Qt::Key_Down);
    Settle();
    EXPECT_TRUE(ShowsHelpOf(SummaryText(), "node")) << SummaryText();
    Press(Qt::Key_Down); // a blank line: the help stays
    Settle();
    EXPECT_TRUE(ShowsHelpOf(SummaryText(), "node"));
    Press(Qt::Key_Down);
    Settle();
    EXPECT_TRUE(ShowsHelpOf(SummaryText(), "support"));
    Press(Qt::Key_Home, Qt::ControlModifier);
    Settle();
    EXPECT_TRUE(ShowsHelpOf(SummaryText(), "model"));
    Press(Qt::Key_End, Qt::ControlModifier);
    Press(Qt::Key_Up);
    Press(Qt::Key_End);
    Press(Qt::Key_Home);
    Press(Qt::Key_Right);
    Press(Qt::Key_Right);
    Press(Qt::Key_Right, Qt::ControlModifier);
    Press(Qt::Key_Right, Qt::ShiftModifier); // inside "Truss", with a selection
    Settle();
    EXPECT_NE(SummaryText().find("Truss:element"), std::string::npos) << SummaryText();
    // Nothing was coloured on the way, and nothing changed.
    EXPECT_EQ(edit.GetCharFormatAt(edit.LineIndex(1)), colourBefore);
    EXPECT_FALSE(m_app.m_doc.m_bChanged);

    // Go to line looks up too.
    Press(Qt::Key_G, Qt::ControlModifier);
    Type("2\n");
    Settle();
    EXPECT_TRUE(ShowsHelpOf(SummaryText(), "node"));

    // With help off, the keys leave the pane alone.
    m_app.m_router.RouteCommand(32787);
    ASSERT_EQ(edit.m_bHelpOn, 0);
    edit.setFocus();
    Press(Qt::Key_Down);
    Press(Qt::Key_Down);
    Settle();
    EXPECT_EQ(SummaryText(), " ");
}

TEST_F(EverydayEditingTest, TheCommandTreeShowsHelpForTheKeysAndEnterCopiesLikeAClick)
{
    ASSERT_NE(Start("set a 1\n"), nullptr);
    CLeftView* pTree = m_app.MainFrame()->GetLeftPane();
    Press(Qt::Key_F6);
    ASSERT_TRUE(pTree->HasFocus());
    pTree->m_tree.setCurrentIndex(pTree->ItemIndex(0));
    Press(Qt::Key_Down); // the first command under the root
    const std::string first = pTree->m_tree.m_model.TextOf(1);
    EXPECT_TRUE(ShowsHelpOf(SummaryText(), first)) << SummaryText();
    Press(Qt::Key_Down);
    const std::string second =
        pTree->m_tree.m_model.TextOf(pTree->m_tree.m_model.ItemOf(pTree->m_tree.currentIndex()));
    EXPECT_TRUE(ShowsHelpOf(SummaryText(), second));

    QApplication::clipboard()->clear();
    Press(Qt::Key_Return);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), second);
    EXPECT_EQ(m_app.MainFrame()->statusBar()->currentMessage().toStdString(), "Copied " + second);
    Press(Qt::Key_Up);
    Press(Qt::Key_Space);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), first);

    // With help off, the keys show nothing, but Enter shows and copies as a click does.
    m_app.m_router.RouteCommand(32787);
    ASSERT_EQ(SummaryText(), " ");
    pTree->FocusTree();
    Press(Qt::Key_Down);
    EXPECT_EQ(SummaryText(), " ");
    Press(Qt::Key_Enter);
    EXPECT_TRUE(ShowsHelpOf(SummaryText(), second));
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), second);
    EXPECT_EQ(Edit().m_bHelpOn, 0);
}

TEST_F(EverydayEditingTest, TheSummaryPaneCopiesItsOwnSelection)
{
    ASSERT_NE(Start("node 1 0.0 0.0\n"), nullptr);
    CScriptEdit& edit = Edit();
    CTextControl& summary = Summary();
    edit.SetSel(1, 1);
    QTest::mouseClick(edit.viewport(), Qt::LeftButton, Qt::NoModifier,
                      edit.PosFromChar(1) + QPoint(1, 3));
    ASSERT_TRUE(ShowsHelpOf(SummaryText(), "node"));
    const std::string text = summary.GetWindowText();
    const long nUsage = static_cast<long>(text.find("node <tag>"));
    ASSERT_GE(nUsage, 0);
    const long nUsageEnd = static_cast<long>(text.find('\r', static_cast<size_t>(nUsage)));

    // Select the usage line with the mouse and copy it with either key.
    QTest::mouseClick(summary.viewport(), Qt::LeftButton, Qt::NoModifier,
                      summary.PosFromChar(nUsage) + QPoint(1, 3));
    ASSERT_TRUE(summary.hasFocus());
    summary.SetSel(nUsage, nUsageEnd);
    QApplication::clipboard()->clear();
    Press(Qt::Key_C, Qt::ControlModifier);
    const QString usage = QString::fromStdString(text.substr(nUsage, nUsageEnd - nUsage));
    EXPECT_EQ(QApplication::clipboard()->text(), usage);
    QApplication::clipboard()->clear();
    Press(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), usage);

    // Its own menu: Copy and Select All.
    const std::unique_ptr<QMenu> pMenu = m_app.MainFrame()->GetRightPane()->CreateSummaryMenu();
    ASSERT_EQ(pMenu->actions().size(), 2);
    EXPECT_EQ(pMenu->actions()[0]->text(), "Copy");
    EXPECT_EQ(pMenu->actions()[1]->text(), "Select All");
    pMenu->actions()[1]->trigger();
    QApplication::clipboard()->clear();
    pMenu->actions()[0]->trigger();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), text);

    // With the focus back in the script, Copy is the script's again.
    edit.setFocus();
    edit.SetSel(0, 4);
    Press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "node");
}

TEST_F(EverydayEditingTest, EnterKeepsTheIndentAndABraceMovesItAsOneUndoStep)
{
    ASSERT_NE(Start("set a 1\n"), nullptr);
    CScriptEdit& edit = Edit();
    edit.SetSel(edit.GetTextLength(), edit.GetTextLength());
    Type("if {$a} {\nputs a\nif 1 {\nset b 2\n}\n}\n");
    EXPECT_EQ(edit.GetWindowText(), "set a 1\r\nif {$a} {\r\n    puts a\r\n    if 1 {\r\n"
                                    "        set b 2\r\n    }\r\n}\r\n");
    // Colouring is as it always was: "puts" purple, the blanks plain.
    const long nPuts = edit.LineIndex(2);
    EXPECT_EQ(edit.GetCharFormatAt(nPuts + 4).crTextColor, kPurple);
    EXPECT_EQ(edit.GetCharFormatAt(nPuts).crTextColor, kBlack);
    // Ctrl+Z takes back the last break, then the "}" with its outdent, then
    // the break before it with its blanks.
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.GetLine(6), "}");
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.GetLine(6), "    ");
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.GetLineCount(), 6);
    EXPECT_EQ(edit.GetLine(5), "    }");

    // A script indented with tabs keeps tabs.
    m_app.m_doc.m_bChanged = false;
    ASSERT_TRUE(m_app.m_doc.OnOpenDocument(m_dir.Write("tabs.tcl", "proc p {} {\n\tputs a\n")));
    edit.SetSel(edit.GetTextLength(), edit.GetTextLength());
    Type("\tif 1 {\nputs b\n}");
    EXPECT_EQ(edit.GetWindowText(), "proc p {} {\r\n\tputs a\r\n\tif 1 {\r\n\t\tputs b\r\n\t}");
}

TEST_F(EverydayEditingTest, BlocksFoldFromTheMarginAndTheKeysAndUnfoldForJumps)
{
    std::string script = "proc addStory {n} {\n    foreach i {1 2} {\n        node $i 0 $n\n"
                         "    }\n    puts \"\\{\"\n}\n# a { in a comment\nset storyHeight 3.5\n"
                         "loadcase 1 1 {\n    load 5 50.0 -120.0 0.0\n} ;# closed\n";
    ASSERT_NE(Start(script), nullptr);
    CScriptEdit& edit = Edit();
    Settle();
    // Headers: the proc, the foreach and the loadcase; the quoted and the
    // top-level comment's braces do not count.
    std::vector<long> headers;
    for (long nLine = 0; nLine < edit.GetLineCount(); ++nLine)
    {
        if (edit.FoldLevel(nLine).bHeader)
            headers.push_back(nLine);
    }
    EXPECT_THAT(headers, ::testing::ElementsAre(0, 1, 8));
    ASSERT_GT(edit.FoldMarginWidth(), 0);

    // A click on the proc's box folds it.
    const int nMarginX = edit.LineNumberWidth() + edit.FoldMarginWidth() / 2;
    QTest::mouseClick(edit.viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(nMarginX, edit.CharacterRect(0).center().y()));
    EXPECT_TRUE(edit.IsFolded(0));
    EXPECT_FALSE(edit.IsLineVisible(2));
    const std::string text = edit.GetWindowText();
    // Go to line shows the line again.
    edit.GoToLine(3);
    EXPECT_TRUE(edit.IsLineVisible(2));
    EXPECT_EQ(edit.GetSelText(), "        node $i 0 $n");

    // Ctrl+Shift+[ folds the block at the caret, Ctrl+Shift+] unfolds it.
    edit.SetSel(edit.LineIndex(9) + 4, edit.LineIndex(9) + 4);
    Press(Qt::Key_BracketLeft, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(edit.IsFolded(8));
    EXPECT_FALSE(edit.IsLineVisible(9));
    Press(Qt::Key_BracketRight, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(edit.IsFolded(8));
    EXPECT_TRUE(edit.IsLineVisible(9));

    // Find goes into a folded block.
    Press(Qt::Key_BracketLeft, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_FALSE(edit.IsLineVisible(9));
    edit.SetSel(0, 0);
    ASSERT_EQ(edit.FindNext("String not found", "load 5", 0), 0);
    EXPECT_TRUE(edit.IsLineVisible(9));
    // Typing a brace refolds what it changed: line 7 now opens a block.
    edit.SetSel(edit.LineIndex(7) + edit.LineLength(edit.LineIndex(7)),
                edit.LineIndex(7) + edit.LineLength(edit.LineIndex(7)));
    Type(" {");
    Settle();
    EXPECT_TRUE(edit.FoldLevel(7).bHeader);
    // A fold never touched the text.
    EXPECT_EQ(edit.GetWindowText(), text.substr(0, static_cast<size_t>(edit.LineIndex(7) + 19)) +
                                        " {" +
                                        text.substr(static_cast<size_t>(edit.LineIndex(7) + 19)));
}

TEST_F(EverydayEditingTest, OtherOccurrencesOfTheWordAtTheCaretAndOfASearchAreMarked)
{
    ASSERT_NE(Start("set bayWidth 6.0\nnode 2 $bayWidth 0.0\nnode 3 [expr {2 * $bayWidth}] 0.0\n"
                    "set bayWidthMax 9\n"),
              nullptr);
    CScriptEdit& edit = Edit();
    const std::string text = edit.GetWindowText();
    const long nFirst = static_cast<long>(text.find("bayWidth"));
    const CCharFormat colourBefore = edit.GetCharFormatAt(nFirst);
    edit.SetSel(0, 0);
    Press(Qt::Key_Right, Qt::ControlModifier); // onto "bayWidth"
    Press(Qt::Key_Right);
    Settle();
    const auto marked = [&] { return edit.IndicatorRanges(CTextControl::kOccurrenceIndicator); };
    const long nSecond = static_cast<long>(text.find("bayWidth", nFirst + 1));
    const long nThird = static_cast<long>(text.find("bayWidth", nSecond + 1));
    EXPECT_THAT(marked(), ::testing::ElementsAre(std::pair<long, long>{nSecond, nSecond + 8},
                                                 std::pair<long, long>{nThird, nThird + 8}));
    EXPECT_EQ(edit.GetCharFormatAt(nSecond), colourBefore);
    // A one-letter word, or none, marks nothing.
    edit.SetSel(static_cast<long>(text.find("2 $")), static_cast<long>(text.find("2 $")));
    Settle();
    EXPECT_THAT(marked(), ::testing::IsEmpty());

    // After Find Next, every match of the text searched for.
    edit.SetSel(0, 0);
    ASSERT_EQ(edit.FindNext("String not found", "node", 0), 0);
    Settle();
    EXPECT_EQ(marked().size(), 2u);
    ASSERT_EQ(edit.FindNext("String not found", "bayWidth", 2), 0);
    Settle();
    EXPECT_EQ(marked().size(), 3u); // whole words only: not bayWidthMax
    EXPECT_FALSE(m_app.m_doc.m_bChanged);
}
