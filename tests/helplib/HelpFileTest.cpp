#include "helplib/HelpFile.h"

#include "support/RecordedMessages.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace
{
const char* const kHeaderMessage = "parseKey_Parent - Error, keyword:parent in help file ok?";

class HelpFileTest : public ::testing::Test
{
protected:
    CHelpFile& Load(const std::string& contents, const std::string& name = "model.txt")
    {
        m_path = m_dir.Write(name, contents);
        m_pFile = std::make_unique<CHelpFile>();
        m_pFile->Load(m_path);
        return *m_pFile;
    }

    std::string Fetch(const std::string& keyword, const std::string& parent)
    {
        std::string text = "<nothing>";
        m_pFile->FetchHelp(keyword, parent, text);
        return text;
    }

    CTempDir m_dir;
    CRecordedMessages m_ui;
    std::string m_path;
    std::unique_ptr<CHelpFile> m_pFile;
};
} // namespace

TEST_F(HelpFileTest, RecordsAreTheBlocksEndedBySeparators)
{
    CHelpFile& file = Load("element:command\n"
                           "element <type> <tag> ...\n"
                           "#\n"
                           "\n"
                           "   \t\n"
                           "  Truss:element  \n"
                           "element Truss <tag> <iNode> <jNode> <area> <material>\n"
                           "# separator with a comment\n"
                           "lost:command\n"
                           "after the last separator, so not a record\n");
    EXPECT_EQ(file.m_nRecords, 2);
    EXPECT_THAT(file.m_keywords, ElementsAre("element", "Truss"));
    EXPECT_THAT(file.m_parents, ElementsAre("command", "element"));
    EXPECT_TRUE(file.HasCommand("element", "command"));
    EXPECT_TRUE(file.HasCommand("Truss", "element"));
    EXPECT_FALSE(file.HasCommand("lost", "command"));
    EXPECT_FALSE(file.HasCommand("truss", "element"));
    EXPECT_FALSE(file.HasCommand("Truss", "command"));
    EXPECT_THAT(m_ui.m_messages, IsEmpty());
}

TEST_F(HelpFileTest, TheTextIsOneSpaceThenEveryNonBlankLineAsRead)
{
    Load("\n"
         "node:command\n"
         "node <tag> <x> <y>\n"
         "\n"
         "    <tag>  integer tag\n"
         "  # indented hash is help text\n"
         "#\n"
         "node:command\n"
         "the second record with the same name is never shown\n"
         "#\n");
    EXPECT_EQ(Fetch("node", "command"), " node:command\nnode <tag> <x> <y>\n    <tag>  integer "
                                        "tag\n  # indented hash is help text\n");
    EXPECT_EQ(Fetch("node", "element"), "<nothing>");
}

TEST_F(HelpFileTest, HeadersSplitAtTheFirstColonAndKeepInnerBlanks)
{
    CHelpFile& file = Load("a : b\n#\nx:y:z\n#\n:empty\n#\nnoparent:\n#\n");
    EXPECT_THAT(file.m_keywords, ElementsAre("a ", "x", "", "noparent"));
    EXPECT_THAT(file.m_parents, ElementsAre(" b", "y:z", "empty", ""));
    EXPECT_TRUE(file.HasCommand("a ", " b"));
    EXPECT_FALSE(file.HasCommand("a", "b"));
    EXPECT_TRUE(file.HasCommand("x", "y:z"));
    EXPECT_EQ(Fetch("x", "y:z"), " x:y:z\n");

    std::string parent = "old parent";
    std::string keyword = "old keyword";
    EXPECT_EQ(CHelpFile::parseKey_Parent("no colon", parent, keyword), -1);
    EXPECT_EQ(parent, "old parent");
    EXPECT_EQ(keyword, "old keyword");
    EXPECT_THAT(m_ui.m_messages, ElementsAre(kHeaderMessage));
}

TEST_F(HelpFileTest, AFaultyRecordKeepsItsNumberAndIsNeverFound)
{
    // The second "#" starts the next block, becomes its header and has no colon.
    CHelpFile& file = Load("load:command\n#\n#\nfaulty body\n#\npattern:command\nbody\n#\n");
    EXPECT_EQ(file.m_nRecords, 4);
    EXPECT_THAT(file.m_keywords, ElementsAre("load", "", "pattern", ""));
    EXPECT_THAT(m_ui.m_messages, ElementsAre(kHeaderMessage));
    EXPECT_TRUE(file.HasCommand("pattern", "command"));
    EXPECT_FALSE(file.HasCommand("", ""));

    // A scan past the faulty header shows the message again.
    m_ui.m_messages.clear();
    EXPECT_EQ(Fetch("pattern", "command"), " pattern:command\nbody\n");
    EXPECT_THAT(m_ui.m_messages, ElementsAre(kHeaderMessage));
}

TEST_F(HelpFileTest, WhatTheIndexHoldsForRecordsWithoutAUsableHeader)
{
    // Block 1 is blank, block 2 has no colon, block 3 is headed by a "#" line,
    // and record 4 is never reached: the file ends after its separator.
    CHelpFile& file = Load("a:command\n#\n\n\n#\nno colon here\n#\n#\n#");
    EXPECT_EQ(file.m_nRecords, 5);
    EXPECT_THAT(file.m_keywords, ElementsAre("a", "", "", "", ""));
    EXPECT_THAT(file.m_parents, ElementsAre("command", "", "", "", ""));
    EXPECT_FALSE(file.HasCommand("", ""));
    // "no colon here" and the "#" that heads block 3.
    EXPECT_EQ(m_ui.m_messages.size(), 2u);
}

TEST_F(HelpFileTest, AFileWithoutSeparatorsHasNoRecordsAndShowsNoMessages)
{
    CHelpFile& file = Load("broken header\nmodel:command\ntext\n");
    EXPECT_EQ(file.m_nRecords, 0);
    EXPECT_TRUE(file.m_keywords.empty());
    EXPECT_THAT(m_ui.m_messages, IsEmpty());
    EXPECT_EQ(Fetch("model", "command"), "<nothing>");

    CHelpFile& empty = Load("");
    EXPECT_EQ(empty.m_nRecords, 0);
}

TEST_F(HelpFileTest, CrLfAndLfFilesGiveTheSameRecordsAndTexts)
{
    const std::string lf = "fix:command\nfix <node> <dofs...>\n\n  <node>  node tag\n#\n";
    std::string crlf;
    for (const char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    Load(lf);
    const std::string fromLf = Fetch("fix", "command");
    Load(crlf, "crlf.txt");
    EXPECT_EQ(Fetch("fix", "command"), fromLf);
    EXPECT_EQ(fromLf, " fix:command\nfix <node> <dofs...>\n  <node>  node tag\n");
}

TEST_F(HelpFileTest, BytesOfAnyValueAreKept)
{
    const std::string contents = std::string("k\0w:command\ntext \xFF\x01\n#\n", 22);
    CHelpFile& file = Load(contents);
    ASSERT_EQ(file.m_nRecords, 1);
    EXPECT_EQ(file.m_keywords[0], std::string("k\0w", 3));
    EXPECT_TRUE(file.HasCommand(std::string("k\0w", 3), "command"));
    EXPECT_FALSE(file.HasCommand("k", "command"));
    EXPECT_EQ(Fetch(std::string("k\0w", 3), "command"),
              std::string(" k\0w:command\ntext \xFF\x01\n", 21));
}

TEST_F(HelpFileTest, EveryRecordOfAFileLargerThanOneReadIsFound)
{
    std::string contents;
    for (int n = 0; n < 5000; ++n)
    {
        const std::string keyword = "kw" + std::to_string(n);
        contents += (n % 7 == 0 ? "\r\n" : "") + keyword + ":command\r\n" + keyword +
                    " <a> # not a separator\r\n\r\n    <a>  #1 either\r\n#\r\n";
    }
    CHelpFile& file = Load(contents);
    ASSERT_EQ(file.m_nRecords, 5000);
    for (const int n : {0, 1, 1234, 4321, 4999})
    {
        const std::string keyword = "kw" + std::to_string(n);
        EXPECT_EQ(file.m_keywords[static_cast<size_t>(n)], keyword);
        EXPECT_EQ(Fetch(keyword, "command"), " " + keyword + ":command\n" + keyword +
                                                 " <a> # not a separator\n    <a>  #1 either\n");
    }
    EXPECT_THAT(m_ui.m_messages, IsEmpty());
}

// The file's bytes are judged as a whole, across the reader's 64 KiB reads
// and its CR LF translation.
TEST_F(HelpFileTest, AFileIsUtf8WhenAllItsBytesAre)
{
    std::string filler;
    while (filler.size() < 70000)
        filler += "  <node>  node tag\r\n";
    const std::string start = "len:command\r\n" + filler;
    for (const size_t nAt : {size_t{65534}, size_t{65535}, size_t{65536}})
    {
        // The micro sign "\xC2\xB5" starts nAt bytes into the file.
        std::string contents = start.substr(0, nAt) + "\xC2\xB5m\r\n" + filler + "#\r\n";
        EXPECT_TRUE(Load(contents).IsUtf8()) << nAt;
        contents[nAt] = 'x';
        EXPECT_FALSE(Load(contents).IsUtf8()) << nAt << ": a lone continuation byte";
    }
    EXPECT_FALSE(Load("ascii:command\r\nplain\r\n#\r\n").IsUtf8());
    EXPECT_FALSE(Load("latin:command\r\nL\xE4nge\r\n#\r\n").IsUtf8());
    EXPECT_TRUE(Load("utf:command\r\nL\xC3\xA4nge\r\n#\r\n").IsUtf8());
}

TEST_F(HelpFileTest, LongLinesAreReadInPiecesThatCountAsLines)
{
    const std::string longLine(100000, 'x');
    // The piece boundary falls just before the "#": that piece is a separator.
    const std::string cut = std::string(CHelpFile::kMaxPiece, 'y') + "#tail\n";
    CHelpFile& file = Load("big:command\n" + longLine + "\n" + cut + "next:command\n#\n");
    EXPECT_EQ(file.m_nRecords, 2);
    EXPECT_THAT(file.m_keywords, ElementsAre("big", "next"));
    EXPECT_EQ(Fetch("big", "command"),
              " big:command\n" + longLine + "\n" + std::string(CHelpFile::kMaxPiece, 'y'));
}

TEST_F(HelpFileTest, AMissingFileOrADirectoryIsReportedAndHasNoRecords)
{
    CHelpFile file;
    file.Load(m_dir.PathOf("absent.txt"));
    EXPECT_EQ(file.m_nRecords, 0);
    EXPECT_FALSE(file.HasCommand("model", "command"));
    std::string text;
    EXPECT_FALSE(file.FetchHelp("model", "command", text));
    file.Load(m_dir.MakeDirectory("adir"));
    EXPECT_THAT(
        m_ui.m_messages,
        ElementsAre("File specified in lists.txt -> " + m_dir.PathOf("absent.txt") + ", not found",
                    "File specified in lists.txt -> " + m_dir.PathOf("adir") + ", not found"));
}

TEST_F(HelpFileTest, FetchHelpGivesTheTextOnlyWhenARecordMatches)
{
    Load("analysis:command\nanalysis Static|Transient\n#\n");
    std::string text = "previous help";
    EXPECT_TRUE(m_pFile->FetchHelp("analysis", "command", text));
    EXPECT_EQ(text, " analysis:command\nanalysis Static|Transient\n");
    EXPECT_FALSE(m_pFile->FetchHelp("analyze", "command", text));
    EXPECT_EQ(text, " analysis:command\nanalysis Static|Transient\n");
}
