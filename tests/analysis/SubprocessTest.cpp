// The one way helpers are run: pipes both ways, limits that end the whole
// process group, and a caller that never dies of a helper's manners.
#include "run/Subprocess.h"

#include <fstream>
#include <gmock/gmock.h>
#include <signal.h>
#include <string>

namespace
{
CSubprocess::COptions Shell(const std::string& command)
{
    CSubprocess::COptions options;
    options.arguments = {"/bin/sh", "-c", command};
    return options;
}

// A process that runs; a zombie nobody reaped yet counts as gone.
bool ProcessExists(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string id, command, state;
    stat >> id >> command >> state;
    return stat && state != "Z";
}
} // namespace

TEST(Subprocess, InputGoesInAndOutputComesBackWhole)
{
    CSubprocess::COptions options;
    options.arguments = {"/bin/cat"};
    // More than any pipe holds, so writing and reading must take turns.
    std::string input;
    for (int i = 0; i < 200000; ++i)
        input += "line " + std::to_string(i) + "\n";
    options.input = input;
    const CSubprocess::CResult result = CSubprocess::Run(options);
    EXPECT_EQ(result.end, CSubprocess::EEnd::Exited);
    EXPECT_EQ(result.nStatus, 0);
    EXPECT_EQ(result.output, input);

    CSubprocess::COptions status = Shell("echo out; echo err >&2; exit 7");
    status.bKeepErrors = true;
    const CSubprocess::CResult seven = CSubprocess::Run(status);
    EXPECT_EQ(seven.nStatus, 7);
    EXPECT_EQ(seven.output, "out\n");
    EXPECT_EQ(seven.errors, "err\n");
    // Standard error is dropped unless asked for.
    status.bKeepErrors = false;
    EXPECT_EQ(CSubprocess::Run(status).errors, "");

    // Output may be taken as it comes instead.
    std::string streamed;
    const CSubprocess::CResult sunk = CSubprocess::Run(
        Shell("echo a; echo b"), {}, [&](std::string_view bytes, bool) { streamed += bytes; });
    EXPECT_EQ(streamed, "a\nb\n");
    EXPECT_EQ(sunk.output, "");
}

TEST(Subprocess, AProgramThatCannotStartSaysWhy)
{
    CSubprocess::COptions options;
    options.arguments = {"/no/such/program"};
    const CSubprocess::CResult result = CSubprocess::Run(options);
    EXPECT_EQ(result.end, CSubprocess::EEnd::NotStarted);
    EXPECT_THAT(result.why, ::testing::HasSubstr("No such file"));
    EXPECT_EQ(CSubprocess::Run({}).end, CSubprocess::EEnd::NotStarted);
    CSubprocess::COptions folder = Shell("true");
    folder.workingDirectory = "/no/such/folder";
    EXPECT_EQ(CSubprocess::Run(folder).end, CSubprocess::EEnd::NotStarted);
}

// Each limit ends the program and whatever it started, even one that
// closed its output and went on.
TEST(Subprocess, LimitsEndTheWholeGroup)
{
    // The shell starts a child that outlives it unless the group is ended.
    CSubprocess::COptions wall = Shell("sleep 60 & echo $!; exec >&-; sleep 60");
    wall.nWallMs = 300;
    const CSubprocess::CResult timed = CSubprocess::Run(wall);
    EXPECT_EQ(timed.end, CSubprocess::EEnd::TimedOut);
    EXPECT_LT(timed.nWallMs, 5000);
    const pid_t grandchild = std::stoi(timed.output);
    for (int i = 0; i < 100 && ProcessExists(grandchild); ++i)
        usleep(10000);
    EXPECT_FALSE(ProcessExists(grandchild));

    CSubprocess::COptions flood = Shell("yes");
    flood.nMaxOutputBytes = 1 << 20;
    const CSubprocess::CResult flooded = CSubprocess::Run(flood);
    EXPECT_EQ(flooded.end, CSubprocess::EEnd::TooMuchOutput);
    EXPECT_LT(flooded.output.size(), 4u << 20);

    int nAsked = 0;
    const CSubprocess::CResult cancelled =
        CSubprocess::Run(Shell("sleep 60"), [&] { return ++nAsked < 3; });
    EXPECT_EQ(cancelled.end, CSubprocess::EEnd::Cancelled);

    CSubprocess::COptions cpu = Shell("while :; do :; done");
    cpu.nCpuSeconds = 1;
    const CSubprocess::CResult spun = CSubprocess::Run(cpu);
    EXPECT_EQ(spun.end, CSubprocess::EEnd::Signalled);
    EXPECT_EQ(spun.nStatus, SIGXCPU);

    CSubprocess::COptions niced = Shell("nice");
    niced.nNice = 7;
    EXPECT_EQ(CSubprocess::Run(niced).output, std::to_string(nice(0) + 7) + "\n");
}

// A helper that stops reading its input must not end the caller with SIGPIPE.
TEST(Subprocess, AHelperThatReadsNothingLeavesTheCallerAlive)
{
    CSubprocess::COptions options = Shell("exit 3");
    const std::string input(8 << 20, 'x');
    options.input = input;
    const CSubprocess::CResult result = CSubprocess::Run(options);
    EXPECT_EQ(result.end, CSubprocess::EEnd::Exited);
    EXPECT_EQ(result.nStatus, 3);
    // No SIGPIPE is left pending for the thread either.
    sigset_t pending;
    sigpending(&pending);
    EXPECT_EQ(sigismember(&pending, SIGPIPE), 0);
}

// A stop with grace asks first, so a program can end in order; one that does
// not listen is killed when the grace is over.
TEST(Subprocess, AStopWithGraceAsksBeforeItKills)
{
    CSubprocess::COptions polite =
        Shell("trap 'echo asked; exit 5' TERM; echo up; while :; do sleep 0.05; done");
    polite.nStopGraceMs = 5000;
    long nStarted = 0;
    polite.started = [&](long nProcessId) { nStarted = nProcessId; };
    std::string output;
    const CSubprocess::CResult asked = CSubprocess::Run(
        polite, [&] { return output.find("up") == std::string::npos; },
        [&](std::string_view bytes, bool) { output += bytes; });
    EXPECT_GT(nStarted, 0);
    EXPECT_EQ(asked.end, CSubprocess::EEnd::Cancelled);
    EXPECT_EQ(output, "up\nasked\n");
    EXPECT_LT(asked.nWallMs, 4000);

    CSubprocess::COptions deaf = Shell("trap '' TERM; echo up; while :; do sleep 0.05; done");
    deaf.nStopGraceMs = 200;
    output.clear();
    const CSubprocess::CResult killed = CSubprocess::Run(
        deaf, [&] { return output.empty(); },
        [&](std::string_view bytes, bool) { output += bytes; });
    EXPECT_EQ(killed.end, CSubprocess::EEnd::Cancelled);
    EXPECT_GE(killed.nWallMs, 200);
    EXPECT_LT(killed.nWallMs, 4000);
}
