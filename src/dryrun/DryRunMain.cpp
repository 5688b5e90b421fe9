// corvale-dryrun: runs a script in a sandbox and answers what it built, as
// JSON lines on standard output (see DryRunProtocol.h).
#include "DryRunSandbox.h"
#include "check/CommandKnowledge.h"
#include "config/Configuration.h"
#include "helplib/CommandLibrary.h"

#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <pwd.h>
#include <string>
#include <sys/resource.h>
#include <sys/time.h>
#include <tcl.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define CORVALE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORVALE_ASAN 1
#endif
#endif

#ifdef CORVALE_ASAN
// The address sanitizer reserves more address space than the memory limit
// allows: under it, one allocation is limited instead, and fails as it would.
extern "C" const char* __asan_default_options()
{
    return "max_allocation_size_mb=512:allocator_may_return_null=1";
}
#endif

#ifdef __linux__
// Tcl asks the user database for tcl_platform(user) as each interpreter is
// made, and the C library's lookup opens a socket to nscd. The safe
// interpreter never shows that name, so the helper answers the lookups
// itself (these definitions stand before the C library's): nobody is found,
// and no socket is opened.
extern "C" int getpwuid_r(uid_t, passwd*, char*, size_t, passwd** ppResult)
{
    *ppResult = nullptr;
    return 0;
}
extern "C" passwd* getpwuid(uid_t)
{
    return nullptr;
}
extern "C" int getpwnam_r(const char*, passwd*, char*, size_t, passwd** ppResult)
{
    *ppResult = nullptr;
    return 0;
}
extern "C" passwd* getpwnam(const char*)
{
    return nullptr;
}
#endif

namespace
{
constexpr int kRanToEnd = 0;
constexpr int kStopped = 1;
constexpr int kUnusable = 3;
constexpr int kLimitHit = 4;
constexpr long long kMaxScriptBytes = 64LL << 20;
constexpr rlim_t kMemoryBytes = 512ULL << 20;
constexpr rlim_t kCpuSeconds = 5;
// The helper's own clock: the script's time limit and this margin; once the
// script has ended, what it left gets a time of its own to be written.
constexpr long kWallMarginMs = 1500;
constexpr long kWriteOutMs = 2000;

char g_outputBuffer[1 << 16];

class CStandardError : public CMessageSink
{
public:
    void ShowMessage(const std::string& text) override
    {
        std::fprintf(stderr, "corvale-dryrun: %s\n", text.c_str());
    }
};

void Usage()
{
    std::fprintf(stderr, "usage: corvale-dryrun [--help-dir DIR] [--time-limit MS] "
                         "[--max-calls N] [--name PATH] script.tcl|-\n");
}

// A limit line written with the system's own calls only, after a line break
// that ends whatever line the run had half written.
void WriteLimitNow(const char* pKind, const char* pMessage, const CDryRunPlace& place)
{
    char line[512];
    const int n = std::snprintf(line, sizeof line,
                                "\n{\"limit\":\"%s\",\"message\":\"%s\",\"f\":%d,\"l\":%ld}\n",
                                pKind, pMessage, place.nFile, place.nLine);
    if (n > 0)
    {
        const ssize_t nWritten = write(STDOUT_FILENO, line, static_cast<size_t>(n));
        (void)nWritten;
    }
}

// A limit met in a signal handler: what the run wrote goes out first, then
// the limit line at the last recorded call. The run is in Tcl's code, far
// more likely than in the writer; a line the signal cut is ended and skipped.
[[noreturn]] void EndFromSignal(const char* pKind, const char* pMessage)
{
    std::fflush(stdout);
    const CDryRunSandbox* pSandbox = CDryRunSandbox::Current();
    WriteLimitNow(pKind, pMessage, pSandbox != nullptr ? pSandbox->LastPlace() : CDryRunPlace{});
    _exit(kLimitHit);
}

void OnCpuLimit(int)
{
    EndFromSignal("cpu", "the script used more than 5 s of processor time");
}

const char* g_pPanicKind = "tcl";
const char* g_pPanicMessage = "the Tcl library stopped the run";

// Asking Tcl where it stood can fail in a library out of memory: then the
// place of the last call stands.
void OnFaultWhilePanicking(int)
{
    const CDryRunSandbox* pSandbox = CDryRunSandbox::Current();
    WriteLimitNow(g_pPanicKind, g_pPanicMessage,
                  pSandbox != nullptr ? pSandbox->LastPlace() : CDryRunPlace{});
    _exit(kLimitHit);
}

// Tcl ends the process when memory runs out; it ends here, saying so.
[[noreturn]] void OnPanic(const char* pFormat, ...)
{
    static bool bPanicking = false;
    CDryRunPlace place;
    std::fflush(stdout);
    va_list arguments;
    va_start(arguments, pFormat);
    char text[200];
    std::vsnprintf(text, sizeof text, pFormat, arguments);
    va_end(arguments);
    if (std::strstr(text, "alloc") != nullptr)
    {
        g_pPanicKind = "memory";
        g_pPanicMessage = "the script needed more than 512 MB of memory";
    }
    if (!bPanicking)
    {
        bPanicking = true;
        std::signal(SIGSEGV, OnFaultWhilePanicking);
        std::signal(SIGBUS, OnFaultWhilePanicking);
        if (CDryRunSandbox* pSandbox = CDryRunSandbox::Current())
            place = pSandbox->Here();
    }
    WriteLimitNow(g_pPanicKind, g_pPanicMessage, place);
    _exit(kLimitHit);
}

// A wait that uses no processor (a read that never returns) meets no other
// limit: the helper's own clock ends it, with what the run had gathered.
void OnWallLimit(int)
{
    EndFromSignal("wall", "the script waited longer than the dry run allows");
}

// Tcl's parser and its list code call themselves once per level of nesting:
// a script that nests deeper than the stack ends here, on a stack of its own.
void OnStackFault(int)
{
    EndFromSignal("stack", "the script nested deeper than the dry run can follow");
}

alignas(16) char g_signalStack[1 << 16];

void SetWallClock(long nMs)
{
    itimerval wall{};
    wall.it_value.tv_sec = nMs / 1000;
    wall.it_value.tv_usec = (nMs % 1000) * 1000;
    setitimer(ITIMER_REAL, &wall, nullptr);
}

void SetLimits(long nTimeLimitMs)
{
#ifndef CORVALE_ASAN
    const rlimit memory{kMemoryBytes, kMemoryBytes};
    setrlimit(RLIMIT_AS, &memory);
#endif
    const rlimit cpu{kCpuSeconds, kCpuSeconds + 1};
    setrlimit(RLIMIT_CPU, &cpu);
    // A crash writes no core into the user's folder.
    const rlimit core{0, 0};
    setrlimit(RLIMIT_CORE, &core);
    std::signal(SIGXCPU, OnCpuLimit);
    std::signal(SIGALRM, OnWallLimit);
    SetWallClock(nTimeLimitMs + kWallMarginMs);
    // In place of the address sanitizer's own report too: a script's nesting
    // is the script's limit, not a fault of the helper.
    stack_t stack{};
    stack.ss_sp = g_signalStack;
    stack.ss_size = sizeof g_signalStack;
    sigaltstack(&stack, nullptr);
    struct sigaction fault
    {
    };
    fault.sa_handler = OnStackFault;
    fault.sa_flags = SA_ONSTACK;
    sigemptyset(&fault.sa_mask);
    sigaction(SIGSEGV, &fault, nullptr);
    sigaction(SIGBUS, &fault, nullptr);
    Tcl_SetPanicProc(OnPanic);
}

// The run's working folder: a fresh one, removed at once, so that a name
// relative to it reaches nothing, and nothing is left behind if the run is killed.
bool EnterEmptyFolder()
{
    const char* pTemp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(pTemp != nullptr && *pTemp != '\0' ? pTemp : "/tmp") + "/corvale-dryrun-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr || chdir(pattern.c_str()) != 0)
        return false;
    rmdir(pattern.c_str());
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, g_outputBuffer, _IOFBF, sizeof g_outputBuffer);
    std::string helpDir;
    std::string name;
    std::string script;
    CDryRunSandbox::COptions options;
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        if (argument == "--help-dir" && i + 1 < argc)
            helpDir = argv[++i];
        else if (argument == "--name" && i + 1 < argc)
            name = argv[++i];
        else if (argument == "--time-limit" && i + 1 < argc)
        {
            options.nTimeLimitMs = std::strtol(argv[++i], nullptr, 10);
            if (options.nTimeLimitMs <= 0 || options.nTimeLimitMs > 60000)
            {
                Usage();
                return kUnusable;
            }
        }
        else if (argument == "--max-calls" && i + 1 < argc)
        {
            options.nMaxCalls = std::strtol(argv[++i], nullptr, 10);
            if (options.nMaxCalls <= 0 || options.nMaxCalls > 1000000)
            {
                Usage();
                return kUnusable;
            }
        }
        else if (argument == "--help" || argument == "-h")
        {
            Usage();
            return kRanToEnd;
        }
        else if ((!argument.empty() && argument[0] == '-' && argument != "-") || !script.empty())
        {
            Usage();
            return kUnusable;
        }
        else
            script = argument;
    }
    if (script.empty())
    {
        Usage();
        return kUnusable;
    }
    SetLimits(options.nTimeLimitMs);

    std::string text;
    {
        std::ifstream file;
        std::istream* pIn = &std::cin;
        if (script != "-")
        {
            file.open(script, std::ios::binary);
            pIn = &file;
        }
        if (!*pIn)
        {
            std::fprintf(stderr, "corvale-dryrun: cannot read %s\n", script.c_str());
            return kUnusable;
        }
        char buffer[1 << 16];
        while (pIn->read(buffer, sizeof buffer) || pIn->gcount() > 0)
        {
            text.append(buffer, static_cast<size_t>(pIn->gcount()));
            if (static_cast<long long>(text.size()) > kMaxScriptBytes)
            {
                std::fprintf(stderr, "corvale-dryrun: %s is larger than 64 MB\n", script.c_str());
                return kUnusable;
            }
        }
    }
    if (name.empty())
        name = script == "-" ? "script.tcl" : script;

    CStandardError messages;
    SetDefaultMessageSink(&messages);
    helpDir = CConfiguration::HelpDirectory(helpDir, messages);
    CCommandLibrary library;
    library.Load(helpDir, messages);
    CCommandKnowledge knowledge;
    knowledge.Build(library);

    DryRunProtocol::CWriter writer(stdout);
    std::vector<CDryRunSandbox::CLibraryCommand> commands;
    for (const std::string& command : knowledge.TopLevelNames())
    {
        bool bBody = false;
        for (const CUsageForm& form : knowledge.FormsOf(knowledge.Find(command, "command")))
            bBody = bBody || form.EndsInBody();
        commands.push_back({command, bBody});
    }
    // The script's place, before the run leaves for a folder of its own.
    std::error_code error;
    name =
        std::filesystem::absolute(std::filesystem::path(name), error).lexically_normal().string();
    if (error || !EnterEmptyFolder())
    {
        std::fprintf(stderr, "corvale-dryrun: no private working folder for the run\n");
        return kUnusable;
    }
    try
    {
        options.scriptEnded = [] { SetWallClock(kWriteOutMs); };
        options.resultOf = [&knowledge](const std::vector<std::string_view>& words)
        { return knowledge.ResultOf(words); };
        CDryRunSandbox sandbox(std::move(commands), options, writer);
        return sandbox.Run(name, text) == 0 ? kRanToEnd : kStopped;
    }
    catch (...)
    {
        std::fflush(stdout);
        WriteLimitNow("memory", "the dry run ran out of memory", CDryRunPlace{});
        return kLimitHit;
    }
}
