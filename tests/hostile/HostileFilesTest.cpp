// The hostile corpus against corvale-check and corvale-dryrun as processes:
// each comes back alive within its limits with a finding or a limit line,
// and, watched by strace, the sandbox opens no socket, opens nothing outside
// the script's folder (it may look a path up to refuse it) and writes nothing.
#include "support/TempDir.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gmock/gmock.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{
const std::string kHelp = CORVALE_SOURCE_DIR "/share/help/";
const std::string kCorpus = CORVALE_SOURCE_DIR "/tests/hostile/";

struct CProcessRun
{
    int nExit = -1; // the exit status, or -1 when a signal ended it
    int nSignal = 0;
    double seconds = 0;
    std::string output;
};

CProcessRun RunShell(const CTempDir& dir, const std::string& command)
{
    CProcessRun run;
    const std::string output = dir.PathOf("output.txt");
    const auto start = std::chrono::steady_clock::now();
    const int nStatus = std::system((command + " > '" + output + "' 2>/dev/null").c_str());
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (WIFEXITED(nStatus))
        run.nExit = WEXITSTATUS(nStatus);
    else if (WIFSIGNALED(nStatus))
        run.nSignal = WTERMSIG(nStatus);
    run.output = ReadFileBytes(output);
    return run;
}

// The corpus in a folder "in" with a secret beside it in "outside", and the
// files too large, too deep or too odd to keep in the repository.
std::vector<std::string> LayOut(CTempDir& dir)
{
    dir.MakeDirectory("in");
    dir.MakeDirectory("outside");
    dir.Write("outside/secret.tcl", "set secret 1\n");
    dir.Write("outside/secret.enc", "not an encoding\n");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kCorpus))
    {
        if (entry.path().extension() != ".tcl")
            continue;
        const std::string name = entry.path().filename().string();
        dir.Write("in/" + name, ReadFileBytes(entry.path().string()));
        if (name != "part.tcl")
            names.push_back(name);
    }
    const auto add = [&](const std::string& name, const std::string& text)
    {
        dir.Write("in/" + name, text);
        names.push_back(name);
    };
    add("deep_brackets.tcl", "set x " + std::string(50000, '[') + "list" + std::string(50000, ']'));
    std::string quotes = "set x ";
    std::string indices = "set x ";
    for (int i = 0; i < 50000; ++i)
    {
        quotes += "\"[";
        indices += "$a(";
    }
    add("deep_quotes.tcl", quotes + "\n");
    add("deep_indices.tcl", indices + "\n");
    dir.Write("in/deep_part.tcl", "proc p {} {}\nset x " + std::string(60000, '[') + "\n");
    add("deep_source.tcl", "source deep_part.tcl\np\nnode 1 0 0\n");
    add("source_devices.tcl", "source /dev/zero\nsource fifo.tcl\nsource /dev/stdin\nnode 1 0 0\n");
    mkfifo(dir.PathOf("in/fifo.tcl").c_str(), 0600);
    std::string unknown;
    for (int i = 0; i < 50000; ++i)
        unknown += "u\n";
    add("unknown_commands.tcl", unknown);
    return names;
}
} // namespace

TEST(HostileFilesTest, CorvaleCheckComesBackFromEachWithItsFindings)
{
    CTempDir dir;
    const std::vector<std::string> names = LayOut(dir);
    for (const std::string& name : names)
    {
        SCOPED_TRACE(name);
        const CProcessRun run = RunShell(dir, "timeout 30 '" CORVALE_CHECK "' --help-dir '" +
                                                  kHelp + "' '" + dir.PathOf("in/" + name) + "'");
        EXPECT_EQ(run.nSignal, 0);
        EXPECT_GE(run.nExit, 0);
        EXPECT_LE(run.nExit, 2) << "2 for errors; 3 would be an unreadable script";
        EXPECT_LT(run.seconds, 10.0);
        if (name.rfind("deep_", 0) == 0 && name != "deep_list.tcl" && name != "deep_source.tcl")
        {
            EXPECT_THAT(run.output, ::testing::HasSubstr("nested more than 1000 levels deep"));
        }
        if (name == "source_devices.tcl")
        {
            EXPECT_EQ(run.output,
                      dir.PathOf("in/" + name) +
                          ":1:8: warning: the sourced file is not a regular file: it is not read, "
                          "and what it defines is unknown [source/unreadable]\n" +
                          dir.PathOf("in/" + name) +
                          ":2:8: warning: the sourced file is not a regular file: it is not read, "
                          "and what it defines is unknown [source/unreadable]\n" +
                          dir.PathOf("in/" + name) +
                          ":3:8: warning: the sourced file is not a regular file: it is not read, "
                          "and what it defines is unknown [source/unreadable]\n");
        }
        if (name == "unknown_commands.tcl")
        {
            // One finding a command; on a loaded machine the dry run may
            // also say it ran out of time, which is no finding of a command.
            const bool bOutOfTime = run.output.find("[run/limit]") != std::string::npos;
            EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'),
                      bOutOfTime ? 50001 : 50000);
        }
    }
}

// Each script in the sandbox, under strace: an answer that ends in its end
// line or a limit line, and nothing touched that a script may not touch.
TEST(HostileFilesTest, TheSandboxEndsEachWithAnAnswerAndTouchesNothing)
{
    CTempDir dir;
    const std::vector<std::string> names = LayOut(dir);
    const std::string trace = dir.PathOf("strace.log");
    for (const std::string& name : names)
    {
        SCOPED_TRACE(name);
        fs::remove(trace);
        const std::string script = dir.PathOf("in/" + name);
        // Leak checking needs ptrace, which strace holds; and a crash would
        // be free to dump a core.
        const CProcessRun run = RunShell(
            dir,
            "cd '" + dir.PathOf("in") +
                "' && ulimit -c unlimited && ASAN_OPTIONS=detect_leaks=0 timeout 30 strace -f -qq "
                "-o '" +
                trace +
                "' -e "
                "trace=%network,open,openat,openat2,creat,truncate,unlink,unlinkat,rename,renameat,"
                "renameat2,link,linkat,symlink,symlinkat,chmod,fchmodat '" CORVALE_DRYRUN
                "' --help-dir '" +
                kHelp + "' --name '" + script + "' - < '" + script + "'");
        EXPECT_EQ(run.nSignal, 0);
        EXPECT_TRUE(run.nExit == 0 || run.nExit == 1 || run.nExit == 4) << run.nExit;
        EXPECT_LT(run.seconds, 10.0);
        EXPECT_THAT(run.output, ::testing::StartsWith("{\"dryrun\":1}\n"));
        const bool bEnded = run.output.find("{\"end\":1") != std::string::npos;
        const bool bLimit = run.output.find("{\"limit\":") != std::string::npos;
        EXPECT_TRUE(bEnded || bLimit)
            << run.output.substr(run.output.size() > 2000 ? run.output.size() - 2000 : 0);
        EXPECT_LT(run.output.size(), 40u << 20) << "the answer is capped";
        const std::string calls = ReadFileBytes(trace);
        ASSERT_FALSE(calls.empty()) << "strace ran";
        for (const char* pForbidden :
             {"socket(", "connect(", "sendto(", "/outside/", "secret", "/etc/hosts",
              "/etc/resolv.conf", "nscd", ".enc\"", "O_WRONLY", "O_RDWR", "O_CREAT", "unlink",
              "rename", "link(", "chmod"})
            EXPECT_EQ(calls.find(pForbidden), std::string::npos)
                << pForbidden << " in "
                << calls.substr(calls.find(pForbidden) > 300 ? calls.find(pForbidden) - 300 : 0,
                                600);
    }
    // Whatever each run tried, the folders hold what they held.
    EXPECT_FALSE(fs::exists(dir.PathOf("in/core")));
    EXPECT_EQ(ReadFileBytes(dir.PathOf("outside/secret.tcl")), "set secret 1\n");
}

TEST(HostileFilesTest, EachCaseEndsForItsOwnReason)
{
    CTempDir dir;
    LayOut(dir);
    const auto answer = [&](const std::string& name)
    {
        const std::string script = dir.PathOf("in/" + name);
        return RunShell(dir, "timeout 30 '" CORVALE_DRYRUN "' --help-dir '" + kHelp + "' --name '" +
                                 script + "' - < '" + script + "'")
            .output;
    };
    using ::testing::HasSubstr;
    EXPECT_THAT(answer("chan_pipe.tcl"), HasSubstr("{\"refused\":[\"chan\",\"pipe\"]"));
    EXPECT_THAT(answer("hostname.tcl"), HasSubstr("{\"var\":\"host\",\"value\":\"localhost\"}"));
    const std::string deep = answer("deep_list.tcl");
    EXPECT_THAT(deep,
                HasSubstr("{\"call\":[\"node\",\"1\",\"(a value nested too deeply to show)\""));
    EXPECT_THAT(deep, HasSubstr("{\"end\":1"));
    const std::string huge = answer("huge_puts.tcl");
    EXPECT_TRUE(huge.find("{\"end\":1") != std::string::npos ||
                huge.find("{\"limit\":\"memory\"") != std::string::npos)
        << huge.substr(0, 500);
    const std::string words = answer("huge_words.tcl");
    EXPECT_THAT(words, HasSubstr(",\"cut\":999001}"));
    EXPECT_THAT(words, HasSubstr("{\"error\":\"eeee"));
    EXPECT_LT(words.size(), 1u << 20);
    const std::string spoofed = answer("spoofed_info.tcl");
    EXPECT_THAT(spoofed, HasSubstr("{\"call\":[\"node\",\"1\",\"0\",\"0\"],\"f\":0,\"l\":4}"));
    EXPECT_THAT(spoofed, HasSubstr("{\"var\":\"a\",\"value\":\"1\"}"));
    const std::string encodings = answer("encodings.tcl");
    EXPECT_THAT(encodings, HasSubstr("{\"refused\":[\"::tcl::encoding::system\",\"ebcdic\"]"));
    EXPECT_THAT(encodings, HasSubstr("a dry run reads only files in the script's folder"));
    const std::string spaces = answer("namespaces.tcl");
    for (const char* pName :
         {"::tcl::unsupported::representation", "::tcl::clock::getenv", "::tcl::chan::pipe",
          "::tcl::file::delete", "package", "tcl::encoding::system"})
        EXPECT_THAT(spaces, HasSubstr("{\"refused\":[\"" + std::string(pName) + "\""));
    EXPECT_THAT(answer("deep_brackets.tcl"), HasSubstr("{\"limit\":\"stack\""));
}

// A wait that uses no processor meets the helper's own clock: here its
// standard input never ends, and the run still answers, with what it had.
TEST(HostileFilesTest, TheHelpersOwnClockEndsAWaitThatUsesNoProcessor)
{
    CTempDir dir;
    const std::string input = dir.PathOf("input");
    mkfifo(input.c_str(), 0600);
    // The writer holds the FIFO open for 8 s and is not waited for.
    const CProcessRun run =
        RunShell(dir, "(echo 'node 1 0 0'; sleep 8) > '" + input +
                          "' 2>/dev/null & timeout 30 '" CORVALE_DRYRUN "' --help-dir '" + kHelp +
                          "' --time-limit 200 - < '" + input + "'");
    EXPECT_EQ(run.nExit, 4);
    EXPECT_LT(run.seconds, 10.0);
    EXPECT_THAT(run.output, ::testing::HasSubstr(
                                "{\"limit\":\"wall\",\"message\":\"the script waited longer than "
                                "the dry run allows\""));
}
