// What a new user met in the first minutes: undo by the line, Latin-1 bytes
// on a UTF-8 system, underscores hidden under the underline, a run of the
// saved file without a word, and no sign of where the caret is.

#include "AppWindowTest.h"
#include "platform/CommandIds.h"
#include "support/Palette.h"
#include "support/UserActions.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <clocale>
#include <gmock/gmock.h>
#include <set>
#include <string>

using namespace CommandId;

namespace
{
// The character-set part of the locale for one test; the one before comes back.
class CLocaleCharacterSet
{
public:
    explicit CLocaleCharacterSet(const char* name) : m_previous(std::setlocale(LC_CTYPE, nullptr))
    {
        m_bSet = std::setlocale(LC_CTYPE, name) != nullptr;
    }
    ~CLocaleCharacterSet() { std::setlocale(LC_CTYPE, m_previous.c_str()); }
    bool IsSet() const { return m_bSet; }

private:
    std::string m_previous;
    bool m_bSet = false;
};

class NewUserTest : public AppWindowTest
{
protected:
    // Ctrl+Z as often as it takes to get the text back, at most ten times.
    static int UndoPressesUntil(CScriptEdit& edit, const std::string& text)
    {
        for (int nPresses = 1; nPresses <= 10; ++nPresses)
        {
            QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
            if (edit.GetWindowText() == text)
                return nPresses;
        }
        return -1;
    }

    QString StatusPane(CMainFrame* pFrame, const char* name) const
    {
        QCoreApplication::processEvents();
        const auto* pPane = pFrame->statusBar()->findChild<QLabel*>(QString::fromLatin1(name));
        return pPane != nullptr ? pPane->text() : QStringLiteral("<no pane>");
    }

    // Saves with Ctrl+S as the user does, naming an untitled script.
    std::string SaveAndRead(CScriptEdit& edit, const std::string& name)
    {
        const std::string path = m_dir.PathOf(name);
        m_ui.QueueFileName(path);
        QTest::keyClick(&edit, Qt::Key_S, Qt::ControlModifier);
        return ReadFileBytes(path);
    }
};
} // namespace

TEST_F(NewUserTest, CommentAndUncommentAreEachOneUndoStepAndOneRedoStep)
{
    CMainFrame* pFrame = Start("set a 1\nset b 2\nset c 3\nset d 4\nset e 5\n");
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = Edit(pFrame);
    const std::string original = edit.GetWindowText();
    QToolBar* pToolBar = pFrame->GetToolBar();

    edit.SetSel(0, edit.GetTextLength());
    QTest::mouseClick(pToolBar->widgetForAction(pFrame->ActionOf(ID_COMMENT_SELECTION)),
                      Qt::LeftButton);
    const std::string commented = edit.GetWindowText();
    ASSERT_EQ(commented, "#set a 1\r\n#set b 2\r\n#set c 3\r\n#set d 4\r\n#set e 5\r\n#");
    EXPECT_EQ(UndoPressesUntil(edit, original), 1);
    QTest::keyClick(&edit, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(edit.GetWindowText(), commented);
    EXPECT_EQ(edit.GetCharFormatAt(edit.LineIndex(3)).crTextColor, kGrey);

    edit.SetSel(0, edit.GetTextLength());
    QTest::mouseClick(pToolBar->widgetForAction(pFrame->ActionOf(ID_UNCOMMENT_SELECTION)),
                      Qt::LeftButton);
    EXPECT_EQ(edit.GetWindowText(), original);
    EXPECT_EQ(UndoPressesUntil(edit, commented), 1);
    // The step before the uncommenting is still there, and comes back coloured.
    EXPECT_EQ(UndoPressesUntil(edit, original), 1);
    EXPECT_EQ(edit.GetCharFormatAt(0).crTextColor, kPurple);
}

TEST_F(NewUserTest, TypedTextIsSavedInTheSystemsEncodingUnlessTheScriptHasOneOfItsOwn)
{
    const QString typed = QString::fromUtf8("# Länge µm");
    {
        const CLocaleCharacterSet utf8("C.UTF-8");
        ASSERT_TRUE(utf8.IsSet());
        CMainFrame* pFrame = Start();
        ASSERT_NE(pFrame, nullptr);
        CScriptEdit& edit = Edit(pFrame);
        // A new script.
        TypeText(&edit, typed);
        EXPECT_EQ(SaveAndRead(edit, "new.tcl"), "# L\xC3\xA4nge \xC2\xB5m");

        // A script of plain ASCII.
        const std::string ascii = m_dir.Write("ascii.tcl", "set a 1\n");
        ASSERT_TRUE(m_app.m_doc.OnOpenDocument(ascii));
        edit.SetSel(edit.GetTextLength(), edit.GetTextLength());
        TypeText(&edit, QString::fromUtf8("ü"));
        QTest::keyClick(&edit, Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(ReadFileBytes(ascii), "set a 1\n\xC3\xBC");

        // A Latin-1 script stays Latin-1, byte for byte.
        const std::string latin1 = m_dir.Write("latin1.tcl", "# Ma\xDF\r\n");
        ASSERT_TRUE(m_app.m_doc.OnOpenDocument(latin1));
        edit.SetSel(edit.GetTextLength(), edit.GetTextLength());
        TypeText(&edit, QString::fromUtf8("ü"));
        QTest::keyClick(&edit, Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(ReadFileBytes(latin1), "# Ma\xDF\r\n\xFC");

        // A UTF-8 script stays UTF-8.
        const std::string utf8Script = m_dir.Write("utf8.tcl", "# \xC2\xB5m\n");
        ASSERT_TRUE(m_app.m_doc.OnOpenDocument(utf8Script));
        edit.SetSel(edit.GetTextLength(), edit.GetTextLength());
        TypeText(&edit, QString::fromUtf8("ä"));
        QTest::keyClick(&edit, Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(ReadFileBytes(utf8Script), "# \xC2\xB5m\n\xC3\xA4");
    }
    {
        // Where the system itself is 8-bit, a new script is too.
        const CLocaleCharacterSet plain("C");
        ASSERT_TRUE(plain.IsSet());
        m_app.m_doc.m_bChanged = false;
        m_app.m_doc.OnFileNew();
        CScriptEdit& edit = Edit(m_app.MainFrame());
        TypeText(&edit, typed);
        EXPECT_EQ(SaveAndRead(edit, "plain.tcl"), "# L\xE4nge \xB5m");
    }
    EXPECT_THAT(m_ui.m_messages, ::testing::IsEmpty());
}

// The underline of a sourced name lies below its underscores: in the cell of
// the "_", the underlined name shows every dark row the plain name shows
// there, and the underline's own row besides.
TEST_F(NewUserTest, AnUnderscoreInASourcedNameStaysVisibleUnderItsUnderline)
{
    CMainFrame* pFrame = Start("source materials_part.tcl\nputs materials_part.tcl\n");
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = Edit(pFrame);
    const long nSourced = static_cast<long>(edit.GetWindowText().find('_'));
    const long nPlain = static_cast<long>(edit.GetWindowText().find('_', nSourced + 1));
    ASSERT_EQ(edit.GetCharFormatAt(nSourced).dwEffects, CFE_ITALIC | CFE_UNDERLINE);
    ASSERT_EQ(edit.GetCharFormatAt(nPlain).dwEffects, 0u);
    edit.SetSel(0, 0);
    const QImage image = edit.viewport()->grab().toImage();

    const auto darkRows = [&](long nPos)
    {
        const QRect cell = edit.CharacterRect(nPos);
        std::set<int> rows;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
        {
            for (int x = cell.left(); x <= cell.right(); ++x)
            {
                if (image.pixelColor(x, y).lightness() < 128)
                    rows.insert(y - cell.top());
            }
        }
        return rows;
    };
    const std::set<int> underscore = darkRows(nPlain);
    const std::set<int> underlined = darkRows(nSourced);
    ASSERT_FALSE(underscore.empty());
    // Italic may slant the stroke, not move it up or down.
    EXPECT_TRUE(
        std::includes(underlined.begin(), underlined.end(), underscore.begin(), underscore.end()));
    EXPECT_GT(underlined.size(), underscore.size()) << "the underline lies on the underscore";
}

TEST_F(NewUserTest, StartingAnAnalysisWithUnsavedChangesSaysTheyAreNotInTheRun)
{
    CMainFrame* pFrame = Start("set a 1\n");
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = Edit(pFrame);
    pFrame->GetRightPane()->m_config.exe = m_dir.Write("vorsa", "");
    QToolBar* pToolBar = pFrame->GetToolBar();
    QWidget* pRun = pToolBar->widgetForAction(pFrame->ActionOf(ID_START_ANALYSIS));

    QTest::mouseClick(pRun, Qt::LeftButton);
    ASSERT_EQ(m_ui.m_startedPrograms.size(), 1u);
    EXPECT_EQ(pFrame->statusBar()->currentMessage(), QString());

    QTest::keyClicks(&edit, "x");
    QTest::mouseClick(pRun, Qt::LeftButton);
    ASSERT_EQ(m_ui.m_startedPrograms.size(), 2u);
    EXPECT_EQ(pFrame->statusBar()->currentMessage(),
              "Started the saved script; unsaved changes are not in this run");
    // The run is still the saved file, and nothing was asked.
    EXPECT_THAT(m_ui.m_questions, ::testing::IsEmpty());
    EXPECT_EQ(ReadFileBytes(m_dir.PathOf("script.tcl")), "set a 1\n");
}

TEST_F(NewUserTest, TheStatusBarShowsTheCaretsLineAndColumnAndWhetherTheScriptIsChanged)
{
    CMainFrame* pFrame = Start("set a 1\n\tnode 1 0 0\n");
    ASSERT_NE(pFrame, nullptr);
    CScriptEdit& edit = Edit(pFrame);
    // The panes stand before the lock indicators.
    const QList<QLabel*> labels = pFrame->statusBar()->findChildren<QLabel*>();
    const auto indexOf = [&](const char* name)
    {
        for (int i = 0; i < labels.size(); ++i)
        {
            if (labels[i]->objectName() == QLatin1String(name))
                return labels[i]->mapTo(pFrame->statusBar(), QPoint()).x();
        }
        return -1;
    };
    pFrame->show();
    QCoreApplication::processEvents();
    EXPECT_LT(indexOf("CaretPosition"), indexOf("Modified"));
    EXPECT_LT(indexOf("Modified"), indexOf("CAP"));

    EXPECT_EQ(StatusPane(pFrame, "CaretPosition"), "Ln 1, Col 1");
    EXPECT_EQ(StatusPane(pFrame, "Modified"), "");
    QTest::keyClick(&edit, Qt::Key_Down);
    QTest::keyClick(&edit, Qt::Key_Right);
    // After the tab: column 9.
    EXPECT_EQ(StatusPane(pFrame, "CaretPosition"), "Ln 2, Col 9");
    QTest::keyClick(&edit, Qt::Key_End);
    EXPECT_EQ(StatusPane(pFrame, "CaretPosition"), "Ln 2, Col 19");
    QTest::keyClicks(&edit, " 2");
    EXPECT_EQ(StatusPane(pFrame, "CaretPosition"), "Ln 2, Col 21");
    EXPECT_EQ(StatusPane(pFrame, "Modified"), "Modified");
    QTest::keyClick(&edit, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(StatusPane(pFrame, "Modified"), "");
    // The title stays as it always was.
    EXPECT_EQ(pFrame->windowTitle(), "script.tcl - Corvale - VORSA");
}
