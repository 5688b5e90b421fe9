#include "helplib/CommandLibrary.h"

#include "support/RecordedMessages.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace
{
class CommandLibraryTest : public ::testing::Test
{
protected:
    CommandLibraryTest()
    {
        m_dir.Write("list.txt", "model.txt\n  missing.txt elements.txt\n");
        m_dir.Write("model.txt", "model:command\nmodel -dims <ndm>\n#\n"
                                 "node:command\nnode <tag> <x> <y>\n#\n"
                                 "broken header\n#\n");
        m_dir.Write("elements.txt", "element:command\nelement <type> <tag> ...\n#\n"
                                    "node:command\nthe second node, never shown\n#\n"
                                    "Truss:element\nelement Truss <tag> <i> <j>\n#\n"
                                    "gr\xC3\xB6\xC3\x9F"
                                    "e:command\nin \xC2\xB5m\n#\n");
    }

    CTempDir m_dir;
    CRecordedMessages m_messages;
};
} // namespace

TEST_F(CommandLibraryTest, RecordsAreNumberedOnceInListOrderAndTheFirstFileWins)
{
    CCommandLibrary library;
    ASSERT_EQ(library.Load(m_dir.Prefix(), m_messages), 1);
    EXPECT_EQ(library.m_nHelpFiles, 3);
    EXPECT_THAT(library.m_helpPaths,
                ElementsAre(m_dir.PathOf("model.txt"), m_dir.PathOf("missing.txt"),
                            m_dir.PathOf("elements.txt")));
    // The messages go to the sink, as the files load: a header without a
    // colon, then the missing file.
    EXPECT_THAT(m_messages.m_messages,
                ElementsAre("parseKey_Parent - Error, keyword:parent in help file ok?",
                            "File specified in lists.txt -> " + m_dir.PathOf("missing.txt") +
                                ", not found"));

    ASSERT_EQ(library.RecordCount(), 7);
    EXPECT_EQ(library.KeywordOf(4), "node");
    EXPECT_EQ(library.ParentOf(5), "element");
    EXPECT_FALSE(library.IsUsable(2));
    EXPECT_EQ(library.FileOf(1), 0);
    EXPECT_EQ(library.FileOf(3), 2);
    EXPECT_FALSE(library.IsUtf8(0));
    EXPECT_TRUE(library.IsUtf8(6));

    EXPECT_EQ(library.Find("node", "command"), 1);
    EXPECT_EQ(library.Find("Truss", "element"), 5);
    EXPECT_EQ(library.Find("truss", "element"), -1);
    EXPECT_EQ(library.Find("broken header", ""), -1);

    std::string text;
    ASSERT_TRUE(library.FetchText(1, text));
    EXPECT_EQ(text, " node:command\nnode <tag> <x> <y>\n");
    ASSERT_TRUE(library.FetchText(4, text));
    EXPECT_EQ(text, " node:command\nthe second node, never shown\n");
    EXPECT_FALSE(library.FetchText(7, text));

    EXPECT_THAT(library.Complete("command", "n"), ElementsAre(1));
    EXPECT_THAT(library.Complete("command", ""), ElementsAre(3, 6, 0, 1));
    EXPECT_THAT(library.Complete("element", "T"), ElementsAre(5));
}

TEST_F(CommandLibraryTest, AnUnconfiguredOrMissingLibraryIsEmptyWithItsMessage)
{
    CCommandLibrary library;
    EXPECT_EQ(library.Load("not found", m_messages), 0);
    EXPECT_EQ(library.Load(m_dir.PathOf("nowhere/"), m_messages), 0);
    EXPECT_THAT(m_messages.m_messages,
                ElementsAre("Unable to load help-files, - check corvale.config\n Specify -> help "
                            "<path to help files>",
                            "Error - File not found: lists.txt"));
    EXPECT_EQ(library.RecordCount(), 0);
    EXPECT_EQ(library.Find("node", "command"), -1);
    EXPECT_THAT(library.Complete("command", ""), IsEmpty());

    // A second load replaces the first.
    ASSERT_EQ(library.Load(m_dir.Prefix(), m_messages), 1);
    ASSERT_EQ(library.Load(m_dir.Prefix(), m_messages), 1);
    EXPECT_EQ(library.RecordCount(), 7);
    EXPECT_EQ(library.m_nHelpFiles, 3);
}

#ifdef _WIN32
// A help directory written the Windows way: backslashes, a drive letter,
// CR LF in every file.
TEST_F(CommandLibraryTest, OnWindowsABackslashDirectoryOfCrLfFilesLoads)
{
    std::string folder = m_dir.MakeDirectory("help");
    for (char& c : folder)
        c = c == '/' ? '\\' : c;
    folder += "\\";
    ASSERT_EQ(folder[1], ':');
    m_dir.Write("help/list.txt", "model.txt\r\n");
    m_dir.Write("help/model.txt", "model:command\r\nmodel -dims <ndm>\r\n#\r\nnode:command\r\n"
                                  "node <tag> <x> <y>\r\n#\r\n");
    CCommandLibrary library;
    ASSERT_EQ(library.Load(folder, m_messages), 1);
    EXPECT_THAT(library.m_helpPaths, ElementsAre(folder + "model.txt"));
    EXPECT_EQ(library.Find("node", "command"), 1);
    std::string text;
    ASSERT_TRUE(library.FetchText(1, text));
    EXPECT_EQ(text, " node:command\nnode <tag> <x> <y>\n");
    EXPECT_THAT(m_messages.m_messages, IsEmpty());
}
#endif
