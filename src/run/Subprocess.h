#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Runs a helper program to its end, never through a shell: its input is
// given, its output read as it comes, and it is held to limits. The program
// and all it starts form a process group of their own, so that a stop ends
// the lot. Plain C++ over fork and exec, safe to use from any thread of a
// program with many threads.
class CSubprocess
{
public:
    struct COptions
    {
        std::vector<std::string> arguments; // argument 0 is the program's path
        std::string_view input; // written to its standard input, then closed; kept by the caller
        int nWallMs = 0;        // killed after this long; 0: no limit
        int nNice = 0;          // added to its niceness
        long long nMaxOutputBytes = 0;    // killed once it wrote more; 0: no limit
        long nCpuSeconds = 0;             // RLIMIT_CPU; 0: inherited
        long long nAddressSpaceBytes = 0; // RLIMIT_AS; 0: inherited
        bool bKeepErrors = false;         // standard error read too; else discarded
        std::string workingDirectory;     // empty: the caller's
        // Where the program writes its standard output and error itself (the
        // write ends of pipes someone else reads); -1: Run reads them.
        int nOutputFd = -1;
        int nErrorFd = -1;
        // A stop (keepGoing's no) asks the group to end with SIGTERM and
        // kills it this long after; 0: killed at once.
        int nStopGraceMs = 0;
        // What the program left running in its group goes when it ends;
        // false: only after a stop or a limit.
        bool bEndGroupAfterExit = true;
        // Called on Run's thread once the program runs, with its process
        // (and group) id.
        std::function<void(long nProcessId)> started;
    };

    enum class EEnd
    {
        Exited,
        Signalled,
        TimedOut,      // the wall-clock limit
        TooMuchOutput, // past nMaxOutputBytes
        Cancelled,     // keepGoing said no
        NotStarted,
    };

    struct CResult
    {
        EEnd end = EEnd::NotStarted;
        int nStatus = -1; // exit status, or the signal's number
        std::string output;
        std::string errors;
        long nWallMs = 0;
        std::string why; // for NotStarted: what failed
    };

    // Asked every few milliseconds while the program runs: false ends it.
    using KeepGoing = std::function<bool()>;
    // Output as it comes; when given, CResult::output stays empty.
    using OutputSink = std::function<void(std::string_view bytes, bool bError)>;

    static CResult Run(const COptions& options, const KeepGoing& keepGoing = KeepGoing(),
                       const OutputSink& sink = OutputSink());
};
