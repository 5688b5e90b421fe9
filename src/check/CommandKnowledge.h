#pragma once

#include "StringTable.h"
#include "UsageForm.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CCommandLibrary;

// What the script check knows of the library's commands: the top-level
// names, the keywords under each parent, and each record's usage forms (the
// lines of its help that start with its own words). Read from the library's
// texts once; then used by any thread for reading only.
class CCommandKnowledge
{
public:
    void Build(const CCommandLibrary& library);

    bool IsTopLevel(std::string_view name) const;
    const std::vector<std::string>& TopLevelNames() const { return m_topLevel; }
    // The keywords of the records under a parent, each once; nullptr for none.
    const std::vector<std::string>* ChildrenOf(std::string_view parent) const;
    // The first record with this keyword and parent, or -1.
    int Find(std::string_view keyword, std::string_view parent) const;
    // The record's usage forms; empty when its help has none.
    const std::vector<CUsageForm>& FormsOf(int nRecord) const;

    // Every record's usage forms, by record.
    const std::unordered_map<int, std::vector<CUsageForm>>& Forms() const { return m_forms; }
    // The usage lines that do not parse, and are not checked against.
    const std::vector<std::string>& UnparsedUsageLines() const { return m_unparsed; }

    // The usage forms of a record's help text: lines whose words begin with
    // the record's own words (recordWords); those that do not parse go to
    // pUnparsed, when given.
    static std::vector<CUsageForm> FormsInText(std::string_view text,
                                               const std::vector<std::string>& recordWords,
                                               std::vector<std::string>* pUnparsed = nullptr);

private:
    std::vector<std::string> m_topLevel;
    CNameSet m_topLevelSet;
    CNameMap<std::vector<std::string>> m_children;
    // The first record of each parent and keyword.
    CNameMap<CNameMap<int>> m_records;
    std::unordered_map<int, std::vector<CUsageForm>> m_forms;
    std::vector<std::string> m_unparsed;
};
