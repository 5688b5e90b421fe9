#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

const std::string& ScratchFolder()
{
    static const std::string s_folder = []
    {
        char pattern[] = "/tmp/corvale-fuzz-XXXXXX";
        const char* pFolder = mkdtemp(pattern);
        if (pFolder == nullptr)
            std::abort();
        return std::string(pFolder) + "/";
    }();
    return s_folder;
}

std::string WriteScratchFile(const std::string& name, std::string_view bytes)
{
    const std::string path = ScratchFolder() + name;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

void Require(bool bHolds, const char* what)
{
    if (bHolds)
        return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}
