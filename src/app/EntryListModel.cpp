#include "EntryListModel.h"

#include "editor/EntryList.h"
#include "platform/PlainText.h"
#include "platform/TextControl.h"

CEntryListModel::CEntryListModel(const CEntryList& list, const CTextControl& shownAs,
                                 QObject* pParent)
    : QAbstractListModel(pParent), m_list(list), m_shownAs(shownAs)
{
}

int CEntryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_list.Count();
}

QVariant CEntryListModel::data(const QModelIndex& index, int nRole) const
{
    if (!index.isValid() || index.row() >= m_list.Count())
        return {};
    if (nRole == Qt::ToolTipRole && ToolTipOf)
    {
        const QString tip = ToolTipOf(m_list.Entries()[static_cast<size_t>(index.row())]);
        return tip.isEmpty() ? QVariant() : QVariant(PlainToolTip(tip));
    }
    if (nRole != Qt::DisplayRole && nRole != Qt::EditRole)
        return {};
    return m_shownAs.ToDisplay(m_list.Entries()[static_cast<size_t>(index.row())]);
}

void CEntryListModel::Refresh()
{
    beginResetModel();
    endResetModel();
}

void CEntryListModel::RefreshToolTips()
{
    if (m_list.Count() > 0)
        emit dataChanged(index(0), index(m_list.Count() - 1), {Qt::ToolTipRole});
}
