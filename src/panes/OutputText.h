#pragma once

#include "run/OutputDecoder.h"

#include <Qsci/qsciscintilla.h>
#include <vector>

// The text of the Output pane: a run's lines as they come, read-only, in the
// fixed-pitch face, standard error in dark red and ANSI colours as colours.
// It keeps the last kMaxLines lines; lines are counted from the run's first
// (absolute numbers), so links stay where they were as the front is dropped.
// A link is underlined; a click on it, or Enter on its line, activates it.
class COutputText : public QsciScintilla
{
    Q_OBJECT

public:
    explicit COutputText(QWidget* pParent = nullptr);

    static constexpr long kMaxLines = 200000;
    // And at most this much text, however long its lines.
    static constexpr long kMaxBytes = 64L << 20;

    // Empties the text for a new run.
    void Reset();
    // Lines that ended, then the line still being written (shown at the end,
    // written over as it changes).
    void Append(const std::vector<COutputDecoder::CLine>& lines, const COutputDecoder::CLine& open);
    // Lines dropped from the front, and lines written in all (finished ones).
    long DroppedLines() const { return m_nDropped; }
    long LinesWritten() const { return m_nWritten; }
    // Lines that will never be shown (more came at once than are kept): they
    // and every line shown so far count as dropped.
    void Skip(long nLines);
    // Underlines [nFrom, nTo) of an absolute line as link nLink: at once when
    // it is shown, as it comes when it is still to come, never when dropped.
    void AddLink(long nLine, size_t nFrom, size_t nTo, int nLink);
    // Puts the caret on a link's line and brings it into view.
    void ShowLink(int nLink);
    // The link at a position, or -1.
    int LinkAt(long nPos) const;

    static constexpr int kLinkIndicator = 8;

signals:
    void LinkActivated(int nLink);
    // Save Output As… from the pane's menu.
    void SaveRequested();

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private:
    long Sci(unsigned int nMessage, unsigned long wParam = 0, long lParam = 0) const;
    void AppendStyled(const std::vector<COutputDecoder::CLine>& lines, size_t nFirst,
                      const COutputDecoder::CLine& open);
    void DropFront();
    void ApplyLink(long nLine, size_t nFrom, size_t nTo, int nLink);
    void ApplyPendingLinks();

    struct CLink
    {
        long nLine;
        size_t nFrom;
        size_t nTo;
        int nLink;
    };
    std::vector<CLink> m_links;        // by absolute line
    std::vector<CLink> m_pendingLinks; // on lines still to come, in the order found
    long m_nDropped = 0;
    long m_nWritten = 0;
    bool m_bOpenLineShown = false;
    QPoint m_pressPoint;
};
