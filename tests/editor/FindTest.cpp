#include "EditorFixture.h"

namespace
{
class FindTest : public EditorFixture
{
protected:
    std::string Selected() const { return m_edit.GetSelText(); }
};
} // namespace

TEST_F(FindTest, FindNextSearchesForwardFromTheSelectionsEndWithoutWrapping)
{
    m_edit.SetWindowText("node 1\nNode 2\nnodes 3\nnode 4\n");
    m_edit.SetSel(2, 2);
    EXPECT_EQ(m_edit.FindNext("String not found", "node", 0), 0);
    EXPECT_EQ(SelStart(), 8); // "Node", case ignored
    EXPECT_EQ(m_edit.FindNext("String not found", "node", 0), 0);
    EXPECT_EQ(SelStart(), 16);
    EXPECT_EQ(m_edit.FindNext("String not found", "node", 2 | 4),
              0); // whole word, case: not "nodes"
    EXPECT_EQ(Selected(), "node");
    EXPECT_EQ(SelStart(), 25);
    const long nBefore = SelStart();
    EXPECT_EQ(m_edit.FindNext("String not found", "node", 0), -1);
    EXPECT_EQ(SelStart(), nBefore);
    EXPECT_EQ(m_ui.m_messages, std::vector<std::string>{"String not found"});
}

TEST_F(FindTest, ReplaceTakesAnySelectionOrFindsTheNextMatchFirst)
{
    m_edit.SetWindowText("set a 1\nset b 2\n");
    m_edit.SetSel(0, 3); // unrelated text selected
    m_edit.ReplaceOne("b", "B", 0);
    EXPECT_EQ(m_edit.GetWindowText(), "B a 1\r\nset b 2\r\n");
    m_edit.ReplaceOne("b", "B", 0); // caret: find, then replace at once
    EXPECT_EQ(m_edit.GetWindowText(), "B a 1\r\nset B 2\r\n");
    EXPECT_TRUE(m_doc.m_bChanged); // a replacement is a change to ask about before closing

    m_doc.m_bChanged = false;
    m_edit.ReplaceOne("zzz", "y", 0);
    EXPECT_EQ(m_ui.m_messages, std::vector<std::string>{"String not found"});
    EXPECT_FALSE(m_doc.m_bChanged);
}

TEST_F(FindTest, ReplaceAllEndsEvenWhenTheReplacementHoldsTheSearchTextAndUndoesAsOne)
{
    m_edit.SetWindowText("a b a\na");
    m_edit.SetSel(4, 4);
    m_edit.ReplaceAll("a", "aa", 0);
    EXPECT_EQ(m_edit.GetWindowText(), "aa b aa\r\naa");
    EXPECT_TRUE(m_doc.m_bChanged);
    EXPECT_EQ(m_ui.m_messages,
              std::vector<std::string>{"All occurences of <a> \nhave been changed"});
    m_edit.Undo();
    EXPECT_EQ(m_edit.GetWindowText(), "a b a\r\na");

    // Text that does not occur changes nothing and says the same.
    m_doc.m_bChanged = false;
    m_edit.ReplaceAll("zzz", "y", 0);
    EXPECT_FALSE(m_doc.m_bChanged);
    EXPECT_EQ(m_edit.GetWindowText(), "a b a\r\na");
    EXPECT_EQ(m_ui.m_messages.size(), 2u);
    EXPECT_EQ(m_ui.m_messages[1], "All occurences of <zzz> \nhave been changed");
    EXPECT_EQ(SelStart(), 0);
}
