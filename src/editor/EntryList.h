#pragma once

#include <QStringList>
#include <string>
#include <unordered_set>
#include <vector>

// One of the dialog bar's lists as data: entries in the order a sorted list
// box keeps them (without regard to case), and the list box's prefix rule for
// adding. Case is folded as Qt folds it, so the order is the one the program
// always showed.
class CEntryList
{
public:
    void Clear();
    // Adds the word unless an entry already begins with it, ignoring case.
    void AddUnlessPrefixed(const std::string& word);

    const std::vector<std::string>& Entries() const { return m_entries; }
    int Count() const { return static_cast<int>(m_entries.size()); }

private:
    std::vector<std::string> m_entries;
    QStringList m_folded; // the entries case-folded, for the binary searches
    // Every word offered since the list was cleared. Offering one again
    // changes nothing: it is in the list, or an entry that begins with it is.
    std::unordered_set<std::string> m_offered;
};
