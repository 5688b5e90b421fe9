#pragma once

#include "CommandTreeModel.h"

#include <QTreeView>
#include <string>

class CCorvaleDoc;

// The tree the user sees in the command tree pane. A left-button press shows
// the selected command's help (even with help off) and puts its keyword on the
// clipboard.
class CCommandTreeCtrl : public QTreeView
{
    Q_OBJECT

public:
    explicit CCommandTreeCtrl(QWidget* pParent = nullptr);

    // The keyword, exactly, as plain text.

    CCommandTreeModel m_model;
    CCorvaleDoc* m_pDoc = nullptr;

protected:
    void mousePressEvent(QMouseEvent* pEvent) override;
};
