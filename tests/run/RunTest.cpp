#include "run/AnalysisRun.h"
#include "run/BatchFile.h"
#include "run/BatchRunner.h"
#include "run/ChildProcess.h"
#include "run/ProcessChannel.h"
#include "run/WindowsCommandLine.h"
#include "support/RecordedMessages.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

using ::testing::ElementsAre;

TEST(BatchFile, SevenLinesWithCrLfAsTheRunCommandWritesThem)
{
    const std::string separator = "echo   " + std::string(75, '-');
    EXPECT_EQ(ComposeBatchFile("/opt/vorsa/vorsa", "/home/me/frame.tcl", "/opt/vorsa/bin/"),
              "echo off\r\ncls\r\necho Starting Vorsa..\r\necho off\r\n/opt/vorsa/vorsa "
              "\"/home/me/frame.tcl\" \r\n" +
                  separator + "\r\n/opt/vorsa/bin/stop.exe /home/me/frame.tcl\r\n");
    // A script never saved, blanks in the path, and bin values without a separator.
    EXPECT_THAT(ComposeBatchFile("v", "", "b/"), ::testing::HasSubstr("\r\nv \"\" \r\n"));
    EXPECT_THAT(ComposeBatchFile("v", "", "b/"), ::testing::EndsWith("\r\nb/stop.exe \r\n"));
    EXPECT_THAT(ComposeBatchFile("v", "/my dir/a b.tcl", "/b"),
                ::testing::EndsWith("v \"/my dir/a b.tcl\" \r\n" + separator +
                                    "\r\n/bstop.exe \"/my dir/a b.tcl\"\r\n"));
    EXPECT_THAT(ComposeBatchFile("v", "s", "not found"),
                ::testing::EndsWith("\r\nnot foundstop.exe s\r\n"));
    // Paths of any length are written in full.
    const std::string longPath(500, 'p');
    EXPECT_THAT(ComposeBatchFile(longPath, longPath, ""),
                ::testing::HasSubstr(longPath + " \"" + longPath + "\" "));
}

TEST(WindowsCommandLine, SplitsWithWindowsQuotingRulesAndNothingElse)
{
    EXPECT_THAT(SplitWindowsCommandLine("vorsa \"a b.tcl\" "), ElementsAre("vorsa", "a b.tcl"));
    EXPECT_THAT(SplitWindowsCommandLine("  x\t\"\"  y"), ElementsAre("x", "", "y"));
    EXPECT_THAT(SplitWindowsCommandLine("a\\\\\"b c\" d"), ElementsAre("a\\b c", "d"));
    EXPECT_THAT(SplitWindowsCommandLine("a\\\"b c:\\dir\\"), ElementsAre("a\"b", "c:\\dir\\"));
    EXPECT_THAT(SplitWindowsCommandLine("p \"x;y & z | $(rm -rf ~) `w`\""),
                ElementsAre("p", "x;y & z | $(rm -rf ~) `w`"));
    EXPECT_THAT(SplitWindowsCommandLine("p a;b&c"), ElementsAre("p", "a;b&c"));
    EXPECT_TRUE(SplitWindowsCommandLine("   ").empty());
}

TEST(BatchRunner, EchoesClearsAndRunsEachProgramLineDirectly)
{
    std::vector<std::string> printed;
    std::vector<std::vector<std::string>> runs;
    int nClears = 0;
    CBatchRunner runner(
        [&](const std::vector<std::string>& arguments)
        {
            runs.push_back(arguments);
            return 0;
        },
        [&](const std::string& line) { printed.push_back(line); }, [&] { ++nClears; });
    runner.Run(ComposeBatchFile("/opt/vorsa", "/w/x;rm -rf $HOME.tcl", "/b/"));
    EXPECT_EQ(nClears, 1);
    EXPECT_THAT(printed, ElementsAre("Starting Vorsa..", "  " + std::string(75, '-')));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_THAT(runs[0], ElementsAre("/opt/vorsa", "/w/x;rm -rf $HOME.tcl"));
    EXPECT_THAT(runs[1], ElementsAre("/b/stop.exe", "/w/x;rm -rf $HOME.tcl"))
        << "a blank in the path no longer splits stop.exe's argument";
}

TEST(BatchRunner, TheFirstFailureIsTheRunsStatus)
{
    std::vector<int> statuses = {3, 0};
    CBatchRunner runner(
        [&](const std::vector<std::string>&)
        {
            const int nStatus = statuses.front();
            statuses.erase(statuses.begin());
            return nStatus;
        },
        [](const std::string&) {}, [] {});
    EXPECT_EQ(runner.Run(ComposeBatchFile("/opt/vorsa", "/w/x.tcl", "/b/")), 3);
    statuses = {0, 0};
    EXPECT_EQ(runner.Run(ComposeBatchFile("/opt/vorsa", "/w/x.tcl", "/b/")), 0);
}

#ifndef _WIN32
namespace
{
void MakeExecutable(const std::string& path)
{
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace);
}

// A stand-in program that records its name and arguments, a line a call.
std::string RecordingProgram(const std::string& record)
{
    return "#!/bin/sh\nprintf '%s' \"$(basename \"$0\")\" >> '" + record +
           "'\nfor a in \"$@\"; do printf '|%s' \"$a\" >> '" + record + "'; done\necho >> '" +
           record + "'\n";
}
} // namespace

TEST(BatchRunner, TheRunnerProgramRunsOnlyTheTwoConfiguredPrograms)
{
    CTempDir dir;
    const std::string record = dir.PathOf("calls.txt");
    const std::string vorsa = dir.Write("vorsa", RecordingProgram(record));
    dir.Write("stop.exe", RecordingProgram(record));
    MakeExecutable(vorsa);
    MakeExecutable(dir.PathOf("stop.exe"));
    const std::string script = dir.PathOf("a;touch pwned&b|c $(touch pwned2) `touch pwned3`.tcl");
    const std::string batch = dir.Write("exec.bat", ComposeBatchFile(vorsa, script, dir.Prefix()));

    EXPECT_EQ(ChildProcess::Run({CORVALE_BATCH_PATH, batch}), 0);
    const std::string calls = ReadFileBytes(record);
    EXPECT_EQ(calls, "vorsa|" + script + "\nstop.exe|" + script + "\n");
    EXPECT_FALSE(fs::exists(dir.PathOf("pwned")));
    EXPECT_FALSE(fs::exists(dir.PathOf("pwned2")));
    EXPECT_FALSE(fs::exists(dir.PathOf("pwned3")));
}

// A stop of the runner ends the analysis program it runs, and stop.exe is
// never started after it.
TEST(BatchRunner, AStoppedRunnerEndsItsProgramAndRunsNothingAfter)
{
    CTempDir dir;
    const std::string record = dir.PathOf("calls.txt");
    const std::string vorsa =
        dir.Write("vorsa", "#!/bin/sh\necho started >> '" + record + "'\nexec sleep 60\n");
    dir.Write("stop.exe", RecordingProgram(record));
    MakeExecutable(vorsa);
    MakeExecutable(dir.PathOf("stop.exe"));
    const std::string batch =
        dir.Write("exec.bat", ComposeBatchFile(vorsa, dir.PathOf("a.tcl"), dir.Prefix()));

    const pid_t runner = fork();
    ASSERT_GE(runner, 0);
    if (runner == 0)
    {
        execl(CORVALE_BATCH_PATH, CORVALE_BATCH_PATH, batch.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // Until the analysis program runs.
    for (int n = 0; n < 2000 && ReadFileBytes(record).empty(); ++n)
        usleep(5000);
    ASSERT_EQ(ReadFileBytes(record), "started\n");
    kill(runner, SIGTERM);
    int nStatus = 0;
    ASSERT_EQ(waitpid(runner, &nStatus, 0), runner);
    ASSERT_TRUE(WIFEXITED(nStatus));
    EXPECT_EQ(WEXITSTATUS(nStatus), 143);
    EXPECT_EQ(ReadFileBytes(record), "started\n"); // no stop.exe
}

// What Start Analysis asks the system for: the runner in the first terminal
// of the PATH, or without one; and the refusals, each with its message.
TEST(AnalysisRun, WritesExecBatAndStartsTheRunnerOrSaysWhyNot)
{
    CTempDir dir;
    const fs::path before = fs::current_path();
    fs::current_path(dir.Prefix());
    CRecordedMessages messages;
    std::vector<std::string> started;
    const CAnalysisRun::StartProgram start =
        [&](const std::string& program, const std::vector<std::string>& arguments)
    {
        std::string call = program;
        for (const std::string& argument : arguments)
            call += "|" + argument;
        started.push_back(call);
        return true;
    };
    const char* pPath = std::getenv("PATH");
    const std::string oldPath = pPath != nullptr ? pPath : "";

    EXPECT_FALSE(CAnalysisRun("not found", "/b/", "/s.tcl", "/r").StartInTerminal(messages, start));
    EXPECT_FALSE(CAnalysisRun("/v", "/b/", "/a\nb.tcl", "/r").StartInTerminal(messages, start));
    // A folder named  x" -flag "y  would hand -flag to the analysis program.
    EXPECT_FALSE(
        CAnalysisRun("/v", "/b/", "/x\" -flag \"y/s.tcl", "/r").StartInTerminal(messages, start));
    EXPECT_FALSE(fs::exists(dir.PathOf("exec.bat")));
    EXPECT_THAT(messages.m_messages,
                ElementsAre("Error - corvale.conf",
                            "The script's path holds a line break, which exec.bat cannot carry: "
                            "rename the script or its folder to run it.",
                            "The script's path holds a double quote, which exec.bat cannot "
                            "carry: rename the script or its folder to run it."));

    // No terminal on the PATH: the runner alone.
    SetEnvironment("PATH", dir.MakeDirectory("empty"));
    EXPECT_TRUE(CAnalysisRun("/v", "/b/", "/s.tcl", "/r").StartInTerminal(messages, start));
    EXPECT_EQ(ReadFileBytes(dir.PathOf("exec.bat")), ComposeBatchFile("/v", "/s.tcl", "/b/"));
    // A terminal: it runs the runner; gnome-terminal takes "--".
    dir.MakeDirectory("bin");
    MakeExecutable(dir.Write("bin/gnome-terminal", "#!/bin/sh\n"));
    SetEnvironment("PATH", dir.PathOf("empty") + ":" + dir.PathOf("bin"));
    EXPECT_TRUE(CAnalysisRun("/v", "/b/", "/s.tcl", "/r").StartInTerminal(messages, start));
    MakeExecutable(dir.Write("bin/xterm", "#!/bin/sh\n"));
    dir.Write("empty/x-terminal-emulator", "not executable");
    EXPECT_TRUE(CAnalysisRun("/v", "/b/", "/s.tcl", "/r").StartInTerminal(messages, start));
    EXPECT_THAT(started,
                ElementsAre("/r|exec.bat", dir.PathOf("bin/gnome-terminal") + "|--|/r|exec.bat",
                            dir.PathOf("bin/gnome-terminal") + "|--|/r|exec.bat"));

    // A program that does not start; a folder that takes no file.
    messages.m_messages.clear();
    EXPECT_FALSE(CAnalysisRun("/v", "/b/", "/s.tcl", "/r")
                     .StartInTerminal(messages,
                                      [](const std::string&, const std::vector<std::string>&)
                                      { return false; }));
    fs::permissions(dir.Prefix(), fs::perms::owner_read | fs::perms::owner_exec,
                    fs::perm_options::replace);
    if (access(dir.Prefix().c_str(), W_OK) != 0)
    {
        EXPECT_FALSE(CAnalysisRun("/v", "/b/", "/t.tcl", "/r").StartInTerminal(messages, start));
        EXPECT_EQ(ReadFileBytes(dir.PathOf("exec.bat")), ComposeBatchFile("/v", "/s.tcl", "/b/"));
    }
    else
        messages.m_messages.push_back("Corvale: Unable to open temp file"); // root writes anywhere
    fs::permissions(dir.Prefix(), fs::perms::owner_all, fs::perm_options::replace);
    EXPECT_THAT(messages.m_messages,
                ElementsAre("Error opening file", "Corvale: Unable to open temp file"));
    SetEnvironment("PATH", oldPath);
    fs::current_path(before);
}

TEST(AnalysisRun, ALinkNamedExecBatIsReplacedNotFollowed)
{
    CTempDir dir;
    const std::string victim = dir.Write("victim.txt", "keep me");
    fs::create_symlink(victim, dir.PathOf("exec.bat"));
    ASSERT_TRUE(CAnalysisRun::WriteBatchFile(dir.Prefix(), "echo off\r\n"));
    EXPECT_FALSE(fs::is_symlink(dir.PathOf("exec.bat")));
    EXPECT_EQ(ReadFileBytes(dir.PathOf("exec.bat")), "echo off\r\n");
    EXPECT_EQ(ReadFileBytes(victim), "keep me");
    // Nothing is left beside it.
    int nFiles = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.Prefix()))
        ++nFiles;
    EXPECT_EQ(nFiles, 2);
}

// The runner is plain C++: no toolkit library comes with it.
TEST(BatchRunner, TheRunnerProgramLinksNoWindowLibrary)
{
    FILE* pLdd = popen(("ldd '" + std::string(CORVALE_BATCH_PATH) + "' 2>&1").c_str(), "r");
    ASSERT_NE(pLdd, nullptr);
    std::string libraries;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pLdd) != nullptr)
        libraries += buffer;
    ASSERT_EQ(pclose(pLdd), 0) << libraries;
    EXPECT_THAT(libraries, ::testing::HasSubstr("libc.so"));
    for (const char* pLibrary : {"Qt6Widgets", "Qt6Gui", "qscintilla", "Qt6Core"})
        EXPECT_THAT(libraries, ::testing::Not(::testing::HasSubstr(pLibrary))) << libraries;
}

namespace
{
class CRecordingChannel : public CProcessChannel
{
public:
    bool Start(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& workingDirectory) override
    {
        m_call = program;
        for (const std::string& argument : arguments)
            m_call += "|" + argument;
        m_folder = workingDirectory;
        return m_bStarts;
    }
    void Stop() override {}
    bool IsRunning() const override { return false; }

    bool m_bStarts = true;
    std::string m_call;
    std::string m_folder;
};
} // namespace

TEST(AnalysisRun, TheOutputPaneWayRunsTheRunnerAsAChildInTheScriptsFolder)
{
    CTempDir dir;
    const fs::path before = fs::current_path();
    fs::current_path(dir.Prefix());
    CRecordedMessages messages;
    CRecordingChannel channel;
    EXPECT_TRUE(CAnalysisRun("/v", "/b/", "/s.tcl", "/r").StartInChannel(messages, channel));
    EXPECT_EQ(channel.m_call, "/r|exec.bat");
    EXPECT_EQ(fs::path(channel.m_folder), fs::current_path());
    EXPECT_EQ(ReadFileBytes(dir.PathOf("exec.bat")), ComposeBatchFile("/v", "/s.tcl", "/b/"));
    channel.m_bStarts = false;
    EXPECT_FALSE(CAnalysisRun("/v", "/b/", "/s.tcl", "/r").StartInChannel(messages, channel));
    EXPECT_THAT(messages.m_messages, ElementsAre("Error opening file"));
    fs::current_path(before);
}
#endif

#ifdef _WIN32
namespace
{
// A path of the build, as a Windows program under Wine reaches it.
std::string WindowsPath(std::string path)
{
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return path;
}
} // namespace

// corvale-batch.exe carries out exec.bat as Windows would: the quoted script
// path reaches the analysis program whole, stop.exe gets it in pieces.
TEST(BatchRunner, OnWindowsTheRunnerRunsTheTwoProgramsWithWindowsQuoting)
{
    CTempDir dir;
    const std::string folder = WindowsPath(dir.Prefix());
    const std::string record = folder + "calls.txt";
    SetEnvironment("CORVALE_RECORD", record);
    fs::copy_file(WindowsPath(CORVALE_RECORD_PATH), folder + "vorsa.exe");
    fs::copy_file(WindowsPath(CORVALE_RECORD_PATH), folder + "stop.exe");
    const std::string script = "c:\\my models\\frame 1.tcl";
    const std::string batch = folder + "exec.bat";
    {
        std::ofstream out(batch, std::ios::binary);
        out << ComposeBatchFile(folder + "vorsa.exe", script, folder);
    }
    EXPECT_EQ(ChildProcess::Run({WindowsPath(CORVALE_BATCH_PATH), batch}), 0);
    EXPECT_EQ(ReadFileBytes(record),
              "vorsa.exe|c:\\my models\\frame 1.tcl\nstop.exe|c:\\my models\\frame 1.tcl\n");
}
#endif
