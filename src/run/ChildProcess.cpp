#include "ChildProcess.h"

#include <atomic>
#include <csignal>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace
{
std::atomic<bool> g_bStopped{false};
#ifdef _WIN32
std::atomic<HANDLE> g_running{nullptr};

// The command line that CommandLineToArgv splits back into these arguments.
std::string QuoteForWindows(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const std::string& argument : arguments)
    {
        if (!line.empty())
            line += ' ';
        if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        {
            line += argument;
            continue;
        }
        line += '"';
        size_t nSlashes = 0;
        for (const char c : argument)
        {
            if (c == '\\')
            {
                ++nSlashes;
                continue;
            }
            line.append(c == '"' ? 2 * nSlashes + 1 : nSlashes, '\\');
            nSlashes = 0;
            line += c;
        }
        line.append(2 * nSlashes, '\\');
        line += '"';
    }
    return line;
}
#else
std::atomic<pid_t> g_running{0};

void OnStopSignal(int)
{
    ChildProcess::StopRunning();
}
#endif
} // namespace

namespace ChildProcess
{
#ifdef _WIN32
int Run(const std::vector<std::string>& arguments)
{
    if (arguments.empty() || g_bStopped)
        return -1;
    std::string commandLine = QuoteForWindows(arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(arguments[0].c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                        nullptr, nullptr, &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    g_running = process.hProcess;
    WaitForSingleObject(process.hProcess, INFINITE);
    g_running = nullptr;
    DWORD nStatus = 0;
    GetExitCodeProcess(process.hProcess, &nStatus);
    CloseHandle(process.hProcess);
    return static_cast<int>(nStatus);
}

void StopRunning()
{
    g_bStopped = true;
    if (HANDLE process = g_running.load())
        TerminateProcess(process, 1);
}

void ForwardStopSignals() {}
#else
int Run(const std::vector<std::string>& arguments)
{
    if (arguments.empty() || g_bStopped)
        return -1;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    // posix_spawn runs the path as given: no search, no shell.
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    g_running = pid;
    // A stop that came while the program was being started still reaches it.
    if (g_bStopped)
        kill(pid, SIGTERM);
    int nStatus = 0;
    while (waitpid(pid, &nStatus, 0) < 0 && errno == EINTR)
    {
    }
    g_running = 0;
    if (WIFEXITED(nStatus))
        return WEXITSTATUS(nStatus);
    return 128 + (WIFSIGNALED(nStatus) ? WTERMSIG(nStatus) : 0);
}

void StopRunning()
{
    g_bStopped = true;
    const pid_t pid = g_running.load();
    if (pid > 0)
        kill(pid, SIGTERM);
}

void ForwardStopSignals()
{
    struct sigaction action
    {
    };
    action.sa_handler = &OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int nSignal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(nSignal, &action, nullptr);
}
#endif

bool WasStopped()
{
    return g_bStopped;
}
} // namespace ChildProcess
