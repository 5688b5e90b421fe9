// The analysis in the shown window: squiggles while typing, the tip under
// the mouse, F8 to a finding, the Problems pane, the status bar and the
// quick fix.
#include "ProgramWindowTest.h"
#include "editor/AnalysisMarks.h"
#include "panes/ProblemsPane.h"
#include "platform/CommandIds.h"
#include "support/UserActions.h"

#include <QLabel>
#include <QStatusBar>
#include <QToolTip>
#include <QTreeWidget>
#include <gmock/gmock.h>

namespace
{
using ScriptCheckWindowTest = ProgramWindowTest;

QString StatusPane(CMainFrame* pFrame, const char* name)
{
    const auto* pPane = pFrame->statusBar()->findChild<QLabel*>(QString::fromLatin1(name));
    return pPane != nullptr ? pPane->text() : QStringLiteral("<no pane>");
}
} // namespace

TEST_F(ScriptCheckWindowTest, AMistypedTypeIsSquiggledTippedListedAndReachedWithF8)
{
    CMainFrame* pFrame = Start("model -dims 2 -dofs 3\nnode 1 0.0 0.0\nnode 2 6.0 0.0\n");
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = Edit();
    CAnalysisMarks& problems = edit.Analysis();
    // The opened demo-like script checks clean; the Problems pane stays hidden.
    ASSERT_TRUE(problems.WaitForResult(10000));
    EXPECT_THAT(problems.Findings(), ::testing::IsEmpty());
    EXPECT_FALSE(pFrame->GetProblemsPane()->isVisible());
    EXPECT_EQ(StatusPane(pFrame, "ProblemCounts"), "No problems");

    edit.SetSel(edit.GetTextLength(), edit.GetTextLength());
    Type("element Bem 7 1 2 0.1 30000000.0 0.0016 1");
    // The squiggle comes once typing pauses, but not at once on the line
    // being typed.
    ASSERT_TRUE(problems.WaitForResult(5000));
    EXPECT_TRUE(edit.IndicatorRanges(CTextControl::kErrorIndicator).empty());
    EXPECT_EQ(problems.WaitingCount(), 1u);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !edit.IndicatorRanges(CTextControl::kErrorIndicator).empty(); }, 5000));
    const long nBem = static_cast<long>(edit.GetWindowText().find("Bem"));
    EXPECT_THAT(edit.IndicatorRanges(CTextControl::kErrorIndicator),
                ::testing::ElementsAre(std::pair<long, long>{nBem, nBem + 3}));
    EXPECT_EQ(StatusPane(pFrame, "ProblemCounts"), "1 error");
    // The colours are the colouring's own.
    EXPECT_EQ(edit.GetCharFormatAt(nBem - 8).crTextColor, Rgb(0, 150, 0));

    // The pane does not open by itself; it has the finding when it is asked for.
    CProblemsPane* pPane = pFrame->GetProblemsPane();
    QTest::qWait(300);
    EXPECT_FALSE(pPane->isVisible());
    m_app.m_router.RouteCommand(CommandId::ID_VIEW_PROBLEMS);
    QTreeWidget* pList = pPane->List();
    ASSERT_EQ(pList->topLevelItemCount(), 1);
    EXPECT_EQ(pList->topLevelItem(0)->text(0), "error");
    EXPECT_EQ(pList->topLevelItem(0)->text(1), "4");
    EXPECT_EQ(pList->topLevelItem(0)->text(2), "unknown element type \"Bem\"; did you mean Beam?");
    EXPECT_EQ(pList->topLevelItem(0)->text(3), "script.tcl");
    EXPECT_EQ(pList->topLevelItem(0)->text(4), "usage/unknown-subcommand");

    // The mouse resting on it shows the message and the fix it offers.
    const QPoint over = edit.PosFromChar(nBem + 1) + QPoint(2, 4);
    QTest::mouseMove(edit.viewport(), over);
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 3000));
    EXPECT_EQ(ShownText(QToolTip::text()), "unknown element type \"Bem\"; did you mean Beam?\n"
                                           "Quick fix (Ctrl+.): Replace with Beam");

    // F8 from the top opens the pane and selects it; so does a click in the pane.
    m_app.m_router.RouteCommand(CommandId::ID_VIEW_PROBLEMS);
    EXPECT_FALSE(pPane->isVisible());
    edit.SetSel(0, 0);
    Press(Qt::Key_F8);
    EXPECT_TRUE(pPane->isVisible());
    EXPECT_EQ(edit.GetSelText(), "Bem");
    edit.SetSel(0, 0);
    Press(Qt::Key_F8, Qt::ShiftModifier);
    EXPECT_EQ(edit.GetSelText(), "Bem");
    edit.SetSel(0, 0);
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, Qt::NoModifier,
                      pList->visualItemRect(pList->topLevelItem(0)).center());
    EXPECT_EQ(edit.GetSelText(), "Bem");
    EXPECT_TRUE(edit.hasFocus());

    // Put right by the quick fix, the squiggle and the row go; View > Problems
    // hides the pane.
    edit.SetSel(nBem + 1, nBem + 1);
    Press(Qt::Key_Period, Qt::ControlModifier);
    EXPECT_EQ(edit.GetLine(3).substr(0, 12), "element Beam");
    EXPECT_TRUE(Edit().m_pDoc->m_bChanged);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pList->topLevelItemCount() == 0; }, 5000));
    ASSERT_TRUE(problems.WaitForResult(5000));
    EXPECT_TRUE(edit.IndicatorRanges(CTextControl::kErrorIndicator).empty());
    EXPECT_EQ(pList->topLevelItemCount(), 0);
    EXPECT_EQ(StatusPane(pFrame, "ProblemCounts"), "No problems");
    m_app.m_router.RouteCommand(CommandId::ID_VIEW_PROBLEMS);
    EXPECT_FALSE(pPane->isVisible());
    // F7 checks at once and brings the pane back.
    Press(Qt::Key_F7);
    EXPECT_TRUE(pPane->isVisible());
}
