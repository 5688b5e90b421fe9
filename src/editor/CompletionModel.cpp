#include "CompletionModel.h"

#include "platform/PlainText.h"

CCompletionModel::CCompletionModel(RecordText keyword, RecordLength keywordLength, RecordText tip,
                                   QObject* pParent)
    : QAbstractListModel(pParent), m_keyword(std::move(keyword)),
      m_keywordLength(std::move(keywordLength)), m_tip(std::move(tip))
{
}

int CCompletionModel::LongestRow() const
{
    int nLongest = -1;
    size_t nLongestLength = 0;
    for (size_t nRow = 0; nRow < m_records.size(); ++nRow)
    {
        const size_t nLength = m_keywordLength(m_records[nRow]);
        if (nLongest < 0 || nLength > nLongestLength)
        {
            nLongest = static_cast<int>(nRow);
            nLongestLength = nLength;
        }
    }
    return nLongest;
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
            m_tips[nRow] = PlainToolTip(m_tip(m_records[nRow]));
            m_bTipRead[nRow] = true;
        }
        return m_tips[nRow];
    }
    return {};
}
