#include "CorvaleDoc.h"

#include "platform/Latin1.h"

#include <QComboBox>

namespace
{
void AddSortedUnlessPrefixed(QComboBox* pList, const std::string& word)
{
    if (pList == nullptr)
        return;
    const QString text = ToQString(word);
    // The list's own prefix search: an entry that begins with the word, in any case.
    if (pList->findText(text, Qt::MatchStartsWith) >= 0)
        return;
    int nRow = 0;
    while (nRow < pList->count() &&
           QString::compare(pList->itemText(nRow), text, Qt::CaseInsensitive) <= 0)
        ++nRow;
    pList->insertItem(nRow, text);
}
} // namespace

CCorvaleDoc::CCorvaleDoc(QObject* pParent) : QObject(pParent) {}

CCorvaleDoc::~CCorvaleDoc() = default;

void CCorvaleDoc::SetLists(QComboBox* pVariables, QComboBox* pSources)
{
    m_pVariablesList = pVariables;
    m_pSourceList = pSources;
}

void CCorvaleDoc::ClearVariables()
{
    if (m_pVariablesList != nullptr)
        m_pVariablesList->clear();
}

void CCorvaleDoc::ClearSources()
{
    if (m_pSourceList != nullptr)
        m_pSourceList->clear();
}

void CCorvaleDoc::AddVariable(const std::string& word)
{
    AddSortedUnlessPrefixed(m_pVariablesList, word);
}

void CCorvaleDoc::AddSource(const std::string& word)
{
    AddSortedUnlessPrefixed(m_pSourceList, word);
}
