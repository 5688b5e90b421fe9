#pragma once

#include "ReturnValue.h"
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
    // No usage form has a number for a keyword: any number in a call is a
    // value, and calls that differ only in their numbers fit alike.
    bool NumbersAreValues() const { return m_bNumbersAreValues; }
    // The keywords of the records under a parent, each once; nullptr for none.
    const std::vector<std::string>* ChildrenOf(std::string_view parent) const;
    // The first record with this keyword and parent, or -1.
    int Find(std::string_view keyword, std::string_view parent) const;
    // The record's usage forms; empty when its help has none.
    const std::vector<CUsageForm>& FormsOf(int nRecord) const;

    // What the record's help says the command returns, or nullptr.
    const CReturnValue* ReturnOf(int nRecord) const;

    // The record whose usage form a call's words fit (words[0] is the
    // command): the sub-command's its second word names, else the command's
    // own; -1 when none fits. names gets the placeholder each word from
    // nFirst on stands for; scratch is room the caller keeps.
    struct CFit
    {
        int nRecord = -1;
        size_t nFirst = 0;
    };
    template <typename TWords>
    CFit FitCall(const TWords& call, std::vector<CUsageForm::CWord>& scratch,
                 std::vector<std::string_view>& names) const
    {
        const auto fits = [&](int nRecord, size_t nFrom)
        {
            if (nRecord < 0 || call.size() < nFrom)
                return false;
            scratch.clear();
            for (size_t i = nFrom; i < call.size(); ++i)
                scratch.push_back({call[i], true});
            for (const CUsageForm& form : FormsOf(nRecord))
            {
                if (form.Bind(scratch, names))
                    return true;
            }
            return false;
        };
        if (call.size() == 0)
            return {};
        const int nCommand = Find(call[0], "command");
        if (nCommand < 0)
            return {};
        if (call.size() >= 2)
        {
            const int nSub = Find(call[1], call[0]);
            if (fits(nSub, 2))
                return {nSub, 2};
        }
        if (fits(nCommand, 1))
            return {nCommand, 1};
        return {};
    }

    // The value a dry run hands back for a call of a library command whose
    // help says what it returns (the sub-command's, else the command's);
    // nothing for one that returns nothing.
    std::optional<std::string> ResultOf(const std::vector<std::string_view>& call) const;

    // A command a project adds: known from now on, with the usage forms of
    // the lines given (in the library's notation, each beginning with the
    // name). Gives back the lines that do not parse or do not begin so.
    std::vector<std::string> AddCommand(const std::string& name,
                                        const std::vector<std::string>& usageLines);
    // Every command whose name begins with prefix ("ttk::") is known.
    void AddPrefix(std::string_view prefix);

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
    bool m_bNumbersAreValues = true;
    CNameSet m_topLevelSet;
    CNameMap<std::vector<std::string>> m_children;
    // The first record of each parent and keyword.
    CNameMap<CNameMap<int>> m_records;
    std::unordered_map<int, std::vector<CUsageForm>> m_forms;
    std::unordered_map<int, CReturnValue> m_returns;
    CNameSet m_returning; // the top-level commands with a return line in any of their records
    std::vector<std::string> m_unparsed;
    std::vector<std::string> m_prefixes;
    // The records of commands a project adds are numbered from here, past
    // any library's.
    static constexpr int kFirstAddedRecord = 1 << 30;
    int m_nAdded = 0;
};
