#include "platform/TextControl.h"
#include "support/Palette.h"

#include <QTest>
#include <gtest/gtest.h>

namespace
{
CCharFormat Format(std::uint32_t crColor, std::uint32_t dwEffects = 0, std::int32_t yHeight = 210,
                   const std::string& face = "Courier New")
{
    CCharFormat format;
    format.dwMask = 0xE040000E;
    format.dwEffects = dwEffects;
    format.yHeight = yHeight;
    format.crTextColor = crColor;
    format.bPitchAndFamily = FIXED_PITCH;
    format.szFaceName = face;
    return format;
}

CCharFormat ColourOnly(std::uint32_t crColor)
{
    CCharFormat format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = crColor;
    return format;
}

} // namespace

TEST(TextControlFormat, SelectionFormatsColourTheirRangeAndReadBack)
{
    CTextControl control;
    control.SetDefaultCharFormat(Format(kBlack));
    control.SetWindowText("set x 1 ;# note");
    control.SetSel(0, 3);
    control.SetSelectionCharFormat(Format(kPurple));
    control.SetSel(8, 15);
    control.SetSelectionCharFormat(Format(kGrey, CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT));

    EXPECT_EQ(control.GetCharFormatAt(0).crTextColor, kPurple);
    EXPECT_EQ(control.GetCharFormatAt(2).crTextColor, kPurple);
    EXPECT_EQ(control.GetCharFormatAt(3).crTextColor, kBlack);
    const CCharFormat comment = control.GetCharFormatAt(10);
    EXPECT_EQ(comment.crTextColor, kGrey);
    EXPECT_EQ(comment.dwEffects, CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT);
    EXPECT_EQ(comment.yHeight, 210);
    EXPECT_EQ(comment.szFaceName, "Courier New");
    EXPECT_EQ(control.GetCharFormatAt(7).dwEffects, 0u);

    control.SetSel(0, 3);
    const CCharFormat whole = control.GetSelectionCharFormat();
    EXPECT_EQ(whole.crTextColor, kPurple);
    EXPECT_TRUE(whole.dwMask & CFM_COLOR);
    // Across differing characters, the differing attributes leave the mask.
    control.SetSel(2, 12);
    const CCharFormat mixed = control.GetSelectionCharFormat();
    EXPECT_FALSE(mixed.dwMask & CFM_COLOR);
    EXPECT_FALSE(mixed.dwMask & CFM_ITALIC);
    EXPECT_FALSE(mixed.dwMask & CFM_STRIKEOUT);
    EXPECT_TRUE(mixed.dwMask & CFM_SIZE);
    EXPECT_TRUE(mixed.dwMask & CFM_FACE);
}

TEST(TextControlFormat, AnEmptySelectionKeepsItsFormatForTheNextCharacterTyped)
{
    CTextControl control;
    control.SetDefaultCharFormat(Format(kBlack));
    control.setFocus();
    control.SetWindowText("set");
    control.SetSel(0, 3);
    control.SetSelectionCharFormat(Format(kPurple));

    // Without a format of its own, a typed character takes the one before it.
    control.SetSel(3, 3);
    QTest::keyClicks(&control, "t");
    EXPECT_EQ(control.GetCharFormatAt(3).crTextColor, kPurple);

    // A format applied to the caret is what the next character gets.
    control.SetSelectionCharFormat(Format(kBlack));
    EXPECT_EQ(control.GetSelectionCharFormat().crTextColor, kBlack);
    QTest::keyClicks(&control, " x");
    EXPECT_EQ(control.GetCharFormatAt(4).crTextColor, kBlack);
    EXPECT_EQ(control.GetCharFormatAt(5).crTextColor, kBlack);

    // ... and text put in by the program too.
    control.SetSel(0, 0);
    control.SetSelectionCharFormat(Format(kGreen));
    control.ReplaceSel("ab");
    EXPECT_EQ(control.GetCharFormatAt(0).crTextColor, kGreen);
    EXPECT_EQ(control.GetCharFormatAt(1).crTextColor, kGreen);
    // At the start of the text, with no format of its own, the first character's.
    control.SetSel(0, 0);
    control.ReplaceSel("c");
    EXPECT_EQ(control.GetCharFormatAt(0).crTextColor, kGreen);

    // The kept format goes when the text changes: "cabsett x" loses its "c".
    control.SetSel(3, 3);
    control.SetSelectionCharFormat(Format(kGrey));
    control.SetSel(0, 1);
    control.ReplaceSel("");
    control.SetSel(3, 3);
    control.ReplaceSel("z");
    EXPECT_EQ(control.GetCharFormatAt(3).crTextColor, kPurple);
}

TEST(TextControlFormat, WordFormatsWidenThePartsOfWordsTheSelectionCuts)
{
    CTextControl control;
    control.SetDefaultCharFormat(Format(kBlack));
    control.SetWindowText("element truss {1 2}");
    control.SetSel(10, 11); // inside "truss"
    control.SetWordCharFormat(Format(kGreen));
    for (long nPos = 8; nPos < 13; ++nPos)
        EXPECT_EQ(control.GetCharFormatAt(nPos).crTextColor, kGreen) << nPos;
    EXPECT_EQ(control.GetCharFormatAt(7).crTextColor, kBlack);
    EXPECT_EQ(control.GetCharFormatAt(13).crTextColor, kBlack);

    // A selection that already ends at word edges stays as it is.
    control.SetSel(14, 16);
    control.SetWordCharFormat(Format(kPurple));
    EXPECT_EQ(control.GetCharFormatAt(13).crTextColor, kBlack);
    EXPECT_EQ(control.GetCharFormatAt(14).crTextColor, kPurple);
    EXPECT_EQ(control.GetCharFormatAt(15).crTextColor, kPurple);
    EXPECT_EQ(control.GetCharFormatAt(16).crTextColor, kBlack);
}

TEST(TextControlFormat, TheDefaultFormatReachesTheWholeTextMergedByItsMask)
{
    CTextControl control;
    control.SetDefaultCharFormat(Format(kBlack));
    control.SetWindowText("source model.tcl");
    control.SetSel(7, 16);
    control.SetSelectionCharFormat(Format(kBlack, CFE_ITALIC | CFE_UNDERLINE));

    CCharFormat faceOnly;
    faceOnly.dwMask = CFM_FACE;
    faceOnly.szFaceName = "DejaVu Sans Mono";
    faceOnly.bPitchAndFamily = FIXED_PITCH;
    control.SetDefaultCharFormat(faceOnly);
    EXPECT_EQ(control.GetCharFormatAt(0).szFaceName, "DejaVu Sans Mono");
    EXPECT_EQ(control.GetCharFormatAt(10).szFaceName, "DejaVu Sans Mono");
    EXPECT_EQ(control.GetCharFormatAt(10).dwEffects, CFE_ITALIC | CFE_UNDERLINE);
    EXPECT_EQ(control.GetCharFormatAt(10).yHeight, 210);
    EXPECT_EQ(control.GetDefaultCharFormat().szFaceName, "DejaVu Sans Mono");

    // New text takes the default format.
    control.SetWindowText("new");
    EXPECT_EQ(control.GetCharFormatAt(0).dwEffects, 0u);
    EXPECT_EQ(control.GetCharFormatAt(0).szFaceName, "DejaVu Sans Mono");

    // Only the masked attributes change; a face longer than the platform allows is cut.
    control.SetSel(0, 3);
    control.SetSelectionCharFormat(ColourOnly(kGreen));
    EXPECT_EQ(control.GetCharFormatAt(1).crTextColor, kGreen);
    EXPECT_EQ(control.GetCharFormatAt(1).szFaceName, "DejaVu Sans Mono");
    control.SetDefaultCharFormat(Format(kBlack, 0, 210, std::string(40, 'F')));
    EXPECT_EQ(control.GetCharFormatAt(1).szFaceName, std::string(31, 'F'));
}

TEST(TextControlFormat, ManyDifferentFormatsDoNotExhaustTheStyles)
{
    CTextControl control;
    control.SetDefaultCharFormat(Format(kBlack));
    control.SetWindowText(std::string(400, 'x'));
    // Recolouring the same characters again and again frees the styles no
    // character uses any more.
    for (std::uint32_t nColour = 1; nColour <= 2000; ++nColour)
    {
        control.SetSel(0, 10);
        control.SetSelectionCharFormat(Format(nColour));
    }
    EXPECT_EQ(control.GetCharFormatAt(0).crTextColor, 2000u);
    EXPECT_EQ(control.GetCharFormatAt(9).crTextColor, 2000u);
    EXPECT_EQ(control.GetCharFormatAt(10).crTextColor, kBlack);

    // More distinct formats at once than styles exist: the excess falls back to
    // the default format rather than failing.
    for (long nPos = 0; nPos < 400; ++nPos)
    {
        control.SetSel(nPos, nPos + 1);
        control.SetSelectionCharFormat(Format(static_cast<std::uint32_t>(nPos + 10)));
    }
    EXPECT_EQ(control.GetCharFormatAt(0).crTextColor, 10u);
    EXPECT_EQ(control.GetCharFormatAt(399).crTextColor, kBlack);
    // Once they are all plain again, every format is available once more.
    control.SetSel(0, -1);
    control.SetSelectionCharFormat(Format(kBlack));
    control.SetSel(399, 400);
    control.SetSelectionCharFormat(Format(kGreen));
    EXPECT_EQ(control.GetCharFormatAt(399).crTextColor, kGreen);
}

TEST(TextControlFormat, BackgroundColourAndFormatWithoutFace)
{
    CTextControl summary;
    summary.SetBackgroundColor(Rgb(255, 255, 255));
    CCharFormat format;
    format.dwMask = 0xE040000E;
    format.yHeight = 157;
    format.crTextColor = Rgb(100, 50, 50);
    format.bPitchAndFamily = FF_SWISS;
    summary.SetDefaultCharFormat(format);
    summary.SetWindowText(" element:command\n");
    const CCharFormat shown = summary.GetCharFormatAt(3);
    EXPECT_EQ(shown.yHeight, 157);
    EXPECT_EQ(shown.crTextColor, Rgb(100, 50, 50));
    EXPECT_EQ(shown.szFaceName, "");
    EXPECT_EQ(shown.bPitchAndFamily, FF_SWISS);
    EXPECT_EQ(summary.GetBackgroundColor(), Rgb(255, 255, 255));
}
