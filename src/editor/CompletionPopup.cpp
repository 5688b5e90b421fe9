#include "CompletionPopup.h"

#include "CompletionModel.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

namespace
{
constexpr int kVisibleRows = 10;
constexpr int kMinimumWidth = 220;
} // namespace

CCompletionPopup::CCompletionPopup(CCompletionModel& model, QWidget* pParent)
    : QListView(pParent), m_model(model)
{
    setWindowFlags(Qt::Popup);
    setModel(&model);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(this, &QListView::clicked, this,
            [this](const QModelIndex& index)
            {
                hide();
                emit Chosen(index.row());
            });
}

void CCompletionPopup::Refit()
{
    const int nRows = std::min(kVisibleRows, m_model.rowCount());
    const int nRowHeight = std::max(1, sizeHintForRow(0));
    const int nFrame = 2 * frameWidth();
    const int nLongest = m_model.LongestRow();
    const int nTextWidth = nLongest >= 0 ? sizeHintForIndex(m_model.index(nLongest, 0)).width() : 0;
    const int nWidth =
        std::max(kMinimumWidth, nTextWidth + nFrame + verticalScrollBar()->sizeHint().width());
    resize(nWidth, nRows * nRowHeight + nFrame);
    if (m_model.rowCount() > 0)
        setCurrentIndex(m_model.index(0, 0));
}

void CCompletionPopup::Popup(const QPoint& globalTopLeft)
{
    Refit();
    move(globalTopLeft);
    show();
    if (m_bTakesFocus)
        setFocus();
    ShowTip(currentIndex());
}

void CCompletionPopup::LeaveKeyboardToEditor()
{
    m_bTakesFocus = false;
    setWindowFlags(Qt::ToolTip);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
}

bool CCompletionPopup::TakeKey(QKeyEvent* pEvent)
{
    return isVisible() && pEvent->modifiers() == Qt::NoModifier && ListKey(pEvent, false);
}

void CCompletionPopup::keyPressEvent(QKeyEvent* pEvent)
{
    if (!ListKey(pEvent, true))
        emit KeyForEditor(pEvent);
}

// The keys the list itself handles: the moves, choosing (Tab, and Enter when
// bEnterChooses) and Escape. False for any other key.
bool CCompletionPopup::ListKey(QKeyEvent* pEvent, bool bEnterChooses)
{
    switch (pEvent->key())
    {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        QListView::keyPressEvent(pEvent);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!bEnterChooses)
            return false;
        [[fallthrough]];
    case Qt::Key_Tab:
        hide();
        if (currentIndex().isValid())
            emit Chosen(currentIndex().row());
        return true;
    case Qt::Key_Escape:
        hide();
        return true;
    default:
        return false;
    }
}

void CCompletionPopup::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QListView::currentChanged(current, previous);
    if (isVisible())
        ShowTip(current);
}

void CCompletionPopup::hideEvent(QHideEvent* pEvent)
{
    QToolTip::hideText();
    QListView::hideEvent(pEvent);
}

void CCompletionPopup::ShowTip(const QModelIndex& index)
{
    const QString tip = index.isValid() ? index.data(Qt::ToolTipRole).toString() : QString();
    if (tip.isEmpty())
    {
        QToolTip::hideText();
        return;
    }
    const QRect row = visualRect(index);
    QToolTip::showText(viewport()->mapToGlobal(QPoint(width(), row.top())), tip, this);
}
