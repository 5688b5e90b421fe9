#pragma once

#include <QAbstractItemModel>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CCommandLibrary;

// The command tree as a model over the library's own records: the root
// "command", then every record of every help file in list order, each under
// the first item that bears its parent's text, or, when there is none yet,
// under the item just before it. It holds a few numbers per record, not an
// item object, so a library of 100,000 records costs a few megabytes.
class CCommandTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    explicit CCommandTreeModel(QObject* pParent = nullptr);

    // Builds the tree from the library's records, in list order; the library
    // must outlive it unchanged.
    void Fill(const CCommandLibrary& library);

    // Items are numbered in the order they were inserted: 0 is the root.
    int ItemCount() const { return static_cast<int>(m_parentOf.size()); }
    QModelIndex IndexOfItem(int nItem) const;
    int ItemOf(const QModelIndex& index) const;
    std::string TextOf(int nItem) const;
    // The text as shown: UTF-8 where the item's help file is UTF-8.
    QString DisplayTextOf(int nItem) const;
    // The parent item, or -1 for the root.
    int ParentOf(int nItem) const;

    QModelIndex index(int nRow, int nColumn,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int nRole = Qt::DisplayRole) const override;

private:
    int ChildCount(int nItem) const;

    const CCommandLibrary* m_pLibrary = nullptr;
    std::vector<std::string_view> m_textOf; // the root's text, then each record's keyword
    std::vector<int> m_parentOf;
    std::vector<int> m_rowOf;      // place among its parent's children
    std::vector<int> m_firstChild; // into m_children; one more entry than items
    std::vector<int> m_children;   // every item's children, item by item, in order
};
