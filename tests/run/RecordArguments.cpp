// A stand-in for the analysis program and stop.exe: appends its own name and
// its arguments, "|" between them, as one line to the file CORVALE_RECORD names.
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    const char* pRecord = std::getenv("CORVALE_RECORD");
    if (pRecord == nullptr)
        return 2;
    std::string name = argv[0];
    const size_t nSlash = name.find_last_of("/\\");
    if (nSlash != std::string::npos)
        name = name.substr(nSlash + 1);
    std::FILE* pFile = std::fopen(pRecord, "ab");
    if (pFile == nullptr)
        return 3;
    std::fputs(name.c_str(), pFile);
    for (int i = 1; i < argc; ++i)
        std::fprintf(pFile, "|%s", argv[i]);
    std::fputs("\n", pFile);
    std::fclose(pFile);
    return 0;
}
