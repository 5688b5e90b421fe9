// Aids drawn over the text without touching it or its formats: line numbers
// in the margin, the caret's line, and braces that pair.
#include "Braces.h"
#include "TextControl.h"

#include <algorithm>

namespace
{
constexpr unsigned long kLineNumberMargin = 0;
constexpr unsigned long kBraceIndicator = QsciScintillaBase::INDIC_CONTAINER + 1;
constexpr unsigned long kBadBraceIndicator = QsciScintillaBase::INDIC_CONTAINER + 2;
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
         {std::pair{kBraceIndicator, kBraceBack}, std::pair{kBadBraceIndicator, kBadBraceBack}})
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
