#include "print/ScriptPrinter.h"

#include "platform/ScriptedUserInteraction.h"
#include "platform/TextControl.h"
#include "support/TempDir.h"

#include <QPrinter>
#include <gmock/gmock.h>

namespace
{
int PagesIn(const std::string& pdf)
{
    int nPages = 0;
    for (size_t nPos = pdf.find("/Type /Page"); nPos != std::string::npos;
         nPos = pdf.find("/Type /Page", nPos + 1))
    {
        if (pdf.compare(nPos, 12, "/Type /Pages") != 0)
            ++nPages;
    }
    return nPages;
}
} // namespace

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
    scriptPrinter.Print(printer, false);
    EXPECT_EQ(static_cast<int>(ui.m_messages.size()), scriptPrinter.m_nPageCount);
    EXPECT_EQ(ui.m_messages[0], "Sending to Print Device/ Print Preview");
    EXPECT_EQ(PagesIn(ReadFileBytes(dir.PathOf("script.pdf"))), scriptPrinter.m_nPageCount);
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
