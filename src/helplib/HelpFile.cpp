#include "HelpFile.h"

#include "text/Utf8Detector.h"
#include "text/WhiteSpace.h"

#include <cerrno>
#include <cstdlib>
#include <new>
#include <optional>

CHelpFile::CacheAllocator CHelpFile::s_pfnAllocateCache = &CHelpFile::AllocateCache;

std::unique_ptr<CHelpCacheEntry[]> CHelpFile::AllocateCache(int nSlots)
{
    try
    {
        return std::make_unique<CHelpCacheEntry[]>(static_cast<size_t>(nSlots));
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

namespace
{
// Never destroyed: a library held in a static elsewhere may release its files
// after this translation unit's statics are gone.
std::set<CHelpFile*>& HeldFiles()
{
    static auto* s_pHeld = new std::set<CHelpFile*>;
    return *s_pHeld;
}
} // namespace

// Whether the cache can be had is asked once, as its size is settled; its
// slots are then allocated one by one as records are shown.
CHelpFile::CHelpFile(CMessageSink& messages) : m_pMessages(&messages)
{
    m_nCacheUsed = 0;
    m_nCacheSize = kCacheSize;
    if (!s_pfnAllocateCache(m_nCacheSize))
    {
        m_pMessages->ShowMessage("Memory alloc problem - reducing cache");
        m_nCacheSize = kReducedCacheSize;
        if (!s_pfnAllocateCache(m_nCacheSize))
        {
            m_pMessages->ShowMessage("Memory alloc problem - insufficient cache");
            std::exit(1);
        }
    }
}

CHelpFile::~CHelpFile()
{
    Release();
    if (m_file.IsOpen() && !m_file.Close())
        m_pMessages->ShowMessage("Error");
}

int CHelpFile::HeldOpenFiles()
{
    return static_cast<int>(HeldFiles().size());
}

void CHelpFile::Hold()
{
    m_bHeld = true;
    HeldFiles().insert(this);
}

void CHelpFile::Release()
{
    if (!m_bHeld)
        return;
    m_bHeld = false;
    HeldFiles().erase(this);
}

void CHelpFile::ReleaseAllHeld()
{
    const std::set<CHelpFile*> held = HeldFiles();
    for (CHelpFile* pFile : held)
    {
        pFile->Release();
        pFile->m_file.Close();
    }
}

bool CHelpFile::OpenForReading()
{
    if (m_file.IsOpen())
        return true;
    return m_bLoaded && m_file.Open(m_path);
}

void CHelpFile::DoneReading()
{
    if (!m_bHeld)
        m_file.Close();
}

int CHelpFile::parseKey_Parent(const std::string& header, std::string& parent, std::string& keyword)
{
    return parseKey_Parent(header, parent, keyword, DefaultMessageSink());
}

int CHelpFile::parseKey_Parent(const std::string& header, std::string& parent, std::string& keyword,
                               CMessageSink& messages)
{
    const size_t nColon = header.find(':');
    if (nColon == std::string::npos)
    {
        messages.ShowMessage("parseKey_Parent - Error, keyword:parent in help file ok?");
        return -1;
    }
    keyword = header.substr(0, nColon);
    parent = header.substr(nColon + 1);
    return 0;
}

// Record k is block k: the lines from the start of the file, or from the line
// after a separator ("#" in the first column), up to the next separator. The
// first line of a block belongs to it even when it starts with "#". The file
// has as many records as separator lines; what follows the last separator is
// a record only while that count has not been reached.
//
// One pass gives what a counting pass followed by an indexing pass would,
// messages included: a block ended by a separator always has a number below
// the count, and only the block cut off by the end of the file has to wait
// for the final count.
void CHelpFile::Load(const std::string& path)
{
    m_nRecords = 0;
    m_keywords.clear();
    m_parents.clear();
    m_index.Clear();
    m_usable.clear();
    Release();
    m_path = path;
    m_bLoaded = false;
    bool bOpen = m_file.Open(path);
    if (!bOpen && (m_file.OpenError() == EMFILE || m_file.OpenError() == ENFILE))
    {
        // Out of descriptors: the files held open give theirs back and are
        // opened by path when needed, so an existing file is not reported missing.
        ReleaseAllHeld();
        bOpen = m_file.Open(path);
    }
    if (!bOpen)
    {
        m_pMessages->ShowMessage("File specified in lists.txt -> " + path + ", not found");
        return;
    }
    m_bLoaded = true;

    // A block's header is split as soon as it is read, straight into the
    // record's keyword and parent; only a header without a colon waits for
    // the end of its block, where parseKey_Parent reports it.
    std::vector<bool> usable;
    enum class EHeader
    {
        None,
        Split,
        NoColon
    } headerState = EHeader::None;
    std::string keyword;
    std::string parent;
    std::string badHeader;
    const auto readHeader = [&](std::string_view header)
    {
        const size_t nColon = header.find(':');
        if (nColon == std::string_view::npos)
        {
            badHeader.assign(header);
            headerState = EHeader::NoColon;
            return;
        }
        keyword.assign(header.substr(0, nColon));
        parent.assign(header.substr(nColon + 1));
        headerState = EHeader::Split;
    };
    auto finishBlock = [&]()
    {
        bool bUsable = headerState == EHeader::Split;
        if (headerState == EHeader::NoColon)
            bUsable = parseKey_Parent(badHeader, parent, keyword, *m_pMessages) == 0;
        if (!bUsable)
        {
            keyword.clear();
            parent.clear();
        }
        m_keywords.push_back(std::move(keyword));
        m_parents.push_back(std::move(parent));
        usable.push_back(bUsable);
        keyword.clear();
        parent.clear();
        headerState = EHeader::None;
    };

    int nSeparators = 0;
    bool bAtBlockStart = true;
    std::string storage;
    CUtf8Detector utf8;
    m_file.WatchBytes(&utf8);
    m_file.ForEachPiece(kMaxPiece, storage,
                        [&](std::string_view piece)
                        {
                            const bool bSeparator = piece[0] == '#';
                            nSeparators += bSeparator ? 1 : 0;
                            if (bSeparator && !bAtBlockStart)
                            {
                                finishBlock();
                                bAtBlockStart = true;
                                return true;
                            }
                            bAtBlockStart = false;
                            if (headerState == EHeader::None && !IsBlank(piece))
                                readHeader(Trim(piece));
                            // Past the header, only the next separator matters.
                            if (headerState != EHeader::None)
                                m_file.SkipPiecesNotStartingWith('#', kMaxPiece);
                            return true;
                        });
    m_file.WatchBytes(nullptr);
    if (!bAtBlockStart && static_cast<int>(m_keywords.size()) < nSeparators)
        finishBlock();

    // Records the pass never reached keep their numbers, with nothing in them.
    m_nRecords = nSeparators;
    m_keywords.resize(static_cast<size_t>(m_nRecords));
    m_parents.resize(static_cast<size_t>(m_nRecords));
    usable.resize(static_cast<size_t>(m_nRecords), false);
    m_usable = std::move(usable);
    m_bUtf8 = utf8.IsUtf8();
    m_bIndexBuilt = false;
    if (HeldOpenFiles() < kHeldOpenFiles)
    {
        Hold();
        m_file.Rewind();
    }
    else
        m_file.Close();
}

bool CHelpFile::HasCommand(std::string_view keyword, std::string_view parent) const
{
    // Built when first asked: colouring asks the library's own index, so a
    // large library need not build one per file at start-up.
    if (!m_bIndexBuilt)
    {
        m_index.Build(m_keywords, m_parents, m_usable);
        m_bIndexBuilt = true;
    }
    return m_index.Find(keyword, parent) >= 0;
}

bool CHelpFile::FetchHelp(const std::string& keyword, const std::string& parent, std::string& text)
{
    for (int i = 0; i < m_nCacheUsed; ++i)
    {
        const CHelpCacheEntry& entry = m_cache[static_cast<size_t>(i)];
        if (entry.m_keyword == keyword && entry.m_parent == parent)
        {
            text = entry.m_text;
            return true;
        }
    }
    if (!OpenForReading())
        return false;
    const bool bFound = ScanForHelp(keyword, parent, text);
    DoneReading();
    return bFound;
}

bool CHelpFile::ScanForHelp(const std::string& keyword, const std::string& parent,
                            std::string& text)
{
    m_file.Rewind();
    std::string_view piece;
    std::string storage;
    for (int nBlock = 0; nBlock < m_nRecords; ++nBlock)
    {
        std::string collected = " ";
        std::optional<std::string> header;
        bool bAtBlockStart = true;
        bool bEndedBySeparator = false;
        while (m_file.ReadPiece(piece, storage, kMaxPiece))
        {
            if (!bAtBlockStart && piece[0] == '#')
            {
                bEndedBySeparator = true;
                break;
            }
            bAtBlockStart = false;
            if (!IsBlank(piece))
            {
                if (!header)
                    header = std::string(Trim(piece));
                collected += piece;
            }
        }
        if (bAtBlockStart)
            break;

        std::string foundKeyword;
        std::string foundParent;
        if (header && parseKey_Parent(*header, foundParent, foundKeyword, *m_pMessages) == 0 &&
            foundKeyword == keyword && foundParent == parent)
        {
            if (m_nCacheUsed < m_nCacheSize)
            {
                try
                {
                    CHelpCacheEntry& slot = m_cache.emplace_back();
                    slot.m_keyword = keyword;
                    slot.m_parent = parent;
                    slot.m_text = collected;
                    ++m_nCacheUsed;
                }
                catch (const std::bad_alloc&)
                {
                    // No room to keep it: the text is shown all the same.
                    if (static_cast<int>(m_cache.size()) > m_nCacheUsed)
                        m_cache.pop_back();
                }
            }
            text = std::move(collected);
            return true;
        }
        if (!bEndedBySeparator)
            break;
    }
    return false;
}

bool CHelpFile::ForEachRecordText(
    const std::function<void(int nRecord, std::string_view text)>& visit) const
{
    if (!m_bLoaded)
        return false;
    CTextFileReader file;
    if (!file.Open(m_path))
        return false;
    std::string_view piece;
    std::string storage;
    std::string collected;
    for (int nBlock = 0; nBlock < m_nRecords; ++nBlock)
    {
        collected = " ";
        bool bAtBlockStart = true;
        bool bEndedBySeparator = false;
        while (file.ReadPiece(piece, storage, kMaxPiece))
        {
            if (!bAtBlockStart && piece[0] == '#')
            {
                bEndedBySeparator = true;
                break;
            }
            bAtBlockStart = false;
            if (!IsBlank(piece))
                collected += piece;
        }
        if (bAtBlockStart)
            break;
        visit(nBlock, collected);
        if (!bEndedBySeparator)
            break;
    }
    return true;
}
