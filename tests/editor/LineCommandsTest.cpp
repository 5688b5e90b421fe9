#include "EditorFixture.h"

using LineCommandsTest = EditorFixture;

TEST_F(LineCommandsTest, CommentingPutsAHashBeforeEveryTouchedLineAndCanBeUndone)
{
    m_edit.SetWindowText("set a 1\nset b 2\nset c 3\nset d 4\nset e 5\n");
    m_edit.FontifyAll();
    // From the middle of line 3 to the middle of line 5 (1-based).
    const long nFrom = m_edit.LineIndex(2) + 4;
    const long nTo = m_edit.LineIndex(4) + 4;
    m_edit.SetSel(nFrom, nTo);
    m_doc.OnCommentSelection();
    EXPECT_EQ(m_edit.GetWindowText(), "set a 1\r\nset b 2\r\n#set c 3\r\n#set d 4\r\n#set e 5\r\n");
    EXPECT_EQ(SelStart(), nTo);
    EXPECT_EQ(SelEnd(), nTo); // three characters before where the selection ended in the text
    EXPECT_EQ(ColourOf(m_edit.LineIndex(2), m_edit.LineIndex(5)), kGrey);
    EXPECT_EQ(ColourOf(0, 3), kPurple);
    EXPECT_TRUE(m_doc.m_bChanged);

    // One step takes the whole command back, and one step brings it again.
    m_edit.Undo();
    EXPECT_EQ(m_edit.GetWindowText(), "set a 1\r\nset b 2\r\nset c 3\r\nset d 4\r\nset e 5\r\n");
    m_edit.Redo();
    EXPECT_EQ(m_edit.GetWindowText(), "set a 1\r\nset b 2\r\n#set c 3\r\n#set d 4\r\n#set e 5\r\n");
    m_edit.Undo();

    // A selection ending at the start of a line takes that line too; an empty one the caret's.
    m_edit.SetSel(0, m_edit.LineIndex(1));
    m_edit.CommentLines();
    EXPECT_EQ(m_edit.GetLine(0), "#set a 1\r\n");
    EXPECT_EQ(m_edit.GetLine(1), "#set b 2\r\n");
    m_edit.SetSel(2, 2);
    m_edit.CommentLines();
    EXPECT_EQ(m_edit.GetLine(0), "##set a 1\r\n");
}

TEST_F(LineCommandsTest, UncommentingRemovesOneHashInColumnZeroAsOneUndoStep)
{
    m_edit.SetWindowText("##set a 1\n  # x\nputs a\n");
    m_edit.SetSel(0, 0);
    m_edit.ReplaceSel("keep ", true); // some history before
    m_edit.SetSel(0, 5);
    m_edit.ReplaceSel("", true);
    m_edit.SetSel(0, m_edit.LineIndex(2) + 2);
    m_doc.OnUncommentSelection();
    EXPECT_EQ(m_edit.GetWindowText(), "#set a 1\r\n  # x\r\nputs a\r\n");
    EXPECT_EQ(ColourOf(m_edit.LineIndex(1), m_edit.LineIndex(2)), kGrey); // recoloured, not changed
    EXPECT_TRUE(m_doc.m_bChanged);
    // One Undo brings every removed "#" back; the history before stays.
    m_edit.Undo();
    EXPECT_EQ(m_edit.GetWindowText(), "##set a 1\r\n  # x\r\nputs a\r\n");
    m_edit.Redo();
    EXPECT_EQ(m_edit.GetWindowText(), "#set a 1\r\n  # x\r\nputs a\r\n");
    m_edit.Undo();
    m_edit.Undo();
    EXPECT_EQ(m_edit.GetWindowText(), "keep ##set a 1\r\n  # x\r\nputs a\r\n");
}

TEST_F(LineCommandsTest, GoToLineSelectsTheLineOrSaysWhyNot)
{
    m_edit.show();
    std::string text;
    for (int i = 1; i <= 300; ++i)
        text += "set v" + std::to_string(i) + " " + std::to_string(i) + "\n";
    m_edit.SetWindowText(text);
    m_edit.SetSel(m_edit.LineIndex(9), m_edit.LineIndex(9));
    m_edit.GoToLine(200);
    EXPECT_EQ(m_edit.GetSelText(), "set v200 200");
    const long nFirst = m_edit.GetFirstVisibleLine();
    EXPECT_LE(nFirst, 199);
    EXPECT_GT(nFirst, 100);

    m_edit.GoToLine(301); // the empty line after the last break
    EXPECT_EQ(m_edit.GetSelText(), "");
    EXPECT_EQ(m_edit.LineFromChar(-1), 300);
    m_edit.GoToLine(302);
    EXPECT_EQ(m_ui.m_messages, std::vector<std::string>{"Line number exceeds maximum lines"});

    m_doc.OnGo("  +12abc");
    EXPECT_EQ(m_edit.GetSelText(), "set v12 12");
    m_doc.OnGo("");
    m_doc.OnGo("-3");
    m_doc.OnGo("x1");
    EXPECT_EQ(m_ui.m_messages.size(), 4u);
    EXPECT_EQ(m_ui.m_messages[3], "Error - Line number < 1");
    EXPECT_EQ(m_edit.GetSelText(), "set v12 12");
    EXPECT_EQ(CCorvaleDoc::ParseLineNumber("99999999999999"), 1000000000L);
    EXPECT_FALSE(m_doc.m_bChanged);
}

TEST_F(LineCommandsTest, AListEntryJumpsToTheFirstLineThatSetsOrSourcesIt)
{
    m_edit.SetWindowText(
        "puts start\nset x 1\n  set   x 2\nsetx 5\nsource my file.tcl\nsource model.tcl\n");
    m_edit.FontifyAll();
    m_doc.OnListCloseUp(false, 0, "x");
    EXPECT_EQ(m_edit.GetSelText(), "set x 1");
    m_doc.OnListCloseUp(true, 0, "model.tcl");
    EXPECT_EQ(m_edit.GetSelText(), "source model.tcl");
    // "my" is listed, but its line's candidate is the whole rest of the line.
    m_doc.OnListCloseUp(true, 0, "my");
    EXPECT_EQ(m_edit.GetSelText(), "source model.tcl");
    // With no entry selected nothing happens.
    m_edit.SetSel(0, 0);
    m_doc.OnListCloseUp(false, -1, "x");
    EXPECT_EQ(m_edit.GetSelText(), "");
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(LineCommandsTest, OpenStartsTheEditorOnTheEntryOrSaysItCannot)
{
    m_doc.OnOpenSource(-1, "", "/usr/bin/editor");
    EXPECT_TRUE(m_ui.m_startedPrograms.empty());
    const std::string longEntry = "parts/" + std::string(400, 'p') + ".tcl";
    m_doc.OnOpenSource(0, longEntry, "/usr/bin/editor");
    EXPECT_EQ(m_ui.m_startedPrograms, std::vector<std::string>{"/usr/bin/editor|" + longEntry});
    m_ui.m_bProgramsStart = false;
    m_doc.OnOpenSource(0, "model.tcl", "not found");
    EXPECT_EQ(m_ui.m_messages, std::vector<std::string>{"Error opening file"});
}

TEST_F(LineCommandsTest, TheFontCommandTakesOnlyTheFaceAndRecoloursEverything)
{
    m_edit.SetWindowText("set x 1\nelement Truss\n");
    m_edit.SetSel(2, 5);
    m_doc.OnFont(); // cancelled
    EXPECT_EQ(m_edit.GetCharFormatAt(0).szFaceName, "Courier New");
    m_ui.m_nextFontFace = "DejaVu Sans Mono";
    m_doc.OnFont();
    EXPECT_EQ(m_edit.GetCharFormatAt(0).szFaceName, "DejaVu Sans Mono");
    EXPECT_EQ(m_edit.GetCharFormatAt(0).yHeight, 210);
    EXPECT_EQ(ColourOf(0, 3), kPurple);
    EXPECT_EQ(Entries(m_doc.Variables()), QStringList{"x"});
    long nStart = 0;
    long nEnd = 0;
    m_edit.GetSel(nStart, nEnd);
    EXPECT_EQ(nStart, 2);
    EXPECT_EQ(nEnd, 5);
    EXPECT_FALSE(m_doc.m_bChanged);
}
