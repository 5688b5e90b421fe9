// The built program started on hostile scripts, configurations and help
// libraries, each with a fresh home folder, watched from outside as a user
// would see it: a window or a message within 10 s, never a crash or a hang;
// a script that opened comes back from Save as it was; memory stays bounded.

#include "ProgramRun.h"
#include "support/TempDir.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr double kLimitSeconds = 10.0;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Bytes that look like a compiled program: every value but CR, with line
// feeds where they fall, so the file's breaks are line feeds alone and Save
// owes it back unchanged.
std::string BinaryBytes(size_t nSize)
{
    std::string bytes(nSize, '\0');
    unsigned nState = 12345;
    for (char& c : bytes)
    {
        nState = nState * 1103515245u + 12345u;
        c = static_cast<char>((nState >> 16) & 0xFF);
        if (c == '\r')
            c = '\0';
    }
    return bytes;
}

std::string Repeated(const std::string& piece, size_t nSize)
{
    std::string text;
    text.reserve(nSize + piece.size());
    while (text.size() < nSize)
        text += piece;
    text.resize(nSize);
    return text;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    for (size_t nPos = 0; (nPos = text.find(from, nPos)) != std::string::npos; nPos += to.size())
        text.replace(nPos, from.size(), to);
    return text;
}

class BadInputTest : public ::testing::Test
{
protected:
    BadInputTest()
    {
        m_dir.MakeDirectory("home");
        m_dir.MakeDirectory("config");
        m_dir.MakeDirectory("config/corvale");
        m_environment = {{"HOME", m_dir.PathOf("home")},
                         {"XDG_CONFIG_HOME", m_dir.PathOf("config")}};
        UseConfiguration("help " CORVALE_SOURCE_DIR "/share/help/\n");
    }

    void UseConfiguration(const std::string& text)
    {
        m_dir.Write("config/corvale/corvale.conf", text);
    }
    std::string ConfigurationPath() const { return m_dir.PathOf("config/corvale/corvale.conf"); }

    // Starts the program; returns what a user saw within the limit.
    COutcome Start(const std::vector<std::string>& arguments, bool bAsNobody = false)
    {
        m_pRun = std::make_unique<CProgramRun>(arguments, m_environment, bAsNobody);
        return m_pRun->WaitForWindowOrEnd(kLimitSeconds);
    }

    // Ends the program and reports the case's figures for the record.
    COutcome Finish(const std::string& name, COutcome outcome)
    {
        m_pRun->Finish(outcome);
        std::printf("case %s: %s, %d message(s), %.0f ms, peak %.1f MB\n", name.c_str(),
                    outcome.bWindow   ? "window"
                    : outcome.bExited ? "ended"
                                      : "neither",
                    outcome.nMessages, outcome.seconds * 1000, outcome.nPeakKb / 1024.0);
        // The program alone takes about 35 MB; the largest input here is 200 MB.
        if (!kSanitized)
        {
            EXPECT_LT(outcome.nPeakKb, 150 * 1024) << name << ": peak memory";
        }
        return outcome;
    }

    // The script opens in the window, and Save writes back what is expected.
    void ExpectOpensAndSavesAs(const std::string& name, const std::string& path,
                               const std::string& expected, int nMessages = 0)
    {
        COutcome outcome = Start({path});
        ASSERT_TRUE(outcome.bWindow) << name << ": no window within " << kLimitSeconds << " s";
        EXPECT_EQ(outcome.nMessages, nMessages) << name;
        EXPECT_TRUE(m_pRun->SaveAndWait(path, kLimitSeconds)) << name << ": Save did nothing";
        const std::string saved = FileBytes(path);
        EXPECT_EQ(saved.size(), expected.size()) << name;
        EXPECT_TRUE(saved == expected) << name << ": saved bytes differ";
        outcome = Finish(name, outcome);
        EXPECT_EQ(outcome.nSignal, 0) << name;
    }

    // The program shows its message and ends by itself, without a crash.
    void ExpectMessageAndEnd(const std::string& name, const std::string& path,
                             bool bAsNobody = false)
    {
        COutcome outcome = Start({path}, bAsNobody);
        outcome = Finish(name, outcome);
        EXPECT_FALSE(outcome.bWindow) << name;
        EXPECT_TRUE(outcome.bExited) << name << ": did not end within " << kLimitSeconds
                                     << " s (signal " << outcome.nSignal << ")";
        EXPECT_GE(outcome.nMessages, 1) << name;
    }

    // The window comes up (with what messages the case brings) on a small
    // script; returns the outcome with its peak memory.
    COutcome ExpectWindow(const std::string& name)
    {
        const std::string script = m_dir.Write("small.tcl", "set a 1\nnode 1 0 0\n");
        COutcome outcome = Start({script});
        EXPECT_TRUE(outcome.bWindow) << name << ": no window within " << kLimitSeconds << " s";
        // What the first paint and the idle updates take counts as well.
        usleep(500000);
        outcome = Finish(name, outcome);
        EXPECT_EQ(outcome.nSignal, 0) << name;
        return outcome;
    }

    CTempDir m_dir;
    std::map<std::string, std::string> m_environment;
    std::unique_ptr<CProgramRun> m_pRun;
};
} // namespace

// ---- scripts ----------------------------------------------------------------

// A script that nests past any stack and sources a FIFO and /dev/zero: the
// window comes up, the check and the dry run come back, memory stays
// bounded, and closing the window ends the program within 2 s.
TEST_F(BadInputTest, HostileScriptLeavesTheProgramWhole)
{
    mkfifo(m_dir.PathOf("fifo.tcl").c_str(), 0600);
    const std::string script = m_dir.Write(
        "hostile.tcl", "source fifo.tcl\nsource /dev/zero\nset x " + std::string(50000, '[') +
                           "\nset v {<img src=\"/dev/zero\">}\n");
    COutcome outcome = Start({script});
    ASSERT_TRUE(outcome.bWindow) << "no window within " << kLimitSeconds << " s";
    // The check (0.2 s after opening) and the dry run (1 s) have their turn.
    usleep(3000000);
    const double seconds = m_pRun->CloseAndWait(outcome, 10);
    EXPECT_GE(seconds, 0) << "still running 10 s after its window was closed";
    EXPECT_LT(seconds, 2.0);
    EXPECT_EQ(outcome.nSignal, 0);
    m_pRun->Finish(outcome);
    if (!kSanitized)
    {
        EXPECT_LT(outcome.nPeakKb, 200 * 1024) << "peak memory";
    }
}

TEST_F(BadInputTest, BinaryFileOpensAndSavesUnchanged)
{
    const std::string bytes = BinaryBytes(256 * 1024);
    ExpectOpensAndSavesAs("binary", m_dir.Write("program.bin", bytes), bytes);
}

TEST_F(BadInputTest, NulAnd0xFFBytesOpenAndSaveUnchanged)
{
    const std::string bytes =
        Repeated(std::string("set a\0b \xff\xfe\xff; node\0 1 \xff\n", 24), 100000) + "\n";
    ExpectOpensAndSavesAs("NUL and 0xFF", m_dir.Write("nul.tcl", bytes), bytes);
}

TEST_F(BadInputTest, MillionCharacterLineOpensAndSavesUnchanged)
{
    const std::string bytes = Repeated("node 1 0.0 1.0; set x $y; ", 1000000) + "\n";
    ExpectOpensAndSavesAs("1,000,000-character line", m_dir.Write("long.tcl", bytes), bytes);
}

// Inside the editor every break is CR LF, and only a file of line feeds
// alone keeps its own breaks: a CR-only file comes back with CR LF.
TEST_F(BadInputTest, CarriageReturnOnlyFileComesBackWithCrLf)
{
    const std::string bytes = Repeated("set a 1\rnode 1 0 0\r# comment\r", 30000);
    ExpectOpensAndSavesAs("CR-only", m_dir.Write("mac.tcl", bytes), Replaced(bytes, "\r", "\r\n"));
}

// 2,000,001 characters: the first 2,000,000 open, with a message that says
// Save will write only those.
TEST_F(BadInputTest, OverlongFileOpensInPartWithMessage)
{
    const std::string line = Repeated("node 1 2.5 3.5 ", 98) + "\r\n"; // 100 bytes
    const std::string bytes = Repeated(line, 2000000) + "x";
    ASSERT_EQ(bytes.size(), 2000001u);
    ExpectOpensAndSavesAs("2,000,001 characters", m_dir.Write("big.tcl", bytes),
                          bytes.substr(0, 2000000), 1);
}

TEST_F(BadInputTest, DirectoryGivesMessageAndEnds)
{
    ExpectMessageAndEnd("directory", m_dir.MakeDirectory("folder.tcl"));
}

TEST_F(BadInputTest, UnreadableFileGivesMessageAndEnds)
{
    const std::string path = m_dir.Write("secret.tcl", "set a 1\n");
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    // Root reads any file, so root runs the program as nobody, which then
    // needs to reach the folders around the file.
    const bool bAsNobody = geteuid() == 0;
    if (bAsNobody)
    {
        for (const std::string& folder : {m_dir.Prefix(), m_dir.PathOf("home"),
                                          m_dir.PathOf("config"), m_dir.PathOf("config/corvale")})
            ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
        ASSERT_EQ(chmod(ConfigurationPath().c_str(), 0644), 0);
    }
    ExpectMessageAndEnd("unreadable", path, bAsNobody);
}

TEST_F(BadInputTest, FifoGivesMessageAndEnds)
{
    const std::string path = m_dir.PathOf("pipe.tcl");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    ExpectMessageAndEnd("FIFO", path);
}

TEST_F(BadInputTest, DeviceGivesMessageAndEnds)
{
    ExpectMessageAndEnd("/dev/zero", "/dev/zero");
}

TEST_F(BadInputTest, PathWithShellCharactersOpensAndSaves)
{
    m_dir.MakeDirectory("a b; c & d");
    const std::string bytes = "set a 1\nnode 1 0 0\n";
    const std::string path = m_dir.Write("a b; c & d/x\ny | $(touch z) .tcl", bytes);
    ExpectOpensAndSavesAs("path with newline and ; & | $( )", path, bytes);
    // The name is only ever a name: nothing ran the command inside it.
    EXPECT_NE(access(m_dir.PathOf("a b; c & d/z").c_str(), F_OK), 0);
}

// ---- configuration and help library -----------------------------------------

TEST_F(BadInputTest, ConfigurationFifoStillShowsWindow)
{
    ASSERT_EQ(unlink(ConfigurationPath().c_str()), 0);
    ASSERT_EQ(mkfifo(ConfigurationPath().c_str(), 0600), 0);
    const COutcome outcome = ExpectWindow("configuration FIFO");
    EXPECT_GE(outcome.nMessages, 1);
}

TEST_F(BadInputTest, TenMegabyteConfigurationStillShowsWindow)
{
    UseConfiguration("help " CORVALE_SOURCE_DIR "/share/help/\n" +
                     Repeated("# a note that goes on and on ", 10 * 1024 * 1024));
    ExpectWindow("10 MB configuration");
}

TEST_F(BadInputTest, HelpFolderInSymlinkLoopStillShowsWindow)
{
    const std::string loop = m_dir.PathOf("loop");
    ASSERT_EQ(symlink(loop.c_str(), loop.c_str()), 0);
    UseConfiguration("help " + loop + "/\n");
    const COutcome outcome = ExpectWindow("help symlink loop");
    EXPECT_GE(outcome.nMessages, 1);
}

TEST_F(BadInputTest, ListOfFiveThousandHelpFilesLoads)
{
    m_dir.MakeDirectory("help");
    std::string list;
    for (int n = 0; n < 5000; ++n)
    {
        const std::string name = "h" + std::to_string(n) + ".txt";
        m_dir.Write("help/" + name, "cmd" + std::to_string(n) + ":command\ncmd" +
                                        std::to_string(n) + " <tag>\n#\n");
        list += name + "\n";
    }
    m_dir.Write("help/list.txt", list);
    UseConfiguration("help " + m_dir.PathOf("help/") + "\n");
    const COutcome outcome = ExpectWindow("list of 5,000 files");
    EXPECT_EQ(outcome.nMessages, 0);
}

// The help file is indexed, not held: only the index and the cached texts
// stay in memory.
TEST_F(BadInputTest, HugeHelpFileIsNotReadIntoMemory)
{
    m_dir.MakeDirectory("help");
    const std::string body = Repeated("    a line of help text that describes an option\n", 1000);
    {
        FILE* pFile = std::fopen(m_dir.PathOf("help/huge.txt").c_str(), "wb");
        ASSERT_NE(pFile, nullptr);
        size_t nWritten = 0;
        for (int n = 0; nWritten < 200u * 1024 * 1024; ++n)
        {
            const std::string record = "cmd" + std::to_string(n) + ":command\n" + body + "#\n";
            nWritten += std::fwrite(record.data(), 1, record.size(), pFile);
        }
        ASSERT_EQ(std::fclose(pFile), 0);
    }
    m_dir.Write("help/list.txt", "huge.txt\n");
    UseConfiguration("help " + m_dir.PathOf("help/") + "\n");
    const COutcome outcome = ExpectWindow("200 MB help file");
    EXPECT_EQ(outcome.nMessages, 0);
    if (!kSanitized)
    {
        EXPECT_LT(outcome.nPeakKb, 100 * 1024) << "the file is read, not kept";
    }
}

TEST_F(BadInputTest, TenMegabyteHelpLineWithoutNewlineLoads)
{
    m_dir.MakeDirectory("help");
    m_dir.Write("help/long.txt", "node:command\n" + Repeated("x", 10 * 1024 * 1024));
    m_dir.Write("help/list.txt", "long.txt\n");
    UseConfiguration("help " + m_dir.PathOf("help/") + "\n");
    const COutcome outcome = ExpectWindow("10 MB help line");
    if (!kSanitized)
    {
        EXPECT_LT(outcome.nPeakKb, 100 * 1024);
    }
}
