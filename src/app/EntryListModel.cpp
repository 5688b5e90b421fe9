#include "EntryListModel.h"

#include "editor/EntryList.h"
#include "platform/Latin1.h"

CEntryListModel::CEntryListModel(const CEntryList& list, QObject* pParent)
    : QAbstractListModel(pParent), m_list(list)
{
}

int CEntryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_list.Count();
}

QVariant CEntryListModel::data(const QModelIndex& index, int nRole) const
{
    if (!index.isValid() || index.row() >= m_list.Count() ||
        (nRole != Qt::DisplayRole && nRole != Qt::EditRole))
        return {};
    return ToQString(m_list.Entries()[static_cast<size_t>(index.row())]);
}

void CEntryListModel::Refresh()
{
    beginResetModel();
    endResetModel();
}
