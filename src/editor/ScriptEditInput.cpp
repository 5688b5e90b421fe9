// Keyboard and mouse in the editing pane: the control edits, the pane colours
// what was typed, marks the script changed and looks up a clicked word.
#include "BlockFolding.h"
#include "CorvaleDoc.h"
#include "EditorAssist.h"
#include "ScriptEdit.h"
#include "platform/Latin1.h"
#include "text/WhiteSpace.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

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
    if (m_pAssist->TakeKey(pEvent))
        return;
    if (pEvent->key() == Qt::Key_Space && pEvent->modifiers() == Qt::ControlModifier)
    {
        ShowCompletions();
        return;
    }
    // Ctrl+Shift+[ folds the block at the caret, Ctrl+Shift+] unfolds it (with
    // Shift the keys read as braces on most layouts).
    if ((pEvent->modifiers() & ~Qt::KeypadModifier) == (Qt::ControlModifier | Qt::ShiftModifier))
    {
        const int nKey = pEvent->key();
        if (nKey == Qt::Key_BracketLeft || nKey == Qt::Key_BraceLeft ||
            nKey == Qt::Key_BracketRight || nKey == Qt::Key_BraceRight)
        {
            m_pFolding->FoldAtCaret(nKey == Qt::Key_BracketLeft || nKey == Qt::Key_BraceLeft);
            return;
        }
    }
    if (pEvent->key() == Qt::Key_Delete && pEvent->modifiers() == Qt::NoModifier)
    {
        OnKeyDown(pEvent);
        return;
    }
    const char ch = CharacterOf(pEvent);
    if (ch != 0)
    {
        OnChar(ch, pEvent);
        return;
    }
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    const long nLength = GetTextLength();
    CTextControl::keyPressEvent(pEvent);
    long nNewStart = 0;
    long nNewEnd = 0;
    GetSel(nNewStart, nNewEnd);
    // The caret moved without an edit: the help follows it, as a click's does.
    if ((nNewStart != nStart || nNewEnd != nEnd) && GetTextLength() == nLength)
        LookUpAtCaretSoon();
}

// A held key sends its moves faster than they are shown; the look-up waits
// until the queued keys are handled, so there is one per frame.
void CScriptEdit::LookUpAtCaretSoon()
{
    if (m_bHelpOn == 0)
        return;
    if (m_pLookUpTimer == nullptr)
    {
        m_pLookUpTimer = new QTimer(this);
        m_pLookUpTimer->setSingleShot(true);
        m_pLookUpTimer->setInterval(0);
        connect(m_pLookUpTimer, &QTimer::timeout, this, &CScriptEdit::LookUpAtCaret);
    }
    if (!m_pLookUpTimer->isActive())
        m_pLookUpTimer->start();
}

void CScriptEdit::OnChar(char ch, QKeyEvent* pEvent)
{
    if (m_pDoc != nullptr)
        m_pDoc->m_bChanged = true;
    if (ch == '\r')
        BreakLineIndented(pEvent);
    else if (ch == '}')
    {
        // A "}" that opens its line closes a block: the line moves out one
        // level, in the same undo step as the brace.
        BeginUndoGroup();
        CTextControl::keyPressEvent(pEvent);
        Outdent();
        EndUndoGroup();
        ColourTyped(ch);
    }
    else
    {
        CTextControl::keyPressEvent(pEvent);
        ColourTyped(ch);
    }
    m_pAssist->Typed(ch);
}

// The unit of one indent level: a tab in a script indented with tabs, else
// four spaces. The nearest indented line at or above the caret's decides.
std::string CScriptEdit::IndentUnit(long nLine) const
{
    for (long i = nLine, nLooked = 0; i >= 0 && nLooked < kIndentLookBack; --i, ++nLooked)
    {
        const long nStart = LineIndex(i);
        const std::string first = GetTextRange(nStart, nStart + 1);
        if (first == "\t")
            return "\t";
        if (first == " ")
            return "    ";
    }
    return "    ";
}

// Enter: the new line starts with the blanks the line left behind starts
// with, one level more after a line that ends in an open brace. The break and
// the blanks are one undo step, and both come plain, as Enter always left the
// caret.
void CScriptEdit::BreakLineIndented(QKeyEvent* pEvent)
{
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    const long nLine = LineFromChar(nStart);
    const long nLineStart = LineIndex(nLine);
    const std::string before = GetTextRange(nLineStart, nStart);
    const size_t nBlanks = before.find_first_not_of(" \t");
    std::string indent = before.substr(0, nBlanks);
    const std::string_view left = TrimRight(before);
    if (!left.empty() && left.back() == '{' && (left.size() < 2 || left[left.size() - 2] != '\\'))
        indent += IndentUnit(nLine);

    BeginUndoGroup();
    CTextControl::keyPressEvent(pEvent);
    ApplyToSelection(EWordColour::Plain);
    if (!indent.empty())
    {
        ReplaceSel(indent, true);
        ApplyToSelection(EWordColour::Plain);
    }
    EndUndoGroup();
}

// Takes one level off the caret's line when only blanks stand before the
// character just typed: a tab, or up to four spaces.
void CScriptEdit::Outdent()
{
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    const long nLineStart = LineIndex(LineFromChar(nEnd));
    if (nEnd - 1 <= nLineStart)
        return;
    const std::string blanks = GetTextRange(nLineStart, nEnd - 1);
    if (blanks.find_first_not_of(" \t") != std::string::npos)
        return;
    long nRemove = 0;
    if (blanks.back() == '\t')
        nRemove = 1;
    else
        while (nRemove < 4 && nRemove < static_cast<long>(blanks.size()) &&
               blanks[blanks.size() - 1 - static_cast<size_t>(nRemove)] == ' ')
            ++nRemove;
    const long nBraceAt = nEnd - 1;
    ReplaceRange(nBraceAt - nRemove, nBraceAt, std::string(), true);
    SetSel(nEnd - nRemove, nEnd - nRemove);
}

void CScriptEdit::ColourTyped(char ch)
{
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
    // Ctrl+click goes to the definition of what was clicked.
    if (pEvent->button() == Qt::LeftButton && pEvent->modifiers() == Qt::ControlModifier)
    {
        m_pAssist->Dismiss();
        const long nPos = CharFromPos(pEvent->position().toPoint());
        SetSel(nPos, nPos);
        m_pAssist->GoToDefinition(nPos);
        return;
    }
    m_pAssist->Dismiss();
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
