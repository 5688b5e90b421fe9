#include "helplib/HelpFile.h"
#include "support/RecordedMessages.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;

namespace
{
// "r<k>", built by appending: GCC 12 warns falsely (-Wrestrict) about
// "r" + std::to_string(k) once inlined in a Release build.
std::string Key(int k)
{
    std::string key(1, 'r');
    key.append(std::to_string(k));
    return key;
}

std::string Library(int nRecords, const std::string& version)
{
    std::string text;
    for (int k = 0; k < nRecords; ++k)
        text.append(Key(k))
            .append(":command\n")
            .append(version)
            .append(" text of ")
            .append(Key(k))
            .append("\n#\n");
    return text;
}

std::string Fetch(CHelpFile& file, int k)
{
    std::string text;
    EXPECT_TRUE(file.FetchHelp(Key(k), "command", text));
    return text;
}

struct CacheAllocatorOverride
{
    explicit CacheAllocatorOverride(CHelpFile::CacheAllocator pfn)
    {
        CHelpFile::s_pfnAllocateCache = pfn;
    }
    ~CacheAllocatorOverride() { CHelpFile::s_pfnAllocateCache = &CHelpFile::AllocateCache; }
};

std::unique_ptr<CHelpCacheEntry[]> FailFullSize(int nSlots)
{
    return nSlots == CHelpFile::kCacheSize ? nullptr : CHelpFile::AllocateCache(nSlots);
}

std::unique_ptr<CHelpCacheEntry[]> FailAlways(int)
{
    return nullptr;
}
} // namespace

TEST(HelpFileCache, FillsItsSlotsInOrderAndNeverReplacesThem)
{
    CTempDir dir;
    CRecordedMessages ui;
    const std::string path = dir.Write("big.txt", Library(310, "old"));
    CHelpFile file;
    file.Load(path);
    EXPECT_EQ(file.m_nCacheSize, 300);
    for (int k = 0; k <= 300; ++k)
        EXPECT_EQ(Fetch(file, k),
                  " r" + std::to_string(k) + ":command\nold text of r" + std::to_string(k) + "\n");
    EXPECT_EQ(file.m_nCacheUsed, 300);
    EXPECT_EQ(file.m_cache[0].m_keyword, "r0");
    EXPECT_EQ(file.m_cache[299].m_keyword, "r299");
    EXPECT_EQ(file.m_cache[299].m_parent, "command");
    // Showing a cached record again fills nothing.
    Fetch(file, 5);
    EXPECT_EQ(file.m_nCacheUsed, 300);

    // The file changes on disk: cached records keep their text, the rest are read anew.
    dir.Write("big.txt", Library(310, "new"));
    EXPECT_EQ(Fetch(file, 0), " r0:command\nold text of r0\n");
    EXPECT_EQ(Fetch(file, 299), " r299:command\nold text of r299\n");
    EXPECT_EQ(Fetch(file, 300), " r300:command\nnew text of r300\n");
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(HelpFileCache, AFailedAllocationFallsBackToThirtySlots)
{
    CRecordedMessages ui;
    CacheAllocatorOverride failing(&FailFullSize);
    CHelpFile file;
    EXPECT_EQ(file.m_nCacheSize, 30);
    EXPECT_EQ(file.m_nCacheUsed, 0);
    EXPECT_THAT(ui.m_messages, ElementsAre("Memory alloc problem - reducing cache"));
}

TEST(HelpFileCacheDeathTest, WithoutEvenThirtySlotsTheProgramEnds)
{
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(
        {
            CRecordedMessages ui;
            CacheAllocatorOverride failing(&FailAlways);
            CHelpFile file;
        },
        ::testing::ExitedWithCode(1), "");
}
