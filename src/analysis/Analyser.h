#pragma once

#include "Finding.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CCommandKnowledge;
class CCommandLibrary;
class CDryRunResult;
class CProjectFile;
class CScriptChecker;
class CScriptOutline;

// The analysis of one text, start to end, on the calling thread: the static
// rules, then the dry run as one more source of findings, then the two made
// one list. The session runs it on its worker; the command line calls it
// directly. It belongs to the thread that made it (the check holds a Tcl
// interpreter).
class CAnalyser
{
public:
    // pProject, when given, adds its commands and command sets to what the
    // check knows.
    explicit CAnalyser(const CCommandLibrary& library, const CProjectFile* pProject = nullptr);
    ~CAnalyser();
    CAnalyser(const CAnalyser&) = delete;
    CAnalyser& operator=(const CAnalyser&) = delete;

    using KeepGoing = std::function<bool()>;

    // The static rules' findings, not yet placed. path is where the text
    // stands (sourced files are read beside it); empty for a new script,
    // whose sourced files are read in the working directory.
    // pOutline, when given, gets what the text defines.
    std::vector<CFinding> Check(const std::string& text, const std::string& path,
                                const KeepGoing& keepGoing = KeepGoing(),
                                CScriptOutline* pOutline = nullptr);
    // The dry run by the helper program; nullptr when keepGoing ended it.
    std::shared_ptr<CDryRunResult> DryRun(std::shared_ptr<const std::string> pText,
                                          const std::string& path, const std::string& helper,
                                          const std::string& helpDir,
                                          const KeepGoing& keepGoing = KeepGoing());
    // Both, merged and placed: what the command line prints.
    std::vector<CFinding> Analyse(const std::string& text, const std::string& path,
                                  const std::string& helper, const std::string& helpDir);

    const CCommandKnowledge& Knowledge() const { return *m_pKnowledge; }
    // The same, for a front end to read the usage forms by, on its own
    // thread: it is not changed once made.
    std::shared_ptr<const CCommandKnowledge> SharedKnowledge() const { return m_pKnowledge; }

    // The path a new script is run under: Untitled.tcl in the working directory.
    static std::string RunPath(const std::string& path);

private:
    std::shared_ptr<CCommandKnowledge> m_pKnowledge;
    std::unique_ptr<CScriptChecker> m_pChecker;
};
