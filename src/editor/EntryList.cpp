#include "EntryList.h"

#include "platform/Latin1.h"

#include <algorithm>

void CEntryList::Clear()
{
    m_entries.clear();
    m_folded.clear();
    m_offered.clear();
}

// Both the prefix test and the sorted place of a new entry are binary
// searches over the folded entries.
void CEntryList::AddUnlessPrefixed(const std::string& word)
{
    if (!m_offered.insert(word).second)
        return;
    const QString folded = ToQString(word).toCaseFolded();
    const auto place = std::lower_bound(m_folded.begin(), m_folded.end(), folded);
    if (place != m_folded.end() && place->startsWith(folded))
        return;
    const auto nRow = place - m_folded.begin();
    m_folded.insert(nRow, folded);
    m_entries.insert(m_entries.begin() + nRow, word);
}
