#include "CommandTreeCtrl.h"

#include "editor/CorvaleDoc.h"
#include "editor/ScriptEdit.h"
#include "platform/Latin1.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMouseEvent>

CCommandTreeCtrl::CCommandTreeCtrl(QWidget* pParent) : QTreeWidget(pParent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
}

void CCommandTreeCtrl::CopyToClipboard(const std::string& text)
{
    QApplication::clipboard()->setText(ToQString(text));
}

// The control handles the press first (it may select, expand or collapse);
// then the selected item is looked up and copied. With no item selected there
// is nothing to look up or copy. The root has no parent: it is looked up with
// an empty parent, which no record has, and "command" is copied like any item.
void CCommandTreeCtrl::mousePressEvent(QMouseEvent* pEvent)
{
    QTreeWidget::mousePressEvent(pEvent);
    if (pEvent->button() != Qt::LeftButton)
        return;
    const QTreeWidgetItem* pItem = currentItem();
    if (pItem == nullptr)
        return;
    const std::string keyword = FromQString(pItem->text(0));
    const std::string parent =
        pItem->parent() != nullptr ? FromQString(pItem->parent()->text(0)) : std::string();
    if (m_pDoc != nullptr && m_pDoc->m_pEdit != nullptr)
        m_pDoc->m_pEdit->ShowTreeCommandHelp(keyword, parent);
    CopyToClipboard(keyword);
}
