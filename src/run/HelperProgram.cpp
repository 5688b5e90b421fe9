#include "HelperProgram.h"

#include "AnalysisRun.h"

#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace
{
// The folder of the running program, or empty.
fs::path OwnFolder()
{
    std::error_code error;
#ifdef __linux__
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (!error)
        return self.parent_path();
#endif
    return {};
}
} // namespace

std::string HelperProgram(const std::string& name)
{
    const fs::path folder = OwnFolder();
    if (!folder.empty())
    {
        const fs::path beside = folder / name;
        std::error_code error;
        bool bRuns = fs::is_regular_file(beside, error);
#ifndef _WIN32
        bRuns = bRuns && access(beside.c_str(), X_OK) == 0;
#endif
        if (bRuns)
            return beside.string();
    }
    return CAnalysisRun::FindOnPath(name);
}
