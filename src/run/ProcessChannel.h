#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A child process whose output the program reads as it comes, the way a
// QProcess reports it: started, output, finished, and a stop that ends the
// whole run. The window layer provides one; the run asks it to start.
class CProcessChannel
{
public:
    virtual ~CProcessChannel() = default;

    // Starts the program (argument 0 its path, never through a shell) in the
    // folder; false when it could not start.
    virtual bool Start(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& workingDirectory) = 0;
    // Ends the run: the program and everything it started.
    virtual void Stop() = 0;
    virtual bool IsRunning() const = 0;

    std::function<void()> OnStarted;
    // Bytes as they came, from standard output or (bError) standard error.
    std::function<void(std::string_view bytes, bool bError)> OnOutput;
    // The exit status; bCrashed when the program ended by a signal or a stop.
    std::function<void(int nExitStatus, bool bCrashed)> OnFinished;
};
