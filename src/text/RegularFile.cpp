#include "RegularFile.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{
bool IsUsablePath(const std::string& path)
{
    return !path.empty() && path.find('\0') == std::string::npos;
}

#ifndef _WIN32
// A descriptor of a regular file, opened so that a FIFO cannot block the open.
int OpenRegular(const std::string& path, struct stat& status, CRegularFile::EResult& result)
{
    const int nFd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (nFd < 0)
    {
        result = errno == ENOENT || errno == ENOTDIR ? CRegularFile::EResult::Missing
                                                     : CRegularFile::EResult::Unreadable;
        return -1;
    }
    if (fstat(nFd, &status) != 0 || !S_ISREG(status.st_mode))
    {
        close(nFd);
        result = CRegularFile::EResult::NotRegular;
        return -1;
    }
    // Reads of a regular file never wait; the flag only guarded the open.
    fcntl(nFd, F_SETFL, fcntl(nFd, F_GETFL) & ~O_NONBLOCK);
    result = CRegularFile::EResult::Read;
    return nFd;
}
#endif
} // namespace

CRegularFile::EResult CRegularFile::Inspect(const std::string& path, size_t nMaxBytes)
{
    if (!IsUsablePath(path))
        return EResult::Missing;
    std::error_code error;
    const auto status = std::filesystem::status(std::filesystem::path(path), error);
    if (error || !std::filesystem::exists(status))
        return EResult::Missing;
    if (!std::filesystem::is_regular_file(status))
        return EResult::NotRegular;
    const auto nSize = std::filesystem::file_size(std::filesystem::path(path), error);
    if (error)
        return EResult::Unreadable;
    return nSize > nMaxBytes ? EResult::TooLarge : EResult::Read;
}

CRegularFile::EResult CRegularFile::Read(const std::string& path, size_t nMaxBytes,
                                         std::string& bytes)
{
    bytes.clear();
    if (!IsUsablePath(path))
        return EResult::Missing;
#ifndef _WIN32
    struct stat status
    {
    };
    EResult result = EResult::Read;
    const int nFd = OpenRegular(path, status, result);
    if (nFd < 0)
        return result;
    if (static_cast<unsigned long long>(status.st_size) > nMaxBytes)
    {
        close(nFd);
        return EResult::TooLarge;
    }
    bytes.resize(static_cast<size_t>(status.st_size));
    size_t nDone = 0;
    for (;;)
    {
        if (nDone == bytes.size())
        {
            // The file may have grown since fstat: read on, up to the cap.
            if (bytes.size() > nMaxBytes)
                break;
            bytes.resize(std::min(nMaxBytes + 1, bytes.size() + 65536));
        }
        const ssize_t n = read(nFd, bytes.data() + nDone, bytes.size() - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
        {
            close(nFd);
            bytes.clear();
            return EResult::Unreadable;
        }
        if (n == 0)
            break;
        nDone += static_cast<size_t>(n);
    }
    close(nFd);
    if (nDone > nMaxBytes)
    {
        bytes.clear();
        return EResult::TooLarge;
    }
    bytes.resize(nDone);
    return EResult::Read;
#else
    const EResult found = Inspect(path, nMaxBytes);
    if (found != EResult::Read)
        return found;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return EResult::Unreadable;
    bytes.resize(nMaxBytes + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const auto nRead = static_cast<size_t>(in.gcount());
    if (nRead > nMaxBytes)
    {
        bytes.clear();
        return EResult::TooLarge;
    }
    bytes.resize(nRead);
    return EResult::Read;
#endif
}

std::string CRegularFile::Why(EResult result, size_t nMaxBytes)
{
    switch (result)
    {
    case EResult::Read:
        return "was read";
    case EResult::Missing:
        return "does not exist";
    case EResult::NotRegular:
        return "is not a regular file";
    case EResult::TooLarge:
        return "is larger than " + std::to_string(nMaxBytes >> 20) + " MB";
    case EResult::Unreadable:
        break;
    }
    return "cannot be read";
}

std::FILE* CRegularFile::OpenStream(const std::string& path)
{
    if (!IsUsablePath(path))
    {
        errno = ENOENT;
        return nullptr;
    }
#ifndef _WIN32
    struct stat status
    {
    };
    EResult result = EResult::Read;
    const int nFd = OpenRegular(path, status, result);
    if (nFd < 0)
    {
        if (result == EResult::NotRegular)
            errno = 0;
        return nullptr;
    }
    std::FILE* pFile = fdopen(nFd, "rb");
    if (pFile == nullptr)
        close(nFd);
    return pFile;
#else
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::path(path), error))
    {
        errno = 0;
        return nullptr;
    }
    return std::fopen(path.c_str(), "rb");
#endif
}
