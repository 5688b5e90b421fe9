// The child process behind the output pane, on real processes.
#include "panes/QtProcessChannel.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>
#include <fstream>
#include <gmock/gmock.h>
#include <string>

namespace
{
// The processes of a process group, from /proc.
int ProcessesInGroup(qint64 nGroup)
{
    int nCount = 0;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs))
    {
        bool bNumber = false;
        entry.toLongLong(&bNumber);
        if (!bNumber)
            continue;
        std::ifstream stat("/proc/" + entry.toStdString() + "/stat");
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
} // namespace

TEST(ProcessChannel, OutputComesAsItIsWrittenOnBothStreams)
{
    CTempDir dir;
    CQtProcessChannel channel;
    std::string out;
    std::string err;
    int nStatus = -1;
    bool bCrashed = true;
    bool bStarted = false;
    channel.OnStarted = [&] { bStarted = true; };
    channel.OnOutput = [&](std::string_view bytes, bool bError) { (bError ? err : out) += bytes; };
    channel.OnFinished = [&](int nExit, bool bCrash)
    {
        nStatus = nExit;
        bCrashed = bCrash;
    };
    ASSERT_TRUE(channel.Start("/bin/sh", {"-c", "pwd; echo oops >&2; exit 3"}, dir.Prefix()));
    ASSERT_TRUE(channel.WaitForFinished(10000));
    EXPECT_TRUE(bStarted);
    EXPECT_EQ(QDir(QString::fromStdString(out).trimmed()).canonicalPath(),
              QDir(QString::fromStdString(dir.Prefix())).canonicalPath());
    EXPECT_EQ(err, "oops\n");
    EXPECT_EQ(nStatus, 3);
    EXPECT_FALSE(bCrashed);
    EXPECT_FALSE(channel.Start("/nonexistent/program", {}, dir.Prefix()));
}

TEST(ProcessChannel, StopEndsTheWholeGroupItStarted)
{
    CTempDir dir;
    CQtProcessChannel channel;
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
    const qint64 nGroup = channel.ProcessId();
    ASSERT_GT(nGroup, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ProcessesInGroup(nGroup) >= 3; }, 10000));
    channel.Stop();
    ASSERT_TRUE(channel.WaitForFinished(10000));
    EXPECT_TRUE(bFinished);
    EXPECT_TRUE(bCrashed);
    // What ignored SIGTERM goes at the latest with the SIGKILL three seconds on.
    EXPECT_TRUE(QTest::qWaitFor([&] { return ProcessesInGroup(nGroup) == 0; },
                                CQtProcessChannel::kKillAfterMs + 5000));
}
