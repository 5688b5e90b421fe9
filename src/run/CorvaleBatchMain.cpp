// corvale-batch: carries out the exec.bat that the run commands write. A
// stop of the runner (SIGTERM) ends the program it runs and every line after.
#include "BatchRunner.h"
#include "ChildProcess.h"
#include "text/RegularFile.h"

#include <cstdio>

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : "exec.bat";
    // exec.bat is seven short lines: anything but a small regular file is refused.
    constexpr size_t kMaxBatchBytes = 1u << 20;
    std::string bytes;
    const CRegularFile::EResult read = CRegularFile::Read(path, kMaxBatchBytes, bytes);
    if (read != CRegularFile::EResult::Read)
    {
        std::fprintf(stderr, "corvale-batch: cannot read %s: it %s\n", path.c_str(),
                     CRegularFile::Why(read, kMaxBatchBytes).c_str());
        return 1;
    }
    ChildProcess::ForwardStopSignals();

    CBatchRunner runner(
        [](const std::vector<std::string>& arguments)
        {
            std::fflush(stdout);
            const int nStatus = ChildProcess::Run(arguments);
            if (nStatus < 0 && !ChildProcess::WasStopped())
            {
                std::printf("'%s' could not be run.\n", arguments[0].c_str());
                std::fflush(stdout);
                return 1;
            }
            return nStatus;
        },
        [](const std::string& line)
        {
            std::printf("%s\n", line.c_str());
            std::fflush(stdout);
        },
        []
        {
            std::printf("\033[2J\033[H");
            std::fflush(stdout);
        },
        [] { return ChildProcess::WasStopped(); });
    const int nStatus = runner.Run(bytes);
    return ChildProcess::WasStopped() ? 143 : nStatus;
}
