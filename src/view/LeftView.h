#pragma once

#include "CommandTreeCtrl.h"

#include <QWidget>
#include <vector>

class CCorvaleDoc;
class QTreeWidgetItem;

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

    CCommandTreeCtrl m_tree;
    std::vector<QTreeWidgetItem*> m_items; // the root first, then one per record
    bool m_bFilled = false;
    CCorvaleDoc* m_pDoc;

protected:
    void resizeEvent(QResizeEvent* pEvent) override;
};
