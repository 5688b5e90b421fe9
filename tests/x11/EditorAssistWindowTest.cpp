// What the engine tells the editing pane in the shown window, driven by
// keys and clicks: the list that comes up while a command is typed, the
// call tip of its usage forms, and F12 or Ctrl+click to a definition.
#include "ProgramWindowTest.h"
#include "editor/AnalysisMarks.h"
#include "editor/CompletionPopup.h"
#include "editor/EditorAssist.h"
#include "platform/CommandIds.h"
#include "support/TempDir.h"

#include <QAction>
#include <QSettings>
#include <gmock/gmock.h>

namespace
{
class EditorAssistWindowTest : public ProgramWindowTest
{
protected:
    EditorAssistWindowTest()
    {
        SetEnvironment("PATH", std::string(CORVALE_BATCH_DIR) + ":" + std::getenv("PATH"));
    }

    // The demo, analysed to its dry run, with the caret on a new last line.
    CMainFrame* StartOnDemo(const std::string& extra = "")
    {
        m_dir.Write("materials_part.tcl",
                    ReadFileBytes(CORVALE_SOURCE_DIR "/share/demo/materials_part.tcl"));
        CMainFrame* pFrame =
            Start(ReadFileBytes(CORVALE_SOURCE_DIR "/share/demo/example.tcl") + extra);
        if (pFrame == nullptr || !Edit().Analysis().WaitForComplete(20000))
            return nullptr;
        return pFrame;
    }

    void CaretAtEnd()
    {
        const long nEnd = Edit().GetTextLength();
        Edit().SetSel(nEnd, nEnd);
    }

    CCompletionPopup* List() { return Edit().Assist().Popup(); }
    bool ListShown() { return List() != nullptr && List()->isVisible(); }
    std::vector<std::string> Entries()
    {
        std::vector<std::string> entries;
        for (int i = 0; List() != nullptr && i < List()->model()->rowCount(); ++i)
            entries.push_back(List()->model()->index(i, 0).data().toString().toStdString());
        return entries;
    }
    std::string LastLine()
    {
        const long nLine = Edit().GetLineCount() - 1;
        const std::string line = Edit().GetLine(nLine);
        return line.substr(0, line.find_first_of("\r\n"));
    }
    // The line of the selection's start, and the selected text.
    long SelectedLine()
    {
        long nStart = 0;
        long nEnd = 0;
        Edit().GetSel(nStart, nEnd);
        return Edit().LineFromChar(nStart);
    }
    long LineOf(const std::string& prefix)
    {
        for (long n = 0; n < Edit().GetLineCount(); ++n)
        {
            if (Edit().GetLine(n).rfind(prefix, 0) == 0)
                return n;
        }
        return -1;
    }
};
} // namespace

// Two letters of a command bring the list; typing narrows it, Tab takes an
// entry, and a blank after the command brings its types, with the call tip.
TEST_F(EditorAssistWindowTest, TheListComesWhileACommandIsTypedAndTabTakesAnEntry)
{
    ASSERT_NE(StartOnDemo("\n"), nullptr);
    CaretAtEnd();
    Type("e");
    EXPECT_FALSE(ListShown()); // one letter is not enough
    Type("l");
    ASSERT_TRUE(QTest::qWaitFor([&] { return ListShown(); }, 2000));
    EXPECT_THAT(Entries(), ::testing::Contains("element"));
    Type("em");
    EXPECT_THAT(Entries(), ::testing::ElementsAre("element", "elementLoad"));
    Press(Qt::Key_Tab);
    EXPECT_EQ(LastLine(), "element");
    EXPECT_FALSE(ListShown());

    // After the blank: the element types, and the call tip of element's forms.
    Type(" ");
    ASSERT_TRUE(QTest::qWaitFor([&] { return ListShown(); }, 2000));
    EXPECT_THAT(Entries(), ::testing::IsSupersetOf({"Beam", "Truss"}));
    Type("Tr");
    EXPECT_THAT(Entries(), ::testing::ElementsAre("Truss"));
    Press(Qt::Key_Tab);
    EXPECT_EQ(LastLine(), "element Truss");
    Type(" 9 ");
    EXPECT_TRUE(Edit().IsCallTipShown());
    // Where a node goes, the nodes the dry run saw defined.
    ASSERT_TRUE(QTest::qWaitFor([&] { return ListShown(); }, 2000));
    EXPECT_THAT(Entries(), ::testing::IsSupersetOf({"1", "2", "3", "4", "5", "6"}));
    // Enter closes the list and breaks the line, as it does without one.
    Press(Qt::Key_Return);
    EXPECT_FALSE(ListShown());
    EXPECT_EQ(LastLine(), "");
    EXPECT_FALSE(Edit().IsCallTipShown());
}

// F12 at the caret and Ctrl+click go to the definition: a node's tag to its
// node line, a variable to its set, a procedure call to its proc.
TEST_F(EditorAssistWindowTest, F12AndCtrlClickGoToTheDefinition)
{
    ASSERT_NE(StartOnDemo("proc bays {n} {\n    return $n\n}\nputs [bays 2]\n"), nullptr);
    CMainFrame* pFrame = m_app.MainFrame();
    const long nBeam = Edit().LineIndex(LineOf("element Beam 4 4 5"));
    Edit().SetSel(nBeam + 17, nBeam + 17);
    Press(Qt::Key_F12);
    EXPECT_EQ(SelectedLine(), LineOf("node 5 "));
    EXPECT_EQ(Edit().GetSelText(), "5");

    const long nNode2 = Edit().LineIndex(LineOf("node 2 "));
    Edit().SetSel(nNode2 + 10, nNode2 + 10); // in $bayWidth
    pFrame->ActionOf(CommandId::ID_GO_TO_DEFINITION)->trigger();
    EXPECT_EQ(SelectedLine(), LineOf("set bayWidth"));
    EXPECT_EQ(Edit().GetSelText(), "bayWidth");

    const long nCall = Edit().LineIndex(LineOf("puts [bays"));
    Edit().ScrollCaret();
    Edit().SetSel(nCall, nCall);
    Edit().ScrollCaret();
    Settle();
    QTest::mouseClick(Edit().viewport(), Qt::LeftButton, Qt::ControlModifier,
                      Edit().PosFromChar(nCall + 7) + QPoint(2, 4));
    EXPECT_EQ(SelectedLine(), LineOf("proc bays"));

    // An edit that is not analysed yet: the pane goes there once it is.
    CaretAtEnd();
    Type("set later 1\nputs $later");
    const long nRead = Edit().GetTextLength() - 2;
    Edit().SetSel(nRead, nRead);
    Press(Qt::Key_F12);
    EXPECT_TRUE(QTest::qWaitFor([&] { return SelectedLine() == LineOf("set later"); }, 20000));
}

// Script > Complete While Typing turns the list off, and the choice is kept.
TEST_F(EditorAssistWindowTest, CompleteWhileTypingCanBeTurnedOffAndStaysOff)
{
    CMainFrame* pFrame = StartOnDemo("\n");
    ASSERT_NE(pFrame, nullptr);
    QAction* pAction = pFrame->ActionOf(CommandId::ID_COMPLETE_WHILE_TYPING);
    m_app.m_router.UpdateCommandStates();
    EXPECT_TRUE(pAction->isChecked());
    pAction->trigger();
    m_app.m_router.UpdateCommandStates();
    EXPECT_FALSE(pAction->isChecked());
    CaretAtEnd();
    Type("ele");
    Settle();
    EXPECT_FALSE(ListShown());
    EXPECT_EQ(LastLine(), "ele");
    EXPECT_FALSE(QSettings().value(QStringLiteral("Editor/Complete While Typing"), true).toBool());
}
