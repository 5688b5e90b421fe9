// The analysis's one list in the shown window: the status bar count, the
// Problems pane, the squiggles, the margin and the hovers tell the same
// story, an edit takes a finding with it at once, and the window goes idle
// once the findings are in.
#include "ProgramWindowTest.h"
#include "editor/AnalysisMarks.h"
#include "panes/ModelPane.h"
#include "panes/ModelView.h"
#include "panes/ProblemsPane.h"
#include "support/UserActions.h"

#include <QLabel>
#include <QStatusBar>
#include <QToolTip>
#include <QTreeWidget>
#include <gmock/gmock.h>

namespace
{
const std::string kMistakes = CORVALE_SOURCE_DIR "/tests/analysis/corpus/";

class AnalysisWindowTest : public ProgramWindowTest
{
protected:
    AnalysisWindowTest()
    {
        // The dry-run helper is found on the PATH, as an installed one is.
        SetEnvironment("PATH", std::string(CORVALE_BATCH_DIR) + ":" + std::getenv("PATH"));
    }

    CMainFrame* StartWithMistakes()
    {
        m_dir.Write("materials_part.tcl", ReadFileBytes(kMistakes + "materials_part.tcl"));
        CMainFrame* pFrame = Start(ReadFileBytes(kMistakes + "three_mistakes.tcl"));
        if (pFrame == nullptr || !Edit().Analysis().WaitForComplete(20000))
            return nullptr;
        return pFrame;
    }

    QString Count()
    {
        return m_app.MainFrame()->statusBar()->findChild<QLabel*>("ProblemCounts")->text();
    }

    // The pane's rows as "line rule", the pane shown as the user asks for it.
    std::vector<std::string> Rows()
    {
        m_app.MainFrame()->GetProblemsPane()->show();
        QTreeWidget* pList = m_app.MainFrame()->GetProblemsPane()->List();
        std::vector<std::string> rows;
        for (int i = 0; i < pList->topLevelItemCount(); ++i)
            rows.push_back((pList->topLevelItem(i)->text(1) + " " + pList->topLevelItem(i)->text(4))
                               .toStdString());
        return rows;
    }

    // The squiggled stretches as "line text".
    std::vector<std::string> Squiggles(int nIndicator = CTextControl::kErrorIndicator)
    {
        std::vector<std::string> squiggles;
        const std::string text = Edit().GetWindowText();
        for (const auto& [nFrom, nTo] : Edit().IndicatorRanges(nIndicator))
            squiggles.push_back(
                std::to_string(Edit().LineFromChar(nFrom) + 1) + " " +
                text.substr(static_cast<size_t>(nFrom), static_cast<size_t>(nTo - nFrom)));
        return squiggles;
    }

    // The mouse at rest over a character, as a user hovers.
    std::string HoverOver(long nPos)
    {
        Edit().SetSel(nPos, nPos);
        // The line well inside the window, not at its edge.
        Edit().SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE,
                             std::max(0L, Edit().LineFromChar(nPos) - 2));
        Settle();
        for (int nTry = 0; nTry < 3; ++nTry)
        {
            QToolTip::hideText();
            (void)QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 1000);
            QTest::mouseMove(Edit().viewport(), Edit().PosFromChar(nPos + 1) + QPoint(2 + nTry, 4));
            if (QTest::qWaitFor([] { return QToolTip::isVisible(); }, 2000))
                return ShownText(QToolTip::text()).toStdString();
        }
        return "<no tip>";
    }
};
} // namespace

// A check finding, a dry-run finding and a model finding, each told the same
// way everywhere; the pane stays closed until it is asked for.
TEST_F(AnalysisWindowTest, TheCountThePaneTheSquigglesAndTheHoversAgree)
{
    CMainFrame* pFrame = StartWithMistakes();
    ASSERT_NE(pFrame, nullptr);
    // The pane stays closed until it is asked for.
    EXPECT_FALSE(pFrame->GetProblemsPane()->isVisible());
    EXPECT_EQ(Count(), "3 errors");
    EXPECT_THAT(Rows(), ::testing::ElementsAre("19 command/unknown", "34 model/undefined-tag",
                                               "35 run/error"));
    EXPECT_THAT(Squiggles(), ::testing::ElementsAre("19 nodee", "34 element Truss 6 1 9 0.002 1",
                                                    "35 set r [expr {1 / 0}]"));
    EXPECT_THAT(Edit().MarkerLines(CTextControl::kErrorMarker), ::testing::ElementsAre(18, 33, 34));
    const std::string text = Edit().GetWindowText();
    EXPECT_EQ(
        HoverOver(static_cast<long>(text.rfind("nodee"))),
        "unknown command \"nodee\"; did you mean node?\nQuick fix (Ctrl+.): Replace with node");
    EXPECT_EQ(HoverOver(static_cast<long>(text.find("element Truss 6"))),
              "element 6 uses node 9, which is not defined");
    EXPECT_EQ(HoverOver(static_cast<long>(text.rfind("set r ["))), "run: divide by zero");
    pFrame->GetProblemsPane()->hide();
    // A click on the count opens it.
    QLabel* pCount = pFrame->statusBar()->findChild<QLabel*>("ProblemCounts");
    QTest::mouseClick(pCount, Qt::LeftButton);
    EXPECT_TRUE(pFrame->GetProblemsPane()->isVisible());
}

// Mistakes of the model, each in a script of its own as the user opens it:
// its row, its squiggle and hover on the line, and in the Model view the
// node or element drawn in the error colour, whose click tells the finding.
TEST_F(AnalysisWindowTest, AModelMistakeIsARowASquiggleAHoverAndARedPartOfTheModel)
{
    struct CCase
    {
        const char* file;
        long nLine;
        const char* rule;
        const char* message;
        bool bNode; // a node is red (a warning), else an element between nodes 0 and 1
    };
    const CCase cases[] = {
        {"model_undefined_material.tcl", 9, "model/undefined-tag",
         "element 1 uses material 9, which is not defined", false},
        {"model_undefined_transform.tcl", 7, "model/undefined-tag",
         "element 1 uses transform 7, which is not defined", false},
        {"model_unused_node.tcl", 6, "model/unused-node",
         "nothing uses node 3: no element, support or load names it", true},
    };
    const std::string corpus = CORVALE_SOURCE_DIR "/tests/analysis/mistakes/";
    CMainFrame* pFrame = Start("");
    ASSERT_NE(pFrame, nullptr);
    pFrame->GetModelPane()->show();
    for (const CCase& test : cases)
    {
        SCOPED_TRACE(test.file);
        ASSERT_TRUE(
            m_app.m_doc.OnOpenDocument(m_dir.Write(test.file, ReadFileBytes(corpus + test.file))));
        ASSERT_TRUE(Edit().Analysis().WaitForComplete(20000));
        Settle();
        const std::string row = std::to_string(test.nLine) + " " + test.rule;
        // A script just opened is analysed afresh: its rows come with that analysis.
        EXPECT_TRUE(QTest::qWaitFor(
            [&]
            {
                const std::vector<std::string> rows = Rows();
                return std::find(rows.begin(), rows.end(), row) != rows.end();
            },
            10000))
            << ::testing::PrintToString(Rows());
        const std::vector<std::string> squiggles =
            Squiggles(test.bNode ? CTextControl::kWarningIndicator : CTextControl::kErrorIndicator);
        EXPECT_TRUE(std::any_of(squiggles.begin(), squiggles.end(),
                                [&](const std::string& squiggle) {
                                    return squiggle.rfind(std::to_string(test.nLine) + " ", 0) == 0;
                                }))
            << ::testing::PrintToString(squiggles);
        const long nLineStart = Edit().LineIndex(test.nLine - 1);
        const std::string hover = HoverOver(nLineStart + 2);
        EXPECT_NE(hover.find(test.message), std::string::npos) << hover;

        CModelView& view = pFrame->GetModelPane()->View();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return view.Result() == Edit().Analysis().DryRunResult(); }, 5000));
        // The caret elsewhere, so that its mark is not drawn over the finding.
        Edit().SetSel(0, 0);
        Settle();
        const QPointF at =
            test.bNode ? view.NodePoint(2) : (view.NodePoint(0) + view.NodePoint(1)) / 2;
        const QImage image = view.grab().toImage();
        const QColor pixel = image.pixelColor(at.toPoint());
        EXPECT_GT(pixel.red(), 180) << at.x() << "," << at.y();
        EXPECT_LT(pixel.green(), 80);
        EXPECT_LT(pixel.blue(), 80);
        QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, at.toPoint());
        EXPECT_EQ(pFrame->GetModelPane()->Summary()->text().toStdString(), test.message);
        // The click also selects the line that defined what was clicked.
        EXPECT_EQ(Edit().LineFromChar(Edit().LineIndex()) + 1, test.nLine);
    }
}

// Deleting the faulty line takes its finding with it before any analysis
// runs again: no row, no squiggle, no mark moved onto the line below.
TEST_F(AnalysisWindowTest, ADeletedFaultyLineTakesItsFindingWithItAtOnce)
{
    ASSERT_NE(StartWithMistakes(), nullptr);
    const long nLine = 34; // "set r [expr {1 / 0}]", from 0
    Edit().SetSel(Edit().LineIndex(nLine), Edit().LineIndex(nLine + 1));
    Press(Qt::Key_Delete);
    Settle();
    EXPECT_FALSE(Edit().Analysis().IsCurrent()) << "the check has not run again yet";
    EXPECT_EQ(Count(), "2 errors");
    EXPECT_THAT(Rows(), ::testing::ElementsAre("19 command/unknown", "34 model/undefined-tag"));
    EXPECT_THAT(Squiggles(), ::testing::ElementsAre("19 nodee", "34 element Truss 6 1 9 0.002 1"));
    EXPECT_THAT(Edit().MarkerLines(CTextControl::kErrorMarker), ::testing::ElementsAre(18, 33));
    // A line typed above moves the rest down with it.
    Edit().SetSel(0, 0);
    Type("\n");
    Settle();
    EXPECT_THAT(Rows(), ::testing::ElementsAre("20 command/unknown", "35 model/undefined-tag"));
    EXPECT_THAT(Edit().MarkerLines(CTextControl::kErrorMarker), ::testing::ElementsAre(19, 34));
    // Once the dry run of the new text is in, the model's finding stands
    // again and the run goes on to its end.
    ASSERT_TRUE(Edit().Analysis().WaitForComplete(20000));
    EXPECT_THAT(Rows(), ::testing::ElementsAre("20 command/unknown", "35 model/undefined-tag"));
}

// The last line holding only "node" (a command short of its words): once the
// findings are in, the window's thread does nothing while nobody types.
TEST_F(AnalysisWindowTest, TheWindowGoesIdleOnceTheFindingsAreIn)
{
    ASSERT_NE(Start("model -dims 2 -dofs 3\nnode 1 0.0 0.0\n"), nullptr);
    Edit().SetSel(Edit().GetTextLength(), Edit().GetTextLength());
    Type("node");
    ASSERT_TRUE(Edit().Analysis().WaitForComplete(20000));
    // The finding on the typed line waits, then shows.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Edit().Analysis().WaitingCount() == 0; }, 5000));
    EXPECT_EQ(Count(), "1 error");
    QTest::qWait(500);
    const double nBefore = ThreadMs();
    QTest::qWait(2000);
    const double nPerSecond = (ThreadMs() - nBefore) / 2.0;
    EXPECT_LT(nPerSecond, 20.0) << "ms of the window's thread per idle second";
}
