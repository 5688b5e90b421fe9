// Ctrl+Space lists what the demo library knows at the caret, as a user meets
// it in the window: the popup, its keys, its tips, and the word it completes.

#include "AppWindowTest.h"
#include "editor/CompletionPopup.h"
#include "support/Palette.h"
#include "support/UserActions.h"

#include <QApplication>
#include <QToolTip>
#include <gmock/gmock.h>

namespace
{

class CompletionTest : public AppWindowTest
{
protected:
    // A key goes where the window system sends it: to the open popup, else
    // to the widget with the focus.
    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* pTarget = QApplication::activePopupWidget();
        if (pTarget == nullptr)
            pTarget = QApplication::focusWidget();
        ASSERT_NE(pTarget, nullptr);
        QTest::keyClick(pTarget, key, modifiers);
    }
    static void Type(const QString& text)
    {
        for (const QChar c : text)
        {
            QWidget* pTarget = QApplication::activePopupWidget();
            if (pTarget == nullptr)
                pTarget = QApplication::focusWidget();
            QTest::keyClicks(pTarget, QString(c));
        }
    }

    static QStringList Listed(const CScriptEdit& edit)
    {
        QStringList entries;
        const CCompletionPopup* pPopup = edit.CompletionPopup();
        if (pPopup == nullptr || !pPopup->isVisible())
            return entries;
        for (int nRow = 0; nRow < pPopup->model()->rowCount(); ++nRow)
            entries << pPopup->model()->index(nRow, 0).data().toString();
        return entries;
    }
};
} // namespace

TEST_F(CompletionTest, TheFirstWordOfALineListsTopLevelCommandsWithTheirTips)
{
    CMainFrame* pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = Edit(pFrame);
    Type("no");
    EXPECT_EQ(Listed(edit), QStringList{}) << "nothing pops up unasked";
    Press(Qt::Key_Space, Qt::ControlModifier);
    ASSERT_EQ(Listed(edit), (QStringList{"node", "nodeDisp"}));
    CCompletionPopup* pPopup = edit.CompletionPopup();
    EXPECT_EQ(QApplication::activePopupWidget(), pPopup);
    EXPECT_EQ(pPopup->currentIndex().row(), 0);
    // Each entry's tip is the first line of its help.
    EXPECT_EQ(
        ShownText(pPopup->model()->index(0, 0).data(Qt::ToolTipRole).toString()).toStdString(),
        "node <tag> <x> [<y> [<z>]] [-mass <m1> ... <mndf>]");
    EXPECT_TRUE(QToolTip::isVisible());

    // Down, then Enter: the rest of the word goes in as if typed.
    m_app.m_doc.m_bChanged = false;
    Press(Qt::Key_Down);
    Press(Qt::Key_Return);
    EXPECT_FALSE(pPopup->isVisible());
    EXPECT_EQ(edit.GetWindowText(), "nodeDisp");
    EXPECT_EQ(edit.GetCharFormatAt(0).crTextColor, kGreen);
    EXPECT_EQ(edit.GetCharFormatAt(7).crTextColor, kGreen);
    EXPECT_TRUE(m_app.m_doc.m_bChanged);
    // Undo takes the completion back like typing.
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.GetWindowText(), "no");
}

TEST_F(CompletionTest, TypingNarrowsTheListAndADelimiterClosesIt)
{
    CMainFrame* pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = Edit(pFrame);
    Type("e");
    Press(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(Listed(edit), (QStringList{"eigen", "element", "elementLoad"}));
    Type("le");
    EXPECT_EQ(Listed(edit), (QStringList{"element", "elementLoad"}));
    EXPECT_EQ(edit.GetWindowText(), "ele");
    Press(Qt::Key_Backspace);
    EXPECT_EQ(Listed(edit), (QStringList{"element", "elementLoad"}));
    Type("x");
    EXPECT_EQ(Listed(edit), QStringList{}) << "no entry left: the list closes";
    EXPECT_EQ(edit.GetWindowText(), "elx");
    // Escape closes it and changes nothing.
    Press(Qt::Key_Backspace);
    Press(Qt::Key_Space, Qt::ControlModifier);
    ASSERT_FALSE(Listed(edit).isEmpty());
    Press(Qt::Key_Escape);
    EXPECT_EQ(Listed(edit), QStringList{});
    EXPECT_EQ(edit.GetWindowText(), "el");
    // A space typed while it is up goes into the text and closes it.
    Press(Qt::Key_Space, Qt::ControlModifier);
    Type(" ");
    EXPECT_EQ(Listed(edit), QStringList{});
    EXPECT_EQ(edit.GetWindowText(), "el ");
    // Where the library knows nothing, nothing shows and nothing changes.
    Type("zz");
    Press(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(Listed(edit), QStringList{});
    EXPECT_EQ(edit.GetWindowText(), "el zz");
}

TEST_F(CompletionTest, ALaterWordListsTheRecordsUnderTheWordsBeforeIt)
{
    CMainFrame* pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = Edit(pFrame);
    Type("element ");
    Press(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(Listed(edit),
              (QStringList{"Beam", "Brick", "Frame", "Quad", "Shell", "Spring", "Truss"}));
    Type("T");
    EXPECT_EQ(Listed(edit), QStringList{"Truss"});
    Press(Qt::Key_Tab);
    EXPECT_EQ(edit.GetWindowText(), "element Truss");
    EXPECT_EQ(edit.GetCharFormatAt(8).crTextColor, kBlue);
    EXPECT_EQ(edit.GetCharFormatAt(0).crTextColor, kGreen);

    // A click on an entry chooses it too.
    Type(" 1\r");
    Type("material ");
    Press(Qt::Key_Space, Qt::ControlModifier);
    CCompletionPopup* pPopup = edit.CompletionPopup();
    ASSERT_TRUE(pPopup->isVisible());
    const QModelIndex concrete =
        pPopup->model()->index(static_cast<int>(Listed(edit).indexOf("Concrete")), 0);
    QTest::mouseClick(pPopup->viewport(), Qt::LeftButton, {},
                      pPopup->visualRect(concrete).center());
    EXPECT_FALSE(pPopup->isVisible());
    EXPECT_THAT(edit.GetWindowText(), ::testing::EndsWith("\r\nmaterial Concrete"));
}
