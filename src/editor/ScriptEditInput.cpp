// Keyboard and mouse in the editing pane: the control edits, the pane colours
// what was typed, marks the script changed and looks up a clicked word.
#include "CorvaleDoc.h"
#include "ScriptEdit.h"
#include "platform/Latin1.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace
{
// The character a key press types, as the window system's character message
// would carry it; 0 for keys that type nothing.
char CharacterOf(const QKeyEvent* pEvent)
{
    const Qt::KeyboardModifiers commandModifiers =
        pEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    switch (pEvent->key())
    {
    case Qt::Key_Backspace:
        return commandModifiers ? 0 : '\b';
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return commandModifiers ? 0 : '\r';
    case Qt::Key_Tab:
        return pEvent->modifiers() == Qt::NoModifier ? '\t' : 0;
    default:
        break;
    }
    const QString text = pEvent->text();
    if (text.isEmpty() || text.at(0).unicode() < 0x20 || text.at(0).unicode() == 0x7F)
        return 0;
    // Ctrl and Alt combinations are commands, not characters (AltGr still types).
    if (commandModifiers && !(pEvent->modifiers() & Qt::GroupSwitchModifier) &&
        commandModifiers != (Qt::ControlModifier | Qt::AltModifier))
        return 0;
    return FromQString(text.left(1))[0];
}
} // namespace

void CScriptEdit::keyPressEvent(QKeyEvent* pEvent)
{
    if (pEvent->key() == Qt::Key_Space && pEvent->modifiers() == Qt::ControlModifier)
    {
        ShowCompletions();
        return;
    }
    if (pEvent->key() == Qt::Key_Delete && pEvent->modifiers() == Qt::NoModifier)
    {
        OnKeyDown(pEvent);
        return;
    }
    const char ch = CharacterOf(pEvent);
    if (ch != 0)
        OnChar(ch, pEvent);
    else
        CTextControl::keyPressEvent(pEvent);
}

void CScriptEdit::OnChar(char ch, QKeyEvent* pEvent)
{
    if (m_pDoc != nullptr)
        m_pDoc->m_bChanged = true;
    CTextControl::keyPressEvent(pEvent);
    ColourTyped(ch);
}

void CScriptEdit::ColourTyped(char ch)
{
    if (ch == '\r')
    {
        ApplyToSelection(EWordColour::Plain);
        return;
    }
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    const long nLineStart = LineIndex(-1);
    const long nLength = LineLength(-1);
    if (nEnd == nLineStart + nLength)
        FontifyAtCaret(ch, ch == '\b', false);
    else
        FontifyCurrentLine();
    // Whatever colour the character before has, the next one starts plain.
    ApplyToSelection(EWordColour::Plain);
}

void CScriptEdit::OnKeyDown(QKeyEvent* pEvent)
{
    CTextControl::keyPressEvent(pEvent);
    if (m_pDoc != nullptr)
        m_pDoc->m_bChanged = true;
    FontifyCurrentLine();
}

// The right button shows the popup menu before the control handles the click,
// so the menu's commands act on the selection as it was before it.
void CScriptEdit::mousePressEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() == Qt::RightButton)
        emit ContextMenuRequested(pEvent->globalPosition().toPoint());
    CTextControl::mousePressEvent(pEvent);
    if (pEvent->button() == Qt::LeftButton)
        FontifyAtCaret(0, false, true);
}

// The mouse's menu was shown on the press; the keyboard's menu key shows it at the caret.
void CScriptEdit::contextMenuEvent(QContextMenuEvent* pEvent)
{
    pEvent->accept();
    if (pEvent->reason() == QContextMenuEvent::Mouse)
        return;
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    emit ContextMenuRequested(viewport()->mapToGlobal(PosFromChar(nEnd)));
}
