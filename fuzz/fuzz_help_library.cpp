// The help library: a list file and help files written from the input, then
// loading, lookups of words taken from the input, and fetching records past
// the cache's size. The input is cut at 0x1E bytes: the list file first,
// then help files f0.txt, f1.txt, ... The list names files of the folder.
#include "FuzzSupport.h"
#include "helplib/HelpFile.h"
#include "text/TextFileReader.h"

#include <memory>
#include <vector>

namespace
{
std::vector<std::string_view> Split(std::string_view bytes, char separator)
{
    std::vector<std::string_view> parts;
    size_t nStart = 0;
    for (size_t i = 0; i <= bytes.size(); ++i)
    {
        if (i == bytes.size() || bytes[i] == separator)
        {
            parts.push_back(bytes.substr(nStart, i - nStart));
            nStart = i + 1;
        }
    }
    return parts;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    static CFuzzMessages s_messages;
    const std::string_view input = BytesOf(pData, nSize);
    const std::vector<std::string_view> parts = Split(input, '\x1e');
    const std::string listPath = WriteScratchFile("list.txt", parts[0]);
    for (size_t i = 1; i < parts.size() && i <= 8; ++i)
        WriteScratchFile("f" + std::to_string(i - 1) + ".txt", parts[i]);

    // The list file, read as the program reads it; names only, so that a
    // name cannot lead the harness out of its folder.
    CTextFileReader list;
    Require(list.Open(listPath), "the list file opens");
    std::vector<std::unique_ptr<CHelpFile>> files;
    std::string name;
    while (list.ReadToken(name) && files.size() < 16)
    {
        if (name.find('/') != std::string::npos)
            continue;
        files.push_back(std::make_unique<CHelpFile>());
        files.back()->Load(ScratchFolder() + name);
    }

    // Lookups of words of the input, under words of the input.
    const std::vector<std::string_view> words = Split(input, ' ');
    for (const auto& pFile : files)
    {
        for (size_t w = 0; w + 1 < words.size() && w < 64; ++w)
            (void)pFile->HasCommand(words[w], words[w + 1]);
        // Every record found by its pair, fetched: past 300 the cache is full.
        std::string text;
        for (int k = 0; k < pFile->m_nRecords && k < 400; ++k)
        {
            const bool bFound = pFile->FetchHelp(pFile->m_keywords[static_cast<size_t>(k)],
                                                 pFile->m_parents[static_cast<size_t>(k)], text);
            Require(!pFile->IsUsable(k) || bFound, "a usable record is found");
            Require(pFile->m_nCacheUsed <= pFile->m_nCacheSize, "the cache stays in bounds");
        }
    }
    return 0;
}
