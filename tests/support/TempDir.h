#pragma once

#include <string>

// A scratch folder that disappears with the test. Plain C++, so the tests of
// the Qt-free core (on Windows too) use it as well.
class CTempDir
{
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    // The folder's path with a trailing separator, ready to be used as a prefix.
    std::string Prefix() const;
    std::string PathOf(const std::string& name) const;
    // Writes the bytes exactly as given and returns the file's path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    std::string MakeDirectory(const std::string& name) const;
    // Makes this folder the configuration home ($XDG_CONFIG_HOME), with a
    // corvale/corvale.conf holding the text.
    void UseAsConfigurationHome(const std::string& configuration) const;

private:
    std::string m_path;
};

// The whole file, byte for byte.
std::string ReadFileBytes(const std::string& path);

// Sets an environment variable for the rest of the process.
void SetEnvironment(const std::string& name, const std::string& value);
