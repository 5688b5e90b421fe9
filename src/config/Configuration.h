#pragma once

#include "text/MessageSink.h"

#include <string>

// The four settings of the configuration file. A value that no line sets
// holds the sentinel "not found".
class CConfiguration
{
public:
    static constexpr const char* kNotFound = "not found";

    // Reads the configuration file of the platform's place (ConfigurationFileToRead:
    // the user's, or the system-wide default) and reports problems to the
    // default message sink, naming the user's path: that is where a user puts
    // their own file.
    void ReadConfiguration();
    // The same, from a named file; a missing file is reported under shownPath.
    void ReadConfiguration(const std::string& path, const std::string& shownPath,
                           CMessageSink& messages = DefaultMessageSink());
    void ReadConfiguration(const std::string& path) { ReadConfiguration(path, path); }

    std::string exe = kNotFound;    // the Vorsa executable
    std::string editor = kNotFound; // external program that opens sourced files
    std::string bin = kNotFound;    // directory prefix of "stop.exe"
    std::string help = kNotFound;   // directory prefix of the help library

    // The help library a command-line helper reads: the one it was given
    // (made a folder prefix), else the configuration's.
    static std::string HelpDirectory(std::string given, CMessageSink& messages);
};
