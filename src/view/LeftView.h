#pragma once

#include "CommandTreeCtrl.h"

#include <QWidget>
#include <vector>

class CCorvaleDoc;

// The command tree pane, left of the editor view: every record of the command
// library under its parent, filled once.
class CLeftView : public QWidget
{
    Q_OBJECT

public:
    explicit CLeftView(CCorvaleDoc* pDoc, QWidget* pParent = nullptr);

    // The view's initial update: fills the tree the first time only.
    void OnInitialUpdate();
    void FillCommandTree();
    // True when the tree, or anything in the pane, has the keyboard focus.
    bool HasFocus() const;
    void FocusTree();

    // The items, the root first, then one per record in list order.
    int ItemCount() const { return m_tree.m_model.ItemCount(); }
    QModelIndex ItemIndex(int nItem) const { return m_tree.m_model.IndexOfItem(nItem); }

    CCommandTreeCtrl m_tree;
    bool m_bFilled = false;
    CCorvaleDoc* m_pDoc;

protected:
    void resizeEvent(QResizeEvent* pEvent) override;
};
