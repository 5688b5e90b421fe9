#include "CommandTreeCtrl.h"

#include "editor/CorvaleDoc.h"
#include "editor/ScriptEdit.h"
#include "platform/Latin1.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
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
    if (pEvent->button() == Qt::LeftButton)
        ShowAndCopySelected();
}

void CCommandTreeCtrl::keyPressEvent(QKeyEvent* pEvent)
{
    const int nKey = pEvent->key();
    if ((nKey == Qt::Key_Return || nKey == Qt::Key_Enter || nKey == Qt::Key_Space) &&
        !(pEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
    {
        pEvent->accept();
        ShowAndCopySelected();
        return;
    }
    QTreeView::keyPressEvent(pEvent);
}

void CCommandTreeCtrl::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeView::currentChanged(current, previous);
    int nItem = -1;
    std::string keyword;
    std::string parent;
    if (m_pDoc != nullptr && m_pDoc->m_pEdit != nullptr && SelectedCommand(nItem, keyword, parent))
        m_pDoc->m_pEdit->ShowCommandHelp(keyword, parent);
}

bool CCommandTreeCtrl::SelectedCommand(int& nItem, std::string& keyword, std::string& parent) const
{
    nItem = m_model.ItemOf(currentIndex());
    if (nItem < 0)
        return false;
    keyword = m_model.TextOf(nItem);
    const int nParent = m_model.ParentOf(nItem);
    parent = nParent >= 0 ? m_model.TextOf(nParent) : std::string();
    return true;
}

void CCommandTreeCtrl::ShowAndCopySelected()
{
    int nItem = -1;
    std::string keyword;
    std::string parent;
    if (!SelectedCommand(nItem, keyword, parent))
        return;
    if (m_pDoc != nullptr && m_pDoc->m_pEdit != nullptr)
        m_pDoc->m_pEdit->ShowTreeCommandHelp(keyword, parent);
    const QString text = m_model.DisplayTextOf(nItem);
    QApplication::clipboard()->setText(text);
    emit KeywordCopied(text);
}
