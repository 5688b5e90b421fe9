#pragma once

#include <string>
#include <vector>

// Runs one program to its end, its input and output the runner's own, never
// through a shell: the program's path is its argument 0. Plain C++ over the
// system's own calls (fork and exec; CreateProcess on Windows), so the batch
// runner needs no toolkit.
namespace ChildProcess
{
// The program's exit status; -1 when it could not be started. While it runs,
// StopRunning() (from a signal handler too) ends it.
int Run(const std::vector<std::string>& arguments);

// Asks the program running now, if any, to end (SIGTERM; on Windows it is
// terminated), and marks the run as stopped.
void StopRunning();
bool WasStopped();

// Stops the running program when the runner itself is asked to end (SIGTERM,
// SIGINT, SIGHUP), so that a stop of the runner is a stop of the run.
void ForwardStopSignals();
} // namespace ChildProcess
