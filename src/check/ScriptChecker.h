#pragma once

#include "StringTable.h"
#include "analysis/Finding.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CCommandKnowledge;
class CScriptOutline;

// The script check: Tcl's own parser splits the script into commands, the
// braced bodies of the commands that take scripts (and of library commands
// whose usage opens a body) are parsed in turn, and each command is held
// against Tcl's command set, the library and the script's procedures:
// - where Tcl cannot parse: a missing close-brace, -bracket or -quote, named
//   with the line where it opened; extra characters after a close-brace or
//   -quote;
// - an unknown command, an unknown sub-command of a library command, and
//   words that fit none of a library command's usage forms;
// - Tcl's traps: braces in a comment inside a braced body, and "set" with one
//   argument at the top level of a script.
// No script is run: the Tcl library only parses, and tells its command names.
// A checker belongs to one thread (it holds a Tcl interpreter).
class CScriptChecker
{
public:
    explicit CScriptChecker(const CCommandKnowledge& knowledge);
    ~CScriptChecker();
    CScriptChecker(const CScriptChecker&) = delete;
    CScriptChecker& operator=(const CScriptChecker&) = delete;

    // Reads a regular file of at most kMaxSourceBytes, opened without
    // blocking; false for anything else (a FIFO, a device, a missing file).
    using FileReader = std::function<bool(const std::string& path, std::string& bytes)>;
    static bool ReadFile(const std::string& path, std::string& bytes);

    // The findings of a script, in the order of their positions. Sourced
    // files are read relative to scriptFolder (empty: the working directory)
    // for the procedures they define: literal names only, at most kMaxSources.
    // keepGoing, asked between commands, may hold the check up (it waits
    // inside) or end it: false, and the findings are left incomplete.
    // pOutline, when given, gets what the script defines.
    using KeepGoing = std::function<bool()>;
    std::vector<CFinding> Check(std::string_view text, const std::string& scriptFolder,
                                const FileReader& read = &CScriptChecker::ReadFile,
                                const KeepGoing& keepGoing = KeepGoing(),
                                CScriptOutline* pOutline = nullptr);

    // Tcl's own commands, as a fresh interpreter gives them: those of every
    // namespace ("oo::define", "tcl::mathfunc::max"), without the "::" in
    // front, and the procedures its library loads on first use ("parray").
    const CNameSet& TclCommands() const { return m_tclCommands; }
    // The functions of Tcl's expressions ("sqrt", "max").
    const CNameSet& MathFunctions() const { return m_mathFunctions; }

    static constexpr int kMaxSources = 100;
    // The most that is read of one sourced file, and of all of them.
    static constexpr size_t kMaxSourceBytes = 16u << 20;

    // A thread that checked ends: Tcl lets go of what it kept for the thread.
    // Call with no checker of the thread left.
    static void EndThread();

private:
    class CRun;

    const CCommandKnowledge& m_knowledge;
    struct CInterp;
    std::unique_ptr<CInterp> m_pInterp;
    CNameSet m_tclCommands;
    CNameSet m_mathFunctions;
};
