#include "platform/TextControl.h"

#include <gtest/gtest.h>

namespace
{
long SelStart(const CTextControl& control)
{
    long nStart = 0;
    long nEnd = 0;
    control.GetSel(nStart, nEnd);
    return nStart;
}

long SelEnd(const CTextControl& control)
{
    long nStart = 0;
    long nEnd = 0;
    control.GetSel(nStart, nEnd);
    return nEnd;
}
} // namespace

TEST(TextControlPositions, LineBreaksAreStoredAsCrLfAndCountTwice)
{
    CTextControl control;
    control.SetWindowText("set x 1\nputs $x\rend");
    EXPECT_EQ(control.GetWindowText(), "set x 1\r\nputs $x\r\nend");
    EXPECT_EQ(control.GetTextLength(), 21);
    EXPECT_EQ(control.GetLineCount(), 3);
    EXPECT_EQ(control.LineIndex(0), 0);
    EXPECT_EQ(control.LineIndex(1), 9);
    EXPECT_EQ(control.LineIndex(2), 18);
    EXPECT_EQ(control.LineIndex(3), -1);
    EXPECT_EQ(control.LineFromChar(8), 0); // the LF of the first break
    EXPECT_EQ(control.LineFromChar(9), 1);
    EXPECT_EQ(control.LineFromChar(1000), 2);
    EXPECT_EQ(control.LineLength(0), 7);
    EXPECT_EQ(control.LineLength(12), 7);
    EXPECT_EQ(control.LineLength(20), 3);
    EXPECT_EQ(control.GetLine(0), "set x 1\r\n");
    EXPECT_EQ(control.GetLine(2), "end");
    EXPECT_EQ(control.GetLine(3), "");
}

TEST(TextControlPositions, AnEmptyTextHasOneLineAndATrailingBreakStartsAnother)
{
    CTextControl control;
    EXPECT_EQ(control.GetLineCount(), 1);
    EXPECT_EQ(control.GetTextLength(), 0);
    EXPECT_EQ(control.LineLength(-1), 0);
    EXPECT_EQ(control.GetLine(0), "");
    control.SetWindowText("a\r\n");
    EXPECT_EQ(control.GetLineCount(), 2);
    EXPECT_EQ(control.LineIndex(1), 3);
    EXPECT_EQ(control.LineLength(3), 0);
}

TEST(TextControlPositions, MinusOneStandsForTheCaretsLine)
{
    CTextControl control;
    control.SetWindowText("first\r\nsecond line\r\nthird");
    control.SetSel(10, 10);
    EXPECT_EQ(control.LineIndex(-1), 7);
    EXPECT_EQ(control.LineFromChar(-1), 1);
    EXPECT_EQ(control.LineLength(-1), 11);

    // Over a selection: the unselected characters of the lines it touches.
    // From the fourth character of line 1 to the eighth from the end of line 2... here:
    // "sec|ond line" and "th|ird": 3 before, 3 after.
    control.SetSel(10, 22);
    EXPECT_EQ(control.LineFromChar(-1), 1);
    EXPECT_EQ(control.LineLength(-1), 6);
    // One character of a line selected: the rest of that line.
    control.SetSel(7, 8);
    EXPECT_EQ(control.LineLength(-1), 10);
}

TEST(TextControlPositions, SelectionSpecialValuesAndClamping)
{
    CTextControl control;
    control.SetWindowText("abc\r\ndef");
    control.SetSel(0, -1);
    EXPECT_EQ(SelStart(control), 0);
    EXPECT_EQ(SelEnd(control), 8);
    EXPECT_EQ(control.GetSelText(), "abc\r\ndef");

    control.SetSel(1, 2);
    control.SetSel(-1, 0);
    EXPECT_EQ(SelStart(control), 2);
    EXPECT_EQ(SelEnd(control), 2);

    control.SetSel(2, 999);
    EXPECT_EQ(SelEnd(control), 8);
    control.SetSel(6, 2);
    EXPECT_EQ(SelStart(control), 2);
    EXPECT_EQ(SelEnd(control), 6);

    // Never between the CR and the LF of a break.
    control.SetSel(4, 4);
    EXPECT_EQ(SelStart(control), 3);
}

TEST(TextControlPositions, LineScrollMovesTheFirstVisibleLine)
{
    CTextControl control;
    control.resize(300, 120);
    control.show();
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "line " + std::to_string(i) + "\n";
    control.SetWindowText(text);
    EXPECT_EQ(control.GetFirstVisibleLine(), 0);
    control.LineScroll(50);
    EXPECT_EQ(control.GetFirstVisibleLine(), 50);
    control.LineScroll(-20);
    EXPECT_EQ(control.GetFirstVisibleLine(), 30);
    // Setting the selection does not scroll.
    control.SetSel(control.LineIndex(150), control.LineIndex(150));
    EXPECT_EQ(control.GetFirstVisibleLine(), 30);
}
