#include "print/ScriptPrinter.h"

#include "platform/ScriptedUserInteraction.h"
#include "platform/TextControl.h"
#include "support/TempDir.h"
#include "support/UserActions.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <gmock/gmock.h>

TEST(ScriptPrinter, LinesPerPageAndPageCount)
{
    EXPECT_EQ(CScriptPrinter::LinesPerPage(1100, 150, 50, 18), 50);
    EXPECT_EQ(CScriptPrinter::LinesPerPage(1100, 600, 500, 18), 0);
    EXPECT_EQ(CScriptPrinter::PageCount(100, 50), 2);
    EXPECT_EQ(CScriptPrinter::PageCount(101, 50), 3);
    EXPECT_EQ(CScriptPrinter::PageCount(1, 50), 1);
    EXPECT_EQ(CScriptPrinter::PageCount(10, 0), 0);
}

TEST(ScriptPrinter, PrintsEveryPageToPdfWithTheMessageBeforeEach)
{
    CScriptedUserInteraction ui;
    CTempDir dir;
    CTextControl pane;
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += (i % 10 == 0 ? "  # comment " : "node ") + std::to_string(i) + "\n";
    pane.SetWindowText(text);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.PathOf("script.pdf")));
    CScriptPrinter scriptPrinter(pane, CScriptPrinter::CSettings());
    ASSERT_TRUE(scriptPrinter.Prepare(printer));
    EXPECT_EQ(printer.resolution(), 600);
    EXPECT_GT(scriptPrinter.m_nLinesPerPage, 10);
    EXPECT_EQ(scriptPrinter.m_nPageCount,
              CScriptPrinter::PageCount(201, scriptPrinter.m_nLinesPerPage));
    scriptPrinter.Print(printer, CScriptPrinter::EMessage::BeforeEachPage);
    EXPECT_EQ(static_cast<int>(ui.m_messages.size()), scriptPrinter.m_nPageCount);
    EXPECT_EQ(ui.m_messages[0], "Sending to Print Device/ Print Preview");
    EXPECT_EQ(PagesInPdf(ReadFileBytes(dir.PathOf("script.pdf"))), scriptPrinter.m_nPageCount);
}

TEST(ScriptPrinter, ARangeOfPagesIsKeptWithinTheScript)
{
    CScriptedUserInteraction ui;
    CTextControl pane;
    pane.SetWindowText(std::string(300, '\n'));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    CScriptPrinter scriptPrinter(pane, CScriptPrinter::CSettings());
    ASSERT_TRUE(scriptPrinter.Prepare(printer));
    const int nLast = scriptPrinter.m_nPageCount;
    ASSERT_GE(nLast, 3);
    EXPECT_EQ(scriptPrinter.PagesToPrint(printer), std::make_pair(1, nLast)); // all pages
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 99);
    EXPECT_EQ(scriptPrinter.PagesToPrint(printer), std::make_pair(2, nLast));
    printer.setFromTo(3, 3);
    EXPECT_EQ(scriptPrinter.PagesToPrint(printer), std::make_pair(3, 3));
    printer.setFromTo(nLast + 1, nLast + 2);
    const auto [nFirst, nEnd] = scriptPrinter.PagesToPrint(printer);
    EXPECT_GT(nFirst, nEnd); // nothing to print
}

TEST(ScriptPrinter, MarginsThatLeaveNoRoomRefuseToPrint)
{
    CScriptedUserInteraction ui;
    CTextControl pane;
    pane.SetWindowText("set x 1\n");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    CScriptPrinter::CSettings settings;
    settings.nTopMargin = 10000;
    CScriptPrinter scriptPrinter(pane, settings);
    EXPECT_FALSE(scriptPrinter.Prepare(printer));
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_THAT(ui.m_messages[0], ::testing::HasSubstr("no room for a line"));
}

TEST(ScriptPrinter, LinesAreDrawnFromTheMarginsWithCommentsInDarkGrey)
{
    CScriptedUserInteraction ui;
    CTextControl pane;
    pane.SetWindowText("MMMMMMMM\n  # comment line\n\nMMMM # not a comment\n");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    CScriptPrinter scriptPrinter(pane, CScriptPrinter::CSettings());
    ASSERT_TRUE(scriptPrinter.Prepare(printer));

    QImage page(1600, 1000, QImage::Format_RGB32);
    page.setDotsPerMeterX(23622); // 600 dots per inch, as on the printer
    page.setDotsPerMeterY(23622);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        scriptPrinter.DrawPage(painter, 1);
    }
    const int nStep = 80 + scriptPrinter.m_nLineHeight;
    // The darkest pixel of a band: glyph edges are smoothed, stems are not.
    auto colourIn = [&](int nTop, int nBottom, int nLeft, int nRight)
    {
        QColor darkest(Qt::white);
        for (int y = nTop; y < nBottom; ++y)
            for (int x = nLeft; x < nRight; ++x)
                if (page.pixelColor(x, y).lightness() < darkest.lightness())
                    darkest = page.pixelColor(x, y);
        return darkest;
    };
    // Nothing left of the left margin or above the top margin.
    EXPECT_EQ(colourIn(0, 150, 0, 1600), QColor(Qt::white));
    EXPECT_EQ(colourIn(0, 1000, 0, 200), QColor(Qt::white));
    // The first line is black; the indented comment line dark grey, blanks and all.
    EXPECT_EQ(colourIn(150, 150 + nStep, 200, 1600), QColor(0, 0, 0));
    const QColor comment = colourIn(150 + nStep, 150 + 2 * nStep, 200, 1600);
    EXPECT_EQ(comment, QColor(75, 75, 75));
    // A "#" after other text leaves the line black.
    EXPECT_EQ(colourIn(150 + 3 * nStep, 150 + 4 * nStep, 200, 1600), QColor(0, 0, 0));
}
