#pragma once

#include "DryRunProtocol.h"
#include "UnknownValues.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tcl.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Runs a script in Tcl's safe interpreter, so that it can compute but not
// act: only an allow-list of Tcl's computing commands stays, every other
// command in every namespace is hidden or deleted before the script runs
// (a call of one is recorded as refused and returns empty). Each library
// command is a recorder of its words, file and line; a command nobody
// defines is recorded and returns empty; source reads regular files in the
// script's folder only, and runs the bytes it checked from memory; puts is
// collected. Time, calls, words and the answer are limited; the answer is
// written as the run goes.
class CDryRunSandbox
{
public:
    struct COptions
    {
        long nTimeLimitMs = 2000;
        long nMaxCalls = 1000000;
        int nMaxSources = 100;
        long long nMaxSourceBytes = 64LL << 20;
        long long nMaxAnswerBytes = 32LL << 20;
        // Called once the script has ended, before what it left is written.
        std::function<void()> scriptEnded;
        // The value a recorder hands back for a call (its words, the command
        // first); nothing for an empty result. A value given is one the run
        // cannot know: an error it leads to is not the script's.
        std::function<std::optional<std::string>(const std::vector<std::string_view>& words)>
            resultOf;
        // Most errors written; the run goes on past them.
        int nMaxErrors = 100;
    };

    struct CLibraryCommand
    {
        std::string name;
        bool bBody = false; // its last word is a script, run as the command would
    };

    CDryRunSandbox(std::vector<CLibraryCommand> libraryCommands, const COptions& options,
                   DryRunProtocol::CWriter& writer);
    ~CDryRunSandbox();
    CDryRunSandbox(const CDryRunSandbox&) = delete;
    CDryRunSandbox& operator=(const CDryRunSandbox&) = delete;

    // Runs a script's text as if it were the file at scriptPath, one
    // top-level command at a time: a command's error is written and the next
    // command runs. Writes the whole answer. 0 when it ran to its end without
    // an error, 1 when it met one or a limit ended it.
    int Run(const std::string& scriptPath, const std::string& text);

    // Where the run is now, as far as it can tell without Tcl (for a limit
    // hit in a signal handler): the place of the last recorded call.
    const CDryRunPlace& LastPlace() const { return m_lastPlace; }
    // Where the run is now, asked of Tcl.
    CDryRunPlace Here();

    // The sandbox being run now, for a panic or a signal; nullptr outside Run.
    static CDryRunSandbox* Current();

private:
    static int Record(void* pData, Tcl_Interp* pInterp, int nArgs, Tcl_Obj* const* ppArgs);
    static int RecordWithBody(void* pData, Tcl_Interp* pInterp, int nArgs, Tcl_Obj* const* ppArgs);
    static int Unknown(void* pData, Tcl_Interp* pInterp, int nArgs, Tcl_Obj* const* ppArgs);
    static int Source(void* pData, Tcl_Interp* pInterp, int nArgs, Tcl_Obj* const* ppArgs);
    static int Puts(void* pData, Tcl_Interp* pInterp, int nArgs, Tcl_Obj* const* ppArgs);
    static int Step(void* pData, Tcl_Interp* pInterp, int nArgs, Tcl_Obj* const* ppArgs);
    // A command of the sandbox as Tcl calls it: no exception ever crosses
    // Tcl's frames; one ends the run with a limit line.
    template <Tcl_ObjCmdProc* Command>
    static int Guarded(void* pData, Tcl_Interp* pInterp, int nArgs, Tcl_Obj* const* ppArgs) noexcept
    {
        try
        {
            return Command(pData, pInterp, nArgs, ppArgs);
        }
        catch (...)
        {
            return static_cast<CDryRunSandbox*>(pData)->StopForException();
        }
    }
    int StopForException() noexcept;

    void SetUp();
    // Calls a command of Tcl's that the sandbox took before the script ran.
    int Ask(const Tcl_CmdInfo& command, int nArgs, Tcl_Obj* const* ppArgs);
    std::vector<std::string> Globals();
    // Writes a call; false when a limit ends the run there.
    bool Write(CDryRunCall::EKind kind, int nArgs, Tcl_Obj* const* ppArgs);
    // Stops the script where it stands, in a way it cannot catch.
    int StopFor(const std::string& kind, const std::string& message);
    bool LineHolds(int nFile, long nLine, std::string_view command) const;
    // A file the script reads, held in memory for Tcl, its top-level
    // commands made steps: its index, or -1.
    int AddMemoryFile(const std::string& path, std::string bytes);
    // Where an error stood, from Tcl's trace of it (errorInfo); a step's own
    // frame, when given, places what its body says.
    CDryRunPlace PlaceOfError(std::string_view fullMessage, std::string info,
                              const CDryRunPlace* pStep);
    // A step's error: written unless the run could not know what caused it,
    // or it echoes an earlier one.
    void StepFailed(std::string_view command, const std::string& fullMessage,
                    const CDryRunPlace& place, bool bUnsure);
    Tcl_Obj* ArrayGet(const std::string& name);
    int EvalFile(int nFile, const std::string& encoding);
    void ReportEnd(int nCode);
    void WriteVariables();

    std::vector<CLibraryCommand> m_libraryCommands;
    COptions m_options;
    DryRunProtocol::CWriter& m_writer;
    Tcl_Interp* m_pMaster = nullptr;
    Tcl_Interp* m_pChild = nullptr;
    std::string m_scriptPath;
    std::string m_folder;   // the script's folder, as the system resolves it
    std::string m_mainName; // the name Tcl reads the script by
    std::vector<std::string> m_files;
    std::vector<std::string> m_texts;      // of each file, to tell where a command stands
    std::vector<std::string> m_frameNames; // the name Tcl reads each file by
    std::vector<int> m_memoryFds;
    std::unordered_map<std::string, int> m_fileByFrameName;
    std::unordered_set<std::string> m_hidden;
    std::unordered_set<std::string> m_startGlobals;
    long m_nCalls = 0;
    int m_nSources = 0;
    long long m_nOutputBytes = 0;
    bool m_bExited = false;
    std::string m_limit;
    std::string m_limitMessage;
    CDryRunPlace m_limitPlace;
    CDryRunPlace m_lastPlace;
    Tcl_CmdInfo m_frameCommand{};
    Tcl_CmdInfo m_globalsCommand{};
    Tcl_CmdInfo m_arrayGetCommand{};
    Tcl_CmdInfo m_evalCommand{};
    std::unique_ptr<CUnknownValues> m_pUnknown;
    int m_nErrors = 0;
    bool m_bLimitUnsure = false; // the limit came in a step on values the run cannot know
    Tcl_Obj* m_pGlobals = nullptr;
    Tcl_Obj* m_pArrayGet = nullptr;
    Tcl_Obj* m_pFrame = nullptr;
    Tcl_Obj* m_pTypeKey = nullptr;
    Tcl_Obj* m_pFileKey = nullptr;
    Tcl_Obj* m_pLineKey = nullptr;
    Tcl_Obj* m_pCommandKey = nullptr;
    long long m_nWords = 0;
    // The bodies of library commands being run: Tcl counts their lines from
    // where each body opens, in frames one level below the command's.
    struct CBody
    {
        int nCommandLevel = 0;
        CDryRunPlace opening;
    };
    std::vector<CBody> m_bodies;
    int m_nLastLevel = 0;
};
