#include "config/Configuration.h"

#include "config/ConfigurationLocation.h"
#include "support/RecordedMessages.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace
{
std::string MissingFileMessage(const std::string& path)
{
    return "corvale configuration file not found - sytax highlighting and help will not work\n"
           "Location of corvale.conf is required to be " +
           path;
}

std::string BadExeMessage(const std::string& path)
{
    return "Path to vorsa.exe not found - will not be able to run scripts through the editor\n"
           "Correct path to vorsa.exe should be specified in " +
           path + " \n";
}

class ConfigurationTest : public ::testing::Test
{
protected:
    // Reads a configuration file holding exactly these bytes.
    CConfiguration Read(const std::string& contents)
    {
        m_confPath = m_dir.Write("corvale.conf", contents);
        CConfiguration config;
        config.ReadConfiguration(m_confPath);
        return config;
    }

    CTempDir m_dir;
    CRecordedMessages m_ui;
    std::string m_confPath;
};

void ExpectAllNotFound(const CConfiguration& config)
{
    EXPECT_EQ(config.exe, "not found");
    EXPECT_EQ(config.bin, "not found");
    EXPECT_EQ(config.editor, "not found");
    EXPECT_EQ(config.help, "not found");
}
} // namespace

// Where the file lives on Linux and other systems; Windows has its fixed path.
#ifndef _WIN32
TEST_F(ConfigurationTest, LocationFollowsXdgConfigHomeThenHome)
{
    const std::string xdg = m_dir.MakeDirectory("xdg");
    SetEnvironment("XDG_CONFIG_HOME", xdg);
    EXPECT_EQ(ConfigurationFilePath(), xdg + "/corvale/corvale.conf");

    SetEnvironment("XDG_CONFIG_HOME", "");
    const std::string home = m_dir.MakeDirectory("home");
    SetEnvironment("HOME", home);
    EXPECT_EQ(ConfigurationFilePath(), home + "/.config/corvale/corvale.conf");
}

TEST_F(ConfigurationTest, ReadsTheFileAtItsLocation)
{
    const std::string xdg = m_dir.MakeDirectory("xdg/corvale");
    m_dir.Write("xdg/corvale/corvale.conf", "help /opt/vorsa/help/\n");
    SetEnvironment("XDG_CONFIG_HOME", m_dir.PathOf("xdg"));

    CConfiguration config;
    config.ReadConfiguration();
    EXPECT_EQ(config.help, "/opt/vorsa/help/");
    EXPECT_THAT(m_ui.m_messages, IsEmpty());
}

TEST_F(ConfigurationTest, MissingOrUnreadableFileNamesTheRealLocation)
{
    SetEnvironment("XDG_CONFIG_HOME", m_dir.Prefix());
    const std::string path = ConfigurationFilePath();
    {
        CConfiguration config;
        config.ReadConfiguration();
        ExpectAllNotFound(config);
        EXPECT_THAT(m_ui.m_messages, ElementsAre(MissingFileMessage(path)));
    }
    // A directory where the file should be is not a configuration file either.
    m_ui.m_messages.clear();
    m_dir.MakeDirectory("corvale/corvale.conf");
    CConfiguration config;
    config.ReadConfiguration();
    ExpectAllNotFound(config);
    EXPECT_THAT(m_ui.m_messages, ElementsAre(MissingFileMessage(path)));
}

#endif

TEST_F(ConfigurationTest, KeyWordsAreCaseSensitiveWithTwoSpellingsEach)
{
    const std::string vorsa = m_dir.Write("vorsa.exe", "");
    const CConfiguration accepted =
        Read("EXE " + vorsa + "\nBin /b/\nEditor /usr/bin/ed\nHelp /h/\n");
    EXPECT_EQ(accepted.exe, vorsa);
    EXPECT_EQ(accepted.bin, "/b/");
    EXPECT_EQ(accepted.editor, "/usr/bin/ed");
    EXPECT_EQ(accepted.help, "/h/");

    const CConfiguration lower = Read("exe " + vorsa + "\nbin /b/\neditor /e\nhelp /h/\n");
    EXPECT_EQ(lower.exe, vorsa);
    EXPECT_EQ(lower.bin, "/b/");
    EXPECT_EQ(lower.editor, "/e");
    EXPECT_EQ(lower.help, "/h/");

    const CConfiguration ignored =
        Read("Exe " + vorsa + "\neXe " + vorsa + "\nBIN /b/\nEDITOR /e\nHELP /h/\n# help /c/\n");
    ExpectAllNotFound(ignored);
    EXPECT_THAT(m_ui.m_messages, IsEmpty());
}

TEST_F(ConfigurationTest, EverySpaceGoesButTabsStay)
{
    CConfiguration config =
        Read("   help   /my help/files /  \n\t bin\t/b/\neditor  /usr/bin/my editor\n");
    EXPECT_EQ(config.help, "/myhelp/files/");
    EXPECT_EQ(config.bin, "\t/b/");
    EXPECT_EQ(config.editor, "/usr/bin/myeditor");

    // Only the first characters are compared: the rest of the word joins the value.
    config = Read("helpfiles c:\\x\\\nbinary\n");
    EXPECT_EQ(config.help, "filesc:\\x\\");
    EXPECT_EQ(config.bin, "ary");

    // An equals sign is not a separator.
    config = Read("help=/h/\n");
    EXPECT_EQ(config.help, "=/h/");
}

TEST_F(ConfigurationTest, FirstEmptyLineOrFirstByteFFEndsTheFile)
{
    CConfiguration config = Read("\nhelp /h/\n");
    ExpectAllNotFound(config);
    EXPECT_THAT(m_ui.m_messages, IsEmpty());

    config = Read("bin /b/\n\nhelp /h/\n");
    EXPECT_EQ(config.bin, "/b/");
    EXPECT_EQ(config.help, "not found");

    // A line of blanks is not empty: reading goes on past it.
    config = Read("bin /b/\n  \t \nhelp /h/\n");
    EXPECT_EQ(config.help, "/h/");

    config = Read("bin /b/\n\xFFhelp /h/\nhelp /i/\n");
    EXPECT_EQ(config.bin, "/b/");
    EXPECT_EQ(config.help, "not found");

    // A CR LF blank line is an empty line too, as text mode reads it.
    config = Read("bin /b/\r\n\r\nhelp /h/\r\n");
    EXPECT_EQ(config.bin, "/b/");
    EXPECT_EQ(config.help, "not found");
}

TEST_F(ConfigurationTest, CrLfAndLfFilesGiveTheSameValuesAndTheLastLineWins)
{
    const CConfiguration lf = Read("help /a/\nbin /b/\nhelp /c/");
    const CConfiguration crlf = Read("help /a/\r\nbin /b/\r\nhelp /c/\r\n");
    EXPECT_EQ(lf.help, "/c/");
    EXPECT_EQ(crlf.help, "/c/");
    EXPECT_EQ(lf.bin, "/b/");
    EXPECT_EQ(crlf.bin, "/b/");
    // A lone CR is not a line end and stays in the value.
    EXPECT_EQ(Read("help /a/\r").help, "/a/\r");
}

TEST_F(ConfigurationTest, ExeMustNameAFileThatOpens)
{
    const std::string vorsa = m_dir.Write("vorsa.exe", "not run");
    CConfiguration config = Read("exe " + vorsa + "\n");
    EXPECT_EQ(config.exe, vorsa);
    EXPECT_THAT(m_ui.m_messages, IsEmpty());
    EXPECT_EQ(ReadFileBytes(vorsa), "not run");

    config = Read("exe " + m_dir.PathOf("missing.exe") + "\nbin /b/\n");
    EXPECT_EQ(config.exe, "not found");
    EXPECT_EQ(config.bin, "/b/");
    EXPECT_THAT(m_ui.m_messages, ElementsAre(BadExeMessage(m_confPath)));

    // The second line names a missing file: one message, and no value.
    m_ui.m_messages.clear();
    config = Read("exe " + vorsa + "\nexe " + m_dir.PathOf("gone.exe") + "\n");
    EXPECT_EQ(config.exe, "not found");
    EXPECT_EQ(m_ui.m_messages.size(), 1u);

    // A directory cannot be opened as the executable, nor can "=path".
    m_ui.m_messages.clear();
    config = Read("exe " + m_dir.Prefix() + "\nexe=" + vorsa + "\n");
    EXPECT_EQ(config.exe, "not found");
    EXPECT_EQ(m_ui.m_messages.size(), 2u);
}

TEST_F(ConfigurationTest, LaterTestsLookAtTheValueAnEarlierTestLeft)
{
    const CConfiguration config = Read("exe helpx\n");
    EXPECT_EQ(config.exe, "not found");
    EXPECT_EQ(config.help, "x");
    EXPECT_THAT(m_ui.m_messages, ElementsAre(BadExeMessage(m_confPath)));

    EXPECT_EQ(Read("bin editor/e\n").editor, "/e");
}

TEST_F(ConfigurationTest, LongLinesAreReadIn999CharacterPieces)
{
    // 1200 characters: the first 999 are one line, the other 201 the next.
    const std::string first = "help " + std::string(994, 'a');
    const std::string second = "bin" + std::string(198, 'b');
    const CConfiguration config = Read(first + second + "\neditor /e\n");
    EXPECT_EQ(config.help, std::string(994, 'a'));
    EXPECT_EQ(config.bin, std::string(198, 'b'));
    EXPECT_EQ(config.editor, "/e");

    // Exactly 999 characters and its line feed make one line.
    const CConfiguration exact = Read("help " + std::string(994, 'c') + "\nbin /b/\n");
    EXPECT_EQ(exact.help, std::string(994, 'c'));
    EXPECT_EQ(exact.bin, "/b/");

    // A very long line ends neither in a hang nor in a value past 999 characters.
    const CConfiguration huge = Read("help " + std::string(100000, 'x') + "\n");
    EXPECT_EQ(huge.help, std::string(994, 'x'));
}

TEST_F(ConfigurationTest, BytesArePassedOnUnchanged)
{
    const CConfiguration config = Read(std::string("help /h\0elp/\xE9\n", 13));
    EXPECT_EQ(config.help, std::string("/h\0elp/\xE9", 8));
}

#ifndef _WIN32
// Where the user has no file of their own, the system-wide default (as a
// package installs it in /etc/xdg) is read; the user's own file wins, and a
// missing file is reported under the user's path.
TEST_F(ConfigurationTest, TheSystemDefaultStandsInForAMissingUserFile)
{
    const std::string user = m_dir.MakeDirectory("user");
    m_dir.MakeDirectory("first");
    m_dir.MakeDirectory("second/corvale");
    m_dir.Write("second/corvale/corvale.conf", "help /usr/share/corvale/help/\n");
    SetEnvironment("XDG_CONFIG_HOME", user);
    SetEnvironment("XDG_CONFIG_DIRS", (m_dir.PathOf("first") + ":" + m_dir.PathOf("second")));
    {
        CConfiguration config;
        config.ReadConfiguration();
        EXPECT_EQ(config.help, "/usr/share/corvale/help/");
        EXPECT_THAT(m_ui.m_messages, IsEmpty());
    }
    m_dir.MakeDirectory("user/corvale");
    m_dir.Write("user/corvale/corvale.conf", "help /home/me/help/\n");
    {
        CConfiguration config;
        config.ReadConfiguration();
        EXPECT_EQ(config.help, "/home/me/help/");
    }
    SetEnvironment("XDG_CONFIG_DIRS", m_dir.PathOf("first"));
    std::filesystem::remove(m_dir.PathOf("user/corvale/corvale.conf"));
    CConfiguration config;
    config.ReadConfiguration();
    ExpectAllNotFound(config);
    EXPECT_THAT(m_ui.m_messages, ElementsAre(MissingFileMessage(user + "/corvale/corvale.conf")));
    SetEnvironment("XDG_CONFIG_DIRS", "/nonexistent/corvale-tests");
}
#endif

#ifdef _WIN32
// On Windows the file is where it always was: c:\corvale\corvale.conf,
// written with CR LF and Windows paths.
TEST_F(ConfigurationTest, OnWindowsTheFixedPathIsReadAndNamed)
{
    EXPECT_EQ(ConfigurationFilePath(), "c:\\corvale\\corvale.conf");
    EXPECT_EQ(ConfigurationFileToRead(), "c:\\corvale\\corvale.conf");
    std::filesystem::remove_all("c:\\corvale");
    {
        CConfiguration config;
        config.ReadConfiguration();
        ExpectAllNotFound(config);
        EXPECT_THAT(m_ui.m_messages, ElementsAre(MissingFileMessage("c:\\corvale\\corvale.conf")));
    }
    m_ui.m_messages.clear();
    std::filesystem::create_directories("c:\\corvale");
    const std::string exe = m_dir.Write("vorsa.exe", "");
    {
        std::ofstream out("c:\\corvale\\corvale.conf", std::ios::binary);
        out << "exe " << exe
            << "\r\nbin c:\\vorsa\\bin\\\r\nhelp c:\\Program Files\\corvale\\help\\"
            << "\r\neditor c:\\windows\\notepad.exe\r\n";
    }
    CConfiguration config;
    config.ReadConfiguration();
    EXPECT_EQ(config.exe, exe);
    EXPECT_EQ(config.bin, "c:\\vorsa\\bin\\");
    EXPECT_EQ(config.help, "c:\\ProgramFiles\\corvale\\help\\"); // every space goes
    EXPECT_EQ(config.editor, "c:\\windows\\notepad.exe");
    EXPECT_THAT(m_ui.m_messages, IsEmpty());
    std::filesystem::remove_all("c:\\corvale");
}
#endif
