#include "run/BatchFile.h"
#include "run/BatchRunner.h"
#include "run/WindowsCommandLine.h"
#include "support/TempDir.h"

#include <QFile>
#include <QProcess>
#include <gmock/gmock.h>

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
                                    "\r\n/bstop.exe /my dir/a b.tcl\r\n"));
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
    EXPECT_THAT(runs[1], ElementsAre("/b/stop.exe", "/w/x;rm", "-rf", "$HOME.tcl"));
}

TEST(BatchRunner, TheRunnerProgramRunsOnlyTheTwoConfiguredPrograms)
{
    CTempDir dir;
    const std::string record = dir.PathOf("calls.txt");
    const std::string fake = "#!/bin/sh\nprintf '%s' \"$(basename \"$0\")\" >> '" + record +
                             "'\nfor a in \"$@\"; do printf '|%s' \"$a\" >> '" + record +
                             "'; done\necho >> '" + record + "'\n";
    const std::string vorsa = dir.Write("vorsa", fake);
    dir.Write("stop.exe", fake);
    QFile::setPermissions(QString::fromStdString(vorsa),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(QString::fromStdString(dir.PathOf("stop.exe")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const std::string script = dir.PathOf("a;touch pwned&b|c $(touch pwned2) `touch pwned3`.tcl");
    const std::string batch = dir.Write("exec.bat", ComposeBatchFile(vorsa, script, dir.Prefix()));

    QProcess runner;
    runner.setWorkingDirectory(QString::fromStdString(dir.Prefix()));
    runner.start(QStringLiteral(CORVALE_BATCH_PATH), {QString::fromStdString(batch)});
    ASSERT_TRUE(runner.waitForFinished(20000));
    const std::string calls = ReadFileBytes(record);
    EXPECT_EQ(calls, "vorsa|" + script + "\nstop.exe|" + dir.PathOf("a;touch") +
                         "|pwned&b|c|$(touch|pwned2)|`touch|pwned3`.tcl\n");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.PathOf("pwned"))));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.PathOf("pwned2"))));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.PathOf("pwned3"))));
}
