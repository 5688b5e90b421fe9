#pragma once

#include <cstdio>
#include <string>

// A file the program reads on its own (a sourced script, a place a trace
// names) is read only when it is a regular file below a size cap, and it is
// opened without blocking: a FIFO, a device or /dev/zero is a reason, never
// a wait or an endless read.
class CRegularFile
{
public:
    enum class EResult
    {
        Read,
        Missing,
        NotRegular,
        TooLarge,
        Unreadable
    };

    // The whole file into bytes, when it is a regular file of at most nMaxBytes.
    static EResult Read(const std::string& path, size_t nMaxBytes, std::string& bytes);
    // What Read would find, without opening the file.
    static EResult Inspect(const std::string& path, size_t nMaxBytes);
    // The reason in words: "is not a regular file", "is larger than 8 MB", ...
    static std::string Why(EResult result, size_t nMaxBytes);
    // A stdio stream for reading a regular file, opened without blocking;
    // nullptr and errno (0: not a regular file) when it cannot be.
    static std::FILE* OpenStream(const std::string& path);
};
