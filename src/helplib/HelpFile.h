#pragma once

#include "CommandIndex.h"
#include "HelpCacheEntry.h"
#include "text/MessageSink.h"
#include "text/TextFileReader.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// One help file of the command library. Only the index (keyword and parent of
// every record) is held in memory; a record's text is read from the file, which
// stays open, when it is first shown and then kept in a small cache that fills
// in order and is never replaced. The cache takes memory only as it fills.
// A library of very many files keeps only the first kHeldOpenFiles open; the
// rest, and any file loaded when the process had no descriptor to spare, are
// opened by their path while a record is read.
class CHelpFile
{
public:
    static constexpr int kCacheSize = 300;
    static constexpr int kReducedCacheSize = 30;
    // One read of a help file line holds at most this many characters.
    static constexpr size_t kMaxPiece = 49999;
    // Help files kept open at once, well below the usual limit of 1,024 descriptors.
    static constexpr int kHeldOpenFiles = 128;

    // Allocates the cache; on failure a smaller one, and ends the program when
    // even that fails. Problems are reported to the sink, which must outlive
    // the file.
    explicit CHelpFile(CMessageSink& messages = DefaultMessageSink());
    virtual ~CHelpFile();
    CHelpFile(const CHelpFile&) = delete;
    CHelpFile& operator=(const CHelpFile&) = delete;

    // Opens and indexes the file; problems are reported in message boxes.
    void Load(const std::string& path);

    // The file's bytes are UTF-8 with some character past ASCII: its texts and
    // keywords are shown as UTF-8.
    bool IsUtf8() const { return m_bUtf8; }

    // True when a record has exactly this keyword and parent. Never reads the file.
    bool HasCommand(std::string_view keyword, std::string_view parent) const;
    // The usable records, as the index sees them.
    bool IsUsable(int nRecord) const { return m_usable[static_cast<size_t>(nRecord)]; }

    // The record's text, from the cache or from a scan of the file.
    bool FetchHelp(const std::string& keyword, const std::string& parent, std::string& text);
    // Every record's text in record order, as FetchHelp gives it, from one
    // pass over the file opened anew by its path: the cache and the file held
    // open are not touched, so another thread may read this way while the
    // window shows help. False when the file cannot be read.
    bool
    ForEachRecordText(const std::function<void(int nRecord, std::string_view text)>& visit) const;

    // Splits "keyword:parent" at its first colon. -1 (with a message) when the
    // header has no colon; the outputs are then left as they were.
    static int parseKey_Parent(const std::string& header, std::string& parent,
                               std::string& keyword);
    static int parseKey_Parent(const std::string& header, std::string& parent, std::string& keyword,
                               CMessageSink& messages);

    std::vector<std::string> m_keywords;
    std::vector<std::string> m_parents;
    CTextFileReader m_file;
    int m_nRecords = 0;
    std::vector<CHelpCacheEntry> m_cache;
    int m_nCacheSize = 0;
    int m_nCacheUsed = 0;

    // How the cache is allocated: returns nullptr when the memory cannot be had.
    // Replaceable so that the low-memory paths can be exercised.
    using CacheAllocator = std::unique_ptr<CHelpCacheEntry[]> (*)(int nSlots);
    static CacheAllocator s_pfnAllocateCache;
    static std::unique_ptr<CHelpCacheEntry[]> AllocateCache(int nSlots);

    // Help files of the process now holding a descriptor.
    static int HeldOpenFiles();

private:
    // The record's text from a scan of the open file.
    bool ScanForHelp(const std::string& keyword, const std::string& parent, std::string& text);
    // Opens the file for a read; true when it is open (held or for this read).
    bool OpenForReading();
    // Closes the file if it was opened only for one read.
    void DoneReading();
    void Hold();
    void Release();
    // Gives up every held descriptor: their files are opened on demand from now on.
    static void ReleaseAllHeld();

    CMessageSink* m_pMessages;
    std::string m_path;
    bool m_bHeld = false;
    bool m_bLoaded = false;

    // Over m_keywords and m_parents; records without a usable header are left
    // out, so nothing finds them.
    mutable CCommandIndex m_index;
    bool m_bUtf8 = false;
    mutable bool m_bIndexBuilt = false;
    std::vector<bool> m_usable;
};
