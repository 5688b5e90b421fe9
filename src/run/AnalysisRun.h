#pragma once

#include "text/MessageSink.h"

#include <functional>
#include <string>
#include <vector>

class CProcessChannel;

// A run of the saved script through the analysis program: exec.bat written
// into the working directory, exactly as Start Analysis writes it, and
// carried out by the batch runner, either in a terminal without waiting
// (Start Analysis) or as a child whose output the program reads (the output
// pane). What exec.bat cannot carry is refused with a message.
class CAnalysisRun
{
public:
    // Starts a program without waiting for it; false when it could not start.
    using StartProgram =
        std::function<bool(const std::string& program, const std::vector<std::string>& arguments)>;

    // exe and bin as the configuration holds them; the script's full path
    // (empty for a script never saved); the batch runner's path.
    CAnalysisRun(std::string exe, std::string bin, std::string scriptPath, std::string runner);

    // Start Analysis: exec.bat, then the runner in the first terminal found,
    // or without one where there is none. False, with its message, when
    // nothing was started.
    bool StartInTerminal(CMessageSink& messages, const StartProgram& start) const;
    // The same, with the runner a child of the channel, in the working directory.
    bool StartInChannel(CMessageSink& messages, CProcessChannel& channel) const;

    // Writes exec.bat into the folder, beside itself first and renamed over
    // the old one: a link named exec.bat is replaced, never the file it
    // points to. False when it could not be written whole.
    static bool WriteBatchFile(const std::string& folder, const std::string& text);
    // The first of the usual terminal programs on the PATH, with the option
    // that runs a command in it; empty when there is none.
    static std::string FindTerminal(std::string& option);
    // A program on the PATH by its name, or empty.
    static std::string FindOnPath(const std::string& name);

private:
    // The refusals both ways share, then exec.bat; false, with the message, when refused.
    bool WriteBatch(CMessageSink& messages) const;

    std::string m_exe;
    std::string m_bin;
    std::string m_scriptPath;
    std::string m_runner;
};
