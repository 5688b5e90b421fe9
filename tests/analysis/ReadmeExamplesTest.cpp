// Every Tcl example the README shows is a script the check and the dry run
// pass without a word: a reader who copies one gets no finding.
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

TEST(ReadmeExamples, EveryTclBlockGivesNoFinding)
{
    const std::string readme = ReadFileBytes(CORVALE_SOURCE_DIR "/README.md");
    CTempDir dir;
    int nBlocks = 0;
    for (size_t nAt = readme.find("```tcl\n"); nAt != std::string::npos;
         nAt = readme.find("```tcl\n", nAt + 1))
    {
        const size_t nStart = nAt + 7;
        const size_t nEnd = readme.find("```", nStart);
        ASSERT_NE(nEnd, std::string::npos);
        const std::string script = dir.Write("example" + std::to_string(++nBlocks) + ".tcl",
                                             readme.substr(nStart, nEnd - nStart));
        const std::string command = std::string(CORVALE_CHECK_PATH) +
                                    " --help-dir " CORVALE_SOURCE_DIR "/share/help '" + script +
                                    "' > '" + script + ".out' 2>&1";
        const int nWait = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(nWait) && WEXITSTATUS(nWait) == 0) << "example " << nBlocks << ":\n"
                                                                 << ReadFileBytes(script + ".out");
        EXPECT_EQ(ReadFileBytes(script + ".out"), "") << "example " << nBlocks;
    }
    EXPECT_GE(nBlocks, 2);
}
