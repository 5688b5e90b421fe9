#pragma once

#include <QObject>
#include <cstdint>
#include <string>

class CTextControl;
class QTimer;

// Marks, in the lines on screen, the other places where the word at the caret
// stands as a whole word (two characters or more); after a search, every
// match of the text searched for. A light box drawn under the text: the
// text's formats are never touched.
class COccurrenceMarker : public QObject
{
    Q_OBJECT

public:
    explicit COccurrenceMarker(CTextControl& control);

    // The search just selected [nMatchStart, nMatchEnd): its matches are marked
    // until the selection moves elsewhere.
    void MarkSearch(const std::string& findWhat, std::uint32_t nFlags, long nMatchStart,
                    long nMatchEnd);
    // Marks again now, rather than once the queued events are handled.
    void Update();

    // The word the caret stands on, as marking takes it: letters, digits,
    // "_" and every byte past ASCII; empty when shorter than two characters.
    static std::string WordAt(std::string_view text, long nPos, long& nStart, long& nEnd);

private:
    void UpdateSoon();
    // Scintilla reports each change of the marks themselves as an update
    // too: only a caret or selection that moved is worth marking again, or
    // the marks would be redrawn for ever.
    void SelectionMoved();
    long m_nLastSelStart = -1;
    long m_nLastSelEnd = -1;

    CTextControl& m_control;
    QTimer* m_pTimer;
    std::string m_search;
    std::uint32_t m_nSearchFlags = 0;
    long m_nSearchStart = -1;
    long m_nSearchEnd = -1;
    // The part of the text last marked, cleared before marking again.
    long m_nMarkedFrom = 0;
    long m_nMarkedTo = 0;
};
