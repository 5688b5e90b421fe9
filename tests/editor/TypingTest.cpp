#include "EditorFixture.h"

#include <QTest>

namespace
{
class TypingTest : public EditorFixture
{
protected:
    void Type(const char* text) { QTest::keyClicks(&m_edit, text); }
    void Key(Qt::Key key) { QTest::keyClick(&m_edit, key); }
    void CaretAt(long nPos) { m_edit.SetSel(nPos, nPos); }
};
} // namespace

TEST_F(TypingTest, AKeywordTurnsPurpleWithItsLastLetterAndTypingGoesOnPlain)
{
    Type("se");
    EXPECT_EQ(ColourOf(0, 2), kBlack);
    Type("t");
    EXPECT_EQ(ColourOf(0, 3), kPurple);
    Type(" x");
    EXPECT_EQ(ColourOf(0, 3), kPurple);
    EXPECT_EQ(ColourAt(4), kBlack);
    EXPECT_TRUE(m_doc.m_bChanged);
}

TEST_F(TypingTest, TypingNeverResetsAWordButBackspaceRecolours)
{
    Type("sett");
    EXPECT_EQ(ColourOf(0, 3), kPurple);
    EXPECT_EQ(ColourAt(3), kBlack);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(m_edit.GetWindowText(), "set");
    EXPECT_EQ(ColourOf(0, 3), kPurple);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(ColourOf(0, 2), kBlack);
}

TEST_F(TypingTest, CommandsAndSubCommandsColourAndShowTheirHelp)
{
    Type("element");
    EXPECT_EQ(ColourOf(0, 7), kGreen);
    EXPECT_EQ(m_summary.GetWindowText(), " element:command\r\nelement <type> <tag> ...\r\n");
    Type(" Truss");
    EXPECT_EQ(ColourOf(8, 13), kBlue);
    EXPECT_EQ(m_summary.GetWindowText().rfind(" Truss:element\r\n", 0), 0u);
    // The third word is looked up under the first two.
    Type(" lin");
    EXPECT_EQ(ColourOf(14, 17), kBlue);
    // A word the library does not know leaves the help as it was.
    Type(" unknown");
    EXPECT_EQ(ColourOf(18, 25), kBlack);
    EXPECT_EQ(m_summary.GetWindowText(), " lin:element Truss\r\nthird word help\r\n");

    // With help off, colouring is the same and the pane keeps its text.
    m_edit.m_bHelpOn = 0;
    m_summary.SetWindowText(" ");
    Key(Qt::Key_Return);
    Type("node");
    EXPECT_EQ(ColourOf(m_edit.LineIndex(1), m_edit.LineIndex(1) + 4), kGreen);
    EXPECT_EQ(m_summary.GetWindowText(), " ");
}

TEST_F(TypingTest, AHashAtTheEndTurnsGreyAtOnceAndACommentLineStaysGrey)
{
    Type("puts $a ;#");
    EXPECT_EQ(ColourAt(9), kGrey);
    Type(" note");
    EXPECT_EQ(ColourAt(11), kBlack); // words after it wait for a recolouring
    m_edit.FontifyCurrentLine();
    EXPECT_EQ(ColourOf(9, 15), kGrey);
    EXPECT_EQ(ColourOf(0, 4), kPurple);

    Key(Qt::Key_Return);
    Type("# set x");
    const long nLine = m_edit.LineIndex(1);
    EXPECT_EQ(ColourOf(nLine, nLine + 7), kGrey);
}

TEST_F(TypingTest, TypingInsideALineRecoloursTheWholeLine)
{
    m_edit.SetWindowText("sett x 1");
    m_edit.FontifyAll();
    EXPECT_EQ(ColourOf(0, 4), kBlack);
    CaretAt(4);
    Key(Qt::Key_Backspace); // "set x 1", the caret inside the line
    EXPECT_EQ(ColourOf(0, 3), kPurple);
    CaretAt(0);
    Type("x");
    EXPECT_EQ(ColourOf(0, 4), kBlack);
    EXPECT_TRUE(m_doc.m_bChanged);
}

TEST_F(TypingTest, EnterLeavesColoursAloneAndTheNewLineStartsPlain)
{
    Type("set");
    Key(Qt::Key_Return);
    EXPECT_EQ(m_edit.GetWindowText(), "set\r\n");
    EXPECT_EQ(ColourOf(0, 3), kPurple);
    Type("a");
    EXPECT_EQ(ColourAt(5), kBlack);

    // Enter inside a line splits it without recolouring either part.
    m_edit.SetWindowText("element Truss");
    m_edit.FontifyAll();
    CaretAt(8);
    Key(Qt::Key_Return);
    EXPECT_EQ(ColourOf(10, 15), kBlue);
}

TEST_F(TypingTest, DeleteMarksTheScriptChangedEvenWhenNothingIsDeleted)
{
    m_edit.SetWindowText("sets");
    m_edit.FontifyAll();
    CaretAt(4);
    Key(Qt::Key_Delete);
    EXPECT_TRUE(m_doc.m_bChanged);
    m_doc.m_bChanged = false;
    CaretAt(3);
    Key(Qt::Key_Delete);
    EXPECT_EQ(m_edit.GetWindowText(), "set");
    EXPECT_EQ(ColourOf(0, 3), kPurple);
    EXPECT_TRUE(m_doc.m_bChanged);
}

TEST_F(TypingTest, AClickShowsTheHelpOfTheWordWithoutColouringIt)
{
    m_edit.show();
    m_edit.SetWindowText("model x");
    m_edit.FontifyAll();
    m_edit.SetSel(0, 5);
    m_edit.SetSelectionCharFormat(m_edit.FormatOf(EWordColour::Plain));
    m_edit.SetSel(7, 7);
    m_summary.SetWindowText(" ");
    QTest::mouseClick(m_edit.viewport(), Qt::LeftButton, Qt::NoModifier,
                      m_edit.PosFromChar(2) + QPoint(1, 3));
    EXPECT_EQ(m_summary.GetWindowText(), " model:command\r\nmodel -dims <ndm>\r\n");
    EXPECT_EQ(ColourOf(0, 5), kBlack);
    EXPECT_FALSE(m_doc.m_bChanged);
}
