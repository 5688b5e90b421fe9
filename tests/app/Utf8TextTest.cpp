// Scripts and help files in UTF-8 show as UTF-8; any other bytes show one
// Latin-1 character each. Either way the bytes, positions, colours and
// searches are those of the bytes.

#include "AppWindowTest.h"
#include "app/DialogBar.h"
#include "print/ScriptPrinter.h"
#include "support/Palette.h"
#include "support/ProgramWindow.h"
#include "support/UserActions.h"
#include "view/FindReplaceDlg.h"
#include "view/LeftView.h"

#include <QAccessible>
#include <QAccessibleTextInterface>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <gmock/gmock.h>

namespace
{

// A paint device that keeps the texts drawn on it, as a printer would get them.
class CTextRecorder : public QPaintEngine
{
public:
    CTextRecorder() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF&, const QTextItem& item) override { m_texts << item.text(); }
    Type type() const override { return QPaintEngine::User; }

    QStringList m_texts;
};

class CTextRecordingDevice : public QPaintDevice
{
public:
    QPaintEngine* paintEngine() const override { return &m_engine; }
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric)
        {
        case PdmWidth:
            return 5000;
        case PdmHeight:
            return 6600;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 600;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

    mutable CTextRecorder m_engine;
};

class Utf8TextTest : public AppWindowTest
{
protected:
    // The texts that printing the script's first page draws.
    QStringList PrintedTexts(const CScriptEdit& edit)
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(m_dir.PathOf("out.pdf")));
        CScriptPrinter scriptPrinter(edit, CScriptPrinter::CSettings{});
        if (!scriptPrinter.Prepare(printer))
            return {};
        CTextRecordingDevice device;
        QPainter painter(&device);
        scriptPrinter.DrawPage(painter, 1);
        return device.m_engine.m_texts;
    }

    // Types into the Find box, presses Enter, then Find Next in the dialog
    // from the start of the script; the selection found.
    static std::string FindFromStart(CMainFrame* pFrame, const QString& word)
    {
        CScriptEdit& edit = Edit(pFrame);
        // Test keys type ASCII only; the box takes the word as typing leaves it.
        pFrame->GetDialogBar()->m_pFindText->setText(word);
        QTest::keyClick(pFrame->GetDialogBar()->m_pFindText, Qt::Key_Return);
        CFindReplaceDlg* pDialog = pFrame->GetRightPane()->m_pFindReplaceDlg;
        if (pDialog == nullptr)
            return "(no dialog)";
        pDialog->m_pFindWhat->setText(word);
        edit.SetSel(0, 0);
        QTest::mouseClick(ButtonWithText(*pDialog, "&Find Next"), Qt::LeftButton);
        return edit.GetSelText();
    }
};
} // namespace

TEST_F(Utf8TextTest, AUtf8ScriptShowsAsUtf8AndKeepsItsBytes)
{
    const std::string bytes =
        "# L\xC3\xA4nge in \xC2\xB5m\nset l\xC3\xA4nge 3.5\nnode 1 0.0 $l\xC3\xA4nge\n";
    CMainFrame* pFrame = Start(bytes);
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = Edit(pFrame);
    ASSERT_TRUE(edit.IsUtf8Text());

    // Shown as the characters, to the eye and to a screen reader.
    EXPECT_EQ(edit.text(0), QString::fromUtf8("# Länge in µm\r\n"));
    QAccessibleInterface* pAccessible = QAccessible::queryAccessibleInterface(&edit);
    ASSERT_NE(pAccessible, nullptr);
    EXPECT_TRUE(
        pAccessible->textInterface()->text(0, 16).startsWith(QString::fromUtf8("# Länge in µm")));

    // Positions stay byte offsets, and colouring goes by the bytes.
    EXPECT_EQ(edit.LineIndex(1), 17);
    EXPECT_EQ(edit.GetCharFormatAt(3).crTextColor, kGrey);
    EXPECT_EQ(edit.GetCharFormatAt(17).crTextColor, kPurple);
    EXPECT_EQ(edit.GetCharFormatAt(edit.LineIndex(2)).crTextColor, kGreen);
    EXPECT_THAT(m_app.m_doc.Variables().Entries(), ::testing::ElementsAre("l\xC3\xA4nge"));

    // A word typed in the Find box finds the UTF-8 bytes (without Match case,
    // the comment's first); Go to line selects the line.
    EXPECT_EQ(FindFromStart(pFrame, QString::fromUtf8("länge")), "L\xC3\xA4nge");
    edit.activateWindow();
    TypeOver(*pFrame->GetDialogBar()->m_pLineNumber, "2");
    QTest::keyClick(pFrame->GetDialogBar()->m_pLineNumber, Qt::Key_Return);
    EXPECT_EQ(edit.GetSelText(), "set l\xC3\xA4nge 3.5");

    // Typing a character past ASCII puts in its UTF-8 bytes; copying gives the character.
    edit.setFocus();
    edit.SetSel(0, 0);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Odiaeresis, Qt::NoModifier, QString::fromUtf8("ö"));
    QApplication::sendEvent(&edit, &press);
    EXPECT_EQ(edit.GetTextRange(0, 2), "\xC3\xB6");
    edit.SetSel(0, 2);
    m_app.m_doc.OnEditCopy();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("ö"));
    QTest::keyClick(&edit, Qt::Key_Delete);

    // Printing draws what the pane shows; Save gives the bytes back.
    EXPECT_THAT(PrintedTexts(edit), ::testing::Contains(QString::fromUtf8("# Länge in µm")));
    QTest::keyClick(&edit, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadFileBytes(m_dir.PathOf("script.tcl")), bytes);
    EXPECT_THAT(m_ui.m_messages, ::testing::IsEmpty());
}

TEST_F(Utf8TextTest, ALatin1ScriptShowsAByteACharacterAsBefore)
{
    const std::string bytes = "# L\xE4nge in \xB5m\r\nset l\xE4nge 3.5\r\nnode 1 0.0 0.0\r\n";
    CMainFrame* pFrame = Start(bytes);
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = Edit(pFrame);
    EXPECT_FALSE(edit.IsUtf8Text());
    EXPECT_EQ(edit.text(0), QString::fromUtf8("# Länge in µm\r\n"));
    EXPECT_EQ(edit.GetCharFormatAt(edit.LineIndex(1)).crTextColor, kPurple);
    EXPECT_EQ(FindFromStart(pFrame, QString::fromUtf8("länge")), "L\xE4nge");
    EXPECT_THAT(PrintedTexts(edit), ::testing::Contains(QString::fromUtf8("# Länge in µm")));
    QTest::keyClick(&edit, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadFileBytes(m_dir.PathOf("script.tcl")), bytes);

    // Bytes that are not UTF-8 stay one byte a character.
    ASSERT_TRUE(m_app.m_doc.OnOpenDocument(m_dir.Write("cut.tcl", "# \xC3\n")));
    EXPECT_FALSE(edit.IsUtf8Text());
}

TEST_F(Utf8TextTest, HelpFilesShowInTheirOwnEncodingInTheTreeAndThePane)
{
    m_dir.MakeDirectory("help");
    m_dir.Write("help/list.txt", "utf8.txt latin1.txt");
    m_dir.Write("help/utf8.txt", "gr\xC3\xB6\xC3\x9F"
                                 "e:command\ngr\xC3\xB6\xC3\x9F"
                                 "e <n>\n"
                                 "    <n>   Bema\xC3\x9Fung in \xC2\xB5m\n#\n");
    m_dir.Write("help/latin1.txt", "f\xFC"
                                   "r:command\nf\xFC"
                                   "r <n>\n    <n>   Ma\xDF in \xB5m\n#\n");
    m_dir.UseAsConfigurationHome("help " + m_dir.PathOf("help/") + "\n");
    CMainFrame* pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    CLeftView* pTree = pFrame->GetLeftPane();
    ASSERT_EQ(pTree->ItemCount(), 3);
    CTextControl& summary = SummaryPane(pFrame);

    const struct
    {
        int nItem;
        QString keyword;
        QString help;
    } items[] = {{1, QString::fromUtf8("größe"), QString::fromUtf8("Bemaßung in µm")},
                 {2, QString::fromUtf8("für"), QString::fromUtf8("Maß in µm")}};
    for (const auto& item : items)
    {
        const QModelIndex index = pTree->ItemIndex(item.nItem);
        EXPECT_EQ(index.data().toString(), item.keyword);
        QTest::mouseClick(pTree->m_tree.viewport(), Qt::LeftButton, Qt::NoModifier,
                          pTree->m_tree.visualRect(index).center());
        EXPECT_EQ(QApplication::clipboard()->text(), item.keyword);
        EXPECT_TRUE(summary.text().contains(item.help)) << summary.text().toStdString();
    }
    // Typed into a script, both keywords are found in the library by their bytes.
    CScriptEdit& edit = Edit(pFrame);
    edit.SetWindowText("gr\xC3\xB6\xC3\x9F"
                       "e 1\r\nf\xFC"
                       "r 2\r\n");
    edit.FontifyAll();
    EXPECT_EQ(edit.GetCharFormatAt(0).crTextColor, kGreen);
    EXPECT_EQ(edit.GetCharFormatAt(edit.LineIndex(1)).crTextColor, kGreen);
    EXPECT_THAT(m_ui.m_messages, ::testing::IsEmpty());
}
