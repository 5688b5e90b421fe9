// The real program on the demo script, as the X server shows it: line
// numbers in the margin, and the brace at the caret marked with its partner.
// The picture is kept in the build folder for a look.

#include "ProgramRun.h"
#include "support/TempDir.h"

#include <QImage>
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <set>

namespace
{
constexpr unsigned kMarginBack = 0xF0F0F0;
constexpr unsigned kBraceBack = 0xA0E6A0;
constexpr unsigned kCaretLineBack = 0xF0F4FC;

bool IsDarkGrey(unsigned nPixel)
{
    const unsigned r = (nPixel >> 16) & 0xFF;
    const unsigned g = (nPixel >> 8) & 0xFF;
    const unsigned b = nPixel & 0xFF;
    return r < 200 && r == g && g == b;
}
} // namespace

TEST(ScreenshotTest, TheMarginHasNumbersAndTheBraceAtTheCaretIsMarked)
{
    CTempDir dir;
    dir.MakeDirectory("config");
    dir.MakeDirectory("config/corvale");
    dir.Write("config/corvale/corvale.conf", "help " CORVALE_SOURCE_DIR "/share/help/\n");
    const std::string script =
        dir.Write("example.tcl", FileBytes(CORVALE_SOURCE_DIR "/share/demo/example.tcl"));
    CProgramRun run({script}, {{"HOME", dir.Prefix()}, {"XDG_CONFIG_HOME", dir.PathOf("config")}});
    const COutcome outcome = run.WaitForWindowOrEnd(10);
    ASSERT_TRUE(outcome.bWindow);

    // Line 36 ends in the "{" that opens the load case; Ctrl+G, its number,
    // Enter, then End puts the caret after it.
    run.Press(XK_g, true);
    run.Type("36");
    run.Press(XK_Return);
    run.Press(XK_End);
    usleep(500000);

    int nWidth = 0;
    int nHeight = 0;
    const std::vector<unsigned> pixels = run.GrabMainWindow(nWidth, nHeight);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight));
    QImage image(nWidth, nHeight, QImage::Format_RGB32);
    for (int y = 0; y < nHeight; ++y)
    {
        for (int x = 0; x < nWidth; ++x)
            image.setPixel(x, y, pixels[static_cast<size_t>(y * nWidth + x)] | 0xFF000000u);
    }
    const QString picture = QStringLiteral(CORVALE_BINARY_DIR "/corvale-window.png");
    EXPECT_TRUE(image.save(picture)) << picture.toStdString();

    // The margin: the caret's tinted line starts right of it; left of that,
    // on the rows of its light grey ground, are grey digits.
    const auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y * nWidth + x)]; };
    int nTintLeft = -1;
    int nTintRow = -1;
    for (int y = 0; y < nHeight && nTintLeft < 0; ++y)
    {
        for (int x = 0; x < nWidth; ++x)
        {
            if (at(x, y) == kCaretLineBack)
            {
                nTintLeft = x;
                nTintRow = y;
                break;
            }
        }
    }
    ASSERT_GT(nTintLeft, 0) << "no tinted caret line";
    // Scintilla leaves a pixel or two of the text's own ground before the text.
    int nMarginRight = nTintLeft;
    while (nMarginRight > nTintLeft - 6 && nMarginRight > 0 &&
           at(nMarginRight - 1, nTintRow) != kMarginBack)
        --nMarginRight;
    // Grey pixels left of it, on the rows of the margin's ground: digits vary
    // from row to row, where the pane's frame is the same line on every row.
    std::vector<int> marginRows;
    for (int y = 0; y < nHeight; ++y)
    {
        if (at(nMarginRight - 1, y) == kMarginBack)
            marginRows.push_back(y);
    }
    ASSERT_GT(marginRows.size(), 200u) << "no margin as tall as the pane";
    int nDigitPixels = 0;
    for (int x = std::max(0, nMarginRight - 80); x < nMarginRight; ++x)
    {
        int nGrey = 0;
        for (const int y : marginRows)
            nGrey += IsDarkGrey(at(x, y)) ? 1 : 0;
        if (nGrey < static_cast<int>(marginRows.size()) * 9 / 10)
            nDigitPixels += nGrey;
    }
    EXPECT_GT(nDigitPixels, 200) << "no digits in the margin";

    // The brace and its partner: two marked boxes, on two different lines.
    std::set<int> markedRows;
    int nMarked = 0;
    for (int y = 0; y < nHeight; ++y)
    {
        for (int x = 0; x < nWidth; ++x)
        {
            if (pixels[static_cast<size_t>(y * nWidth + x)] == kBraceBack)
            {
                ++nMarked;
                markedRows.insert(y);
            }
        }
    }
    EXPECT_GT(nMarked, 40) << "no brace marked";
    ASSERT_FALSE(markedRows.empty());
    EXPECT_GT(*markedRows.rbegin() - *markedRows.begin(), 40)
        << "the marks are not on the brace's line and its partner's, three lines down";
    COutcome ended;
    run.Finish(ended);
}
