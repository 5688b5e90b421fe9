// Character formats of the text control: how formats map onto a bounded set
// of Scintilla styles, and how inserted text takes the format at its place.
#include "Latin1.h"
#include "TextControl.h"

#include <algorithm>
#include <array>

namespace
{
constexpr std::uint32_t kPitchMask = 0x03;
constexpr std::uint32_t kFamilyMask = 0xF0;

// A format may name no face, only a family; ask the font matcher for a
// generic family then.
std::string ResolveFace(const CStyleLook& look)
{
    if (!look.face.empty())
        return look.face;
    switch (look.bPitchAndFamily & kFamilyMask)
    {
    case FF_ROMAN:
        return "Serif";
    case FF_MODERN:
        return "Monospace";
    case FF_SWISS:
        return "Sans Serif";
    default:
        return (look.bPitchAndFamily & kPitchMask) == FIXED_PITCH ? "Monospace" : "Sans Serif";
    }
}

bool IsWordChar(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           c >= 0x80;
}
} // namespace

int CTextControl::StyleAt(long nPos) const
{
    return static_cast<int>(Sci(SCI_GETSTYLEAT, static_cast<unsigned long>(nPos)) & 0xFF);
}

bool CTextControl::StrikeAt(long nPos) const
{
    return m_bAnyStrike && Sci(SCI_INDICATORVALUEAT, INDIC_CONTAINER, nPos) != 0;
}

std::string CTextControl::StyleBytes(long nStart, long nEnd) const
{
    if (nEnd <= nStart)
        return {};
    // Scintilla hands out character and style interleaved.
    std::string styled(2 * static_cast<size_t>(nEnd - nStart) + 2, '\0');
    SendScintilla(SCI_GETSTYLEDTEXT, nStart, nEnd, styled.data());
    std::string styles(static_cast<size_t>(nEnd - nStart), '\0');
    for (size_t i = 0; i < styles.size(); ++i)
        styles[i] = styled[2 * i + 1];
    return styles;
}

void CTextControl::DefineStyle(int nStyle, const CStyleLook& look)
{
    const auto nId = static_cast<unsigned long>(nStyle);
    Sci(SCI_STYLESETFORE, nId, static_cast<long>(look.crColor));
    Sci(SCI_STYLESETBACK, nId, static_cast<long>(m_crBackground));
    SciText(SCI_STYLESETFONT, nId, ResolveFace(look).c_str());
    Sci(SCI_STYLESETSIZEFRACTIONAL, nId,
        static_cast<long>(look.yHeight) * SC_FONT_SIZE_MULTIPLIER / 20);
    Sci(SCI_STYLESETBOLD, nId, 0);
    Sci(SCI_STYLESETITALIC, nId, look.bItalic ? 1 : 0);
    // Scintilla's underline runs through the underscores; an indicator draws it
    // below them (see SetUnderlineRange).
    Sci(SCI_STYLESETUNDERLINE, nId, 0);
    Sci(SCI_STYLESETCHARACTERSET, nId, SC_CHARSET_ANSI);
}

// Unused styles are reset to the default look too: Scintilla sizes every line
// by the tallest style it knows, used or not.
void CTextControl::RefreshAllStyles()
{
    const CStyleLook& defaultLook = m_styles.Look(CStyleTable::kDefaultStyle);
    DefineStyle(STYLE_DEFAULT, defaultLook);
    Sci(SCI_STYLECLEARALL);
    for (int nStyle = 0; nStyle < CStyleTable::kStyleCount; ++nStyle)
    {
        if (m_styles.IsAllocated(nStyle))
            DefineStyle(nStyle, m_styles.Look(nStyle));
    }
    StyleLineNumbers();
}

void CTextControl::ReleaseUnusedStyles()
{
    std::array<bool, CStyleTable::kStyleCount> used{};
    used[CStyleTable::kDefaultStyle] = true;
    if (m_nPendingPos >= 0)
        used[static_cast<size_t>(m_nPendingStyle)] = true;
    for (const char style : StyleBytes(0, GetTextLength()))
        used[static_cast<unsigned char>(style)] = true;
    const CStyleLook defaultLook = m_styles.Look(CStyleTable::kDefaultStyle);
    for (int nStyle = 0; nStyle < CStyleTable::kStyleCount; ++nStyle)
    {
        if (m_styles.IsAllocated(nStyle) && !used[static_cast<size_t>(nStyle)])
        {
            m_styles.Release(nStyle);
            DefineStyle(nStyle, defaultLook);
        }
    }
}

int CTextControl::InternLook(const CStyleLook& look)
{
    int nStyle = m_styles.Find(look);
    if (nStyle >= 0)
        return nStyle;
    nStyle = m_styles.Allocate(look);
    if (nStyle < 0)
    {
        ReleaseUnusedStyles();
        nStyle = m_styles.Allocate(look);
    }
    if (nStyle < 0)
        return CStyleTable::kDefaultStyle; // more distinct formats in use than styles exist
    DefineStyle(nStyle, look);
    return nStyle;
}

void CTextControl::SetStyleRange(long nStart, long nLength, int nStyle)
{
    if (nLength <= 0)
        return;
    Sci(SCI_STARTSTYLING, static_cast<unsigned long>(nStart), 0xFF);
    Sci(SCI_SETSTYLING, static_cast<unsigned long>(nLength), nStyle);
    const CStyleLook& look = m_styles.Look(nStyle);
    SetUnderlineRange(nStart, nLength, look.bUnderline, look.crColor);
}

// Underlined text is drawn with a thin line at the bottom of its line, in
// the text's colour, so that an underscore in a name stays visible.
void CTextControl::SetUnderlineRange(long nStart, long nLength, bool bUnderline,
                                     std::uint32_t crColour)
{
    if (nLength <= 0 || (!bUnderline && !m_bAnyUnderline))
        return;
    Sci(SCI_SETINDICATORCURRENT, kUnderlineIndicator);
    if (bUnderline)
    {
        m_bAnyUnderline = true;
        Sci(SCI_SETINDICATORVALUE, static_cast<unsigned long>(crColour | SC_INDICVALUEBIT));
        Sci(SCI_INDICATORFILLRANGE, static_cast<unsigned long>(nStart), nLength);
    }
    else
        Sci(SCI_INDICATORCLEARRANGE, static_cast<unsigned long>(nStart), nLength);
    Sci(SCI_SETINDICATORCURRENT, INDIC_CONTAINER);
}

// The underline of every run of [nStart, nStart + styles' length) from its
// style: the range is cleared at once, then the underlined runs filled, so a
// whole script costs a few calls, not some for every run.
void CTextControl::SetUnderlineRuns(long nStart, std::string_view styles)
{
    std::array<bool, CStyleTable::kStyleCount> underlined{};
    bool bAny = false;
    for (int nStyle = 0; nStyle < CStyleTable::kStyleCount; ++nStyle)
    {
        underlined[static_cast<size_t>(nStyle)] =
            m_styles.IsAllocated(nStyle) && m_styles.Look(nStyle).bUnderline;
        bAny = bAny || underlined[static_cast<size_t>(nStyle)];
    }
    if (m_bAnyUnderline)
        SetUnderlineRange(nStart, static_cast<long>(styles.size()), false, 0);
    if (!bAny)
        return;
    // Few styles are underlined (a sourced name's): each one's runs are found
    // with the library's byte search.
    for (int nStyle = 0; nStyle < CStyleTable::kStyleCount; ++nStyle)
    {
        if (!underlined[static_cast<size_t>(nStyle)])
            continue;
        const char style = static_cast<char>(nStyle);
        for (size_t nRun = styles.find(style); nRun != std::string_view::npos;)
        {
            size_t nRunEnd = nRun + 1;
            while (nRunEnd < styles.size() && styles[nRunEnd] == style)
                ++nRunEnd;
            SetUnderlineRange(nStart + static_cast<long>(nRun), static_cast<long>(nRunEnd - nRun),
                              true, m_styles.Look(nStyle).crColor);
            nRun = styles.find(style, nRunEnd);
        }
    }
}

void CTextControl::SetStrikeRange(long nStart, long nLength, bool bStrike)
{
    if (nLength <= 0 || (!bStrike && !m_bAnyStrike))
        return;
    Sci(SCI_SETINDICATORCURRENT, INDIC_CONTAINER);
    if (bStrike)
    {
        m_bAnyStrike = true;
        Sci(SCI_SETINDICATORVALUE, 1);
        Sci(SCI_INDICATORFILLRANGE, static_cast<unsigned long>(nStart), nLength);
    }
    else
        Sci(SCI_INDICATORCLEARRANGE, static_cast<unsigned long>(nStart), nLength);
}

void CTextControl::ApplyFormat(long nStart, long nEnd, const CCharFormat& format)
{
    if (nEnd <= nStart)
        return;
    if ((format.dwMask & kLookMask) == kLookMask)
    {
        SetStyleRange(nStart, nEnd - nStart, InternLook(MergeFormat(CStyleLook(), format)));
    }
    else if (format.dwMask & kLookMask)
    {
        MergeIntoRuns(nStart, StyleBytes(nStart, nEnd), format,
                      m_styles.Look(CStyleTable::kDefaultStyle));
    }
    if (format.dwMask & CFM_STRIKEOUT)
        SetStrikeRange(nStart, nEnd - nStart, (format.dwEffects & CFE_STRIKEOUT) != 0);
}

void CTextControl::MergeIntoRuns(long nStart, const std::string& styles, const CCharFormat& format,
                                 const CStyleLook& defaultLook)
{
    size_t nRun = 0;
    while (nRun < styles.size())
    {
        size_t nRunEnd = nRun + 1;
        while (nRunEnd < styles.size() && styles[nRunEnd] == styles[nRun])
            ++nRunEnd;
        const int nOld = static_cast<unsigned char>(styles[nRun]);
        const CStyleLook& base =
            nOld == CStyleTable::kDefaultStyle ? defaultLook : m_styles.Look(nOld);
        SetStyleRange(nStart + static_cast<long>(nRun), static_cast<long>(nRunEnd - nRun),
                      InternLook(MergeFormat(base, format)));
        nRun = nRunEnd;
    }
}

void CTextControl::InsertionStyle(long nPos, long nInserted, int& nStyle, bool& bStrike) const
{
    nStyle = CStyleTable::kDefaultStyle;
    bStrike = m_bDefaultStrike;
    if (nPos > 0)
    {
        nStyle = StyleAt(nPos - 1);
        bStrike = StrikeAt(nPos - 1);
    }
    else if (nInserted < GetTextLength())
    {
        nStyle = StyleAt(nInserted);
        bStrike = StrikeAt(nInserted);
    }
    if (!m_styles.IsAllocated(nStyle))
        nStyle = CStyleTable::kDefaultStyle;
}

CCharFormat CTextControl::FormatOf(int nStyle, bool bStrike) const
{
    const CStyleLook& look = m_styles.Look(nStyle);
    CCharFormat format;
    format.dwMask = CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_CHARSET | CFM_EFFECTS;
    format.dwEffects = (look.bItalic ? CFE_ITALIC : 0) | (look.bUnderline ? CFE_UNDERLINE : 0) |
                       (bStrike ? CFE_STRIKEOUT : 0);
    format.yHeight = look.yHeight;
    format.crTextColor = look.crColor;
    format.bCharSet = 0;
    format.bPitchAndFamily = look.bPitchAndFamily;
    format.szFaceName = look.face;
    return format;
}

void CTextControl::SetBackgroundColor(std::uint32_t crBackground)
{
    m_crBackground = crBackground & 0x00FFFFFF;
    RefreshAllStyles();
}

bool CTextControl::SetDefaultCharFormat(const CCharFormat& format)
{
    const CStyleLook oldDefault = m_styles.Look(CStyleTable::kDefaultStyle);
    const CStyleLook newDefault = MergeFormat(oldDefault, format);
    const std::string styles = StyleBytes(0, GetTextLength());
    m_nPendingPos = -1;
    m_styles.SetDefaultLook(newDefault);
    DefineStyle(STYLE_DEFAULT, newDefault);
    DefineStyle(CStyleTable::kDefaultStyle, newDefault);
    StyleLineNumbers();
    if (format.dwMask & CFM_STRIKEOUT)
        m_bDefaultStrike = (format.dwEffects & CFE_STRIKEOUT) != 0;

    // The format reaches every character, merged into what each one has.
    MergeIntoRuns(0, styles, format, oldDefault);
    if (format.dwMask & CFM_STRIKEOUT)
        SetStrikeRange(0, GetTextLength(), m_bDefaultStrike);
    return true;
}

bool CTextControl::SetSelectionCharFormat(const CCharFormat& format)
{
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    if (nStart != nEnd)
    {
        ApplyFormat(nStart, nEnd, format);
        return true;
    }
    int nStyle = m_nPendingStyle;
    bool bStrike = m_bPendingStrike;
    if (m_nPendingPos != nStart)
        InsertionStyle(nStart, 0, nStyle, bStrike);
    if (format.dwMask & CFM_STRIKEOUT)
        bStrike = (format.dwEffects & CFE_STRIKEOUT) != 0;
    const CStyleLook look = MergeFormat(m_styles.Look(nStyle), format);
    m_nPendingPos = -1; // the old pending style may be released while interning
    m_nPendingStyle = InternLook(look);
    m_bPendingStrike = bStrike;
    m_nPendingPos = nStart;
    return true;
}

void CTextControl::WidenToWords(long& nStart, long& nEnd) const
{
    const long nLength = GetTextLength();
    auto insideWord = [&](long nPos) {
        return nPos > 0 && nPos < nLength && IsWordChar(CharAt(nPos - 1)) &&
               IsWordChar(CharAt(nPos));
    };
    if (insideWord(nStart))
    {
        while (nStart > 0 && IsWordChar(CharAt(nStart - 1)))
            --nStart;
    }
    if (insideWord(nEnd))
    {
        while (nEnd < nLength && IsWordChar(CharAt(nEnd)))
            ++nEnd;
    }
}

bool CTextControl::SetWordCharFormat(const CCharFormat& format)
{
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    WidenToWords(nStart, nEnd);
    if (nStart == nEnd)
        return SetSelectionCharFormat(format);
    ApplyFormat(nStart, nEnd, format);
    return true;
}

void CTextControl::SetCharFormats(long nStart, std::string formatOfChar,
                                  const std::vector<CCharFormat>& formats)
{
    nStart = std::max(0L, nStart);
    const long nLength = std::min(static_cast<long>(formatOfChar.size()), GetTextLength() - nStart);
    if (nLength <= 0)
        return;
    std::vector<int> styleOf(formats.size());
    for (size_t i = 0; i < formats.size(); ++i)
        styleOf[i] = InternLook(MergeFormat(m_styles.Look(CStyleTable::kDefaultStyle), formats[i]));
    const bool bKeepSome = formatOfChar.find(kKeepFormat) < static_cast<size_t>(nLength);
    const bool bStrikePass = m_bAnyStrike || std::any_of(formats.begin(), formats.end(),
                                                         [](const CCharFormat& f) {
                                                             return (f.dwMask & CFM_STRIKEOUT) &&
                                                                    (f.dwEffects & CFE_STRIKEOUT);
                                                         });
    std::string styles;
    if (bKeepSome)
    {
        styles = StyleBytes(nStart, nStart + nLength);
        for (size_t i = 0; i < styles.size(); ++i)
        {
            if (formatOfChar[i] != kKeepFormat)
                styles[i] = static_cast<char>(styleOf[static_cast<unsigned char>(formatOfChar[i])]);
        }
    }
    else
    {
        // One table lookup a character, without a branch: a whole script is
        // formatted this way.
        std::array<char, 256> styleOfFormat{};
        for (size_t i = 0; i < formats.size(); ++i)
            styleOfFormat[i] = static_cast<char>(styleOf[i]);
        // The formats become the styles in place, unless the strike-out
        // pass below still needs them.
        if (bStrikePass)
            styles.assign(formatOfChar, 0, static_cast<size_t>(nLength));
        else
            styles = std::move(formatOfChar);
        styles.resize(static_cast<size_t>(nLength));
        for (char& c : styles)
            c = styleOfFormat[static_cast<unsigned char>(c)];
    }
    Sci(SCI_STARTSTYLING, static_cast<unsigned long>(nStart), 0xFF);
    SciText(SCI_SETSTYLINGEX, styles.size(), styles.data());
    SetUnderlineRuns(nStart, styles);

    if (!bStrikePass)
        return;
    size_t nRun = 0;
    while (nRun < styles.size())
    {
        size_t nRunEnd = nRun + 1;
        while (nRunEnd < styles.size() && formatOfChar[nRunEnd] == formatOfChar[nRun])
            ++nRunEnd;
        if (formatOfChar[nRun] != kKeepFormat)
        {
            const CCharFormat& format = formats[static_cast<unsigned char>(formatOfChar[nRun])];
            if (format.dwMask & CFM_STRIKEOUT)
                SetStrikeRange(nStart + static_cast<long>(nRun), static_cast<long>(nRunEnd - nRun),
                               (format.dwEffects & CFE_STRIKEOUT) != 0);
        }
        nRun = nRunEnd;
    }
}

CCharFormat CTextControl::GetCharFormatAt(long nPos) const
{
    if (nPos < 0 || nPos >= GetTextLength())
        return GetDefaultCharFormat();
    return FormatOf(StyleAt(nPos), StrikeAt(nPos));
}

CCharFormat CTextControl::GetDefaultCharFormat() const
{
    return FormatOf(CStyleTable::kDefaultStyle, m_bDefaultStrike);
}

CCharFormat CTextControl::GetSelectionCharFormat() const
{
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    if (nStart == nEnd)
    {
        if (m_nPendingPos == nStart)
            return FormatOf(m_nPendingStyle, m_bPendingStrike);
        int nStyle = 0;
        bool bStrike = false;
        InsertionStyle(nStart, 0, nStyle, bStrike);
        return FormatOf(nStyle, bStrike);
    }

    const std::string styles = StyleBytes(nStart, nEnd);
    CCharFormat format = FormatOf(static_cast<unsigned char>(styles[0]), StrikeAt(nStart));
    std::array<bool, CStyleTable::kStyleCount> seen{};
    for (const char style : styles)
    {
        const auto nStyle = static_cast<unsigned char>(style);
        if (seen[nStyle])
            continue;
        seen[nStyle] = true;
        const CStyleLook& look = m_styles.Look(nStyle);
        if (look.yHeight != format.yHeight)
            format.dwMask &= ~CFM_SIZE;
        if (look.crColor != format.crTextColor)
            format.dwMask &= ~CFM_COLOR;
        if (look.face != format.szFaceName || look.bPitchAndFamily != format.bPitchAndFamily)
            format.dwMask &= ~CFM_FACE;
        if (look.bItalic != ((format.dwEffects & CFE_ITALIC) != 0))
            format.dwMask &= ~CFM_ITALIC;
        if (look.bUnderline != ((format.dwEffects & CFE_UNDERLINE) != 0))
            format.dwMask &= ~CFM_UNDERLINE;
    }
    if (m_bAnyStrike)
    {
        const bool bFirst = StrikeAt(nStart);
        for (long nPos = nStart + 1; nPos < nEnd; ++nPos)
        {
            if (StrikeAt(nPos) != bFirst)
            {
                format.dwMask &= ~CFM_STRIKEOUT;
                break;
            }
        }
    }
    return format;
}
