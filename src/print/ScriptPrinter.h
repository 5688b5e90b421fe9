#pragma once

#include "platform/PrintSettings.h"

#include <utility>

class CTextControl;
class QPainter;
class QPrinter;

// Prints the script as plain lines, one text line per printed line, comment
// lines in dark grey. Lines per page come from the printable height and the
// margins taken as hundredths of an inch; the page is drawn in device units
// with the printer at 600 dots per inch, so the margins and gap stay legible.
class CScriptPrinter
{
public:
    using CSettings = CPrintSettings;

    CScriptPrinter(const CTextControl& pane, const CSettings& settings);

    static int LinesPerPage(int nPageHeight, int nTopMargin, int nBottomMargin, int nLineHeight);
    static int PageCount(int nLines, int nLinesPerPage);

    // Measures on the printer; false, with a message, when the margins leave
    // no room for a line.
    bool Prepare(QPrinter& printer);
    // When "Sending to Print Device/ Print Preview" is shown.
    enum class EMessage
    {
        BeforeEachPage, // printing
        Once,           // a preview, the first time it is drawn
        Never,          // a preview drawn again
    };
    // Draws the pages the printer asks for: all, or the range chosen in the
    // print dialog.
    void Print(QPrinter& printer, EMessage message);
    // The first and last page (from 1) the printer's range asks for, within the script.
    std::pair<int, int> PagesToPrint(const QPrinter& printer) const;

    // Draws page nPage (from 1) in the painter's device units.
    void DrawPage(QPainter& painter, int nPage);

    int m_nLinesPerPage = 0;
    int m_nPageCount = 0;
    int m_nLineHeight = 0; // hundredths of an inch

private:
    const CTextControl& m_pane;
    CSettings m_settings;
};
