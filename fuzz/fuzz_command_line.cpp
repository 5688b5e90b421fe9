// The Windows command-line splitter and the batch runner's line parser. The
// runner's programs are recorded, never started.
#include "FuzzSupport.h"
#include "run/BatchRunner.h"
#include "run/WindowsCommandLine.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string text(BytesOf(pData, nSize));
    const std::vector<std::string> arguments = SplitWindowsCommandLine(text);
    size_t nChars = 0;
    for (const std::string& argument : arguments)
        nChars += argument.size();
    Require(nChars <= text.size(), "the arguments come from the line");

    // One program at most for each line of the file.
    size_t nRuns = 0;
    CBatchRunner runner(
        [&](const std::vector<std::string>& programLine)
        {
            Require(!programLine.empty(), "a program line names a program");
            ++nRuns;
            return 0;
        },
        [](const std::string&) {}, [] {});
    runner.Run(text);
    const size_t nLines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    Require(nRuns <= nLines, "no more programs than lines");
    return 0;
}
