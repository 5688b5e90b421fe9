#include "editor/CorvaleDoc.h"
#include "editor/ScriptEdit.h"
#include "platform/Latin1.h"
#include "platform/ScriptedUserInteraction.h"
#include "support/TempDir.h"
#include "view/LeftView.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <gmock/gmock.h>

namespace
{
class CommandTreeTest : public ::testing::Test
{
protected:
    CommandTreeTest() { m_edit.AttachTo(m_doc, m_summary, m_edit); }

    void Load(const std::string& first, const std::string& second)
    {
        m_dir.Write("a.txt", first);
        m_dir.Write("b.txt", second);
        m_dir.Write("list.txt", "a.txt b.txt");
        m_edit.LoadHelpFiles(m_dir.Prefix());
    }

    // "parent/child" for every item below the given one, in tree order.
    static void Describe(const QModelIndex& item, QStringList& out)
    {
        const QAbstractItemModel* pModel = item.model();
        for (int i = 0; i < pModel->rowCount(item); ++i)
        {
            const QModelIndex child = pModel->index(i, 0, item);
            out << item.data().toString() + "/" + child.data().toString();
            Describe(child, out);
        }
    }

    CTempDir m_dir;
    CScriptedUserInteraction m_ui;
    CTextControl m_summary;
    CScriptEdit m_edit;
    CCorvaleDoc m_doc;
};
} // namespace

TEST_F(CommandTreeTest, RecordsHangUnderTheFirstItemWithTheirParentsText)
{
    Load("element:command\nx\n#\nTruss:element\nx\n#\n"
         "node:command\nx\n#\nelement:node\nx\n#\nBeam:element\nx\n#\n"
         "-mass:node\nx\n#\nlater:notyet\nx\n#\nnotyet:command\nx\n#\n",
         "Quad:element\nx\n#\norphan:nowhere\nx\n#\n");
    CLeftView view(&m_doc);
    view.OnInitialUpdate();
    ASSERT_EQ(view.ItemCount(), 11);
    const QModelIndex root = view.ItemIndex(0);
    EXPECT_EQ(root.data().toString(), "command");
    EXPECT_TRUE(view.m_tree.isExpanded(root));
    QStringList tree;
    Describe(root, tree);
    // Depth first: "orphan" names no item, so it goes under the one just before, Quad.
    EXPECT_EQ(tree.join(' ').toStdString(),
              "command/element element/Truss element/Beam element/Quad Quad/orphan command/node "
              "node/element node/-mass -mass/later command/notyet");
    EXPECT_FALSE(view.m_tree.isExpanded(view.ItemIndex(1)));

    // Filled once, however often the view is initialised again.
    view.OnInitialUpdate();
    EXPECT_EQ(view.m_tree.model()->rowCount(), 1);
    EXPECT_EQ(view.ItemCount(), 11);
}

TEST_F(CommandTreeTest, AnEmptyLibraryGivesTheRootAlone)
{
    CLeftView view(&m_doc);
    view.OnInitialUpdate();
    ASSERT_EQ(view.ItemCount(), 1);
    EXPECT_EQ(view.m_tree.model()->rowCount(view.ItemIndex(0)), 0);
    EXPECT_TRUE(view.m_tree.isExpanded(view.ItemIndex(0)));
}

TEST_F(CommandTreeTest, AClickShowsTheHelpEvenWithHelpOffAndCopiesTheKeyword)
{
    Load("element:command\nelement <type> ...\n#\nTruss:element\nelement Truss ...\n#\n", "");
    CLeftView view(&m_doc);
    view.resize(200, 300);
    view.show();
    view.OnInitialUpdate();
    view.m_tree.expand(view.ItemIndex(1));
    QApplication::processEvents();
    m_edit.m_bHelpOn = 0;
    m_summary.SetWindowText(" ");

    const QRect truss = view.m_tree.visualRect(view.ItemIndex(2));
    QTest::mouseClick(view.m_tree.viewport(), Qt::LeftButton, Qt::NoModifier, truss.center());
    EXPECT_EQ(m_summary.GetWindowText(), " Truss:element\r\nelement Truss ...\r\n");
    EXPECT_EQ(m_edit.m_bHelpOn, 0);
    EXPECT_EQ(QApplication::clipboard()->text(), "Truss");

    // A top-level command is looked up under "command".
    const QRect element = view.m_tree.visualRect(view.ItemIndex(1));
    QTest::mouseClick(view.m_tree.viewport(), Qt::LeftButton, Qt::NoModifier, element.center());
    EXPECT_EQ(m_summary.GetWindowText(), " element:command\r\nelement <type> ...\r\n");
    EXPECT_EQ(QApplication::clipboard()->text(), "element");

    // The root matches no record and leaves the pane alone.
    const QRect root = view.m_tree.visualRect(view.ItemIndex(0));
    QTest::mouseClick(view.m_tree.viewport(), Qt::LeftButton, Qt::NoModifier, root.center());
    EXPECT_EQ(m_summary.GetWindowText(), " element:command\r\nelement <type> ...\r\n");
    EXPECT_EQ(QApplication::clipboard()->text(), "command");
    EXPECT_TRUE(m_ui.m_messages.empty());
}
