#include "CommandTreeCtrl.h"

#include "editor/CorvaleDoc.h"
#include "editor/ScriptEdit.h"
#include "platform/Latin1.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMouseEvent>

CCommandTreeCtrl::CCommandTreeCtrl(QWidget* pParent) : QTreeView(pParent), m_model(this)
{
    setModel(&m_model);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // The column's width comes from the rows in view: measuring every row of
    // a large library would lay out thousands of texts at each change.
    header()->setResizeContentsPrecision(0);
    header()->setStretchLastSection(false);
}

// The control handles the press first (it may select, expand or collapse);
// then the selected item is looked up and copied. With no item selected there
// is nothing to look up or copy. The root has no parent: it is looked up with
// an empty parent, which no record has, and "command" is copied like any item.
void CCommandTreeCtrl::mousePressEvent(QMouseEvent* pEvent)
{
    QTreeView::mousePressEvent(pEvent);
    if (pEvent->button() != Qt::LeftButton)
        return;
    const int nItem = m_model.ItemOf(currentIndex());
    if (nItem < 0)
        return;
    const std::string& keyword = m_model.TextOf(nItem);
    const int nParent = m_model.ParentOf(nItem);
    const std::string parent = nParent >= 0 ? m_model.TextOf(nParent) : std::string();
    if (m_pDoc != nullptr && m_pDoc->m_pEdit != nullptr)
        m_pDoc->m_pEdit->ShowTreeCommandHelp(keyword, parent);
    QApplication::clipboard()->setText(m_model.DisplayTextOf(nItem));
}
