#pragma once

#include <QTemporaryDir>
#include <string>

// A scratch folder that disappears with the test.
class CTempDir
{
public:
    CTempDir();

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
    QTemporaryDir m_dir;
};

// The whole file, byte for byte.
std::string ReadFileBytes(const std::string& path);
