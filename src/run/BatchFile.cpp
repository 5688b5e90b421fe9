#include "BatchFile.h"

namespace
{
// What a text-mode stream makes of "\n" on Windows.
std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (const char c : text)
    {
        if (c == '\n')
            out += "\r\n";
        else
            out += c;
    }
    return out;
}
} // namespace

std::string ComposeBatchFile(const std::string& exePath, const std::string& scriptPath,
                             const std::string& binDirectory)
{
    const std::string commandLine = exePath + " \"" + scriptPath + "\" ";
    const std::string stopCommand = binDirectory + "stop.exe";
    std::string text;
    text += "echo off\n";
    text += "cls\n";
    text += "echo Starting Vorsa..\n";
    text += "echo off\n" + commandLine + "\n";
    text += "echo   -----------------------------------------";
    text += "----------------------------------\n";
    // A path with a blank is quoted, as on the analysis line, or stop.exe
    // would be given its pieces; every other path is written as it stands.
    const bool bBlank = scriptPath.find_first_of(" \t") != std::string::npos;
    text += stopCommand + " " + (bBlank ? "\"" + scriptPath + "\"" : scriptPath) + "\n";
    return WithCrLf(text);
}
