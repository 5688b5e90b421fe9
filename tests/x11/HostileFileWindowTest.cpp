// Hostile scripts opened in the shown window as a user opens a file: the
// check and the dry run come back, the editor types on, its memory stays
// bounded, and text that looks like HTML is shown as text on a real hover.
#include "ProgramWindowTest.h"
#include "editor/AnalysisMarks.h"
#include "panes/ProblemsPane.h"
#include "support/UserActions.h"

#include <QElapsedTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <filesystem>
#include <gmock/gmock.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace
{
const std::string kCorpus = CORVALE_SOURCE_DIR "/tests/hostile/";

// The address sanitizer holds freed memory back and doubles what is used:
// memory is measured in the plain build only.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

} // namespace

class HostileFileWindowTest : public ProgramWindowTest
{
protected:
    HostileFileWindowTest()
    {
        SetEnvironment("PATH", std::string(CORVALE_BATCH_DIR) + ":" + std::getenv("PATH"));
    }

    bool HasRowStartingWith(const std::string& start)
    {
        // The rows are made when the pane is shown, as the user asks for it.
        m_app.MainFrame()->GetProblemsPane()->show();
        QTreeWidget* pList = m_app.MainFrame()->GetProblemsPane()->List();
        for (int i = 0; i < pList->topLevelItemCount(); ++i)
        {
            if (pList->topLevelItem(i)->text(2).toStdString().rfind(start, 0) == 0)
                return true;
        }
        return false;
    }
};

TEST_F(HostileFileWindowTest, EachHostileFileOpensAndTheEditorTypesOn)
{
    ASSERT_NE(Start("node 1 0 0\n"), nullptr);
    ASSERT_TRUE(Edit().Analysis().WaitForComplete(10000));
    const long nResidentBefore = ResidentKilobytes();
    mkfifo(m_dir.PathOf("fifo.tcl").c_str(), 0600);
    m_dir.Write("deep_part.tcl", "proc p {} {}\nset x " + std::string(60000, '[') + "\n");
    std::string unknown;
    for (int i = 0; i < 50000; ++i)
        unknown += "u\n";
    std::vector<std::pair<std::string, std::string>> cases = {
        {"set x " + std::string(50000, '[') + "list" + std::string(50000, ']') + "\n",
         "nested more than 1000 levels deep"},
        {"source deep_part.tcl\np\n", ""},
        {"source /dev/zero\nsource fifo.tcl\nnode 1 0 0\n",
         "the sourced file is not a regular file"},
        {"set l {}\nfor {set i 0} {$i < 1000000} {incr i} {set l [list $l]}\nnode 1 $l 0\n", ""},
        {"set w [lrepeat 1000000 1]\nfor {set i 0} {$i < 6} {incr i} {node {*}$w}\n", ""},
        {unknown, "unknown command \"u\""},
    };
    // And the whole corpus kept in the repository, each beside the file it sources.
    m_dir.Write("part.tcl", ReadFileBytes(kCorpus + "part.tcl"));
    for (const auto& entry : std::filesystem::directory_iterator(kCorpus))
    {
        if (entry.path().extension() == ".tcl" && entry.path().filename() != "part.tcl")
            cases.emplace_back(ReadFileBytes(entry.path().string()), "");
    }
    for (size_t i = 0; i < cases.size(); ++i)
    {
        SCOPED_TRACE(cases[i].first.substr(0, 60));
        const std::string path =
            m_dir.Write("hostile" + std::to_string(i) + ".tcl", cases[i].first);
        m_app.m_doc.m_bChanged = false;
        ASSERT_TRUE(m_app.m_doc.OnOpenDocument(path));
        // The check's thread answers: no read waits on a FIFO, no parse overflows.
        ASSERT_TRUE(Edit().Analysis().WaitForResult(15000));
        if (!cases[i].second.empty())
        {
            EXPECT_TRUE(QTest::qWaitFor([&] { return HasRowStartingWith(cases[i].second); }, 3000));
        }
        ASSERT_TRUE(Edit().Analysis().WaitForComplete(15000));
        // Left alone, the window comes to rest: what a result leaves to do (a
        // pane of 50,000 rows is filled in slices) ends, and no repaint goes
        // round for ever. On a busy machine that may take a few seconds.
        double nBusiest = 0;
        bool bRested = false;
        for (int nSecond = 0; nSecond < 8 && !bRested; ++nSecond)
        {
            const double nBusyBefore = ThreadMs();
            QTest::qWait(1000);
            nBusiest = ThreadMs() - nBusyBefore;
            bRested = nBusiest < 200.0;
        }
        EXPECT_TRUE(bRested) << nBusiest << " ms of the window's thread in the last idle second";
        // Still the editor: a key types, and the caret answers at once.
        Edit().SetSel(0, 0);
        Type("#");
        EXPECT_EQ(Edit().GetWindowText().substr(0, 1), "#");
        Press(Qt::Key_Z, Qt::ControlModifier);
        Settle();
        if (!kSanitized)
        {
            EXPECT_LT(ResidentKilobytes() - nResidentBefore, 200 * 1024);
        }
    }
}

TEST_F(HostileFileWindowTest, TextThatLooksLikeHtmlIsShownAsTextOnAHover)
{
    const std::string script = ReadFileBytes(kCorpus + "html_text.tcl");
    ASSERT_NE(Start(script), nullptr);
    ASSERT_TRUE(Edit().Analysis().WaitForResult(10000));
    ASSERT_TRUE(Edit().Analysis().WaitForComplete(10000));
    // The squiggle under <img ...>, an unknown command.
    const long nImage = static_cast<long>(Edit().GetWindowText().rfind("<img src"));
    Edit().SetSel(nImage, nImage);
    Edit().ScrollCaret();
    Settle();
    QTest::mouseMove(Edit().viewport(), Edit().PosFromChar(nImage + 1) + QPoint(2, 4));
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 3000));
    EXPECT_THAT(ShownText(QToolTip::text()).toStdString(),
                ::testing::HasSubstr("unknown command \"<img\""));
    EXPECT_THAT(QToolTip::text().toStdString(), ::testing::HasSubstr("&lt;img"));
    QToolTip::hideText();
    QTest::mouseMove(Edit().viewport(), QPoint(5, 5));
    QTest::qWait(100);
    // The value of v on the hover over $v.
    const long nDollar = static_cast<long>(Edit().GetWindowText().find("$v"));
    QTest::mouseMove(Edit().viewport(), Edit().PosFromChar(nDollar + 1) + QPoint(2, 4));
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return QToolTip::isVisible() && ShownText(QToolTip::text()).startsWith("v ="); },
        3000))
        << QToolTip::text().toStdString();
    EXPECT_EQ(ShownText(QToolTip::text()), "v = <img src=\"/dev/zero\">");
    // The window still answers: the tooltip did not read /dev/zero.
    Edit().SetSel(0, 0);
    Type("#");
    EXPECT_EQ(Edit().GetWindowText().substr(0, 1), "#");
}
