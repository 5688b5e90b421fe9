#pragma once

#include "check/CommandKnowledge.h"
#include "check/ScriptChecker.h"
#include "check/ScriptOutline.h"
#include "dryrun/DryRunResult.h"
#include "helplib/CommandLibrary.h"
#include "support/TempDir.h"

#include <chrono>
#include <cstdlib>
#include <string>

// What the bundled library's usage lines tell, read once.
inline const CCommandKnowledge& BundledKnowledge()
{
    static const CCommandKnowledge* s_pKnowledge = []
    {
        static CCommandLibrary library;
        library.Load(CORVALE_SOURCE_DIR "/share/help/");
        auto* pKnowledge = new CCommandKnowledge;
        pKnowledge->Build(library);
        return pKnowledge;
    }();
    return *s_pKnowledge;
}

// What a text defines comes from the check, as in the analyser.
inline std::shared_ptr<const CScriptOutline> OutlineOf(const std::string& text,
                                                       const std::string& folder)
{
    CScriptChecker checker(BundledKnowledge());
    auto pOutline = std::make_shared<CScriptOutline>();
    checker.Check(text, folder, &CScriptChecker::ReadFile, {}, pOutline.get());
    return pOutline;
}

// The helper run on a script in a folder, as the editor runs it: the text on
// its standard input, the script's path named.
struct CHelperRun
{
    int nStatus = -1;
    double seconds = 0;
    std::string answer;
    CDryRunResult result;
};

inline void RunHelper(const CTempDir& dir, const std::string& name, const std::string& text,
                      CHelperRun& run, const std::string& options = "")
{
    const std::string input = dir.Write(name + ".in", text);
    const std::string output = dir.PathOf(name + ".answer");
    const std::string command = "cd '" + dir.Prefix() + "' && '" CORVALE_DRYRUN "' --help-dir '" +
                                CORVALE_SOURCE_DIR "/share/help/' --name '" + dir.PathOf(name) +
                                "' " + options + " - < '" + input + "' > '" + output +
                                "' 2>/dev/null";
    const auto start = std::chrono::steady_clock::now();
    run.nStatus = std::system(command.c_str());
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.answer = ReadFileBytes(output);
    run.result.Read(run.answer, text, BundledKnowledge());
    run.result.SetOutline(OutlineOf(text, dir.Prefix()));
}
