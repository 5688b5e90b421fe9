#include "TempDir.h"

#include <QDir>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

CTempDir::CTempDir()
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

void CTempDir::UseAsConfigurationHome(const std::string& configuration) const
{
    MakeDirectory("corvale");
    Write("corvale/corvale.conf", configuration);
    setenv("XDG_CONFIG_HOME", Prefix().c_str(), 1);
}

std::string CTempDir::Prefix() const
{
    return m_dir.path().toStdString() + "/";
}

std::string CTempDir::PathOf(const std::string& name) const
{
    return Prefix() + name;
}

std::string CTempDir::Write(const std::string& name, const std::string& bytes) const
{
    const std::string path = PathOf(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
    return path;
}

std::string CTempDir::MakeDirectory(const std::string& name) const
{
    QDir(m_dir.path()).mkpath(QString::fromStdString(name));
    return PathOf(name);
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
