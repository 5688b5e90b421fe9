#include "ScriptPrinter.h"

#include "platform/TextControl.h"
#include "platform/UserInteraction.h"
#include "text/WhiteSpace.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace
{
constexpr int kResolution = 600;
constexpr const char* kSendingMessage = "Sending to Print Device/ Print Preview";
} // namespace

CScriptPrinter::CScriptPrinter(const CTextControl& pane, const CSettings& settings)
    : m_pane(pane), m_settings(settings)
{
}

int CScriptPrinter::LinesPerPage(int nPageHeight, int nTopMargin, int nBottomMargin,
                                 int nLineHeight)
{
    return nLineHeight > 0 ? (nPageHeight - nBottomMargin - nTopMargin) / nLineHeight : 0;
}

int CScriptPrinter::PageCount(int nLines, int nLinesPerPage)
{
    if (nLinesPerPage < 1)
        return 0;
    return nLines / nLinesPerPage + (nLines % nLinesPerPage != 0 ? 1 : 0);
}

bool CScriptPrinter::Prepare(QPrinter& printer)
{
    printer.setResolution(kResolution);
    const int nPageHeight = printer.pageLayout().paintRectPixels(printer.resolution()).height() *
                            100 / printer.resolution();
    const QFontMetrics metrics(QFont(), &printer);
    m_nLineHeight = std::max(1, metrics.height() * 100 / printer.resolution());
    m_nLinesPerPage =
        LinesPerPage(nPageHeight, m_settings.nTopMargin, m_settings.nBottomMargin, m_nLineHeight);
    if (m_nLinesPerPage < 1)
    {
        UserInteraction().ShowMessage(
            "The top and bottom margins leave no room for a line on the page: "
            "make them smaller in Advanced Print Setup.");
        return false;
    }
    m_nPageCount = PageCount(static_cast<int>(m_pane.GetLineCount()), m_nLinesPerPage);
    printer.setFromTo(1, m_nPageCount);
    return true;
}

std::pair<int, int> CScriptPrinter::PagesToPrint(const QPrinter& printer) const
{
    if (printer.printRange() != QPrinter::PageRange || printer.fromPage() < 1)
        return {1, m_nPageCount};
    return {std::max(1, printer.fromPage()),
            std::min(m_nPageCount, std::max(printer.fromPage(), printer.toPage()))};
}

void CScriptPrinter::Print(QPrinter& printer, EMessage message)
{
    QPainter painter;
    if (!painter.begin(&printer))
    {
        UserInteraction().ShowMessage("Could not start print job.");
        return;
    }
    if (message == EMessage::Once)
        UserInteraction().ShowMessage(kSendingMessage);
    const auto [nFirst, nLast] = PagesToPrint(printer);
    for (int nPage = nFirst; nPage <= nLast; ++nPage)
    {
        if (nPage > nFirst)
            printer.newPage();
        if (message == EMessage::BeforeEachPage)
            UserInteraction().ShowMessage(kSendingMessage);
        DrawPage(painter, nPage);
    }
    painter.end();
}

void CScriptPrinter::DrawPage(QPainter& painter, int nPage)
{
    const long nLines = m_pane.GetLineCount();
    const long nFirst = static_cast<long>(nPage - 1) * m_nLinesPerPage;
    const long nEnd = std::min(nFirst + m_nLinesPerPage, nLines);
    const int nAscent = painter.fontMetrics().ascent();
    int y = m_settings.nTopMargin;
    QColor colour(0, 0, 0);
    for (long i = nFirst; i < nEnd; ++i)
    {
        std::string line = m_pane.GetLine(i);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        const std::string_view trimmed = TrimLeft(line);
        // A blank line leaves the colour as it was.
        if (!trimmed.empty())
            colour = trimmed[0] == '#' ? QColor(75, 75, 75) : QColor(0, 0, 0);
        painter.setPen(colour);
        painter.drawText(m_settings.nLeftMargin, y + nAscent, m_pane.ToDisplay(line));
        y += m_settings.nLineGap + m_nLineHeight;
    }
}
