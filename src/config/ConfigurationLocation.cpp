#include "ConfigurationLocation.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace
{
#ifndef _WIN32
std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

bool IsAbsolute(const std::string& path)
{
    return !path.empty() && path[0] == '/';
}

// $XDG_CONFIG_HOME where it names an absolute folder, else ~/.config.
std::string ConfigHome()
{
    const std::string home = Environment("XDG_CONFIG_HOME");
    if (IsAbsolute(home))
        return home;
    return Environment("HOME") + "/.config";
}

bool IsFile(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}
#endif
} // namespace

std::string ConfigurationFilePath()
{
#ifdef _WIN32
    return "c:\\corvale\\corvale.conf";
#else
    std::string dir = ConfigHome();
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir + "/corvale/corvale.conf";
#endif
}

std::string ConfigurationFileToRead()
{
    const std::string userPath = ConfigurationFilePath();
#ifndef _WIN32
    std::error_code error;
    if (!std::filesystem::exists(userPath, error))
    {
        // The folders of $XDG_CONFIG_DIRS in order, /etc/xdg where it is unset.
        std::string dirs = Environment("XDG_CONFIG_DIRS");
        if (dirs.empty())
            dirs = "/etc/xdg";
        size_t nFrom = 0;
        while (nFrom <= dirs.size())
        {
            size_t nTo = dirs.find(':', nFrom);
            if (nTo == std::string::npos)
                nTo = dirs.size();
            std::string dir = dirs.substr(nFrom, nTo - nFrom);
            nFrom = nTo + 1;
            if (!IsAbsolute(dir))
                continue;
            while (dir.size() > 1 && dir.back() == '/')
                dir.pop_back();
            const std::string candidate = dir + "/corvale/corvale.conf";
            if (IsFile(candidate))
                return candidate;
        }
    }
#endif
    return userPath;
}
