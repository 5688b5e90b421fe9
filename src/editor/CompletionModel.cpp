#include "CompletionModel.h"

CCompletionModel::CCompletionModel(RecordText keyword, RecordText tip, QObject* pParent)
    : QAbstractListModel(pParent), m_keyword(std::move(keyword)), m_tip(std::move(tip))
{
}

void CCompletionModel::SetRecords(std::vector<int> records)
{
    beginResetModel();
    m_records = std::move(records);
    m_tips.assign(m_records.size(), QString());
    m_bTipRead.assign(m_records.size(), false);
    endResetModel();
}

int CCompletionModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_records.size());
}

QVariant CCompletionModel::data(const QModelIndex& index, int nRole) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto nRow = static_cast<size_t>(index.row());
    if (nRole == Qt::DisplayRole)
        return m_keyword(m_records[nRow]);
    if (nRole == Qt::ToolTipRole)
    {
        if (!m_bTipRead[nRow])
        {
            m_tips[nRow] = m_tip(m_records[nRow]);
            m_bTipRead[nRow] = true;
        }
        return m_tips[nRow];
    }
    return {};
}
