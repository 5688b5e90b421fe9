// A save cut short by SIGKILL, at any point, leaves the script whole: the old
// bytes or the new ones, never a mix, and nothing the next save trips over.

#include "EditorFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace
{
class KilledSaveTest : public EditorFixture
{
protected:
    KilledSaveTest() { m_edit.LimitText(2000000); }

    // A 2 MB script with CR LF breaks, so its bytes pass through the editor
    // unchanged; each of the two versions has its own line.
    static std::string Script(char cVersion)
    {
        const std::string line =
            std::string("node 1 0.0 3.5 # version ") + cVersion + " ......\r\n";
        std::string text;
        while (text.size() + line.size() <= 2000000)
            text += line;
        return text;
    }
};
} // namespace

// The child half of the test below: opens the script and saves the other
// version over it, then the first again, and on, until it is killed.
TEST_F(KilledSaveTest, DISABLED_SaveUntilKilled)
{
    const char* pPath = std::getenv("CORVALE_SAVE_PATH");
    if (pPath == nullptr)
        GTEST_SKIP() << "run by AKilledSaveLeavesTheOldOrTheNewScript";
    const std::string versions[2] = {Script('A'), Script('B')};
    ASSERT_TRUE(m_doc.OnOpenDocument(pPath));
    const int nSaves = std::getenv("CORVALE_SAVE_ONCE") != nullptr ? 1 : 1000000;
    std::printf("saving\n");
    std::fflush(stdout);
    for (int n = 0; n < nSaves; ++n)
    {
        const std::string& text = versions[(n + 1) % 2];
        m_edit.SetWindowText(text);
        m_doc.m_bChanged = true;
        if (!m_doc.OnFileSave() || m_doc.m_bChanged)
        {
            std::printf("failed\n");
            return;
        }
        std::printf("saved\n");
        std::fflush(stdout);
    }
}

TEST_F(KilledSaveTest, AKilledSaveLeavesTheOldOrTheNewScript)
{
    const std::string oldScript = Script('A');
    const std::string newScript = Script('B');
    const QDir folder(QString::fromStdString(m_dir.MakeDirectory("scripts")));
    const std::string path = m_dir.Write("scripts/model.tcl", oldScript);
    const unsigned nSeed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(nSeed));
    std::mt19937 random(nSeed);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("CORVALE_SAVE_PATH", QString::fromStdString(path));
    const QStringList arguments{"--gtest_also_run_disabled_tests",
                                "--gtest_filter=KilledSaveTest.DISABLED_SaveUntilKilled"};

    // One round (set the text, save 2 MB) takes milliseconds here and far
    // longer under a sanitizer: it is timed first, and the kills spread over
    // two rounds, so that they fall in every part of one.
    long long nRoundMs = 0;
    {
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), arguments);
        ASSERT_TRUE(child.waitForStarted(10000));
        QByteArray output;
        QElapsedTimer timer;
        while (child.state() == QProcess::Running && output.count("saved\n") < 3)
        {
            child.waitForReadyRead(100);
            output += child.readAllStandardOutput();
            if (output.contains("saving") && !timer.isValid())
                timer.start();
        }
        ASSERT_EQ(output.count("saved\n"), 3) << child.readAllStandardError().toStdString();
        nRoundMs = std::max(1LL, timer.elapsed() / 3);
        child.kill();
        child.waitForFinished();
        m_dir.Write("scripts/model.tcl", oldScript);
    }
    std::uniform_int_distribution<long long> delayMs(0, 2 * nRoundMs);
    int nFoundOld = 0;
    int nFoundNew = 0;
    for (int nKill = 0; nKill < 24; ++nKill)
    {
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), arguments);
        ASSERT_TRUE(child.waitForStarted(10000));
        while (!child.readAllStandardOutput().contains("saving") &&
               child.state() == QProcess::Running)
            child.waitForReadyRead(100);
        ASSERT_EQ(child.state(), QProcess::Running) << child.readAllStandardError().toStdString();
        QThread::msleep(static_cast<unsigned long>(delayMs(random)));
        child.kill();
        ASSERT_TRUE(child.waitForFinished(10000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << "the child ended before the kill";

        const std::string onDisk = ReadFileBytes(path);
        ASSERT_TRUE(onDisk == oldScript || onDisk == newScript)
            << "kill " << nKill << ": a mix of " << onDisk.size() << " bytes";
        ++(onDisk == oldScript ? nFoundOld : nFoundNew);
        EXPECT_EQ(folder.entryList(QDir::Files | QDir::Hidden).join(' ').toStdString(), "model.tcl")
            << "kill " << nKill << ": a temporary file was left behind";
        // The next start begins from the version it finds.
        if (onDisk == newScript)
            m_dir.Write("scripts/model.tcl", oldScript);
    }
    // Kills fell both before and after a rename.
    EXPECT_GT(nFoundOld, 0);
    EXPECT_GT(nFoundNew, 0);

    // And the next save, not killed, works as ever.
    environment.insert("CORVALE_SAVE_ONCE", "1");
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.readAllStandardOutput().count("saved\n"), 1);
    EXPECT_EQ(ReadFileBytes(path), newScript);
}
