#include "view/CorvaleView.h"

#include "editor/CorvaleDoc.h"
#include "platform/ScriptedUserInteraction.h"
#include "support/TempDir.h"
#include "view/FindReplaceDlg.h"

#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <cstdlib>
#include <gmock/gmock.h>

namespace
{
class CorvaleViewTest : public ::testing::Test
{
protected:
    CorvaleViewTest()
    {
        m_dir.MakeDirectory("help");
        m_dir.Write("help/list.txt", "model.txt");
        m_dir.Write("help/model.txt", "model:command\nmodel -dims <ndm>\n#\n");
        m_dir.MakeDirectory("corvale");
        m_dir.Write("corvale/corvale.conf", "help " + m_dir.PathOf("help/") + "\n");
        setenv("XDG_CONFIG_HOME", m_dir.Prefix().c_str(), 1);
    }

    // A view of the given size, shown, with its first sizing done.
    std::unique_ptr<CCorvaleView> MakeView(int nWidth = 400, int nHeight = 400)
    {
        auto pView = std::make_unique<CCorvaleView>(&m_doc);
        pView->SetUp();
        pView->resize(nWidth, nHeight);
        pView->show();
        QApplication::processEvents();
        return pView;
    }

    static void MouseMove(QWidget& widget, QPoint point, Qt::MouseButtons buttons,
                          Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(QEvent::MouseMove, point, widget.mapToGlobal(point), Qt::NoButton,
                          buttons, modifiers);
        QApplication::sendEvent(&widget, &event);
    }

    static void MouseRelease(QWidget& widget, QPoint point)
    {
        QMouseEvent event(QEvent::MouseButtonRelease, point, widget.mapToGlobal(point),
                          Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&widget, &event);
    }

    CTempDir m_dir;
    CScriptedUserInteraction m_ui;
    CCorvaleDoc m_doc;
};
} // namespace

TEST_F(CorvaleViewTest, TheFirstSizingLinksEverythingAndLoadsTheLibraryOnce)
{
    auto pView = MakeView();
    EXPECT_TRUE(m_ui.m_messages.empty());
    EXPECT_FALSE(pView->m_bFirstSize);
    EXPECT_EQ(m_doc.m_pEdit, &pView->m_editPane);
    EXPECT_EQ(m_doc.m_pView, pView.get());
    EXPECT_EQ(pView->m_editPane.m_pSummaryPane, &pView->m_summaryPane);
    EXPECT_EQ(pView->m_editPane.m_pDoc, &m_doc);
    EXPECT_EQ(pView->m_editPane.GetLimitText(), 2000000);
    EXPECT_EQ(pView->m_editPane.GetDefaultCharFormat().szFaceName, "Courier New");
    EXPECT_EQ(pView->m_editPane.m_nHelpFiles, 1);
    EXPECT_EQ(pView->m_editPane.GetDlgCtrlID(), 1);
    EXPECT_EQ(pView->m_summaryPane.GetDlgCtrlID(), 2);

    // Later sizes only lay out.
    m_dir.Write("help/list.txt", "model.txt model.txt");
    pView->resize(500, 300);
    QApplication::processEvents();
    EXPECT_EQ(pView->m_editPane.m_nHelpFiles, 1);
}

TEST_F(CorvaleViewTest, ConstructionReportsAMissingConfiguration)
{
    setenv("XDG_CONFIG_HOME", m_dir.PathOf("nowhere").c_str(), 1);
    auto pView = MakeView();
    ASSERT_EQ(m_ui.m_messages.size(), 2u);
    EXPECT_EQ(m_ui.m_messages[0].rfind("corvale configuration file not found", 0), 0u);
    EXPECT_EQ(
        m_ui.m_messages[1],
        "Unable to load help-files, - check corvale.config\n Specify -> help <path to help files>");
}

TEST_F(CorvaleViewTest, PanesAreLaidOutFromTheSplitRatio)
{
    auto pView = MakeView(400, 400);
    EXPECT_EQ(pView->m_editPane.geometry(), QRect(15, 1, 370, 283));
    EXPECT_EQ(pView->m_summaryPane.geometry(), QRect(15, 300, 370, 101));

    // Resizing keeps the ratio, not the bar's row.
    pView->resize(400, 200);
    QApplication::processEvents();
    EXPECT_EQ(pView->m_summaryPane.geometry(), QRect(15, 150, 370, 51));

    // A ratio of exactly 1 hides the summary pane just below the view.
    pView->m_fSplitRatio = 1.0f;
    pView->LayoutPanes();
    EXPECT_EQ(pView->m_editPane.geometry().height(), 200 - 17);
    EXPECT_EQ(pView->m_summaryPane.geometry(), QRect(15, 200, 370, 1));
}

TEST_F(CorvaleViewTest, TheBarFollowsTheLeftButtonInASideStripOnly)
{
    auto pView = MakeView(400, 400);
    MouseMove(*pView, QPoint(5, 200), Qt::LeftButton);
    EXPECT_FLOAT_EQ(pView->m_fSplitRatio, 0.5f);
    EXPECT_EQ(pView->m_summaryPane.geometry().top(), 200);
    EXPECT_EQ(pView->cursor().shape(), Qt::SizeVerCursor);

    // Shift, Ctrl or a second button stop the live update; so does the middle of the bar.
    MouseMove(*pView, QPoint(5, 100), Qt::LeftButton, Qt::ShiftModifier);
    MouseMove(*pView, QPoint(395, 100), Qt::LeftButton, Qt::ControlModifier);
    MouseMove(*pView, QPoint(5, 100), Qt::LeftButton | Qt::RightButton);
    MouseMove(*pView, QPoint(200, 190), Qt::LeftButton);
    EXPECT_FLOAT_EQ(pView->m_fSplitRatio, 0.5f);
    EXPECT_NE(pView->cursor().shape(), Qt::SizeVerCursor);

    // A release in a strip sets the bar; elsewhere it changes nothing.
    MouseRelease(*pView, QPoint(396, 300));
    EXPECT_FLOAT_EQ(pView->m_fSplitRatio, 0.75f);
    MouseRelease(*pView, QPoint(200, 100));
    EXPECT_FLOAT_EQ(pView->m_fSplitRatio, 0.75f);

    // The view holds no capture: a drag that leaves the view, above it or past
    // its right edge, leaves the bar where it was, and so does a release there.
    MouseMove(*pView, QPoint(5, 200), Qt::LeftButton);
    MouseMove(*pView, QPoint(5, -30), Qt::LeftButton);
    MouseMove(*pView, QPoint(420, 300), Qt::LeftButton);
    MouseRelease(*pView, QPoint(420, 320));
    EXPECT_FLOAT_EQ(pView->m_fSplitRatio, 0.5f);

    // Neither pane can be dragged away entirely.
    MouseMove(*pView, QPoint(5, 0), Qt::LeftButton);
    EXPECT_GE(pView->m_editPane.geometry().height(), 20);
    MouseMove(*pView, QPoint(5, 399), Qt::LeftButton);
    EXPECT_GE(pView->m_summaryPane.geometry().height(), 20);

    // With the summary pane hidden the strips do nothing.
    pView->m_fSplitRatio = 1.0f;
    MouseMove(*pView, QPoint(5, 200), Qt::LeftButton);
    MouseRelease(*pView, QPoint(5, 200));
    EXPECT_FLOAT_EQ(pView->m_fSplitRatio, 1.0f);
}

TEST_F(CorvaleViewTest, TheStripsAndTheBarArePaintedWithTheirDecorations)
{
    auto pView = MakeView(400, 400);
    QImage image = pView->grab().toImage();
    const QColor grey(128, 128, 128);
    EXPECT_EQ(image.pixelColor(5, 50), grey);
    EXPECT_EQ(image.pixelColor(395, 350), grey);
    EXPECT_EQ(image.pixelColor(200, 286), grey);                // the bar (rows 284 to 299)
    EXPECT_EQ(image.pixelColor(5, 291), QColor(192, 192, 192)); // groove
    EXPECT_EQ(image.pixelColor(0, 286), QColor(255, 255, 255)); // grip, top-left edge
    EXPECT_EQ(image.pixelColor(14, 297), QColor(0, 0, 0));      // grip, bottom-right edge

    pView->m_fSplitRatio = 1.0f;
    pView->LayoutPanes();
    image = pView->grab().toImage();
    EXPECT_EQ(image.pixelColor(5, 391), grey); // plain bar, no groove
}

TEST_F(CorvaleViewTest, TheRightButtonAsksForTheMenuBeforeTheClickMovesTheCaret)
{
    CScriptEdit edit;
    edit.resize(300, 200);
    edit.show();
    edit.SetWindowText("set x 1\nset y 2\n");
    edit.SetSel(0, 3);
    long nStartAtMenu = -1;
    long nEndAtMenu = -1;
    QObject::connect(&edit, &CTextControl::ContextMenuRequested,
                     [&] { edit.GetSel(nStartAtMenu, nEndAtMenu); });
    QTest::mouseClick(edit.viewport(), Qt::RightButton, Qt::NoModifier,
                      edit.PosFromChar(12) + QPoint(1, 3));
    EXPECT_EQ(nStartAtMenu, 0);
    EXPECT_EQ(nEndAtMenu, 3);
}

TEST_F(CorvaleViewTest, AFileDroppedOnAPaneOpensAndDroppedTextCountsAsAChange)
{
    auto pView = MakeView();
    const std::string path = m_dir.Write("dropped.tcl", "model -dims 2\n");
    QMimeData fileData;
    fileData.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QWidget* pViewport = pView->m_summaryPane.viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &fileData, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pViewport, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &fileData, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pViewport, &drop);
    EXPECT_EQ(m_doc.GetTitle(), "dropped.tcl");
    EXPECT_EQ(pView->m_editPane.GetWindowText(), "model -dims 2\r\n");
    EXPECT_FALSE(m_doc.m_bChanged);

    QMimeData textData;
    textData.setText("set x 1");
    QWidget* pEditViewport = pView->m_editPane.viewport();
    QDragEnterEvent textEnter(QPoint(5, 5), Qt::CopyAction, &textData, Qt::LeftButton,
                              Qt::NoModifier);
    QApplication::sendEvent(pEditViewport, &textEnter);
    QDropEvent textDrop(QPointF(5, 5), Qt::CopyAction, &textData, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pEditViewport, &textDrop);
    EXPECT_TRUE(m_doc.m_bChanged);
    EXPECT_NE(pView->m_editPane.GetWindowText().find("set x 1"), std::string::npos);
}

TEST_F(CorvaleViewTest, TheHelpSwitchFoldsAndUnfoldsTheSummaryPaneInItsSteps)
{
    const std::vector<float> fold = CCorvaleView::FoldRatios(0.75f);
    const std::vector<float> expectedFold = {0.75f,   0.7875f, 0.825f,  0.8625f, 0.9f,
                                             0.9375f, 0.975f,  1.0125f, 1.0f};
    ASSERT_EQ(fold.size(), expectedFold.size());
    for (size_t i = 0; i < fold.size(); ++i)
        EXPECT_NEAR(fold[i], expectedFold[i], 1e-5) << i;
    const std::vector<float> unfold = CCorvaleView::UnfoldRatios(1.0f);
    ASSERT_EQ(unfold.size(), 3u);
    EXPECT_NEAR(unfold[2], 0.8f, 1e-5);
    EXPECT_TRUE(CCorvaleView::UnfoldRatios(0.6f).empty());

    auto pView = MakeView();
    pView->m_editPane.SetWindowText("model");
    pView->m_editPane.SetSel(5, 5);
    pView->m_summaryPane.SetWindowText("some help");
    pView->ToggleHelp();
    EXPECT_EQ(pView->m_editPane.m_bHelpOn, 0);
    EXPECT_EQ(pView->m_fSplitRatio, 1.0f);
    EXPECT_EQ(pView->m_summaryPane.GetWindowText(), " ");
    pView->ToggleHelp();
    EXPECT_EQ(pView->m_editPane.m_bHelpOn, 1);
    EXPECT_NEAR(pView->m_fSplitRatio, 0.8f, 1e-5);
    // Help comes back for the word at the caret at once.
    EXPECT_EQ(pView->m_summaryPane.GetWindowText(), " model:command\r\nmodel -dims <ndm>\r\n");

    // After a drag to 0.75 or less, switching on leaves the bar where it is.
    pView->ToggleHelp();
    pView->m_fSplitRatio = 0.6f;
    pView->ToggleHelp();
    EXPECT_FLOAT_EQ(pView->m_fSplitRatio, 0.6f);
}

TEST_F(CorvaleViewTest, OneFindDialogAtATimeAndItsButtonsReachThePane)
{
    auto pView = MakeView();
    pView->m_editPane.SetWindowText("node 1\nnode 2\n");
    pView->OpenFindReplace("node");
    CFindReplaceDlg* pDialog = pView->m_pFindReplaceDlg;
    ASSERT_NE(pDialog, nullptr);
    EXPECT_EQ(pDialog->GetFindString(), "node");
    pView->OpenFindReplace("other");
    EXPECT_EQ(pView->m_pFindReplaceDlg, pDialog);
    EXPECT_EQ(pDialog->GetFindString(), "node");

    const QList<QPushButton*> buttons = pDialog->findChildren<QPushButton*>();
    auto press = [&](const QString& text)
    {
        for (QPushButton* pButton : buttons)
        {
            if (pButton->text() == text)
                pButton->click();
        }
    };
    press("&Find Next");
    EXPECT_EQ(pView->m_editPane.GetSelText(), "node");
    pDialog->m_pReplaceWith->setText("element");
    press("Replace &All");
    EXPECT_EQ(pView->m_editPane.GetWindowText(), "element 1\r\nelement 2\r\n");
    press("Cancel");
    EXPECT_EQ(pView->m_pFindReplaceDlg, nullptr);
    EXPECT_THAT(m_ui.m_messages,
                ::testing::ElementsAre("All occurences of <node> \nhave been changed"));
}
