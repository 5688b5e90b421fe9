#include "TempDir.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

CTempDir::CTempDir()
{
    std::random_device device;
    std::mt19937_64 random(device() ^
                           static_cast<unsigned long long>(
                               std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int nTry = 0; nTry < 100; ++nTry)
    {
        const fs::path path =
            fs::temp_directory_path() / ("corvale-test-" + std::to_string(random()));
        std::error_code error;
        if (fs::create_directory(path, error))
        {
            m_path = path.generic_string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

CTempDir::~CTempDir()
{
    std::error_code error;
    // Folders a test made unreadable or unwritable come back first.
    for (auto it = fs::recursive_directory_iterator(
             m_path, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(m_path, error);
}

void CTempDir::UseAsConfigurationHome(const std::string& configuration) const
{
    MakeDirectory("corvale");
    Write("corvale/corvale.conf", configuration);
    SetEnvironment("XDG_CONFIG_HOME", Prefix());
}

std::string CTempDir::Prefix() const
{
    return m_path + "/";
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
    std::error_code error;
    fs::create_directories(PathOf(name), error);
    return PathOf(name);
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void SetEnvironment(const std::string& name, const std::string& value)
{
#ifdef _WIN32
    _putenv_s(name.c_str(), value.c_str());
#else
    setenv(name.c_str(), value.c_str(), 1);
#endif
}
