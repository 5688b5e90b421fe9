#include "LeftView.h"

#include "editor/CorvaleDoc.h"
#include "editor/ScriptEdit.h"
#include "platform/Latin1.h"

#include <QApplication>
#include <QResizeEvent>

CLeftView::CLeftView(CCorvaleDoc* pDoc, QWidget* pParent)
    : QWidget(pParent), m_tree(this), m_pDoc(pDoc)
{
    m_tree.m_pDoc = pDoc;
}

void CLeftView::resizeEvent(QResizeEvent* pEvent)
{
    QWidget::resizeEvent(pEvent);
    m_tree.setGeometry(0, 0, width(), height());
}

bool CLeftView::HasFocus() const
{
    const QWidget* pFocus = QApplication::focusWidget();
    return pFocus != nullptr && (pFocus == this || isAncestorOf(pFocus));
}

void CLeftView::FocusTree()
{
    m_tree.setFocus(Qt::OtherFocusReason);
}

void CLeftView::OnInitialUpdate()
{
    if (m_bFilled)
        return;
    FillCommandTree();
}

void CLeftView::FillCommandTree()
{
    static const CCommandLibrary s_noLibrary;
    const CScriptEdit* pEdit = m_pDoc != nullptr ? m_pDoc->m_pEdit : nullptr;
    m_tree.m_model.Fill(pEdit != nullptr ? pEdit->Library() : s_noLibrary);
    m_tree.expand(ItemIndex(0));
    m_bFilled = true;
}
