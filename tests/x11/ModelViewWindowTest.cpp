// The dry run in a shown window: the Model pane's picture of the demo, its
// clicks and drags, the problems and values it brings to the editor, and a
// hostile script that must cost the editor nothing.
#include "ProgramWindowTest.h"
#include "app/DialogBar.h"
#include "app/EntryListModel.h"
#include "dryrun/DryRunResult.h"
#include "editor/AnalysisMarks.h"
#include "panes/ModelPane.h"
#include "panes/ModelView.h"
#include "panes/ProblemsPane.h"
#include "support/UserActions.h"

#include <QAction>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSettings>
#include <QSvgRenderer>
#include <QToolTip>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>

namespace
{
std::string Demo(const std::string& name)
{
    return ReadFileBytes(CORVALE_SOURCE_DIR "/share/demo/" + name);
}

// The centres of the clusters of black pixels: the drawn nodes.
std::vector<QPointF> DarkSpots(const QImage& image)
{
    std::vector<QPointF> spots;
    std::vector<bool> seen(static_cast<size_t>(image.width() * image.height()), false);
    const auto dark = [&](int x, int y)
    {
        const QRgb rgb = image.pixel(x, y);
        return qRed(rgb) < 40 && qGreen(rgb) < 40 && qBlue(rgb) < 40;
    };
    for (int y = 0; y < image.height(); ++y)
    {
        for (int x = 0; x < image.width(); ++x)
        {
            const size_t n = static_cast<size_t>(y * image.width() + x);
            if (seen[n] || !dark(x, y))
                continue;
            std::vector<QPoint> stack{{x, y}};
            seen[n] = true;
            double sumX = 0, sumY = 0;
            int nCount = 0;
            while (!stack.empty())
            {
                const QPoint p = stack.back();
                stack.pop_back();
                sumX += p.x();
                sumY += p.y();
                ++nCount;
                for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
                {
                    const QPoint q = p + d;
                    if (q.x() < 0 || q.y() < 0 || q.x() >= image.width() || q.y() >= image.height())
                        continue;
                    const size_t m = static_cast<size_t>(q.y() * image.width() + q.x());
                    if (!seen[m] && dark(q.x(), q.y()))
                    {
                        seen[m] = true;
                        stack.push_back(q);
                    }
                }
            }
            if (nCount >= 9) // a node's square, not a stray pixel of text
                spots.emplace_back(sumX / nCount, sumY / nCount);
        }
    }
    return spots;
}

// The centre of the pixels of a colour in an area, and how many there are.
QPointF ColourCentre(const QImage& image, const QColor& colour, const QRect& area, int& nCount)
{
    double sumX = 0, sumY = 0;
    nCount = 0;
    for (int y = std::max(0, area.top()); y <= std::min(image.height() - 1, area.bottom()); ++y)
    {
        for (int x = std::max(0, area.left()); x <= std::min(image.width() - 1, area.right()); ++x)
        {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) < 30 &&
                std::abs(pixel.green() - colour.green()) < 30 &&
                std::abs(pixel.blue() - colour.blue()) < 30)
            {
                sumX += x;
                sumY += y;
                ++nCount;
            }
        }
    }
    return nCount > 0 ? QPointF(sumX / nCount, sumY / nCount) : QPointF();
}

int CountColour(const QImage& image, const QColor& colour, const QRect& area)
{
    int nCount = 0;
    ColourCentre(image, colour, area, nCount);
    return nCount;
}

const QColor kSupportGreen(0, 140, 70);
const QColor kLoadMagenta(190, 0, 160);
const QColor kAxisBlue(40, 70, 210);

} // namespace

class ModelViewWindowTest : public ProgramWindowTest
{
protected:
    ModelViewWindowTest()
    {
        // The helper lies beside the program, not beside the tests.
        SetEnvironment("PATH", std::string(CORVALE_BATCH_DIR) + ":" + std::getenv("PATH"));
    }

    CModelPane& Pane() { return *m_app.MainFrame()->GetModelPane(); }
    CModelView& View() { return Pane().View(); }
    CAnalysisMarks& Analysis() { return Edit().Analysis(); }

    // The program on a script, the Model pane shown with its first dry run.
    CMainFrame* StartShowingModel(const std::string& script)
    {
        CMainFrame* pFrame = Start(script);
        if (pFrame == nullptr)
            return nullptr;
        Press(Qt::Key_F9);
        if (!Analysis().WaitForComplete(10000) ||
            !QTest::qWaitFor([&] { return View().Result() != nullptr; }, 5000))
            return nullptr;
        Settle();
        return pFrame;
    }

    CMainFrame* StartOnDemo()
    {
        m_dir.Write("materials_part.tcl", Demo("materials_part.tcl"));
        return Start(Demo("example.tcl"));
    }

    // The rows of the Problems pane, as "line: message".
    std::vector<std::string> ProblemRows()
    {
        std::vector<std::string> rows;
        // The rows are made when the pane is shown, as the user asks for it.
        m_app.MainFrame()->GetProblemsPane()->show();
        QTreeWidget* pList = m_app.MainFrame()->GetProblemsPane()->List();
        for (int i = 0; i < pList->topLevelItemCount(); ++i)
            rows.push_back(
                (pList->topLevelItem(i)->text(1) + ": " + pList->topLevelItem(i)->text(2))
                    .toStdString());
        return rows;
    }

    bool HasRow(const std::string& row)
    {
        const std::vector<std::string> rows = ProblemRows();
        return std::find(rows.begin(), rows.end(), row) != rows.end();
    }

    static void Drag(QWidget* pWidget, Qt::MouseButton button, QPoint from, QPoint to)
    {
        QTest::mousePress(pWidget, button, Qt::NoModifier, from);
        for (int i = 1; i <= 10; ++i)
        {
            const QPoint at = from + (to - from) * i / 10;
            QMouseEvent move(QEvent::MouseMove, at, pWidget->mapToGlobal(at), Qt::NoButton, button,
                             Qt::NoModifier);
            QApplication::sendEvent(pWidget, &move);
        }
        QTest::mouseRelease(pWidget, button, Qt::NoModifier, to);
        QCoreApplication::processEvents();
    }
};

TEST_F(ModelViewWindowTest, TheDemoFrameIsDrawnWhereItsCoordinatesSayAndAClickSelectsItsLine)
{
    CMainFrame* pFrame = StartOnDemo();
    ASSERT_NE(pFrame, nullptr);
    EXPECT_FALSE(Pane().isVisible());
    Press(Qt::Key_F9);
    ASSERT_TRUE(Pane().isVisible());
    ASSERT_TRUE(Analysis().WaitForComplete(10000));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Pane().Summary()->text().startsWith("6 nodes"); }, 2000));
    EXPECT_EQ(Pane().Summary()->text(), "6 nodes, 6 elements");
    Settle();

    // Six black squares: three at the ground, three a story up, 6 m apart.
    const QImage image = View().grab().toImage();
    std::vector<QPointF> spots = DarkSpots(image);
    ASSERT_EQ(spots.size(), 6U);
    std::sort(spots.begin(), spots.end(),
              [](const QPointF& a, const QPointF& b) {
                  return std::make_pair(std::round(a.y()), a.x()) <
                         std::make_pair(std::round(b.y()), b.x());
              });
    const QPointF *pTop = &spots[0], *pGround = &spots[3];
    const double span = pGround[2].x() - pGround[0].x();
    ASSERT_GT(span, 50);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_NEAR(pTop[i].x(), pGround[i].x(), 1.5);
        EXPECT_NEAR(pGround[i].y(), pGround[0].y(), 1.5);
        EXPECT_NEAR(pTop[i].y(), pTop[0].y(), 1.5);
    }
    EXPECT_NEAR((pGround[1].x() - pGround[0].x()) / span, 0.5, 0.02);
    // y grows upwards: the story lies above the ground, 3.5 m against 12 m.
    EXPECT_NEAR((pGround[0].y() - pTop[0].y()) / span, 3.5 / 12.0, 0.02);

    // A click on the left column (element 1, between nodes 1 and 4) selects its line.
    const QPointF middle = (pGround[0] + pTop[0]) / 2;
    QTest::mouseClick(&View(), Qt::LeftButton, Qt::NoModifier, middle.toPoint());
    EXPECT_EQ(Edit().GetSelText(), "element Beam 1 1 4 $columnArea 30000000.0 0.000675 1");
    // A click on a node selects the node's line.
    QTest::mouseClick(&View(), Qt::LeftButton, Qt::NoModifier, pTop[2].toPoint());
    EXPECT_EQ(Edit().GetSelText(), "node 6 [expr {2 * $bayWidth}] $storyHeight");

    // The caret on a node's line marks that node in amber.
    Edit().SetSel(Edit().LineIndex(17), Edit().LineIndex(17)); // node 5
    QCoreApplication::processEvents();
    Settle();
    const QImage marked = View().grab().toImage();
    const QRect aroundNode5(static_cast<int>(pTop[1].x()) - 5, static_cast<int>(pTop[1].y()) - 5,
                            11, 11);
    EXPECT_GT(CountColour(marked, QColor(255, 150, 0), aroundNode5), 20);
    const QRect aroundNode4(static_cast<int>(pTop[0].x()) - 5, static_cast<int>(pTop[0].y()) - 5,
                            11, 11);
    EXPECT_EQ(CountColour(marked, QColor(255, 150, 0), aroundNode4), 0);

    // Tags on, and the text of the tags is drawn.
    Pane().TagsAction()->trigger();
    Settle();
    EXPECT_GT(CountColour(View().grab().toImage(), QColor(0, 110, 40), View().rect()), 10);

    // An edit makes the run outdated: the editor lets it go at once, while
    // the pane keeps drawing it, and a click still finds its line.
    const std::weak_ptr<const CDryRunResult> pDrawn = View().Result();
    Edit().SetSel(0, 0);
    TypeText(&Edit(), QStringLiteral("#"));
    QCoreApplication::processEvents();
    EXPECT_EQ(Analysis().DryRunResult(), nullptr);
    ASSERT_FALSE(pDrawn.expired());
    QTest::mouseClick(&View(), Qt::LeftButton, Qt::NoModifier, pTop[2].toPoint());
    EXPECT_EQ(Edit().GetSelText(), "node 6 [expr {2 * $bayWidth}] $storyHeight");
    // A hidden pane lets its model go too; shown again, it draws the new run.
    Press(Qt::Key_F9);
    ASSERT_FALSE(Pane().isVisible());
    EXPECT_EQ(View().Result(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return pDrawn.expired(); }, 5000));
    ASSERT_TRUE(Analysis().WaitForComplete(10000));
    Press(Qt::Key_F9);
    ASSERT_TRUE(Pane().isVisible());
    EXPECT_EQ(View().Result(), Analysis().DryRunResult());
    EXPECT_NE(View().Result(), nullptr);
}

TEST_F(ModelViewWindowTest, DraggingTurnsAThreeDimensionalModelAndFitBringsItBack)
{
    CMainFrame* pFrame =
        StartShowingModel("model -dims 3 -dofs 6\n"
                          "foreach {tag x y z} {1 0 0 0  2 4 0 0  3 4 3 0  4 0 3 0  "
                          "5 0 0 2  6 4 0 2  7 4 3 2  8 0 3 2} {\n"
                          "    node $tag $x $y $z\n"
                          "}\n"
                          "element Brick 1 1 2 3 4 5 6 7 8 1\n"
                          "element Truss 2 1 7 0.1 1\n");
    ASSERT_NE(pFrame, nullptr);
    ASSERT_EQ(Analysis().DryRunResult()->Facts().Dimensions(), 3);
    const double yaw = View().Camera().Azimuth();
    const QPointF before = View().NodePoint(6);
    const QImage imageBefore = View().grab().toImage();
    const QPoint centre = View().rect().center();
    Drag(&View(), Qt::LeftButton, centre, centre + QPoint(60, 20));
    EXPECT_NE(View().Camera().Azimuth(), yaw);
    EXPECT_NE(View().NodePoint(6), before);
    EXPECT_NE(View().grab().toImage(), imageBefore);
    // The middle button moves it without turning it.
    const double turned = View().Camera().Azimuth();
    const QPointF moved = View().NodePoint(0);
    Drag(&View(), Qt::MiddleButton, centre, centre + QPoint(-30, 0));
    EXPECT_EQ(View().Camera().Azimuth(), turned);
    EXPECT_NEAR(View().NodePoint(0).x(), moved.x() - 30, 3);
    // The wheel zooms about the pointer.
    const QPointF node1 = View().NodePoint(1);
    QWheelEvent wheel(QPointF(centre), View().mapToGlobal(QPointF(centre)), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&View(), &wheel);
    EXPECT_GT(
        std::hypot(View().NodePoint(1).x() - centre.x(), View().NodePoint(1).y() - centre.y()),
        std::hypot(node1.x() - centre.x(), node1.y() - centre.y()));
    // Fit: every node inside the view again.
    Pane().FitAction()->trigger();
    for (size_t i = 0; i < 8; ++i)
        EXPECT_TRUE(View().rect().contains(View().NodePoint(i).toPoint()));
}

TEST_F(ModelViewWindowTest, ATypoInAVariableIsAProblemAtItsLineWithinTwoSecondsOfTypingIt)
{
    CMainFrame* pFrame = StartOnDemo();
    ASSERT_NE(pFrame, nullptr);
    ASSERT_TRUE(Analysis().WaitForComplete(10000));
    EXPECT_TRUE(ProblemRows().empty()) << ::testing::PrintToString(ProblemRows());

    // "node 2 $bayWidth 0.0" on line 15 becomes "node 2 $bayWdth 0.0", typed.
    const long nAt = Edit().LineIndex(14) + static_cast<long>(std::string("node 2 $bayW").size());
    Edit().SetSel(nAt, nAt);
    Press(Qt::Key_Delete);
    QElapsedTimer clock;
    clock.start();
    const std::string row = "15: run: can't read \"bayWdth\": no such variable";
    ASSERT_TRUE(QTest::qWaitFor([&] { return HasRow(row); }, 5000))
        << ::testing::PrintToString(ProblemRows());
    EXPECT_LE(clock.elapsed(), 2000);
    // The row leads to the line.
    QTreeWidget* pList = pFrame->GetProblemsPane()->List();
    for (int i = 0; i < pList->topLevelItemCount(); ++i)
    {
        if (pList->topLevelItem(i)->text(2).startsWith("run: can't read"))
            emit pList->itemActivated(pList->topLevelItem(i), 0);
    }
    EXPECT_EQ(Edit().LineFromChar(Edit().LineIndex()), 14);

    // Undone, the problem goes with the next dry run.
    Press(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !HasRow(row) && Analysis().IsDryRunCurrent(); }, 5000));
}

TEST_F(ModelViewWindowTest, HoversAndTheVariablesListShowValuesAndWhereTagsAreDefined)
{
    CMainFrame* pFrame = StartOnDemo();
    ASSERT_NE(pFrame, nullptr);
    ASSERT_TRUE(Analysis().WaitForComplete(10000));
    const std::string text = Edit().GetWindowText();
    const long nDollar = static_cast<long>(text.find("$bayWidth 0.0"));
    QTest::mouseMove(Edit().viewport(), Edit().PosFromChar(nDollar + 3) + QPoint(2, 4));
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 3000));
    EXPECT_EQ(ShownText(QToolTip::text()), "bayWidth = 6.0");
    QToolTip::hideText();
    QTest::mouseMove(Edit().viewport(), QPoint(5, 5));
    QTest::qWait(100);
    // element Beam 4 4 5: the 5 is node 5, defined on line 18.
    const long nElement = static_cast<long>(text.find("element Beam 4 4 5"));
    Edit().SetSel(nElement, nElement);
    Edit().ScrollCaret();
    Settle();
    QTest::mouseMove(Edit().viewport(), Edit().PosFromChar(nElement + 17) + QPoint(2, 4));
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return QToolTip::isVisible() && ShownText(QToolTip::text()).startsWith("node"); },
        3000))
        << QToolTip::text().toStdString() << " / " << Analysis().TipAt(nElement + 17);
    // Node 5: four elements, a load, an output and two queries name it.
    EXPECT_EQ(ShownText(QToolTip::text()), "node 5: defined at line 18, referred to 8 times");

    // The Variables list's entries carry their values.
    CEntryListModel* pModel = pFrame->GetDialogBar()->VariablesModel();
    bool bFound = false;
    for (int i = 0; i < pModel->rowCount(); ++i)
    {
        if (pModel->data(pModel->index(i), Qt::DisplayRole).toString() == "storyHeight")
        {
            EXPECT_EQ(ShownText(pModel->data(pModel->index(i), Qt::ToolTipRole).toString()),
                      "storyHeight = 3.5");
            bFound = true;
        }
    }
    EXPECT_TRUE(bFound);
}

TEST_F(ModelViewWindowTest, AHostileScriptCostsTheEditorNothingAndSaysWhyItStopped)
{
    CMainFrame* pFrame = Start("node 1 0 0\n"
                               "exec touch PWNED\n"
                               "set f [open " +
                               m_dir.PathOf("written") +
                               " w]\n"
                               "interp create evil\n"
                               "while 1 {}\n");
    ASSERT_NE(pFrame, nullptr);
    const long nResidentBefore = ResidentKilobytes();
    // While the sandbox loops, the caret moves at each key as ever.
    Edit().SetSel(0, 0);
    QElapsedTimer clock;
    clock.start();
    int nKeys = 0;
    while (clock.elapsed() < 1500)
    {
        Press(nKeys % 2 == 0 ? Qt::Key_Right : Qt::Key_Left);
        long nStart = 0, nEnd = 0;
        Edit().GetSel(nStart, nEnd);
        EXPECT_EQ(nStart, nKeys % 2 == 0 ? 1 : 0);
        ++nKeys;
        Settle();
    }
    ASSERT_TRUE(Analysis().WaitForComplete(15000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return HasRow("5: run: the dry run stopped: the script ran longer than 2000 ms"); },
        3000))
        << ::testing::PrintToString(ProblemRows());
    EXPECT_TRUE(HasRow("2: run: \"exec\" does not run in a dry run; it returned empty"));
    EXPECT_TRUE(HasRow("3: run: \"open\" does not run in a dry run; it returned empty"));
    EXPECT_TRUE(HasRow("4: run: \"interp\" does not run in a dry run; it returned empty"));
    EXPECT_FALSE(std::filesystem::exists(m_dir.PathOf("PWNED")));
    EXPECT_FALSE(std::filesystem::exists("PWNED"));
    EXPECT_FALSE(std::filesystem::exists(m_dir.PathOf("written")));
    // The node before the loop is still drawn.
    EXPECT_EQ(Analysis().DryRunResult()->Facts().Nodes().size(), 1U);
    // The sandbox's memory is its own.
    EXPECT_LT(ResidentKilobytes() - nResidentBefore, 200 * 1024);
}

// Each hostile script opened as the user opens a file: its dry run comes back
// in time with its reason, and the editor is the same editor afterwards.
TEST_F(ModelViewWindowTest, EachHostileScriptOpenedInTheEditorComesBackWithItsReason)
{
    CMainFrame* pFrame = Start("node 1 0 0\n");
    ASSERT_NE(pFrame, nullptr);
    ASSERT_TRUE(Analysis().WaitForComplete(10000));
    const long nResidentBefore = ResidentKilobytes();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"source /etc/passwd\n",
         "1: run: couldn't read file \"/etc/passwd\": a dry run reads only files in the script's "
         "folder"},
        {"proc f {} {f}\nf\n", "1: run: too many nested evaluations (infinite loop?)"},
        {"set x [string repeat x 1000000000]\n",
         "1: run: string size overflow, out of memory allocating 1000000001 bytes"},
        {"after 100000\n", "1: run: \"after\" does not run in a dry run; it returned empty"},
        {"socket localhost 22\n",
         "1: run: \"socket\" does not run in a dry run; it returned empty"},
        {"cd /\n", "1: run: \"cd\" does not run in a dry run; it returned empty"},
        {"file delete -force " + m_dir.Prefix() + "\n",
         "1: run: \"file\" does not run in a dry run; it returned empty"},
    };
    for (size_t i = 0; i < cases.size(); ++i)
    {
        SCOPED_TRACE(cases[i].first);
        const std::string path =
            m_dir.Write("hostile" + std::to_string(i) + ".tcl", cases[i].first);
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(m_app.m_doc.OnOpenDocument(path));
        ASSERT_TRUE(QTest::qWaitFor([&] { return HasRow(cases[i].second); }, 8000))
            << ::testing::PrintToString(ProblemRows());
        EXPECT_LT(clock.elapsed(), 6000);
    }
    EXPECT_TRUE(std::filesystem::exists(m_dir.PathOf("script.tcl")));
    // Still the editor: a key types.
    Edit().SetSel(0, 0);
    Type("#");
    EXPECT_EQ(Edit().GetWindowText().substr(0, 1), "#");
    EXPECT_LT(ResidentKilobytes() - nResidentBefore, 200 * 1024);
}

// A 3D column and a 3D portal frame read as structures: what stands up is
// drawn up, the triad's z points up, the supports sit under their nodes
// and each load's arrow points the way its force does.
TEST_F(ModelViewWindowTest, AThreeDimensionalColumnAndPortalFrameStandUpWithSupportsAndLoads)
{
    CMainFrame* pFrame = StartShowingModel("model -dims 3 -dofs 6\n"
                                           "node 1 0 0 0\n"
                                           "node 2 0 0 3\n"
                                           "support 1 1 1 1 1 1 1\n"
                                           "material Elastic 1 200000.0\n"
                                           "element Truss 1 1 2 0.01 1\n"
                                           "series Linear 1\n"
                                           "loadcase 1 1 {\n"
                                           "    load 2 10.0 0 0 0 0 0\n"
                                           "}\n");
    ASSERT_NE(pFrame, nullptr);
    ASSERT_TRUE(Analysis().DryRunResult()->Facts().Problems().empty())
        << Analysis().DryRunResult()->Facts().Problems()[0].message;
    QImage image = View().grab().toImage();
    std::vector<QPointF> spots = DarkSpots(image);
    ASSERT_EQ(spots.size(), 2U);
    const QPointF base = View().NodePoint(0);
    const QPointF top = View().NodePoint(1);
    // The top is drawn straight above the base, where the black squares are.
    EXPECT_LT(top.y(), base.y() - 50);
    EXPECT_NEAR(top.x(), base.x(), 1.5);
    std::sort(spots.begin(), spots.end(),
              [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    EXPECT_NEAR(spots[0].x(), top.x(), 2);
    EXPECT_NEAR(spots[0].y(), top.y(), 2);
    EXPECT_NEAR(spots[1].y(), base.y(), 2);
    // The triad's z arrow points up, in its colour.
    const QLineF zAxis = View().TriadAxis(2);
    EXPECT_LT(zAxis.p2().y(), zAxis.p1().y() - 20);
    EXPECT_NEAR(zAxis.p2().x(), zAxis.p1().x(), 1);
    int nBlue = 0;
    const QPointF blue = ColourCentre(
        image, kAxisBlue,
        QRectF(zAxis.p2() - QPointF(6, 4), zAxis.p1() + QPointF(6, -3)).normalized().toRect(),
        nBlue);
    EXPECT_GT(nBlue, 20);
    EXPECT_LT(blue.y(), zAxis.p1().y());
    // The support under the base, none under the top.
    int nGreen = 0;
    ColourCentre(image, kSupportGreen, QRect(base.toPoint() + QPoint(-12, 2), QSize(25, 18)),
                 nGreen);
    EXPECT_GT(nGreen, 30);
    ColourCentre(image, kSupportGreen, QRect(top.toPoint() + QPoint(-12, 2), QSize(25, 18)),
                 nGreen);
    EXPECT_EQ(nGreen, 0);
    // The load along +x: its arrow comes to the top node from where x is less.
    double xRight = 0, xUp = 0;
    View().Camera().AxisOnScreen(0, xRight, xUp);
    const QPointF xOnScreen(xRight, -xUp);
    int nMagenta = 0;
    const QPointF arrow = ColourCentre(image, kLoadMagenta, image.rect(), nMagenta);
    ASSERT_GT(nMagenta, 20);
    const QPointF toNode = top - arrow;
    EXPECT_GT(QPointF::dotProduct(toNode, xOnScreen) /
                  (std::hypot(toNode.x(), toNode.y()) * std::hypot(xRight, xUp)),
              0.9);

    // The standard views: from the front the column stands straight up, from
    // the top it is one point; Reset goes back to the isometric view.
    Pane().Action("Front")->trigger();
    EXPECT_NEAR(View().NodePoint(1).x(), View().NodePoint(0).x(), 0.5);
    EXPECT_LT(View().NodePoint(1).y(), View().NodePoint(0).y() - 50);
    Pane().Action("Top")->trigger();
    EXPECT_NEAR(View().NodePoint(1).x(), View().NodePoint(0).x(), 0.5);
    EXPECT_NEAR(View().NodePoint(1).y(), View().NodePoint(0).y(), 0.5);
    const double frontAzimuth = View().Camera().Azimuth();
    Pane().Action("Reset view")->trigger();
    EXPECT_NE(View().Camera().Azimuth(), frontAzimuth);
    EXPECT_EQ(View().NodePoint(1), top);

    // A portal frame: two columns and a beam, fixed at the feet, a load down
    // on one corner. The corners are above the feet, the arrow comes from above.
    Edit().SetWindowText("model -dims 3 -dofs 6\n"
                         "node 1 0 0 0\n"
                         "node 2 5 0 0\n"
                         "node 3 0 0 3\n"
                         "node 4 5 0 3\n"
                         "support 1 1 1 1 1 1 1\n"
                         "support 2 1 1 1 1 1 1\n"
                         "material Elastic 1 200000.0\n"
                         "element Truss 1 1 3 0.01 1\n"
                         "element Truss 2 2 4 0.01 1\n"
                         "element Truss 3 3 4 0.01 1\n"
                         "series Linear 1\n"
                         "loadcase 1 1 {\n"
                         "    load 3 0 0 -20.0 0 0 0\n"
                         "}\n");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return View().Result() && View().Result()->Facts().Nodes().size() == 4; }, 10000));
    Settle();
    image = View().grab().toImage();
    EXPECT_EQ(DarkSpots(image).size(), 4U);
    for (size_t nFoot = 0; nFoot < 2; ++nFoot)
    {
        const QPointF foot = View().NodePoint(nFoot);
        const QPointF corner = View().NodePoint(nFoot + 2);
        EXPECT_LT(corner.y(), foot.y() - 30);
        EXPECT_NEAR(corner.x(), foot.x(), 1);
        ColourCentre(image, kSupportGreen, QRect(foot.toPoint() + QPoint(-12, 2), QSize(25, 18)),
                     nGreen);
        EXPECT_GT(nGreen, 30) << nFoot;
    }
    // Both feet on one level, both corners on another: a frame, not a wall.
    EXPECT_GT(View().NodePoint(1).x() - View().NodePoint(0).x(), 50);
    const QPointF loaded = View().NodePoint(2);
    const QPointF load = ColourCentre(image, kLoadMagenta, image.rect(), nMagenta);
    ASSERT_GT(nMagenta, 20);
    EXPECT_LT(load.y(), loaded.y() - 10);
    EXPECT_NEAR(load.x(), loaded.x(), 2);
}

// A model whose vertical axis is y stands up when the pane is told so, and
// the pane keeps that choice for the next start.
TEST_F(ModelViewWindowTest, TheVerticalAxisCanBeYAndIsKept)
{
    CMainFrame* pFrame = StartShowingModel("model -dims 3 -dofs 6\n"
                                           "node 1 0 0 0\n"
                                           "node 2 0 3 0\n"
                                           "support 1 1 1 1 1 1 1\n"
                                           "material Elastic 1 200000.0\n"
                                           "element Truss 1 1 2 0.01 1\n");
    ASSERT_NE(pFrame, nullptr);
    EXPECT_EQ(View().Camera().Up(), CModelCamera::EUp::Z);
    // With z up, a column along y lies on the ground.
    EXPECT_GT(std::abs(View().NodePoint(1).x() - View().NodePoint(0).x()), 20);
    QAction* pVerticalY = Pane().Action("Vertical y");
    ASSERT_NE(pVerticalY, nullptr);
    pVerticalY->trigger();
    EXPECT_EQ(View().Camera().Up(), CModelCamera::EUp::Y);
    EXPECT_NEAR(View().NodePoint(1).x(), View().NodePoint(0).x(), 1);
    EXPECT_LT(View().NodePoint(1).y(), View().NodePoint(0).y() - 50);
    EXPECT_LT(View().TriadAxis(1).p2().y(), View().TriadAxis(1).p1().y() - 20);
    // The next pane opens on y.
    CModelPane next;
    EXPECT_TRUE(next.Action("Vertical y")->isChecked());
    EXPECT_EQ(next.View().Camera().Up(), CModelCamera::EUp::Y);
    pVerticalY->trigger();
    EXPECT_EQ(CModelPane().View().Camera().Up(), CModelCamera::EUp::Z);
}

// The picture goes to PNG and SVG files for a report; a place that cannot be
// written says so and leaves nothing behind.
TEST_F(ModelViewWindowTest, ThePictureIsExportedAsPngAndSvg)
{
    m_dir.Write("materials_part.tcl", Demo("materials_part.tcl"));
    CMainFrame* pFrame = StartShowingModel(Demo("example.tcl"));
    ASSERT_NE(pFrame, nullptr);
    const std::string png = m_dir.PathOf("model.png");
    const std::string svg = m_dir.PathOf("model.svg");
    m_ui.QueueFileName(png);
    Pane().Action("Export PNG...")->trigger();
    m_ui.QueueFileName(svg);
    Pane().Action("Export SVG...")->trigger();
    EXPECT_TRUE(m_ui.m_messages.empty()) << m_ui.m_messages.front();
    const QImage written(QString::fromStdString(png));
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(written.size(), View().size());
    EXPECT_EQ(DarkSpots(written).size(), 6U);
    QSvgRenderer renderer(QString::fromStdString(svg));
    ASSERT_TRUE(renderer.isValid());
    QImage drawn(View().size(), QImage::Format_RGB32);
    drawn.fill(Qt::white);
    {
        QPainter painter(&drawn);
        renderer.render(&painter);
    }
    EXPECT_EQ(DarkSpots(drawn).size(), 6U);
    EXPECT_THAT(m_ui.m_fileDialogs,
                ::testing::ElementsAre("save PNG Pictures (*.png);;All Files (*) png model.png",
                                       "save SVG Pictures (*.svg);;All Files (*) svg model.svg"));

    const std::string nowhere = m_dir.PathOf("missing/model.svg");
    m_ui.QueueFileName(nowhere);
    Pane().Action("Export SVG...")->trigger();
    ASSERT_EQ(m_ui.m_messages.size(), 1U);
    EXPECT_THAT(m_ui.m_messages[0], ::testing::StartsWith("Could not write " + nowhere));
    EXPECT_FALSE(std::filesystem::exists(nowhere));
}

// The window opens as the last one closed: its size, and the Model pane
// where it was, at least a third of the window wide.
TEST(ModelViewLayoutTest, TheWindowAndItsDocksOpenAsTheyWereLeft)
{
    CTempDir dir;
    dir.UseAsConfigurationHome("help " CORVALE_SOURCE_DIR "/share/help/\n");
    CScriptedUserInteraction ui;
    const std::string script = dir.Write("script.tcl", "node 1 0 0\n");
    {
        CCorvaleApp app;
        ASSERT_TRUE(app.InitInstance({"corvale", script}));
        CMainFrame* pFrame = app.MainFrame();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(pFrame));
        CModelPane* pPane = pFrame->GetModelPane();
        pPane->show();
        QCoreApplication::processEvents();
        EXPECT_GE(pPane->width(), pFrame->width() / 3 - 2);
        pFrame->resize(1000, 720);
        // The X server applies a resize in its own time.
        ASSERT_TRUE(QTest::qWaitFor([&] { return pFrame->size() == QSize(1000, 720); }, 5000));
        ASSERT_TRUE(pFrame->close());
    }
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({"corvale", script}));
    CMainFrame* pFrame = app.MainFrame();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pFrame));
    EXPECT_TRUE(QTest::qWaitFor([&] { return pFrame->size() == QSize(1000, 720); }, 5000))
        << pFrame->width() << "x" << pFrame->height();
    EXPECT_TRUE(pFrame->GetModelPane()->isVisible());
    EXPECT_EQ(pFrame->dockWidgetArea(pFrame->GetModelPane()), Qt::RightDockWidgetArea);
    EXPECT_GE(pFrame->GetModelPane()->width(), 1000 / 3 - 2);
}
