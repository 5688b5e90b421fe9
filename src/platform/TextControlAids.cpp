// Aids drawn over the text without touching it or its formats: line numbers
// in the margin, the caret's line, and braces that pair.
#include "TextControl.h"
#include "text/Braces.h"

#include <algorithm>

namespace
{
constexpr unsigned long kLineNumberMargin = 0;
constexpr unsigned long kFoldMargin = 2;
constexpr int kFoldMarginWidth = 14;
// Below the fold markers (25 to 31), which share the margin.
constexpr std::uint32_t kMarginText = Rgb(128, 128, 128);
constexpr std::uint32_t kMarginBack = Rgb(240, 240, 240);
constexpr std::uint32_t kCaretLineBack = Rgb(240, 244, 252);
constexpr std::uint32_t kBraceBack = Rgb(160, 230, 160);
constexpr std::uint32_t kBadBraceBack = Rgb(255, 170, 170);
// Room for this many digits at least, so that the text does not shift while
// a new script grows to its tenth and hundredth line.
constexpr int kMinimumDigits = 3;
constexpr int kMarginPadding = 10;

int DigitsOf(long nNumber)
{
    int nDigits = 1;
    for (; nNumber >= 10; nNumber /= 10)
        ++nDigits;
    return nDigits;
}
} // namespace

void CTextControl::ShowLineNumbers(bool bShow)
{
    m_bLineNumbers = bShow;
    Sci(SCI_SETMARGINTYPEN, kLineNumberMargin, SC_MARGIN_NUMBER);
    StyleLineNumbers();
}

int CTextControl::LineNumberWidth() const
{
    return static_cast<int>(Sci(SCI_GETMARGINWIDTHN, kLineNumberMargin));
}

// The margin takes the default face and height, so that the numbers sit on
// their lines, in grey on a light grey ground.
void CTextControl::StyleLineNumbers()
{
    if (!m_bLineNumbers)
        return;
    DefineStyle(STYLE_LINENUMBER, m_styles.Look(CStyleTable::kDefaultStyle));
    Sci(SCI_STYLESETFORE, STYLE_LINENUMBER, static_cast<long>(kMarginText));
    Sci(SCI_STYLESETBACK, STYLE_LINENUMBER, static_cast<long>(kMarginBack));
    m_nLineNumberDigits = 0;
    UpdateLineNumberWidth();
}

void CTextControl::UpdateLineNumberWidth()
{
    if (!m_bLineNumbers)
    {
        Sci(SCI_SETMARGINWIDTHN, kLineNumberMargin, 0);
        return;
    }
    const int nDigits = std::max(kMinimumDigits, DigitsOf(GetLineCount()));
    if (nDigits == m_nLineNumberDigits)
        return;
    m_nLineNumberDigits = nDigits;
    const std::string widest(static_cast<size_t>(nDigits), '9');
    const long nWidth = SciText(SCI_TEXTWIDTH, STYLE_LINENUMBER, widest.c_str());
    Sci(SCI_SETMARGINWIDTHN, kLineNumberMargin, nWidth + kMarginPadding);
}

void CTextControl::HighlightCaretLine(bool bOn)
{
    Sci(SCI_SETCARETLINEBACK, static_cast<unsigned long>(kCaretLineBack));
    Sci(SCI_SETCARETLINEVISIBLE, bOn ? 1 : 0);
    Sci(SCI_SETCARETLINEVISIBLEALWAYS, bOn ? 1 : 0);
}

// Scintilla draws the pair as indicators under the text: the styles that the
// colouring reads stay as they are.
void CTextControl::SetBraceMatching(bool bOn)
{
    m_bBraceMatching = bOn;
    for (const auto& [nIndicator, crBack] :
         {std::pair{static_cast<unsigned long>(kBraceIndicator), kBraceBack},
          std::pair{static_cast<unsigned long>(kBadBraceIndicator), kBadBraceBack}})
    {
        Sci(SCI_INDICSETSTYLE, nIndicator, INDIC_STRAIGHTBOX);
        Sci(SCI_INDICSETFORE, nIndicator, static_cast<long>(crBack));
        Sci(SCI_INDICSETALPHA, nIndicator, 255);
        Sci(SCI_INDICSETOUTLINEALPHA, nIndicator, 255);
        Sci(SCI_INDICSETUNDER, nIndicator, 1);
    }
    Sci(SCI_BRACEHIGHLIGHTINDICATOR, 1, static_cast<long>(kBraceIndicator));
    Sci(SCI_BRACEBADLIGHTINDICATOR, 1, static_cast<long>(kBadBraceIndicator));
    UpdateBraceHighlight();
}

void CTextControl::UpdateBraceHighlight()
{
    long nBrace = -1;
    long nPartner = -1;
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    if (m_bBraceMatching && nStart == nEnd)
    {
        const std::string_view text = TextView();
        nBrace = ::Braces::BraceAtCaret(text, nEnd);
        if (nBrace >= 0)
            nPartner = ::Braces::PartnerOf(text, nBrace);
    }
    if (nBrace == m_highlightedBraces.first && nPartner == m_highlightedBraces.second)
        return;
    m_highlightedBraces = {nBrace, nPartner};
    if (nBrace >= 0 && nPartner < 0)
        Sci(SCI_BRACEBADLIGHT, static_cast<unsigned long>(nBrace));
    else
        Sci(SCI_BRACEHIGHLIGHT, static_cast<unsigned long>(nBrace), nPartner);
}

// ---- folding ---------------------------------------------------------------

void CTextControl::ShowFoldMargin(bool bShow)
{
    m_bFoldMargin = bShow;
    Sci(SCI_SETMARGINTYPEN, kFoldMargin, SC_MARGIN_SYMBOL);
    Sci(SCI_SETMARGINMASKN, kFoldMargin,
        static_cast<long>(SC_MASK_FOLDERS | (1u << kRunMarker) | (1u << kErrorMarker) |
                          (1u << kWarningMarker)));
    Sci(SCI_MARKERDEFINE, kRunMarker, SC_MARK_CIRCLE);
    Sci(SCI_MARKERSETFORE, kRunMarker, static_cast<long>(Rgb(150, 0, 0)));
    Sci(SCI_MARKERSETBACK, kRunMarker, static_cast<long>(Rgb(230, 0, 0)));
    Sci(SCI_MARKERDEFINE, kErrorMarker, SC_MARK_SMALLRECT);
    Sci(SCI_MARKERSETFORE, kErrorMarker, static_cast<long>(Rgb(150, 0, 0)));
    Sci(SCI_MARKERSETBACK, kErrorMarker, static_cast<long>(Rgb(230, 0, 0)));
    Sci(SCI_MARKERDEFINE, kWarningMarker, SC_MARK_SMALLRECT);
    Sci(SCI_MARKERSETFORE, kWarningMarker, static_cast<long>(Rgb(160, 90, 0)));
    Sci(SCI_MARKERSETBACK, kWarningMarker, static_cast<long>(Rgb(240, 140, 0)));
    Sci(SCI_SETMARGINWIDTHN, kFoldMargin, bShow ? kFoldMarginWidth : 0);
    Sci(SCI_SETMARGINSENSITIVEN, kFoldMargin, bShow ? 1 : 0);
    Sci(SCI_SETFOLDMARGINCOLOUR, 1, static_cast<long>(kMarginBack));
    Sci(SCI_SETFOLDMARGINHICOLOUR, 1, static_cast<long>(kMarginBack));
    static const std::pair<int, int> kMarkers[] = {
        {SC_MARKNUM_FOLDEROPEN, SC_MARK_BOXMINUS},
        {SC_MARKNUM_FOLDER, SC_MARK_BOXPLUS},
        {SC_MARKNUM_FOLDERSUB, SC_MARK_VLINE},
        {SC_MARKNUM_FOLDERTAIL, SC_MARK_LCORNER},
        {SC_MARKNUM_FOLDEREND, SC_MARK_BOXPLUSCONNECTED},
        {SC_MARKNUM_FOLDEROPENMID, SC_MARK_BOXMINUSCONNECTED},
        {SC_MARKNUM_FOLDERMIDTAIL, SC_MARK_TCORNER},
    };
    for (const auto& [nMarker, nSymbol] : kMarkers)
    {
        Sci(SCI_MARKERDEFINE, static_cast<unsigned long>(nMarker), nSymbol);
        Sci(SCI_MARKERSETFORE, static_cast<unsigned long>(nMarker),
            static_cast<long>(Rgb(255, 255, 255)));
        Sci(SCI_MARKERSETBACK, static_cast<unsigned long>(nMarker), static_cast<long>(kMarginText));
    }
    // Scintilla folds on a click in the margin itself, and unfolds what an
    // edit or a caret move needs to show.
    Sci(SCI_SETAUTOMATICFOLD,
        SC_AUTOMATICFOLD_SHOW | SC_AUTOMATICFOLD_CLICK | SC_AUTOMATICFOLD_CHANGE);
}

int CTextControl::FoldMarginWidth() const
{
    return static_cast<int>(Sci(SCI_GETMARGINWIDTHN, kFoldMargin));
}

CTextControl::CFoldLevel CTextControl::FoldLevel(long nLine) const
{
    const long nLevel = Sci(SCI_GETFOLDLEVEL, static_cast<unsigned long>(nLine));
    return {static_cast<int>((nLevel & SC_FOLDLEVELNUMBERMASK) - SC_FOLDLEVELBASE),
            (nLevel & SC_FOLDLEVELHEADERFLAG) != 0};
}

void CTextControl::SetFoldLevel(long nLine, const CFoldLevel& level)
{
    const long nDepth = std::clamp(level.nDepth, 0, SC_FOLDLEVELNUMBERMASK - SC_FOLDLEVELBASE);
    Sci(SCI_SETFOLDLEVEL, static_cast<unsigned long>(nLine),
        (SC_FOLDLEVELBASE + nDepth) | (level.bHeader ? SC_FOLDLEVELHEADERFLAG : 0));
}

bool CTextControl::FoldLine(long nLine, bool bFold)
{
    if (nLine < 0 || nLine >= GetLineCount() || !FoldLevel(nLine).bHeader)
        return false;
    Sci(SCI_FOLDLINE, static_cast<unsigned long>(nLine),
        bFold ? SC_FOLDACTION_CONTRACT : SC_FOLDACTION_EXPAND);
    return true;
}

bool CTextControl::IsFolded(long nLine) const
{
    return FoldLevel(nLine).bHeader &&
           Sci(SCI_GETFOLDEXPANDED, static_cast<unsigned long>(nLine)) == 0;
}

bool CTextControl::IsLineVisible(long nLine) const
{
    return Sci(SCI_GETLINEVISIBLE, static_cast<unsigned long>(nLine)) != 0;
}

long CTextControl::FoldHeaderOf(long nLine) const
{
    if (nLine < 0 || nLine >= GetLineCount())
        return -1;
    if (FoldLevel(nLine).bHeader)
        return nLine;
    return Sci(SCI_GETFOLDPARENT, static_cast<unsigned long>(nLine));
}

int CTextControl::LineState(long nLine) const
{
    return static_cast<int>(Sci(SCI_GETLINESTATE, static_cast<unsigned long>(nLine)));
}

void CTextControl::SetLineState(long nLine, int nState)
{
    Sci(SCI_SETLINESTATE, static_cast<unsigned long>(nLine), nState);
}

void CTextControl::EnsureLineVisible(long nLine)
{
    if (nLine >= 0 && nLine < GetLineCount() && !IsLineVisible(nLine))
        Sci(SCI_ENSUREVISIBLE, static_cast<unsigned long>(nLine));
}

void CTextControl::VisibleLines(long& nFirst, long& nLast) const
{
    const long nTop = Sci(SCI_GETFIRSTVISIBLELINE);
    nFirst = Sci(SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(nTop));
    nLast = std::min(
        GetLineCount() - 1,
        Sci(SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(nTop + Sci(SCI_LINESONSCREEN) + 1)));
}

// ---- indicators --------------------------------------------------------------

void CTextControl::FillIndicator(int nIndicator, long nStart, long nLength)
{
    if (nLength <= 0)
        return;
    Sci(SCI_SETINDICATORCURRENT, static_cast<unsigned long>(nIndicator));
    Sci(SCI_SETINDICATORVALUE, 1);
    Sci(SCI_INDICATORFILLRANGE, static_cast<unsigned long>(nStart), nLength);
    Sci(SCI_SETINDICATORCURRENT, kStrikeIndicator);
}

void CTextControl::SetMouseDwellTime(int nMs)
{
    Sci(SCI_SETMOUSEDWELLTIME, static_cast<unsigned long>(nMs > 0 ? nMs : SC_TIME_FOREVER));
}

void CTextControl::ClearIndicator(int nIndicator, long nStart, long nLength)
{
    if (nLength < 0)
        nLength = GetTextLength() - nStart;
    if (nLength <= 0)
        return;
    Sci(SCI_SETINDICATORCURRENT, static_cast<unsigned long>(nIndicator));
    Sci(SCI_INDICATORCLEARRANGE, static_cast<unsigned long>(nStart), nLength);
    Sci(SCI_SETINDICATORCURRENT, kStrikeIndicator);
}

bool CTextControl::IndicatorAt(int nIndicator, long nPos) const
{
    return Sci(SCI_INDICATORVALUEAT, static_cast<unsigned long>(nIndicator), nPos) != 0;
}

std::vector<std::pair<long, long>> CTextControl::IndicatorRanges(int nIndicator, long nFrom,
                                                                 long nTo) const
{
    std::vector<std::pair<long, long>> ranges;
    const long nLength = GetTextLength();
    if (nTo < 0 || nTo > nLength)
        nTo = nLength;
    const auto nId = static_cast<unsigned long>(nIndicator);
    long nPos = std::max(0L, nFrom);
    while (nPos < nTo)
    {
        if (!IndicatorAt(nIndicator, nPos))
        {
            const long nNext = Sci(SCI_INDICATOREND, nId, nPos);
            if (nNext <= nPos)
                break;
            nPos = nNext;
            continue;
        }
        const long nStart = Sci(SCI_INDICATORSTART, nId, nPos);
        long nEnd = Sci(SCI_INDICATOREND, nId, nPos);
        if (nEnd <= nPos)
            nEnd = nLength;
        ranges.emplace_back(std::max(nStart, nFrom), std::min(nEnd, nTo));
        nPos = nEnd;
    }
    return ranges;
}

void CTextControl::SetMarkerLines(int nMarker, const std::vector<long>& lines)
{
    Sci(SCI_MARKERDELETEALL, static_cast<unsigned long>(nMarker));
    const long nCount = GetLineCount();
    for (const long nLine : lines)
    {
        if (nLine >= 0 && nLine < nCount)
            Sci(SCI_MARKERADD, static_cast<unsigned long>(nLine), nMarker);
    }
}

void CTextControl::SetMarker(long nLine, int nMarker, bool bOn)
{
    if (nLine < 0 || nLine >= GetLineCount())
        return;
    const bool bHas =
        (Sci(SCI_MARKERGET, static_cast<unsigned long>(nLine)) & (1L << nMarker)) != 0;
    if (bOn && !bHas)
        Sci(SCI_MARKERADD, static_cast<unsigned long>(nLine), nMarker);
    else if (!bOn && bHas)
        Sci(SCI_MARKERDELETE, static_cast<unsigned long>(nLine), nMarker);
}

std::vector<long> CTextControl::MarkerLines(int nMarker) const
{
    std::vector<long> lines;
    for (long nLine = Sci(SCI_MARKERNEXT, 0, 1L << nMarker); nLine >= 0;
         nLine = Sci(SCI_MARKERNEXT, static_cast<unsigned long>(nLine) + 1, 1L << nMarker))
        lines.push_back(nLine);
    return lines;
}

long CTextControl::RunMarkerLine() const
{
    return Sci(SCI_MARKERNEXT, 0, 1L << kRunMarker);
}
