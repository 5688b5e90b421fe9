// Commands on whole lines of the editing pane.
#include "ScriptEdit.h"
#include "platform/UserInteraction.h"
#include "text/WhiteSpace.h"

// Both line commands: act on every line the selection touches (a selection
// ending at the start of a line takes that line too), recolour those lines,
// and leave the caret at the old selection end as a number. The lines are
// changed in place, without a selection or a scroll for each, and one Undo
// takes the whole command back.
void CScriptEdit::ForEachSelectedLine(const std::function<void(long nLineStart)>& action)
{
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    const long nFirst = LineFromChar(nStart);
    const long nLast = LineFromChar(nEnd);
    BeginUndoGroup();
    for (long i = nFirst; i <= nLast; ++i)
        action(LineIndex(i));
    EndUndoGroup();
    FontifyLines(nFirst, nLast);
    SetSel(nEnd, nEnd);
}

void CScriptEdit::CommentLines()
{
    ForEachSelectedLine([this](long nLineStart)
                        { ReplaceRange(nLineStart, nLineStart, "#", true); });
}

void CScriptEdit::UncommentLines()
{
    ForEachSelectedLine(
        [this](long nLineStart)
        {
            if (LineLength(nLineStart) > 0 && GetTextRange(nLineStart, nLineStart + 1) == "#")
                ReplaceRange(nLineStart, nLineStart + 1, std::string(), true);
        });
}

void CScriptEdit::GoToLine(long n)
{
    if (n > GetLineCount())
    {
        UserInteraction().ShowMessage("Line number exceeds maximum lines");
        return;
    }
    const long nPos = LineIndex(n - 1);
    if (nPos > GetTextLength())
    {
        UserInteraction().ShowMessage("Lines/Character number exceeds the maximim");
        return;
    }
    const long nCaretLine = LineFromChar(-1);
    setFocus();
    LineScroll(n - nCaretLine - 1);
    SetSel(nPos, nPos + 1);
    SetSel(nPos, nPos + LineLength(-1) + 1);
    // The caret may have been out of sight, so the scroll alone may miss the line.
    ScrollCaret();
    LookUpAtCaret();
}

void CScriptEdit::GoToKeywordLine(const std::string& name, const std::string& keyword)
{
    for (long i = 0; i < GetLineCount(); ++i)
    {
        const std::string line = GetLine(i);
        std::string_view text = TrimLeft(line);
        if (text.compare(0, keyword.size(), keyword) != 0)
            continue;
        text = TrimLeft(text.substr(keyword.size()));
        // "source" takes the rest of the line; "set" the text up to the next space.
        std::string_view candidate = text.substr(0, text.find_first_of("\r\n"));
        if (keyword != "source")
            candidate = candidate.substr(0, candidate.find(' '));
        if (Trim(candidate) == name)
        {
            GoToLine(i + 1);
            return;
        }
    }
}
