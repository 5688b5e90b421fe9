// The child process behind the output pane, on real processes: the run is on
// the channel's thread, and what it reports comes on the owner's.
#include "run/SubprocessChannel.h"

#include "support/TempDir.h"

#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

namespace
{
// The processes of a process group, from /proc.
int ProcessesInGroup(long nGroup)
{
    int nCount = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc"))
    {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        // pid (comm) state ppid pgrp ...: the name may hold blanks, so count from its end.
        const size_t nClose = line.rfind(')');
        if (nClose == std::string::npos)
            continue;
        char state = 0;
        long nParent = 0;
        long nProcessGroup = 0;
        if (std::sscanf(line.c_str() + nClose + 1, " %c %ld %ld", &state, &nParent,
                        &nProcessGroup) == 3 &&
            nProcessGroup == nGroup && state != 'Z')
            ++nCount;
    }
    return nCount;
}

// The owner's thread: the calls the channel posts wait here until run.
class COwner
{
public:
    CSubprocessChannel::Post Post()
    {
        return [this](std::function<void()> call)
        {
            const std::lock_guard lock(m_mutex);
            m_calls.push_back(std::move(call));
        };
    }
    // Runs what was posted until done() holds, at most nMs.
    bool RunUntil(const std::function<bool()>& done, int nMs = 10000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(nMs);
        while (!done())
        {
            if (std::chrono::steady_clock::now() > end)
                return false;
            RunPosted();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
    void RunPosted()
    {
        std::deque<std::function<void()>> calls;
        {
            const std::lock_guard lock(m_mutex);
            calls.swap(m_calls);
        }
        for (auto& call : calls)
            call();
    }

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_calls;
};
} // namespace

TEST(SubprocessChannel, OutputAndTheEndComeOnTheOwnersThread)
{
    CTempDir dir;
    COwner owner;
    CSubprocessChannel channel(owner.Post());
    std::string out;
    std::string err;
    int nStatus = -1;
    bool bCrashed = true;
    bool bStarted = false;
    const std::thread::id ownerThread = std::this_thread::get_id();
    bool bAllOnOwner = true;
    channel.OnStarted = [&] { bStarted = true; };
    channel.OnOutput = [&](std::string_view bytes, bool bError)
    {
        bAllOnOwner = bAllOnOwner && std::this_thread::get_id() == ownerThread;
        (bError ? err : out) += bytes;
    };
    channel.OnFinished = [&](int nExit, bool bCrash)
    {
        bAllOnOwner = bAllOnOwner && std::this_thread::get_id() == ownerThread;
        nStatus = nExit;
        bCrashed = bCrash;
    };
    ASSERT_TRUE(channel.Start("/bin/sh", {"-c", "pwd; echo oops >&2; exit 3"}, dir.Prefix()));
    EXPECT_TRUE(bStarted);
    EXPECT_TRUE(channel.IsRunning());
    ASSERT_TRUE(owner.RunUntil([&] { return !channel.IsRunning(); }));
    EXPECT_TRUE(bAllOnOwner);
    EXPECT_EQ(std::filesystem::canonical(out.substr(0, out.find('\n'))),
              std::filesystem::canonical(dir.Prefix()));
    EXPECT_EQ(err, "oops\n");
    EXPECT_EQ(nStatus, 3);
    EXPECT_FALSE(bCrashed);

    // A program that cannot start is refused at once, and the channel can start again.
    EXPECT_FALSE(channel.Start("/nonexistent/program", {}, dir.Prefix()));
    EXPECT_FALSE(channel.IsRunning());
    ASSERT_TRUE(channel.Start("/bin/sh", {"-c", "exit 0"}, dir.Prefix()));
    ASSERT_TRUE(owner.RunUntil([&] { return !channel.IsRunning(); }));
    EXPECT_EQ(nStatus, 0);
}

TEST(SubprocessChannel, OutputGoesIntoTheDescriptorsGiven)
{
    CTempDir dir;
    COwner owner;
    CSubprocessChannel channel(owner.Post());
    bool bOutputCalled = false;
    channel.OnOutput = [&](std::string_view, bool) { bOutputCalled = true; };
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    channel.SetOutputDescriptors(output[1], output[1]);
    ASSERT_TRUE(channel.Start("/bin/sh", {"-c", "echo out; echo err >&2"}, dir.Prefix()));
    // The write end is the child's alone now, so the read sees its end.
    close(output[1]);
    std::string read;
    char buffer[256];
    for (ssize_t n; (n = ::read(output[0], buffer, sizeof buffer)) > 0;)
        read.append(buffer, static_cast<size_t>(n));
    close(output[0]);
    ASSERT_TRUE(owner.RunUntil([&] { return !channel.IsRunning(); }));
    EXPECT_EQ(read, "out\nerr\n");
    EXPECT_FALSE(bOutputCalled);
}

TEST(SubprocessChannel, StopEndsTheWholeGroupItStarted)
{
    CTempDir dir;
    COwner owner;
    CSubprocessChannel channel(owner.Post());
    bool bCrashed = false;
    bool bFinished = false;
    channel.OnFinished = [&](int, bool bCrash)
    {
        bFinished = true;
        bCrashed = bCrash;
    };
    // A child that starts grandchildren, one of which ignores SIGTERM.
    ASSERT_TRUE(channel.Start(
        "/bin/sh", {"-c", "sleep 100 & (trap '' TERM; sleep 100) & echo up; wait"}, dir.Prefix()));
    const long nGroup = channel.ProcessId();
    ASSERT_GT(nGroup, 0);
    ASSERT_TRUE(owner.RunUntil([&] { return ProcessesInGroup(nGroup) >= 3; }));
    channel.Stop();
    ASSERT_TRUE(owner.RunUntil([&] { return bFinished; }));
    EXPECT_TRUE(bCrashed);
    EXPECT_EQ(channel.ProcessId(), 0);
    // What ignored SIGTERM goes at the latest with the SIGKILL three seconds on.
    EXPECT_TRUE(owner.RunUntil([&] { return ProcessesInGroup(nGroup) == 0; },
                               CSubprocessChannel::kKillAfterMs + 5000));
}

// A channel that goes while its program runs ends the program and leaves no
// call behind that would reach it.
TEST(SubprocessChannel, AChannelThatGoesEndsItsRun)
{
    CTempDir dir;
    COwner owner;
    long nGroup = 0;
    bool bFinished = false;
    {
        CSubprocessChannel channel(owner.Post());
        channel.OnFinished = [&](int, bool) { bFinished = true; };
        ASSERT_TRUE(channel.Start("/bin/sh", {"-c", "echo up; sleep 100"}, dir.Prefix()));
        nGroup = channel.ProcessId();
        ASSERT_GT(nGroup, 0);
    }
    owner.RunPosted();
    EXPECT_FALSE(bFinished);
    // SIGKILL is sent, not waited for: the grandchild goes a moment later.
    EXPECT_TRUE(owner.RunUntil([&] { return ProcessesInGroup(nGroup) == 0; }, 5000));
    EXPECT_FALSE(bFinished);
}
