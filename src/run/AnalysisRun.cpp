#include "AnalysisRun.h"

#include "BatchFile.h"
#include "ProcessChannel.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace
{
constexpr const char* kNotFound = "not found";
constexpr const char* kBatchName = "exec.bat";

#ifdef _WIN32
constexpr char kPathSeparator = ';';
#else
constexpr char kPathSeparator = ':';
#endif

bool IsExecutableFile(const std::string& path)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return false;
#ifdef _WIN32
    return true;
#else
    return access(path.c_str(), X_OK) == 0;
#endif
}
} // namespace

CAnalysisRun::CAnalysisRun(std::string exe, std::string bin, std::string scriptPath,
                           std::string runner)
    : m_exe(std::move(exe)), m_bin(std::move(bin)), m_scriptPath(std::move(scriptPath)),
      m_runner(std::move(runner))
{
}

std::string CAnalysisRun::FindOnPath(const std::string& name)
{
    const char* pPath = std::getenv("PATH");
    const std::string path = pPath != nullptr ? pPath : "";
    size_t nFrom = 0;
    while (nFrom <= path.size())
    {
        size_t nTo = path.find(kPathSeparator, nFrom);
        if (nTo == std::string::npos)
            nTo = path.size();
        const std::string dir = path.substr(nFrom, nTo - nFrom);
        nFrom = nTo + 1;
        if (dir.empty())
            continue;
        const std::string candidate = (fs::path(dir) / name).string();
        if (IsExecutableFile(candidate))
            return candidate;
    }
    return {};
}

std::string CAnalysisRun::FindTerminal(std::string& option)
{
    for (const char* terminal :
         {"x-terminal-emulator", "gnome-terminal", "konsole", "xfce4-terminal", "xterm"})
    {
        const std::string found = FindOnPath(terminal);
        if (found.empty())
            continue;
        const std::string name = terminal;
        option = name == "gnome-terminal" ? "--" : name == "xfce4-terminal" ? "-x" : "-e";
        return found;
    }
    return {};
}

bool CAnalysisRun::WriteBatchFile(const std::string& folder, const std::string& text)
{
    const fs::path target = fs::path(folder) / kBatchName;
    std::random_device device;
    std::mt19937_64 random(device());
    fs::path temporary;
    std::error_code error;
    for (int nTry = 0; nTry < 20; ++nTry)
    {
        temporary = fs::path(folder) / ("exec.bat." + std::to_string(random() % 1000000000));
        if (!fs::exists(temporary, error))
            break;
    }
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out)
        {
            out.close();
            fs::remove(temporary, error);
            return false;
        }
    }
    fs::permissions(temporary,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                        fs::perms::others_read,
                    fs::perm_options::replace, error);
    fs::rename(temporary, target, error);
    if (error)
    {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

bool CAnalysisRun::WriteBatch(CMessageSink& messages) const
{
    if (m_exe == kNotFound)
    {
        messages.ShowMessage("Error - corvale.conf");
        return false;
    }
    // exec.bat is read line by line: a line break in the path would end the
    // analysis call early and make the rest of the name a program line.
    if (m_scriptPath.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
    {
        messages.ShowMessage("The script's path holds a line break, which exec.bat cannot carry: "
                             "rename the script or its folder to run it.");
        return false;
    }
    // A double quote would end the quoted argument early: the rest of the
    // name would reach the program as arguments of its own.
    if (m_scriptPath.find('"') != std::string::npos)
    {
        messages.ShowMessage("The script's path holds a double quote, which exec.bat cannot "
                             "carry: rename the script or its folder to run it.");
        return false;
    }
    std::error_code error;
    const std::string folder = fs::current_path(error).string();
    if (error || !WriteBatchFile(folder, ComposeBatchFile(m_exe, m_scriptPath, m_bin)))
    {
        messages.ShowMessage("Corvale: Unable to open temp file");
        return false;
    }
    return true;
}

bool CAnalysisRun::StartInTerminal(CMessageSink& messages, const StartProgram& start) const
{
    if (!WriteBatch(messages))
        return false;
#ifdef _WIN32
    // Windows carries the batch file out itself, in a console of its own.
    if (!start(kBatchName, {" "}))
    {
        messages.ShowMessage("Error opening file");
        return false;
    }
    return true;
#endif
    std::string program = m_runner;
    std::vector<std::string> arguments{kBatchName};
    std::string option;
    const std::string terminal = FindTerminal(option);
    if (!terminal.empty())
    {
        program = terminal;
        arguments = {option, m_runner, kBatchName};
    }
    if (!start(program, arguments))
    {
        messages.ShowMessage("Error opening file");
        return false;
    }
    return true;
}

bool CAnalysisRun::StartInChannel(CMessageSink& messages, CProcessChannel& channel) const
{
    if (!WriteBatch(messages))
        return false;
    std::error_code error;
    const std::string folder = fs::current_path(error).string();
    if (!channel.Start(m_runner, {kBatchName}, folder))
    {
        messages.ShowMessage("Error opening file");
        return false;
    }
    return true;
}
