// The packaged program as a new user meets it: unpacked from the .deb into a
// throw-away root, started with a fresh home and the package's system-wide
// configuration. Run by scripts/check-package.sh, which names the root and a
// copy of the root's /etc/xdg whose help folder points into the root;
// skipped otherwise.

#include "ProgramRun.h"
#include "support/TempDir.h"
#include "support/UserActions.h"

#include <X11/keysym.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>

namespace
{
class InstalledPackageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* pRoot = std::getenv("CORVALE_INSTALLED_ROOT");
        const char* pConfigDirs = std::getenv("CORVALE_INSTALLED_CONFIG_DIRS");
        if (pRoot == nullptr || pConfigDirs == nullptr)
            GTEST_SKIP() << "run by scripts/check-package.sh on an unpacked package";
        m_program = std::string(pRoot) + "/usr/bin/corvale";
        m_dir.MakeDirectory("home");
        m_environment = {{"HOME", m_dir.PathOf("home")},
                         {"XDG_CONFIG_HOME", m_dir.PathOf("home/.config")},
                         {"XDG_CONFIG_DIRS", pConfigDirs}};
    }

    CTempDir m_dir;
    std::string m_program;
    std::map<std::string, std::string> m_environment;
};

// Rows of the window's left strip (the command tree) that hold text.
int TextRowsInTree(const std::vector<unsigned>& pixels, int nWidth, int nHeight)
{
    int nRows = 0;
    bool bInText = false;
    for (int y = nHeight / 6; y < nHeight * 9 / 10; ++y)
    {
        bool bDark = false;
        for (int x = 20; x < std::min(nWidth, 160) && !bDark; ++x)
        {
            const unsigned nPixel = pixels[static_cast<size_t>(y * nWidth + x)];
            bDark = ((nPixel >> 16) & 0xFF) < 100 && ((nPixel >> 8) & 0xFF) < 100 &&
                    (nPixel & 0xFF) < 100;
        }
        if (bDark && !bInText)
            ++nRows;
        bInText = bDark;
    }
    return nRows;
}
} // namespace

TEST_F(InstalledPackageTest, ANewUserGetsTheLibraryWithoutAMessage)
{
    CProgramRun run({}, m_environment, false, m_program);
    const COutcome outcome = run.WaitForWindowOrEnd(10);
    ASSERT_TRUE(outcome.bWindow);
    EXPECT_EQ(outcome.title, "Untitled - Corvale - VORSA");
    EXPECT_EQ(outcome.nMessages, 0) << "a message at start-up: configuration or library";
    usleep(500000);
    int nWidth = 0;
    int nHeight = 0;
    const std::vector<unsigned> pixels = run.GrabMainWindow(nWidth, nHeight);
    ASSERT_FALSE(pixels.empty());
    // The root alone would be one row: the library's commands fill the pane.
    EXPECT_GT(TextRowsInTree(pixels, nWidth, nHeight), 20);
}

TEST_F(InstalledPackageTest, PrintsAScriptToAPdf)
{
    const std::string script = m_dir.Write("frame.tcl", "set a 1\nnode 1 0.0 0.0\n");
    CProgramRun run({"/p", script}, m_environment, false, m_program);
    COutcome outcome = run.WaitForWindowOrEnd(20);
    run.Finish(outcome);
    EXPECT_FALSE(outcome.bWindow);
    EXPECT_TRUE(outcome.bExited);
    EXPECT_EQ(outcome.nExitStatus, 0);
    const std::string pdf = FileBytes(script + ".pdf");
    ASSERT_EQ(pdf.compare(0, 5, "%PDF-"), 0) << "no PDF written";
    EXPECT_GE(PagesInPdf(pdf), 1);
}
