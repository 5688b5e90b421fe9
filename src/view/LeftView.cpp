#include "LeftView.h"

#include "editor/CorvaleDoc.h"
#include "editor/ScriptEdit.h"
#include "platform/Latin1.h"

#include <QApplication>
#include <QResizeEvent>
#include <unordered_map>

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

// Each record goes under the first item inserted with its parent's text, or,
// when there is none yet, under the item inserted just before it. Children
// keep the order of the files in list.txt and of the records in each file.
// The first item of each text is remembered, so the search for a parent is a
// lookup instead of a pass over every item inserted so far.
void CLeftView::FillCommandTree()
{
    m_tree.clear();
    m_items.clear();
    const CScriptEdit* pEdit = m_pDoc != nullptr ? m_pDoc->m_pEdit : nullptr;
    size_t nRecords = 0;
    if (pEdit != nullptr)
    {
        for (const auto& pFile : pEdit->m_helpFiles)
            nRecords += static_cast<size_t>(pFile->m_nRecords);
    }
    m_items.reserve(nRecords + 1);

    auto* pRoot = new QTreeWidgetItem(&m_tree, QStringList(QStringLiteral("command")));
    m_items.push_back(pRoot);
    std::unordered_map<std::string, QTreeWidgetItem*> firstWithText{{"command", pRoot}};
    if (pEdit != nullptr)
    {
        for (const auto& pFile : pEdit->m_helpFiles)
        {
            for (int k = 0; k < pFile->m_nRecords; ++k)
            {
                const std::string& keyword = pFile->m_keywords[static_cast<size_t>(k)];
                const auto parent = firstWithText.find(pFile->m_parents[static_cast<size_t>(k)]);
                QTreeWidgetItem* pParent =
                    parent != firstWithText.end() ? parent->second : m_items.back();
                auto* pItem = new QTreeWidgetItem(pParent, QStringList(ToQString(keyword)));
                m_items.push_back(pItem);
                firstWithText.emplace(keyword, pItem);
            }
        }
    }
    pRoot->setExpanded(true);
    m_bFilled = true;
}
