#include "BlockFolding.h"

#include "platform/TextControl.h"
#include "text/BlockScanner.h"

#include <algorithm>

CBlockFolding::CBlockFolding(CTextControl& control) : QObject(&control), m_control(control)
{
    m_control.ShowFoldMargin(true);
    connect(&m_control, &CTextControl::TextEdited, this, &CBlockFolding::Refold);
}

// Each line keeps the depth open at its end (plus one, so that 0 means "not
// yet scanned") as its line state, so an edit is rescanned from its own line.
void CBlockFolding::Refold(long nFrom, long nTo)
{
    const long nLines = m_control.GetLineCount();
    const long nFirst = m_control.LineFromChar(nFrom);
    const long nLast = m_control.LineFromChar(nTo);
    int nDepth = nFirst == 0 ? 0 : std::max(0, m_control.LineState(nFirst - 1) - 1);
    const std::string_view text = m_control.TextView();
    long nLineStart = m_control.LineIndex(nFirst);
    for (long nLine = nFirst; nLine < nLines; ++nLine)
    {
        const long nNextStart =
            nLine + 1 < nLines ? m_control.LineIndex(nLine + 1) : static_cast<long>(text.size());
        std::string_view line = text.substr(static_cast<size_t>(nLineStart),
                                            static_cast<size_t>(nNextStart - nLineStart));
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.remove_suffix(1);
        nLineStart = nNextStart;
        const BlockScanner::CLineDepth depth = BlockScanner::ScanLine(line, nDepth);
        const CTextControl::CFoldLevel level{depth.nLeast, depth.nEnd > depth.nLeast};
        const int nState = depth.nEnd + 1;
        if (nLine > nLast && m_control.LineState(nLine) == nState &&
            m_control.FoldLevel(nLine) == level)
            break; // the lines below stand as they did
        m_control.SetLineState(nLine, nState);
        m_control.SetFoldLevel(nLine, level);
        nDepth = depth.nEnd;
    }
}

void CBlockFolding::FoldAtCaret(bool bFold)
{
    long nStart = 0;
    long nEnd = 0;
    m_control.GetSel(nStart, nEnd);
    const long nCaretLine = m_control.LineFromChar(nEnd);
    const long nHeader = m_control.FoldHeaderOf(nCaretLine);
    if (nHeader < 0)
        return;
    m_control.FoldLine(nHeader, bFold);
    // A caret inside what was folded away goes to the block's first line.
    if (bFold && nCaretLine != nHeader)
    {
        const long nPos =
            m_control.LineIndex(nHeader) + m_control.LineLength(m_control.LineIndex(nHeader));
        m_control.SetSel(nPos, nPos);
        m_control.ScrollCaret();
    }
}
