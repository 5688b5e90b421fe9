#include "Subprocess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
struct CPipe
{
    int fd[2] = {-1, -1};
    bool Open() { return pipe2(fd, O_CLOEXEC) == 0; }
    void Close(int i)
    {
        if (fd[i] >= 0)
            close(fd[i]);
        fd[i] = -1;
    }
    ~CPipe()
    {
        Close(0);
        Close(1);
    }
};

// Between fork and exec only calls that are safe after a fork of a threaded
// program: no allocation, no locks.
[[noreturn]] void StartChild(const CSubprocess::COptions& options, char* const* argv, int nInput,
                             int nOutput, int nErrors, int nReport)
{
    setpgid(0, 0);
    if (options.nNice != 0)
    {
        errno = 0;
        const int nIgnored = nice(options.nNice);
        (void)nIgnored;
    }
    if (options.nCpuSeconds > 0)
    {
        const rlimit limit{static_cast<rlim_t>(options.nCpuSeconds),
                           static_cast<rlim_t>(options.nCpuSeconds) + 1};
        setrlimit(RLIMIT_CPU, &limit);
    }
    if (options.nAddressSpaceBytes > 0)
    {
        const rlimit limit{static_cast<rlim_t>(options.nAddressSpaceBytes),
                           static_cast<rlim_t>(options.nAddressSpaceBytes)};
        setrlimit(RLIMIT_AS, &limit);
    }
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    // What the caller blocked or ignored is not the helper's business.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0)
    {
        const int nError = errno;
        const ssize_t nIgnored = write(nReport, &nError, sizeof nError);
        (void)nIgnored;
        _exit(127);
    }
    dup2(nInput, 0);
    dup2(nOutput, 1);
    dup2(nErrors, 2);
    // Nothing else of the caller's is inherited (the report pipe closes on exec).
#ifdef SYS_close_range
    if (nReport > 3)
        syscall(SYS_close_range, 3U, static_cast<unsigned>(nReport) - 1, 0U);
    syscall(SYS_close_range, static_cast<unsigned>(nReport) + 1, ~0U, 0U);
#else
    for (int fd = 3; fd < 1024; ++fd)
    {
        if (fd != nReport)
            close(fd);
    }
#endif
    execv(argv[0], argv);
    const int nError = errno;
    const ssize_t nIgnored = write(nReport, &nError, sizeof nError);
    (void)nIgnored;
    _exit(127);
}

void SetNonBlocking(int fd)
{
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}
} // namespace

CSubprocess::CResult CSubprocess::Run(const COptions& options, const KeepGoing& keepGoing,
                                      const OutputSink& sink)
{
    CResult result;
    if (options.arguments.empty())
    {
        result.why = "no program named";
        return result;
    }
    std::vector<std::string> arguments = options.arguments;
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    CPipe input;
    CPipe output;
    CPipe errors;
    CPipe report;
    if (!input.Open() || !output.Open() || !errors.Open() || !report.Open())
    {
        result.why = std::strerror(errno);
        return result;
    }
    const int nNull = options.bKeepErrors ? -1 : open("/dev/null", O_WRONLY | O_CLOEXEC);
    const auto started = std::chrono::steady_clock::now();
    const int nChildOutput = options.nOutputFd >= 0 ? options.nOutputFd : output.fd[1];
    const int nChildErrors = options.nErrorFd >= 0 ? options.nErrorFd
                             : options.bKeepErrors ? errors.fd[1]
                             : nNull >= 0          ? nNull
                                                   : nChildOutput;
    const pid_t pid = fork();
    if (pid == 0)
        StartChild(options, argv.data(), input.fd[0], nChildOutput, nChildErrors, report.fd[1]);
    if (nNull >= 0)
        close(nNull);
    if (pid < 0)
    {
        result.why = std::strerror(errno);
        return result;
    }
    // The group exists from the child's first step; set here too, so that a
    // kill that comes before it finds the group.
    setpgid(pid, pid);
    input.Close(0);
    output.Close(1);
    errors.Close(1);
    report.Close(1);
    int nExecError = 0;
    if (read(report.fd[0], &nExecError, sizeof nExecError) == sizeof nExecError)
    {
        waitpid(pid, nullptr, 0);
        result.why = std::strerror(nExecError);
        return result;
    }
    report.Close(0);
    if (options.started)
        options.started(static_cast<long>(pid));

    // A helper that stops reading must not end the caller with SIGPIPE.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);

    SetNonBlocking(input.fd[1]);
    SetNonBlocking(output.fd[0]);
    if (options.nOutputFd >= 0)
        output.Close(0);
    if (errors.fd[0] >= 0 && options.bKeepErrors && options.nErrorFd < 0)
        SetNonBlocking(errors.fd[0]);
    else
        errors.Close(0);
    size_t nWritten = 0;
    if (options.input.empty())
        input.Close(1);
    long long nOutputBytes = 0;
    EEnd stop = EEnd::Exited;
    char buffer[65536];
    int nWaitStatus = 0;
    bool bReaped = false;
    // Set once the group was asked to end with SIGTERM.
    std::optional<std::chrono::steady_clock::time_point> askedToEnd;
    // With nothing to read or write the program is only waited for: the
    // pause grows, so that a long run costs next to nothing.
    int nIdleMs = 5;
    for (;;)
    {
        // Once its output is closed the program may still run: it is waited
        // for under the same limits.
        if (output.fd[0] < 0 && errors.fd[0] < 0)
        {
            const pid_t nDone = waitpid(pid, &nWaitStatus, WNOHANG);
            if (nDone == pid || (nDone < 0 && errno != EINTR))
            {
                bReaped = nDone == pid;
                break;
            }
        }
        pollfd fds[3];
        nfds_t nCount = 0;
        const auto watch = [&](int fd, short events)
        {
            if (fd >= 0)
                fds[nCount++] = pollfd{fd, events, 0};
        };
        watch(output.fd[0], POLLIN);
        watch(errors.fd[0], POLLIN);
        watch(input.fd[1], POLLOUT);
        poll(fds, nCount, nCount == 0 ? nIdleMs : 20);
        if (nCount == 0)
            nIdleMs = std::min(2 * nIdleMs, 50);
        for (nfds_t i = 0; i < nCount; ++i)
        {
            if (fds[i].revents == 0)
                continue;
            const int fd = fds[i].fd;
            if (fd == input.fd[1])
            {
                const ssize_t n = write(fd, options.input.data() + nWritten,
                                        std::min<size_t>(options.input.size() - nWritten, 65536));
                if (n > 0)
                    nWritten += static_cast<size_t>(n);
                if ((n < 0 && errno != EAGAIN && errno != EINTR) ||
                    nWritten == options.input.size())
                    input.Close(1);
                continue;
            }
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            const bool bError = fd == errors.fd[0];
            if (n <= 0)
            {
                (bError ? errors : output).Close(0);
                continue;
            }
            nOutputBytes += n;
            if (sink)
                sink(std::string_view(buffer, static_cast<size_t>(n)), bError);
            else
                (bError ? result.errors : result.output).append(buffer, static_cast<size_t>(n));
        }
        const long nElapsedMs =
            static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now() - started)
                                  .count());
        if (stop == EEnd::Exited)
        {
            if (keepGoing && !keepGoing())
                stop = EEnd::Cancelled;
            else if (options.nWallMs > 0 && nElapsedMs > options.nWallMs)
                stop = EEnd::TimedOut;
            else if (options.nMaxOutputBytes > 0 && nOutputBytes > options.nMaxOutputBytes)
                stop = EEnd::TooMuchOutput;
        }
        if (stop == EEnd::Cancelled && options.nStopGraceMs > 0 && !askedToEnd)
        {
            kill(-pid, SIGTERM);
            askedToEnd = std::chrono::steady_clock::now();
        }
        else if (stop != EEnd::Exited &&
                 (!askedToEnd || std::chrono::steady_clock::now() - *askedToEnd >
                                     std::chrono::milliseconds(options.nStopGraceMs)))
        {
            kill(-pid, SIGKILL);
            break;
        }
    }
    input.Close(1);
    while (!bReaped && waitpid(pid, &nWaitStatus, 0) < 0 && errno == EINTR)
    {
    }
    // Whatever the helper left behind in its group goes with it.
    if (options.bEndGroupAfterExit || stop != EEnd::Exited)
        kill(-pid, SIGKILL);
    // A SIGPIPE raised by our writes is taken back before the mask is.
    const timespec zero{0, 0};
    while (sigtimedwait(&pipeSignal, nullptr, &zero) > 0)
    {
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);

    result.nWallMs = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - started)
                                           .count());
    result.end = stop;
    if (stop == EEnd::Exited && WIFSIGNALED(nWaitStatus))
    {
        result.end = EEnd::Signalled;
        result.nStatus = WTERMSIG(nWaitStatus);
    }
    else if (stop == EEnd::Exited)
        result.nStatus = WEXITSTATUS(nWaitStatus);
    return result;
}
