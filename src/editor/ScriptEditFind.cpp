// Find and replace in the editing pane.
#include "CorvaleDoc.h"
#include "OccurrenceMarker.h"
#include "ScriptEdit.h"
#include "platform/UserInteraction.h"

#include <algorithm>
#include <cctype>

namespace
{
bool IsSearchWordByte(unsigned char c)
{
    return std::isalnum(c) != 0 || c == '_' || c == '-' || c == '.' || c == ':' || c >= 0x80;
}
} // namespace

std::string CScriptEdit::SearchText() const
{
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    if (nStart != nEnd)
    {
        const std::string selected = GetSelText();
        return selected.substr(0, selected.find_first_of("\r\n"));
    }
    const std::string_view text = TextView();
    long nWordStart = nEnd;
    while (nWordStart > 0 && IsSearchWordByte(static_cast<unsigned char>(text[nWordStart - 1])))
        --nWordStart;
    long nWordEnd = nEnd;
    while (static_cast<size_t>(nWordEnd) < text.size() &&
           IsSearchWordByte(static_cast<unsigned char>(text[nWordEnd])))
        ++nWordEnd;
    return std::string(text.substr(nWordStart, nWordEnd - nWordStart));
}

int CScriptEdit::FindNext(const std::string& message, const std::string& findWhat,
                          std::uint32_t nFlags)
{
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    long nMatchEnd = 0;
    const long nMatch = FindTextEx(nFlags, nEnd, GetTextLength(), findWhat, &nMatchEnd);
    if (nMatch < 0)
    {
        UserInteraction().ShowMessage(message);
        return -1;
    }
    const long nCaretLine = LineFromChar(-1);
    const long nMatchLine = LineFromChar(nMatch);
    LineScroll(nMatchLine - nCaretLine - 1);
    TakeFocus();
    SetSel(nMatch, nMatchEnd);
    ScrollCaret();
    m_pOccurrences->MarkSearch(findWhat, nFlags, nMatch, nMatchEnd);
    return 0;
}

// A replacement is a change of the script: closing it afterwards asks first.
void CScriptEdit::MarkChanged()
{
    if (m_pDoc != nullptr)
        m_pDoc->m_bChanged = true;
}

void CScriptEdit::ReplaceAsTyped(long nStart, long nEnd, const std::string& text)
{
    SetSel(nStart, nEnd);
    MarkChanged();
    ReplaceSel(text, true);
    FontifyCurrentLine();
}

// A selection made before the press is replaced whatever it holds; without
// one, the next occurrence is found and replaced at once.
void CScriptEdit::ReplaceOne(const std::string& findWhat, const std::string& replaceWith,
                             std::uint32_t nFlags)
{
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    if (nStart != nEnd || FindNext("String not found", findWhat, nFlags) == 0)
    {
        ReplaceSel(replaceWith, true);
        MarkChanged();
    }
    TakeFocus();
}

// One Undo takes the whole of it back. Each search starts behind the last
// replacement, so a replacement holding the search text ends too. The matches
// are neither selected nor scrolled to one by one: laying out a long line
// again, or claiming the X11 selection, for every match costs more than the
// replacing; the caret is placed and brought into view once.
void CScriptEdit::ReplaceAll(const std::string& findWhat, const std::string& replaceWith,
                             std::uint32_t nFlags)
{
    SetSel(0, 0);
    BeginUndoGroup();
    long nFrom = 0;
    bool bReplaced = false;
    for (;;)
    {
        long nMatchEnd = 0;
        const long nMatch = FindTextEx(nFlags, nFrom, GetTextLength(), findWhat, &nMatchEnd);
        if (nMatch < 0)
            break;
        nFrom = nMatch + std::max(0L, ReplaceRange(nMatch, nMatchEnd, replaceWith, true));
        bReplaced = true;
    }
    EndUndoGroup();
    if (bReplaced)
        MarkChanged();
    // The caret ends after the last replacement, or at 0 with none.
    SetSel(nFrom, nFrom);
    TakeFocus();
    ScrollCaret();
    UserInteraction().ShowMessage("All occurences of <" + findWhat + "> \nhave been changed");
}
