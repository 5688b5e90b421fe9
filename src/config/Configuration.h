#pragma once

#include <string>

// The four settings of the configuration file. A value that no line sets
// holds the sentinel "not found".
class CConfiguration
{
public:
    static constexpr const char* kNotFound = "not found";

    // Reads the configuration file at its fixed location (ConfigurationFilePath)
    // and reports problems in message boxes.
    void ReadConfiguration();
    // The same, from a named file.
    void ReadConfiguration(const std::string& path);

    std::string exe = kNotFound;    // the Vorsa executable
    std::string editor = kNotFound; // external program that opens sourced files
    std::string bin = kNotFound;    // directory prefix of "stop.exe"
    std::string help = kNotFound;   // directory prefix of the help library
};
