#include "CommandTreeModel.h"

#include "helplib/CommandLibrary.h"
#include "platform/Latin1.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <functional>
#include <string_view>

namespace
{
constexpr std::string_view kRootText = "command";
}

CCommandTreeModel::CCommandTreeModel(QObject* pParent) : QAbstractItemModel(pParent) {}

// The first item of each text is remembered, so finding a parent is a lookup,
// not a pass over every item inserted so far.
void CCommandTreeModel::Fill(const CCommandLibrary& library)
{
    beginResetModel();
    m_pLibrary = &library;
    m_textOf.clear();
    m_parentOf.clear();
    const auto nRecords = static_cast<size_t>(library.RecordCount());
    m_textOf.reserve(nRecords + 1);
    m_parentOf.reserve(nRecords + 1);
    m_textOf.push_back(kRootText);
    m_parentOf.push_back(-1);

    // The first item of each text, in a flat table of item numbers (-1: free),
    // at most half full; no allocation per item.
    const size_t nCapacity = std::bit_ceil(std::max<size_t>(16, 2 * (nRecords + 1)));
    std::vector<int> firstWithText(nCapacity, -1);
    const auto slotOf = [&](std::string_view text) -> int&
    {
        for (size_t i = std::hash<std::string_view>()(text) & (nCapacity - 1);;
             i = (i + 1) & (nCapacity - 1))
        {
            int& slot = firstWithText[i];
            if (slot < 0 || m_textOf[static_cast<size_t>(slot)] == text)
                return slot;
        }
    };
    slotOf(kRootText) = 0;
    for (int k = 0; k < library.RecordCount(); ++k)
    {
        const int nItem = static_cast<int>(m_textOf.size());
        const int nParent = slotOf(library.ParentOf(k));
        m_parentOf.push_back(nParent >= 0 ? nParent : nItem - 1);
        m_textOf.push_back(library.KeywordOf(k));
        int& first = slotOf(library.KeywordOf(k));
        if (first < 0)
            first = nItem;
    }

    // Children in the order they were inserted, kept together item by item.
    const size_t nItems = m_parentOf.size();
    m_firstChild.assign(nItems + 1, 0);
    for (size_t n = 1; n < nItems; ++n)
        ++m_firstChild[static_cast<size_t>(m_parentOf[n]) + 1];
    for (size_t n = 0; n < nItems; ++n)
        m_firstChild[n + 1] += m_firstChild[n];
    m_children.assign(nItems > 0 ? nItems - 1 : 0, 0);
    m_rowOf.assign(nItems, 0);
    std::vector<int> filled(nItems, 0);
    for (size_t n = 1; n < nItems; ++n)
    {
        const auto nParent = static_cast<size_t>(m_parentOf[n]);
        m_rowOf[n] = filled[nParent]++;
        m_children[static_cast<size_t>(m_firstChild[nParent] + m_rowOf[n])] = static_cast<int>(n);
    }
    endResetModel();
}

int CCommandTreeModel::ChildCount(int nItem) const
{
    return m_firstChild[static_cast<size_t>(nItem) + 1] - m_firstChild[static_cast<size_t>(nItem)];
}

QModelIndex CCommandTreeModel::IndexOfItem(int nItem) const
{
    if (nItem < 0 || nItem >= ItemCount())
        return {};
    return createIndex(m_rowOf[static_cast<size_t>(nItem)], 0, static_cast<quintptr>(nItem));
}

int CCommandTreeModel::ItemOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<int>(index.internalId()) : -1;
}

std::string CCommandTreeModel::TextOf(int nItem) const
{
    return std::string(m_textOf[static_cast<size_t>(nItem)]);
}

// Item n is the library's record n - 1.
QString CCommandTreeModel::DisplayTextOf(int nItem) const
{
    const std::string_view text = m_textOf[static_cast<size_t>(nItem)];
    const auto nSize = static_cast<qsizetype>(text.size());
    if (nItem > 0 && m_pLibrary != nullptr && m_pLibrary->IsUtf8(nItem - 1))
        return QString::fromUtf8(text.data(), nSize);
    return QString::fromLatin1(text.data(), nSize);
}

int CCommandTreeModel::ParentOf(int nItem) const
{
    return m_parentOf[static_cast<size_t>(nItem)];
}

QModelIndex CCommandTreeModel::index(int nRow, int nColumn, const QModelIndex& parent) const
{
    if (nColumn != 0 || nRow < 0)
        return {};
    if (!parent.isValid())
        return nRow == 0 && ItemCount() > 0 ? IndexOfItem(0) : QModelIndex();
    const int nParent = ItemOf(parent);
    if (nRow >= ChildCount(nParent))
        return {};
    const int nItem =
        m_children[static_cast<size_t>(m_firstChild[static_cast<size_t>(nParent)] + nRow)];
    return createIndex(nRow, 0, static_cast<quintptr>(nItem));
}

QModelIndex CCommandTreeModel::parent(const QModelIndex& child) const
{
    const int nItem = ItemOf(child);
    return nItem > 0 ? IndexOfItem(ParentOf(nItem)) : QModelIndex();
}

int CCommandTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return ItemCount() > 0 ? 1 : 0;
    return parent.column() == 0 ? ChildCount(ItemOf(parent)) : 0;
}

int CCommandTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant CCommandTreeModel::data(const QModelIndex& index, int nRole) const
{
    if (!index.isValid() || nRole != Qt::DisplayRole)
        return {};
    return DisplayTextOf(ItemOf(index));
}
