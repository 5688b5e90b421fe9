#pragma once

#include "CommandTreeModel.h"

#include <QTreeView>
#include <string>

class CCorvaleDoc;

// The tree the user sees in the command tree pane. A left-button press, or
// Enter or Space on the selected item, shows its command's help (even with
// help off) and puts its keyword on the clipboard. Moving the selection with
// the keys shows the help while help is on.
class CCommandTreeCtrl : public QTreeView
{
    Q_OBJECT

public:
    explicit CCommandTreeCtrl(QWidget* pParent = nullptr);

    CCommandTreeModel m_model;
    CCorvaleDoc* m_pDoc = nullptr;

signals:
    // The keyword, exactly, went to the clipboard as plain text.
    void KeywordCopied(const QString& keyword);

protected:
    void mousePressEvent(QMouseEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    // What a click does to the selected item: its help, shown even with help
    // off, and its keyword on the clipboard.
    void ShowAndCopySelected();
    // The selected item's keyword and its parent's text; false with none selected.
    bool SelectedCommand(int& nItem, std::string& keyword, std::string& parent) const;
};
