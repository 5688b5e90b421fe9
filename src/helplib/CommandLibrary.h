#pragma once

#include "CommandIndex.h"
#include "CompletionIndex.h"
#include "HelpFile.h"
#include "text/MessageSink.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The command library: the help files that a help directory's "list.txt"
// names, in list order, and every record of them numbered in that order,
// once. Colouring, completion, the command tree and the script check all read
// it; it fetches a record's text and never shows it: that is the editor's part.
class CCommandLibrary
{
public:
    // Loads the library from a help directory, used as a plain prefix, and
    // replaces what was loaded before. 1 when the list file was read (even if
    // help files were missing), 0 when the directory is "not found" or the
    // list file cannot be opened. Messages go to the sink, which must outlive
    // the library.
    int Load(const std::string& helpDirectory, CMessageSink& messages = DefaultMessageSink());
    void Clear();

    // ---- the records, in list order ----
    int RecordCount() const { return static_cast<int>(m_keywords.size()); }
    std::string_view KeywordOf(int nRecord) const { return m_keywords[Index(nRecord)]; }
    std::string_view ParentOf(int nRecord) const { return m_parents[Index(nRecord)]; }
    // The record has a header with a colon: lookups can find it.
    bool IsUsable(int nRecord) const { return m_usable[Index(nRecord)]; }
    // Its help file is UTF-8: its keyword and text are shown as UTF-8.
    bool IsUtf8(int nRecord) const { return m_helpFiles[Index(FileOf(nRecord))]->IsUtf8(); }
    // The help file that holds the record (its index in list order).
    int FileOf(int nRecord) const;

    // The first usable record in list order with exactly this keyword and
    // parent, or -1. Uses the index only, never a file.
    int Find(std::string_view keyword, std::string_view parent) const
    {
        return m_index.Find(keyword, parent);
    }
    // The record's text, from its file's cache or a scan of its file. As the
    // file's own lookup does, the first record of that file with the record's
    // keyword and parent gives the text.
    bool FetchText(int nRecord, std::string& text) const;

    // Every record's text, in list order, from one pass over each help file
    // opened anew (see CHelpFile::ForEachRecordText): safe beside the window's
    // own reads, as long as the library is not loaded again meanwhile.
    void
    ForEachRecordText(const std::function<void(int nRecord, std::string_view text)>& visit) const;

    // The records under a parent whose keyword begins with the prefix (built
    // when first asked).
    std::vector<int> Complete(std::string_view parent, std::string_view prefix) const;

    // The help files as they were named, for those who read a file itself.
    int m_nHelpFiles = 0;
    std::vector<std::unique_ptr<CHelpFile>> m_helpFiles;
    std::vector<std::string> m_helpPaths;

private:
    static size_t Index(int n) { return static_cast<size_t>(n); }

    // Views of the help files' own keywords and parents.
    std::vector<std::string_view> m_keywords;
    std::vector<std::string_view> m_parents;
    std::vector<bool> m_usable;
    std::vector<int> m_fileFirstRecord; // the number of each file's first record
    CCommandIndex m_index;
    mutable CCompletionIndex m_completion;
};
