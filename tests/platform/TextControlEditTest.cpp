#include "platform/TextControl.h"
#include "platform/TextControlAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>
#include <stdexcept>

namespace
{
// Streams a string in as the document's file reader would.
CTextControl::StreamReader ReaderOf(const std::string& bytes, long nChunk = 7)
{
    auto pPos = std::make_shared<size_t>(0);
    return [bytes, pPos, nChunk](char* pBuffer, long nWanted) -> long
    {
        const size_t nTake = std::min(
            {bytes.size() - *pPos, static_cast<size_t>(nWanted), static_cast<size_t>(nChunk)});
        std::copy_n(bytes.data() + *pPos, nTake, pBuffer);
        *pPos += nTake;
        return static_cast<long>(nTake);
    };
}

std::string StreamedOut(const CTextControl& control)
{
    std::string out;
    EXPECT_TRUE(control.StreamOut(
        [&out](const char* pBuffer, long nBytes)
        {
            out.append(pBuffer, static_cast<size_t>(nBytes));
            return nBytes;
        }));
    return out;
}

std::string EveryByteButBreaks()
{
    std::string bytes;
    for (int c = 0; c < 256; ++c)
    {
        if (c != '\r' && c != '\n')
            bytes.push_back(static_cast<char>(c));
    }
    return bytes;
}
} // namespace

TEST(TextControlEdit, TextRoundTripsByteForByteThroughTheStreams)
{
    CTextControl control;
    const std::string bytes = EveryByteButBreaks() + "\r\n" + EveryByteButBreaks();
    const CTextControl::CStreamInResult result = control.StreamIn(ReaderOf(bytes));
    EXPECT_EQ(result.nChars, static_cast<long>(bytes.size()));
    EXPECT_FALSE(result.bTruncated);
    EXPECT_FALSE(result.bLineFeedsOnly);
    EXPECT_EQ(StreamedOut(control), bytes);
    EXPECT_EQ(control.GetWindowText(), bytes);
    EXPECT_EQ(control.GetLineCount(), 2);
}

TEST(TextControlEdit, StreamInMakesEveryBreakCrLfAndReportsLineFeedFiles)
{
    CTextControl control;
    CTextControl::CStreamInResult result = control.StreamIn(ReaderOf("a\nb\nc\n", 1));
    EXPECT_TRUE(result.bLineFeedsOnly);
    EXPECT_EQ(control.GetWindowText(), "a\r\nb\r\nc\r\n");

    result = control.StreamIn(ReaderOf("a\r\nb\r", 2));
    EXPECT_FALSE(result.bLineFeedsOnly);
    EXPECT_EQ(control.GetWindowText(), "a\r\nb\r\n");
    EXPECT_FALSE(control.CanUndo());
}

TEST(TextControlEdit, AFailingStreamLeavesTheTextAsItWas)
{
    CTextControl control;
    control.SetWindowText("keep me");
    auto failing = [](char*, long) -> long { throw std::runtime_error("read error"); };
    EXPECT_THROW(control.StreamIn(failing), std::runtime_error);
    EXPECT_EQ(control.GetWindowText(), "keep me");

    EXPECT_FALSE(control.StreamOut([](const char*, long) -> long { return 0; }));
}

TEST(TextControlEdit, TheLimitHoldsOnEveryWayIn)
{
    CTextControl control;
    control.LimitText(10);

    control.SetWindowText("0123456789abc");
    EXPECT_EQ(control.GetWindowText(), "0123456789");

    CTextControl::CStreamInResult result = control.StreamIn(ReaderOf(std::string(100000, 'x')));
    EXPECT_TRUE(result.bTruncated);
    EXPECT_EQ(result.nChars, 10);
    // Exactly at the limit is not truncated.
    result = control.StreamIn(ReaderOf("0123456789"));
    EXPECT_FALSE(result.bTruncated);

    // A break is never split when text is cut.
    control.SetWindowText("012345678\n");
    EXPECT_EQ(control.GetWindowText(), "012345678");

    control.SetWindowText("abcdef");
    control.SetSel(6, 6);
    EXPECT_EQ(control.ReplaceSel("ghijklmn", true), 4);
    EXPECT_EQ(control.GetWindowText(), "abcdefghij");
    // Replacing a selection frees its room first.
    control.SetSel(0, 3);
    EXPECT_EQ(control.ReplaceSel("XYZW"), 3);
    EXPECT_EQ(control.GetWindowText(), "XYZdefghij");

    // Typing at the limit is refused.
    control.setFocus();
    control.SetSel(10, 10);
    QTest::keyClicks(&control, "qq");
    QTest::keyClick(&control, Qt::Key_Return);
    EXPECT_EQ(control.GetWindowText(), "XYZdefghij");

    // So is a paste that would pass it; what fits goes in.
    control.SetSel(3, 6);
    QApplication::clipboard()->setText("1234567");
    EXPECT_FALSE(control.PasteSpecial());
    EXPECT_EQ(control.GetWindowText(), "XYZ123ghij");

    control.LimitText(0);
    EXPECT_EQ(control.GetLimitText(), 65536);
}

TEST(TextControlEdit, ReplaceSelLeavesTheCaretAfterTheTextAndHonoursItsUndoFlag)
{
    CTextControl control;
    control.SetWindowText("set x 1");
    control.SetSel(4, 5);
    control.ReplaceSel("count\nnext", true);
    EXPECT_EQ(control.GetWindowText(), "set count\r\nnext 1");
    long nStart = 0;
    long nEnd = 0;
    control.GetSel(nStart, nEnd);
    EXPECT_EQ(nStart, 15);
    EXPECT_EQ(nEnd, 15);
    ASSERT_TRUE(control.CanUndo());
    // Undo tells where the text now differs from what it was: here "x" came back.
    const CTextControl::CTextSpan undone = control.Undo();
    EXPECT_EQ(control.GetWindowText(), "set x 1");
    EXPECT_EQ(undone.nStart, 4);
    EXPECT_EQ(undone.nEnd, 5);

    // Without undo, the history is gone so that replaying it cannot corrupt the text.
    control.SetSel(0, 0);
    control.ReplaceSel("#", true);
    control.SetSel(0, 1);
    control.ReplaceSel("", false);
    EXPECT_EQ(control.GetWindowText(), "set x 1");
    EXPECT_FALSE(control.CanUndo());
    EXPECT_EQ(control.Undo().nStart, -1);
    EXPECT_EQ(control.GetWindowText(), "set x 1");

    // Undoing an insertion leaves an empty span where it was.
    control.SetSel(7, 7);
    control.ReplaceSel(" 2 3", true);
    const CTextControl::CTextSpan removed = control.Undo();
    EXPECT_EQ(removed.nStart, 7);
    EXPECT_EQ(removed.nEnd, 7);
}

TEST(TextControlEdit, FindTextExSearchesForwardInItsRangeWithWordAndCaseFlags)
{
    CTextControl control;
    control.SetWindowText("Node nodes\r\nnode node");
    long nEnd = 0;
    EXPECT_EQ(control.FindTextEx(0, 0, -1, "node", &nEnd), 0);
    EXPECT_EQ(nEnd, 4);
    EXPECT_EQ(control.FindTextEx(4, 0, -1, "node"), 5);
    EXPECT_EQ(control.FindTextEx(2 | 4, 0, -1, "node"), 12);
    EXPECT_EQ(control.FindTextEx(2, 1, -1, "node"), 12);
    EXPECT_EQ(control.FindTextEx(2, 13, -1, "node"), 17);
    EXPECT_EQ(control.FindTextEx(0, 13, 20, "node"), -1);
    EXPECT_EQ(control.FindTextEx(0, 0, -1, "element"), -1);
    EXPECT_EQ(control.FindTextEx(0, 0, -1, ""), -1);
    EXPECT_EQ(control.FindTextEx(0, 0, -1, "s\r\nn", &nEnd), 9);
    EXPECT_EQ(nEnd, 13);
}

TEST(TextControlEdit, CutCopyAndPasteCarryPlainTextOnly)
{
    CTextControl control;
    control.SetWindowText("model -dims 2");
    control.SetSel(0, 5);
    control.Copy();
    EXPECT_EQ(QApplication::clipboard()->text(), "model");
    EXPECT_EQ(control.GetWindowText(), "model -dims 2");
    control.Cut();
    EXPECT_EQ(control.GetWindowText(), " -dims 2");

    // Formatting on the clipboard is never pasted, and breaks become CR LF.
    auto* pData = new QMimeData;
    pData->setHtml("<b>ignored</b>");
    pData->setText("node 1\nnode 2");
    QApplication::clipboard()->setMimeData(pData);
    control.SetSel(0, 0);
    EXPECT_TRUE(control.PasteSpecial());
    EXPECT_EQ(control.GetWindowText(), "node 1\r\nnode 2 -dims 2");

    // Characters outside the 8-bit range arrive as '?'.
    QApplication::clipboard()->setText(QString::fromUtf8("\xC3\xA9\xE2\x82\xAC"));
    control.SetSel(0, -1);
    control.PasteSpecial();
    EXPECT_EQ(control.GetWindowText(), "\xE9?");
}

TEST(TextControlEdit, TheControlsOwnEditingKeysAndMiddleButtonDoNothing)
{
    CTextControl control;
    control.resize(300, 200);
    control.show();
    control.setFocus();
    control.SetWindowText("abc");
    control.SetSel(3, 3);
    QApplication::clipboard()->setText("PASTED");
    QTest::keyClick(&control, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&control, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(&control, Qt::Key_L, Qt::ControlModifier);
    QTest::keyClick(&control, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(control.GetWindowText(), "abc");

    QTest::keyClicks(&control, "d");
    QTest::keyClick(&control, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(control.GetWindowText(), "abcd");

    QApplication::clipboard()->setText("MIDDLE", QClipboard::Selection);
    QTest::mouseClick(control.viewport(), Qt::MiddleButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(control.GetWindowText(), "abcd");
    long nStart = 0;
    long nEnd = 0;
    control.GetSel(nStart, nEnd);
    EXPECT_EQ(nStart, 4);
}

TEST(TextControlEdit, AContextMenuRequestShowsNoMenuOfItsOwn)
{
    CTextControl control;
    QSignalSpy spy(&control, &CTextControl::ContextMenuRequested);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(3, 4), QPoint(103, 104));
    QApplication::sendEvent(control.viewport(), &event);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toPoint(), QPoint(103, 104));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST(TextControlEdit, DroppedFilesAreHandedOnAndDroppedTextGoesInAsPlainText)
{
    CTextControl control;
    control.resize(300, 200);
    control.show();
    control.SetWindowText("");
    QSignalSpy files(&control, &CTextControl::FileDropped);
    QSignalSpy texts(&control, &CTextControl::TextDropped);

    QMimeData fileData;
    fileData.setUrls({QUrl::fromLocalFile("/tmp/model.tcl")});
    QDragEnterEvent fileEnter(QPoint(5, 5), Qt::CopyAction, &fileData, Qt::LeftButton,
                              Qt::NoModifier);
    QApplication::sendEvent(control.viewport(), &fileEnter);
    EXPECT_TRUE(fileEnter.isAccepted());
    QDropEvent fileDrop(QPointF(5, 5), Qt::CopyAction, &fileData, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(control.viewport(), &fileDrop);
    ASSERT_EQ(files.count(), 1);
    EXPECT_EQ(files.at(0).at(0).toString(), "/tmp/model.tcl");
    EXPECT_EQ(control.GetWindowText(), "");

    control.LimitText(12);
    QMimeData textData;
    textData.setText("node 1\nnode 2 0 0");
    QDragEnterEvent textEnter(QPoint(5, 5), Qt::CopyAction, &textData, Qt::LeftButton,
                              Qt::NoModifier);
    QApplication::sendEvent(control.viewport(), &textEnter);
    QDropEvent textDrop(QPointF(5, 5), Qt::CopyAction, &textData, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(control.viewport(), &textDrop);
    EXPECT_EQ(control.GetWindowText(), "node 1\r\nnode");
    EXPECT_EQ(texts.count(), 1);
}

TEST(TextControlEdit, AScreenReaderReadsTheTextTheCaretAndTheSelection)
{
    CTextControl control;
    control.SetWindowText("set x 1\nnode 2");
    control.SetSel(4, 5);
    QAccessibleInterface* pInterface = QAccessible::queryAccessibleInterface(&control);
    ASSERT_NE(pInterface, nullptr);
    // Ours, whose offsets cost nothing, and not QScintilla's, which counts from the start.
    EXPECT_NE(dynamic_cast<CTextControlAccessible*>(pInterface), nullptr);
    EXPECT_EQ(pInterface->role(), QAccessible::EditableText);
    EXPECT_EQ(pInterface->text(QAccessible::Value).toStdString(), "set x 1\r\nnode 2");
    QAccessibleTextInterface* pText = pInterface->textInterface();
    ASSERT_NE(pText, nullptr);
    EXPECT_EQ(pText->characterCount(), 15);
    EXPECT_EQ(pText->text(4, 5).toStdString(), "x");
    EXPECT_EQ(pText->cursorPosition(), 5);
    int nStart = 0;
    int nEnd = 0;
    pText->selection(0, &nStart, &nEnd);
    EXPECT_EQ(nStart, 4);
    EXPECT_EQ(nEnd, 5);
    EXPECT_EQ(pText->selectionCount(), 1);

    // A reader moves the caret, and reads by lines.
    pText->setCursorPosition(11);
    long nSelStart = 0;
    long nSelEnd = 0;
    control.GetSel(nSelStart, nSelEnd);
    EXPECT_EQ(nSelStart, 11);
    EXPECT_EQ(pText->selectionCount(), 0);
    EXPECT_EQ(pText->textAtOffset(11, QAccessible::LineBoundary, &nStart, &nEnd).toStdString(),
              "node 2");
}
