#include "OutputText.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <Qsci/qsciscintillabase.h>
#include <algorithm>

namespace
{
constexpr int kErrorStyle = 1;
// ANSI colours 1 to 16 take styles 2 to 17; on standard error, 18 to 33.
constexpr int kFirstColourStyle = 2;

long Rgb(int r, int g, int b)
{
    return r | (g << 8) | (b << 16);
}

// The sixteen colours of a usual terminal on a white ground.
const long kAnsiColours[16] = {
    Rgb(0, 0, 0),     Rgb(205, 0, 0),   Rgb(0, 140, 0),   Rgb(170, 120, 0),
    Rgb(0, 0, 238),   Rgb(205, 0, 205), Rgb(0, 150, 160), Rgb(110, 110, 110),
    Rgb(90, 90, 90),  Rgb(235, 0, 0),   Rgb(0, 175, 0),   Rgb(190, 150, 0),
    Rgb(60, 60, 255), Rgb(220, 0, 220), Rgb(0, 170, 190), Rgb(40, 40, 40),
};

int StyleOf(char colour, char error)
{
    if (colour == 0)
        return error != 0 ? kErrorStyle : 0;
    return kFirstColourStyle + (colour - 1);
}
} // namespace

COutputText::COutputText(QWidget* pParent) : QsciScintilla(pParent)
{
    setObjectName(QStringLiteral("OutputText"));
    setUtf8(true);
    // No notifications of each change: appending is the hot path.
    Sci(SCI_SETMODEVENTMASK, 0);
    Sci(SCI_SETUNDOCOLLECTION, 0);
    Sci(SCI_SETWRAPMODE, SC_WRAP_NONE);
    Sci(SCI_SETSCROLLWIDTHTRACKING, 1);
    Sci(SCI_SETSCROLLWIDTH, 1);
    for (unsigned long nMargin = 0; nMargin < 5; ++nMargin)
        Sci(SCI_SETMARGINWIDTHN, nMargin, 0);
    Sci(SCI_SETMARGINLEFT, 0, 4);
    Sci(SCI_SETCARETLINEVISIBLE, 0);
    const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QByteArray family = font.family().toUtf8();
    Sci(SCI_STYLESETFONT, STYLE_DEFAULT, reinterpret_cast<long>(family.constData()));
    Sci(SCI_STYLESETSIZE, STYLE_DEFAULT, font.pointSize() > 0 ? font.pointSize() : 10);
    Sci(SCI_STYLECLEARALL);
    Sci(SCI_STYLESETFORE, kErrorStyle, Rgb(139, 0, 0));
    for (int i = 0; i < 16; ++i)
        Sci(SCI_STYLESETFORE, static_cast<unsigned long>(kFirstColourStyle + i), kAnsiColours[i]);
    Sci(SCI_INDICSETSTYLE, kLinkIndicator, INDIC_PLAIN);
    Sci(SCI_INDICSETFORE, kLinkIndicator, Rgb(0, 0, 220));
    Sci(SCI_SETINDICATORCURRENT, kLinkIndicator);
    Sci(SCI_SETREADONLY, 1);
}

long COutputText::Sci(unsigned int nMessage, unsigned long wParam, long lParam) const
{
    return SendScintilla(nMessage, wParam, lParam);
}

void COutputText::Reset()
{
    Sci(SCI_SETREADONLY, 0);
    Sci(SCI_CLEARALL);
    Sci(SCI_SETREADONLY, 1);
    m_links.clear();
    m_pendingLinks.clear();
    m_nDropped = 0;
    m_nWritten = 0;
    m_bOpenLineShown = false;
}

// Text goes in at the end, a batch at once, and its styles in runs: every
// character is styled, so Scintilla never asks for styling itself.
void COutputText::AppendStyled(const std::vector<COutputDecoder::CLine>& lines, size_t nFirst,
                               const COutputDecoder::CLine& open)
{
    std::string text;
    std::vector<std::pair<size_t, int>> runs; // length, style
    const auto add = [&](const COutputDecoder::CLine& line, bool bLineBreak)
    {
        text += line.text;
        if (bLineBreak)
            text += '\n';
        for (size_t i = 0; i < line.text.size();)
        {
            const int nStyle = StyleOf(line.colours[i], line.errors[i]);
            size_t nEnd = i + 1;
            while (nEnd < line.text.size() &&
                   StyleOf(line.colours[nEnd], line.errors[nEnd]) == nStyle)
                ++nEnd;
            if (!runs.empty() && runs.back().second == nStyle)
                runs.back().first += nEnd - i;
            else
                runs.emplace_back(nEnd - i, nStyle);
            i = nEnd;
        }
        if (bLineBreak)
        {
            if (!runs.empty() && runs.back().second == 0)
                ++runs.back().first;
            else
                runs.emplace_back(1, 0);
        }
    };
    for (size_t i = nFirst; i < lines.size(); ++i)
        add(lines[i], true);
    add(open, false);
    if (text.empty())
        return;
    const long nStart = Sci(SCI_GETLENGTH);
    Sci(SCI_APPENDTEXT, text.size(), reinterpret_cast<long>(text.data()));
    Sci(SCI_STARTSTYLING, static_cast<unsigned long>(nStart));
    for (const auto& [nLength, nStyle] : runs)
        Sci(SCI_SETSTYLING, nLength, nStyle);
}

void COutputText::Append(const std::vector<COutputDecoder::CLine>& lines,
                         const COutputDecoder::CLine& open)
{
    const long nFirstLine = Sci(SCI_GETFIRSTVISIBLELINE);
    const long nLinesBefore = Sci(SCI_GETLINECOUNT);
    const bool bAtEnd = nFirstLine + Sci(SCI_LINESONSCREEN) >= nLinesBefore - 1;
    Sci(SCI_SETREADONLY, 0);
    if (m_bOpenLineShown)
    {
        // The open line is written again as it stands now.
        const long nLast = Sci(SCI_GETLINECOUNT) - 1;
        const long nFrom = Sci(SCI_POSITIONFROMLINE, static_cast<unsigned long>(nLast));
        Sci(SCI_DELETERANGE, static_cast<unsigned long>(nFrom), Sci(SCI_GETLENGTH) - nFrom);
    }
    // What would be dropped at once is never put in.
    size_t nSkip = 0;
    if (lines.size() > static_cast<size_t>(kMaxLines))
    {
        nSkip = lines.size() - static_cast<size_t>(kMaxLines);
        m_nDropped += Sci(SCI_GETLINECOUNT) - 1 + static_cast<long>(nSkip);
        Sci(SCI_CLEARALL);
        m_links.clear();
    }
    AppendStyled(lines, nSkip, open);
    m_nWritten += static_cast<long>(lines.size());
    m_bOpenLineShown = !open.text.empty();
    DropFront();
    ApplyPendingLinks();
    Sci(SCI_SETREADONLY, 1);
    // Follow the output while the end is in view; leave the user where they read otherwise.
    if (bAtEnd)
        Sci(SCI_SCROLLTOEND);
}

void COutputText::DropFront()
{
    const long nShown = Sci(SCI_GETLINECOUNT) - 1; // finished lines
    long nExcess = std::max(0L, nShown - kMaxLines);
    const long nLength = Sci(SCI_GETLENGTH);
    if (nLength > kMaxBytes)
    {
        // Long lines: as many go as leave the text within its size.
        const long nLine =
            Sci(SCI_LINEFROMPOSITION, static_cast<unsigned long>(nLength - kMaxBytes)) + 1;
        nExcess = std::max(nExcess, std::min(nLine, nShown));
    }
    if (nExcess <= 0)
        return;
    const long nTo = Sci(SCI_POSITIONFROMLINE, static_cast<unsigned long>(nExcess));
    Sci(SCI_DELETERANGE, 0, nTo);
    m_nDropped += nExcess;
    // Links on dropped lines go too.
    const auto firstKept =
        std::lower_bound(m_links.begin(), m_links.end(), m_nDropped,
                         [](const CLink& link, long nLine) { return link.nLine < nLine; });
    m_links.erase(m_links.begin(), firstKept);
}

void COutputText::AddLink(long nLine, size_t nFrom, size_t nTo, int nLink)
{
    if (nLine < m_nDropped)
        return;
    if (nLine >= m_nWritten)
    {
        m_pendingLinks.push_back({nLine, nFrom, nTo, nLink});
        return;
    }
    ApplyLink(nLine, nFrom, nTo, nLink);
}

void COutputText::ApplyPendingLinks()
{
    if (m_pendingLinks.empty())
        return;
    std::vector<CLink> still;
    for (const CLink& link : m_pendingLinks)
    {
        if (link.nLine < m_nDropped)
            continue;
        if (link.nLine >= m_nWritten)
            still.push_back(link);
        else
            ApplyLink(link.nLine, link.nFrom, link.nTo, link.nLink);
    }
    m_pendingLinks.swap(still);
}

void COutputText::ApplyLink(long nLine, size_t nFrom, size_t nTo, int nLink)
{
    const long nShownLine = nLine - m_nDropped;
    const long nStart = Sci(SCI_POSITIONFROMLINE, static_cast<unsigned long>(nShownLine));
    const long nEnd = Sci(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(nShownLine));
    const long nLinkFrom = std::min(nEnd, nStart + static_cast<long>(nFrom));
    const long nLinkTo = std::min(nEnd, nStart + static_cast<long>(nTo));
    if (nLinkTo <= nLinkFrom)
        return;
    Sci(SCI_SETINDICATORCURRENT, kLinkIndicator);
    Sci(SCI_INDICATORFILLRANGE, static_cast<unsigned long>(nLinkFrom), nLinkTo - nLinkFrom);
    const CLink link{nLine, static_cast<size_t>(nLinkFrom - nStart),
                     static_cast<size_t>(nLinkTo - nStart), nLink};
    const auto at = std::upper_bound(m_links.begin(), m_links.end(), nLine,
                                     [](long n, const CLink& other) { return n < other.nLine; });
    m_links.insert(at, link);
}

void COutputText::Skip(long nLines)
{
    if (nLines <= 0)
        return;
    Sci(SCI_SETREADONLY, 0);
    m_nDropped = m_nWritten + nLines;
    m_nWritten += nLines;
    Sci(SCI_CLEARALL);
    Sci(SCI_SETREADONLY, 1);
    m_bOpenLineShown = false;
    m_links.clear();
    ApplyPendingLinks();
}

int COutputText::LinkAt(long nPos) const
{
    const long nShownLine = Sci(SCI_LINEFROMPOSITION, static_cast<unsigned long>(nPos));
    const long nColumn = nPos - Sci(SCI_POSITIONFROMLINE, static_cast<unsigned long>(nShownLine));
    const long nLine = nShownLine + m_nDropped;
    auto it = std::lower_bound(m_links.begin(), m_links.end(), nLine,
                               [](const CLink& link, long n) { return link.nLine < n; });
    for (; it != m_links.end() && it->nLine == nLine; ++it)
    {
        if (nColumn >= static_cast<long>(it->nFrom) && nColumn <= static_cast<long>(it->nTo))
            return it->nLink;
    }
    return -1;
}

void COutputText::ShowLink(int nLink)
{
    for (const CLink& link : m_links)
    {
        if (link.nLink != nLink)
            continue;
        const long nStart =
            Sci(SCI_POSITIONFROMLINE, static_cast<unsigned long>(link.nLine - m_nDropped));
        Sci(SCI_SETSEL, static_cast<unsigned long>(nStart + static_cast<long>(link.nFrom)),
            nStart + static_cast<long>(link.nTo));
        Sci(SCI_SCROLLCARET);
        return;
    }
}

void COutputText::keyPressEvent(QKeyEvent* pEvent)
{
    if (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter)
    {
        // The first link on the caret's line.
        const long nCaret = Sci(SCI_GETCURRENTPOS);
        const long nLine =
            Sci(SCI_LINEFROMPOSITION, static_cast<unsigned long>(nCaret)) + m_nDropped;
        const auto it = std::lower_bound(m_links.begin(), m_links.end(), nLine,
                                         [](const CLink& link, long n) { return link.nLine < n; });
        if (it != m_links.end() && it->nLine == nLine)
            emit LinkActivated(it->nLink);
        pEvent->accept();
        return;
    }
    QsciScintilla::keyPressEvent(pEvent);
}

void COutputText::mousePressEvent(QMouseEvent* pEvent)
{
    m_pressPoint = pEvent->position().toPoint();
    QsciScintilla::mousePressEvent(pEvent);
}

// A click, not a drag that selects, on a link follows it.
void COutputText::mouseReleaseEvent(QMouseEvent* pEvent)
{
    QsciScintilla::mouseReleaseEvent(pEvent);
    if (pEvent->button() != Qt::LeftButton ||
        (pEvent->position().toPoint() - m_pressPoint).manhattanLength() > 4)
        return;
    const QPoint point = pEvent->position().toPoint();
    const long nPos =
        Sci(SCI_POSITIONFROMPOINTCLOSE, static_cast<unsigned long>(point.x()), point.y());
    if (nPos < 0)
        return;
    const int nLink = LinkAt(nPos);
    if (nLink >= 0)
        emit LinkActivated(nLink);
}

void COutputText::contextMenuEvent(QContextMenuEvent* pEvent)
{
    QMenu menu(this);
    QAction* pCopy = menu.addAction(QStringLiteral("&Copy"), this, [this] { copy(); });
    pCopy->setEnabled(hasSelectedText());
    menu.addAction(QStringLiteral("Select &All"), this, [this] { selectAll(); });
    menu.addSeparator();
    menu.addAction(QStringLiteral("Save Output &As…"), this, [this] { emit SaveRequested(); });
    menu.exec(pEvent->globalPos());
}
