#pragma once

#include <QAbstractListModel>
#include <functional>
#include <vector>

// The entries of the completion list: record numbers of the library, shown by
// their keyword, each with the first line of its help as its tip. A tip is
// read from the help file only when it is first asked for.
class CCompletionModel : public QAbstractListModel
{
    Q_OBJECT

public:
    using RecordText = std::function<QString(int nRecord)>;
    using RecordLength = std::function<size_t(int nRecord)>;

    CCompletionModel(RecordText keyword, RecordLength keywordLength, RecordText tip,
                     QObject* pParent = nullptr);

    void SetRecords(std::vector<int> records);
    int RecordAt(int nRow) const { return m_records[static_cast<size_t>(nRow)]; }
    // The row of the longest keyword, to size the list by without measuring
    // every row; -1 when empty.
    int LongestRow() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int nRole = Qt::DisplayRole) const override;

private:
    RecordText m_keyword;
    RecordLength m_keywordLength;
    RecordText m_tip;
    std::vector<int> m_records;
    mutable std::vector<QString> m_tips;
    mutable std::vector<bool> m_bTipRead;
};
