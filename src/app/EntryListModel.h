#pragma once

#include <QAbstractListModel>
#include <functional>
#include <string>

class CEntryList;
class CTextControl;

// Shows one of the document's entry lists in a drop-down list, without a copy.
class CEntryListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    // The entries are bytes of the script, shown as the pane shows the script.
    CEntryListModel(const CEntryList& list, const CTextControl& shownAs,
                    QObject* pParent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int nRole = Qt::DisplayRole) const override;

    // The list was filled anew.
    void Refresh();
    // The tooltip of an entry, when there is one to show.
    std::function<QString(const std::string& entry)> ToolTipOf;
    // What the tooltips say has changed.
    void RefreshToolTips();

private:
    const CEntryList& m_list;
    const CTextControl& m_shownAs;
};
