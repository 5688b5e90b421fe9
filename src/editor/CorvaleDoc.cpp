#include "CorvaleDoc.h"

#include "platform/Latin1.h"

#include <QComboBox>
#include <algorithm>

CCorvaleDoc::CCorvaleDoc(QObject* pParent) : QObject(pParent) {}

CCorvaleDoc::~CCorvaleDoc() = default;

void CCorvaleDoc::SetLists(QComboBox* pVariables, QComboBox* pSources)
{
    m_variables.pList = pVariables;
    m_sources.pList = pSources;
    Clear(m_variables);
    Clear(m_sources);
}

void CCorvaleDoc::Clear(CSortedList& list)
{
    list.folded.clear();
    if (list.pList != nullptr)
        list.pList->clear();
}

// The list's own prefix search: no entry may begin with the word, in any case.
// Entries stay in case-insensitive order, as a sorted combo box keeps them.
void CCorvaleDoc::AddUnlessPrefixed(CSortedList& list, const std::string& word)
{
    if (list.pList == nullptr)
        return;
    const QString text = ToQString(word);
    const QString folded = text.toCaseFolded();
    const auto place = std::lower_bound(list.folded.begin(), list.folded.end(), folded);
    if (place != list.folded.end() && place->startsWith(folded))
        return;
    const auto nRow = static_cast<int>(place - list.folded.begin());
    list.folded.insert(nRow, folded);
    list.pList->insertItem(nRow, text);
}

void CCorvaleDoc::ClearVariables()
{
    Clear(m_variables);
}

void CCorvaleDoc::ClearSources()
{
    Clear(m_sources);
}

void CCorvaleDoc::AddVariable(const std::string& word)
{
    AddUnlessPrefixed(m_variables, word);
}

void CCorvaleDoc::AddSource(const std::string& word)
{
    AddUnlessPrefixed(m_sources, word);
}
