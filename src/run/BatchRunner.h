#pragma once

#include <functional>
#include <string>
#include <vector>

// Carries out the lines of exec.bat where no Windows command interpreter
// exists. It knows "echo off"/"echo on", "cls", "echo <text>", and program
// lines, which are split with Windows quoting rules and run directly, one
// after another: never through a shell, so no character of a path can start
// anything but the program the line names.
class CBatchRunner
{
public:
    using RunProgram = std::function<int(const std::vector<std::string>& arguments)>;
    using Print = std::function<void(const std::string& line)>;
    using ClearScreen = std::function<void()>;
    // True once the run was stopped: no further line is carried out.
    using Stopped = std::function<bool()>;

    CBatchRunner(RunProgram run, Print print, ClearScreen clear, Stopped stopped = Stopped());

    // Returns the exit status of the first program that failed, so that a
    // failed analysis shows though stop.exe after it succeeds; 0 when none failed.
    int Run(const std::string& batchText);

private:
    RunProgram m_run;
    Print m_print;
    ClearScreen m_clear;
    Stopped m_stopped;
};
