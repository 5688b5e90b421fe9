#include "TextControlAccessible.h"

#include "Latin1.h"
#include "TextControl.h"

namespace
{
QAccessibleInterface* CreateTextControlAccessible(const QString&, QObject* pObject)
{
    if (auto* pControl = qobject_cast<CTextControl*>(pObject))
        return new CTextControlAccessible(pControl);
    return nullptr;
}
} // namespace

CTextControlAccessible::CTextControlAccessible(CTextControl* pControl)
    : QAccessibleWidget(pControl, QAccessible::EditableText)
{
}

void CTextControlAccessible::InstallFactory()
{
    static const bool s_bInstalled = []
    {
        QAccessible::installFactory(&CreateTextControlAccessible);
        return true;
    }();
    (void)s_bInstalled;
}

CTextControl* CTextControlAccessible::Control() const
{
    return static_cast<CTextControl*>(widget());
}

QAccessible::State CTextControlAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = !Control()->isReadOnly();
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

QString CTextControlAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return text(0, characterCount());
    return QAccessibleWidget::text(t);
}

void* CTextControlAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

void CTextControlAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    long nStart = 0;
    long nEnd = 0;
    Control()->GetSel(nStart, nEnd);
    if (selectionIndex != 0 || nStart == nEnd)
        nStart = nEnd = 0;
    *startOffset = static_cast<int>(nStart);
    *endOffset = static_cast<int>(nEnd);
}

int CTextControlAccessible::selectionCount() const
{
    long nStart = 0;
    long nEnd = 0;
    Control()->GetSel(nStart, nEnd);
    return nStart == nEnd ? 0 : 1;
}

void CTextControlAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void CTextControlAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        Control()->SetSel(cursorPosition(), cursorPosition());
}

void CTextControlAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        Control()->SetSel(startOffset, endOffset);
}

int CTextControlAccessible::cursorPosition() const
{
    long nStart = 0;
    long nEnd = 0;
    Control()->GetSel(nStart, nEnd);
    return static_cast<int>(nEnd);
}

void CTextControlAccessible::setCursorPosition(int position)
{
    Control()->SetSel(position, position);
}

QString CTextControlAccessible::text(int startOffset, int endOffset) const
{
    return Control()->ToDisplay(Control()->GetTextRange(startOffset, endOffset));
}

int CTextControlAccessible::characterCount() const
{
    return static_cast<int>(Control()->GetTextLength());
}

QRect CTextControlAccessible::characterRect(int offset) const
{
    const QRect local = Control()->CharacterRect(offset);
    return QRect(Control()->viewport()->mapToGlobal(local.topLeft()), local.size());
}

int CTextControlAccessible::offsetAtPoint(const QPoint& point) const
{
    return static_cast<int>(Control()->CharFromPos(Control()->viewport()->mapFromGlobal(point)));
}

void CTextControlAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    Control()->SetSel(startIndex, endIndex);
    Control()->ScrollCaret();
}

QString CTextControlAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    *startOffset = offset;
    *endOffset = offset;
    return QString();
}
