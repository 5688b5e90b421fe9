// Run in Output Pane in the shown window, through the real corvale-batch,
// the demo's stand-in for the analysis program and tclsh: the trace of an
// error leads back to the line, Stop ends every process of the run, a flood
// of output keeps only the last lines, and a run going is asked about.
#include "ProgramWindowTest.h"
#include "editor/AnalysisMarks.h"
#include "editor/CorvaleDoc.h"
#include "panes/OutputPane.h"
#include "panes/OutputText.h"
#include "panes/ProblemsPane.h"
#include "panes/RunSession.h"
#include "platform/CommandIds.h"

#include <QLabel>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <Qsci/qsciscintillabase.h>
#include <dirent.h>
#include <fstream>
#include <gmock/gmock.h>
#include <sstream>

namespace
{
const char kDemo[] = CORVALE_SOURCE_DIR "/share/demo/";

// The processes whose process group is nGroup, from /proc.
std::vector<int> ProcessesInGroup(long nGroup)
{
    std::vector<int> found;
    DIR* pProc = opendir("/proc");
    if (pProc == nullptr)
        return found;
    while (const dirent* pEntry = readdir(pProc))
    {
        const int nPid = std::atoi(pEntry->d_name);
        if (nPid <= 0)
            continue;
        std::ifstream stat(std::string("/proc/") + pEntry->d_name + "/stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        // pid (comm) state ppid pgrp ...: the name may hold anything, so read after its ")".
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        std::string state;
        long nParent = 0;
        long nProcessGroup = 0;
        rest >> state >> nParent >> nProcessGroup;
        if (nProcessGroup == nGroup && state != "Z")
            found.push_back(nPid);
    }
    closedir(pProc);
    return found;
}

class RunPaneWindowTest : public ProgramWindowTest
{
protected:
    RunPaneWindowTest()
    {
        m_dir.UseAsConfigurationHome("help " CORVALE_SOURCE_DIR "/share/help/\nexe " +
                                     std::string(kDemo) + "vorsa-demo\nbin " + kDemo + "\n");
        // The runner lies beside the program, not beside the tests.
        SetEnvironment("PATH", std::string(CORVALE_BATCH_DIR) + ":" + std::getenv("PATH"));
    }

    CRunSession& Session() { return m_app.MainFrame()->RunSession(); }
    COutputPane& Pane() { return *m_app.MainFrame()->GetOutputPane(); }
    COutputText& Output() { return Pane().Text(); }
    QString State() { return Pane().StateLabel()->text(); }

    bool WaitForEnd(int nMs = 30000)
    {
        return QTest::qWaitFor([&] { return !Session().IsRunning(); }, nMs);
    }
    bool WaitForOutput(const QString& text, int nMs = 10000)
    {
        return QTest::qWaitFor([&] { return Output().text().contains(text); }, nMs);
    }
};
} // namespace

TEST_F(RunPaneWindowTest, ATypoRunWithF5LeadsFromItsTraceToTheLine)
{
    m_dir.Write("materials_part.tcl", ReadFileBytes(std::string(kDemo) + "materials_part.tcl"));
    CMainFrame* pFrame = Start(ReadFileBytes(std::string(kDemo) + "example.tcl"));
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = Edit();
    // The typo, typed at the start of line 12.
    edit.SetSel(edit.LineIndex(11), edit.LineIndex(11));
    Type("nodee 7 1.0 1.0\n");
    ASSERT_TRUE(m_app.m_doc.m_bChanged);

    Press(Qt::Key_F5);
    // Saved first, and said so.
    EXPECT_FALSE(m_app.m_doc.m_bChanged);
    EXPECT_EQ(pFrame->statusBar()->currentMessage(), "Saved script.tcl before the run");
    EXPECT_THAT(ReadFileBytes(m_dir.PathOf("script.tcl")), ::testing::HasSubstr("nodee 7"));
    EXPECT_TRUE(Pane().isVisible());
    ASSERT_TRUE(WaitForEnd());
    EXPECT_THAT(State().toStdString(),
                ::testing::MatchesRegex("Failed in [0-9.]+ s \\(exit status 1\\)"));
    EXPECT_TRUE(Output().text().contains(QStringLiteral("invalid command name \"nodee\"")));

    // The innermost place is where the check's finding already is: one
    // mistake, one row and one mark in the margin, the check's.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Session().FirstError().has_value(); }, 2000));
    ASSERT_TRUE(edit.Analysis().WaitForResult(10000));
    EXPECT_EQ(edit.RunMarkerLine(), -1);
    EXPECT_THAT(edit.MarkerLines(CTextControl::kErrorMarker), ::testing::Contains(11));
    pFrame->GetProblemsPane()->show();
    QTreeWidget* pList = pFrame->GetProblemsPane()->List();
    std::vector<std::string> rowsOnTwelve;
    for (int i = 0; i < pList->topLevelItemCount(); ++i)
    {
        if (pList->topLevelItem(i)->text(1) == "12")
            rowsOnTwelve.push_back(pList->topLevelItem(i)->text(2).toStdString() + " in " +
                                   pList->topLevelItem(i)->text(3).toStdString());
    }
    EXPECT_THAT(rowsOnTwelve, ::testing::ElementsAre(
                                  "unknown command \"nodee\"; did you mean node? in script.tcl"));

    // A click on the trace's link selects the line in the editor.
    ASSERT_FALSE(Session().Locations().empty());
    const CTraceMapper::CLocation& location = Session().Locations().front();
    EXPECT_EQ(location.nLine, 12);
    edit.SetSel(0, 0);
    const long nLinkLine = location.nOutputLine - Output().DroppedLines();
    const long nPos = Output().SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, nLinkLine) +
                      static_cast<long>(location.nFrom) + 2;
    // The link in view, where a user would click it.
    Output().SendScintilla(QsciScintillaBase::SCI_GOTOPOS, nPos);
    const QPoint point(static_cast<int>(Output().SendScintilla(
                           QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, nPos)),
                       static_cast<int>(Output().SendScintilla(
                           QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, nPos)) +
                           3);
    ASSERT_EQ(Output().LinkAt(nPos), 0);
    ASSERT_EQ(
        Output().SendScintilla(QsciScintillaBase::SCI_POSITIONFROMPOINTCLOSE, point.x(), point.y()),
        nPos);
    QTest::mouseClick(Output().viewport(), Qt::LeftButton, Qt::NoModifier, point);
    EXPECT_EQ(edit.LineFromChar(-1), 11);
    // Selected as the Go button selects a line.
    EXPECT_EQ(edit.GetSelText(), "nodee 7 1.0 1.0");
    EXPECT_TRUE(edit.hasFocus());

    // F4 steps through the places; Enter on a link's line in the pane follows it.
    edit.SetSel(0, 0);
    Press(Qt::Key_F4);
    EXPECT_EQ(edit.LineFromChar(-1), 11);
    Output().setFocus();
    Output().SendScintilla(QsciScintillaBase::SCI_GOTOLINE, nLinkLine);
    edit.SetSel(0, 0);
    QTest::keyClick(&Output(), Qt::Key_Return);
    EXPECT_EQ(edit.LineFromChar(-1), 11);
}

TEST_F(RunPaneWindowTest, StopEndsEveryProcessOfTheRunAndStopExeIsNotStarted)
{
    CMainFrame* pFrame = Start("puts started\nflush stdout\nwhile 1 {}\n");
    ASSERT_NE(pFrame, nullptr);
    Press(Qt::Key_F5);
    ASSERT_TRUE(WaitForOutput(QStringLiteral("started")));
    EXPECT_THAT(State().toStdString(), ::testing::StartsWith("Running"));
    EXPECT_TRUE(Pane().StopButton()->isEnabled());
    const long nGroup = static_cast<long>(Session().ProcessGroup());
    ASSERT_GT(nGroup, 0);
    // corvale-batch, the stand-in's shell and tclsh.
    EXPECT_GE(ProcessesInGroup(nGroup).size(), 2u);

    Press(Qt::Key_F5, Qt::ShiftModifier);
    ASSERT_TRUE(WaitForEnd(10000));
    EXPECT_EQ(State(), "Stopped");
    EXPECT_FALSE(Pane().StopButton()->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return ProcessesInGroup(nGroup).empty(); }, 5000))
        << ProcessesInGroup(nGroup).size() << " left";
    EXPECT_FALSE(Output().text().contains(QStringLiteral("vorsa-demo: finished")));
}

TEST_F(RunPaneWindowTest, AFloodOfOutputKeepsTheLastLinesAndSaysHowManyWentBefore)
{
    // 100 MB of 80-character lines.
    CMainFrame* pFrame =
        Start("set line [string repeat x 79]\nfor {set i 0} {$i < 1310720} {incr i} {puts $line}\n"
              "puts last\n");
    ASSERT_NE(pFrame, nullptr);
    Press(Qt::Key_F5);
    ASSERT_TRUE(WaitForEnd(120000));
    EXPECT_THAT(State().toStdString(), ::testing::StartsWith("Finished in"));
    const long nShown = Output().SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT) - 1;
    EXPECT_EQ(nShown, COutputText::kMaxLines);
    EXPECT_EQ(Output().DroppedLines(), Output().LinesWritten() - COutputText::kMaxLines);
    EXPECT_GT(Output().DroppedLines(), 1100000);
    EXPECT_EQ(Pane().DroppedLabel()->text(),
              QStringLiteral("%1 earlier lines dropped").arg(Output().DroppedLines()));
    EXPECT_TRUE(Output().text().contains(QStringLiteral("\nlast\n")));

    // Save Output As keeps the whole of it, beside the script.
    const std::string saved = m_dir.PathOf("script.out");
    m_ui.QueueFileName(saved);
    emit Output().SaveRequested();
    ASSERT_EQ(m_ui.m_fileDialogs.size(), 1u);
    EXPECT_THAT(m_ui.m_fileDialogs[0], ::testing::EndsWith(saved));
    EXPECT_EQ(pFrame->statusBar()->currentMessage(), "Saved the output as script.out");
    std::ifstream in(saved, std::ios::binary | std::ios::ate);
    EXPECT_GT(static_cast<long long>(in.tellg()), 100LL * 1024 * 1024);
}

TEST_F(RunPaneWindowTest, ASecondF5AndClosingDuringARunAsk)
{
    CMainFrame* pFrame = Start("puts started\nflush stdout\nwhile 1 {}\n");
    ASSERT_NE(pFrame, nullptr);
    Press(Qt::Key_F5);
    ASSERT_TRUE(WaitForOutput(QStringLiteral("started")));
    const long nFirst = static_cast<long>(Session().ProcessGroup());

    // No: the run goes on.
    m_ui.QueueAnswer(false);
    Press(Qt::Key_F5);
    ASSERT_EQ(m_ui.m_questions.size(), 1u);
    EXPECT_EQ(m_ui.m_questions[0], CMainFrame::kStopRunToRestartQuestion);
    EXPECT_EQ(static_cast<long>(Session().ProcessGroup()), nFirst);
    // Yes: it is stopped and a new one starts.
    m_ui.QueueAnswer(true);
    Press(Qt::Key_F5);
    ASSERT_TRUE(Session().IsRunning());
    const long nSecond = static_cast<long>(Session().ProcessGroup());
    EXPECT_NE(nSecond, nFirst);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ProcessesInGroup(nFirst).empty(); }, 5000));

    // Closing asks; No keeps the window and the run.
    m_ui.QueueAnswer(false);
    pFrame->close();
    EXPECT_EQ(m_ui.m_questions.back(), CMainFrame::kStopRunToCloseQuestion);
    EXPECT_TRUE(pFrame->isVisible());
    EXPECT_TRUE(Session().IsRunning());
    // Yes stops it, and the window closes.
    m_ui.QueueAnswer(true);
    pFrame->close();
    EXPECT_FALSE(pFrame->isVisible());
    EXPECT_FALSE(Session().IsRunning());
    EXPECT_TRUE(QTest::qWaitFor([&] { return ProcessesInGroup(nSecond).empty(); }, 5000));
    EXPECT_EQ(m_ui.m_nUnexpectedQuestions, 0);
}

TEST_F(RunPaneWindowTest, AnUntitledScriptIsSavedAsFirstAndCancellingRunsNothing)
{
    CMainFrame* pFrame = Start("");
    ASSERT_NE(pFrame, nullptr);
    m_app.m_router.RouteCommand(CommandId::ID_FILE_NEW);
    Type("puts hello\n");
    // Cancelled: nothing runs.
    m_ui.QueueFileName("");
    Press(Qt::Key_F5);
    EXPECT_EQ(m_ui.m_fileDialogs.size(), 1u);
    EXPECT_FALSE(Session().IsRunning());
    EXPECT_EQ(Session().State(), CRunSession::EState::Idle);
    // Named: it is saved under that name, then run; this time from the second tool bar.
    m_ui.QueueFileName(m_dir.PathOf("hello.tcl"));
    QTest::mouseClick(pFrame->GetScriptToolBar()->widgetForAction(
                          pFrame->ActionOf(CommandId::ID_RUN_IN_OUTPUT_PANE)),
                      Qt::LeftButton);
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(pFrame->statusBar()->currentMessage(), "Saved hello.tcl before the run");
    EXPECT_TRUE(Output().text().contains(QStringLiteral("hello")));
    EXPECT_THAT(State().toStdString(), ::testing::StartsWith("Finished in"));
    EXPECT_THAT(State().toStdString(), ::testing::EndsWith("(exit status 0)"));
}

TEST_F(RunPaneWindowTest, APlaceInASourcedFileOpensItAsFileOpenWould)
{
    m_dir.Write("lib.tcl", "proc addStory {n} {\n    set x 1\n    nodee 12 0.0 3.5\n}\n");
    CMainFrame* pFrame = Start("source lib.tcl\nset a 1\naddStory 3\n");
    ASSERT_NE(pFrame, nullptr);
    Press(Qt::Key_F5);
    ASSERT_TRUE(WaitForEnd());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Session().FirstError().has_value(); }, 2000));
    // The innermost place is in the sourced file: the row names it, the script has no mark.
    EXPECT_EQ(Edit().RunMarkerLine(), -1);
    pFrame->GetProblemsPane()->show();
    QTreeWidget* pList = pFrame->GetProblemsPane()->List();
    ASSERT_GE(pList->topLevelItemCount(), 1);
    EXPECT_EQ(pList->topLevelItem(pList->topLevelItemCount() - 1)->text(3), "lib.tcl");
    EXPECT_EQ(pList->topLevelItem(pList->topLevelItemCount() - 1)->text(1), "3");

    // F4 opens it on the line, and the mark is there.
    Press(Qt::Key_F4);
    EXPECT_EQ(m_app.m_doc.GetTitle(), "lib.tcl");
    EXPECT_EQ(Edit().LineFromChar(-1), 2);
    EXPECT_EQ(Edit().RunMarkerLine(), 2);
    // Changed, the next place (back in the script) asks first; No stays.
    Type("# note\n");
    m_ui.QueueAnswer(false);
    Press(Qt::Key_F4);
    ASSERT_EQ(m_ui.m_questions.size(), 1u);
    EXPECT_EQ(m_ui.m_questions[0], CCorvaleDoc::kCloseQuestion);
    EXPECT_EQ(m_app.m_doc.GetTitle(), "lib.tcl");
    m_ui.QueueAnswer(true);
    Press(Qt::Key_F4);
    EXPECT_EQ(m_app.m_doc.GetTitle(), "script.tcl");
    EXPECT_EQ(Edit().LineFromChar(-1), 2);
}

TEST_F(RunPaneWindowTest, WithoutAnAnalysisProgramNothingRuns)
{
    m_dir.UseAsConfigurationHome("help " CORVALE_SOURCE_DIR "/share/help/\n");
    CMainFrame* pFrame = Start("puts hello\n");
    ASSERT_NE(pFrame, nullptr);
    Press(Qt::Key_F5);
    EXPECT_THAT(m_ui.m_messages, ::testing::Contains("Error - corvale.conf"));
    EXPECT_FALSE(Session().IsRunning());
    EXPECT_EQ(State(), "Not started");
}

TEST_F(RunPaneWindowTest, AHundredMegabyteLineWithoutABreakStaysWithinTheLimit)
{
    CMainFrame* pFrame = Start("puts -nonewline [string repeat x 104857600]\n");
    ASSERT_NE(pFrame, nullptr);
    Press(Qt::Key_F5);
    ASSERT_TRUE(WaitForEnd(120000));
    EXPECT_THAT(State().toStdString(), ::testing::StartsWith("Finished in"));
    // Broken where a terminal would wrap it; the front dropped to keep the pane's size.
    const long nLength = Output().SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    EXPECT_LE(nLength,
              COutputText::kMaxBytes + static_cast<long>(COutputDecoder::kMaxLineBytes) * 2);
    EXPECT_GT(nLength, COutputText::kMaxBytes / 2);
    EXPECT_GT(Output().DroppedLines(), 0);
    EXPECT_TRUE(Pane().DroppedLabel()->text().endsWith(QStringLiteral("earlier lines dropped")));
}
