// Colouring of the editing pane ("fontify"). Typing colours the word at the
// caret through the selection, as the control's formats work; recolouring a
// line or the whole text computes what the word-by-word pass would leave and
// applies it at once, so the selection does not wander and nothing flickers.
#include "CorvaleDoc.h"
#include "ScriptEdit.h"
#include "platform/Latin1.h"
#include "platform/ScopedValue.h"
#include "platform/WaitCursor.h"
#include "text/WhiteSpace.h"

#include <QApplication>
#include <QFontDatabase>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>

namespace
{
constexpr int kSummaryHeightPercent = 75;
constexpr long long kProgressIntervalMs = 100;

long long NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

// The face as a format holds it: at most 31 characters.
std::string CScriptEdit::FixedPitchFace()
{
    return FromQString(QFontDatabase::systemFont(QFontDatabase::FixedFont).family()).substr(0, 31);
}

void CScriptEdit::SetUpFormats()
{
    m_nFontHeight = 210;
    m_charFormat = CCharFormat();
    m_charFormat.dwMask = 0xE040000E;
    m_charFormat.dwEffects = 0;
    m_charFormat.yHeight = m_nFontHeight;
    m_charFormat.crTextColor = m_crText;
    m_charFormat.bCharSet = 0;
    m_charFormat.bPitchAndFamily = FIXED_PITCH;
    m_charFormat.szFaceName = "Courier New";
    SetDefaultCharFormat(m_charFormat);
    SetBackgroundColor(Rgb(255, 255, 255));

    if (m_pSummaryPane != nullptr)
    {
        CCharFormat summary;
        summary.dwMask = 0xE040000E;
        summary.dwEffects = 0;
        summary.yHeight = m_nFontHeight * kSummaryHeightPercent / 100;
        summary.crTextColor = Rgb(100, 50, 50);
        summary.bCharSet = 0;
        // Help files line their argument tables up with spaces.
        summary.bPitchAndFamily = FIXED_PITCH | FF_MODERN;
        summary.szFaceName = FixedPitchFace();
        m_pSummaryPane->SetDefaultCharFormat(summary);
    }

    m_tclKeywords.assign(std::begin(CLineColourer::kTclKeywords),
                         std::end(CLineColourer::kTclKeywords));
}

CCharFormat CScriptEdit::FormatOf(EWordColour colour) const
{
    CCharFormat format = m_charFormat;
    format.yHeight = m_nFontHeight;
    format.dwEffects = 0;
    switch (colour)
    {
    case EWordColour::Plain:
        format.crTextColor = m_crText;
        break;
    case EWordColour::Keyword:
        format.crTextColor = m_crKeyword;
        break;
    case EWordColour::Command:
        format.crTextColor = m_crCommand;
        break;
    case EWordColour::SubCommand:
        format.crTextColor = m_crSubCommand;
        break;
    case EWordColour::Comment:
        format.crTextColor = m_crComment;
        break;
    case EWordColour::SourcedName:
        format.crTextColor = m_crText;
        format.dwEffects = CFE_ITALIC | CFE_UNDERLINE;
        break;
    }
    return format;
}

std::vector<CCharFormat> CScriptEdit::AllFormats() const
{
    std::vector<CCharFormat> formats;
    for (int i = 0; i < kWordColourCount; ++i)
        formats.push_back(FormatOf(static_cast<EWordColour>(i)));
    return formats;
}

std::string CScriptEdit::WordAtColumn(const std::string& line, long nLength, long nColumn) const
{
    CLineWalk walk(line, nLength);
    CLineWalk::CWord word;
    walk.WordAt(nColumn, word);
    return line.substr(static_cast<size_t>(word.nStart),
                       static_cast<size_t>(word.nEnd - word.nStart));
}

bool CScriptEdit::IsKeyword(const std::string& word) const
{
    return std::find(m_tclKeywords.begin(), m_tclKeywords.end(), word) != m_tclKeywords.end();
}

void CScriptEdit::ApplyToSelection(EWordColour colour)
{
    SetSelectionCharFormat(FormatOf(colour));
}

void CScriptEdit::ColourRange(long nStart, long nEnd, EWordColour colour, bool bWholeWords)
{
    long nSavedStart = 0;
    long nSavedEnd = 0;
    GetSel(nSavedStart, nSavedEnd);
    SetSel(std::max(0L, nStart), std::max(0L, nEnd));
    if (bWholeWords)
        SetWordCharFormat(FormatOf(colour));
    else
        SetSelectionCharFormat(FormatOf(colour));
    SetSel(nSavedStart, nSavedEnd);
}

// Typing mode shares the word rules with recolouring; what it does its own way
// is which range it colours (command names as whole words) and that it never
// resets a word it does not find.
void CScriptEdit::FontifyWord(const std::string& line, long nLength, long nColumn, bool bRecolour,
                              bool bLookUpOnly)
{
    CLineWalk::CWord word;
    const int nColour = Colourer().ClassifyWordAt(line, nLength, nColumn, word);
    if (nColour < 0)
    {
        ApplyToSelection(EWordColour::Plain);
        return;
    }
    ShowHelpOfWord(word, static_cast<EWordColour>(nColour));
    if (bLookUpOnly)
        return;
    const long nLineStart = LineIndex(-1);
    const long nWordStart = nLineStart + word.nStart;
    const long nWordEnd = nLineStart + word.nEnd;
    switch (const auto colour = static_cast<EWordColour>(nColour))
    {
    case EWordColour::Command:
    case EWordColour::SubCommand:
        ColourRange(nWordStart, nWordEnd, colour, true);
        break;
    case EWordColour::Plain:
        if (bRecolour)
            ColourRange(nWordStart, nWordEnd, colour, false);
        else
            ApplyToSelection(EWordColour::Plain); // typing never resets a word that is not found
        break;
    default:
        ColourRange(nWordStart, nWordEnd, colour, false);
        break;
    }
}

void CScriptEdit::FontifyAtCaret(char ch, bool bRecolour, bool bLookUpOnly)
{
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    const long nLineStart = LineIndex(-1);
    const long nLine = LineFromChar(-1);
    const long nLength = LineLength(-1);
    std::string line = GetLine(nLine);
    if (static_cast<long>(line.size()) > nLength)
        line.resize(static_cast<size_t>(std::max(0L, nLength)));

    const std::string_view trimmed = TrimLeft(line);
    if (trimmed.empty())
        return;
    if (trimmed[0] == '#')
        ColourRange(nStart - 1, nEnd, EWordColour::Comment, false);
    else if (ch == '#')
        ColourRange(nStart - 1, nLineStart + nLength, EWordColour::Comment, false);
    else
    {
        FontifyWord(line, nLength, nStart - nLineStart, bRecolour, bLookUpOnly);
        SetSel(nStart, nEnd);
    }
}

// As a click looks the word up, but nothing is coloured: not even the
// selection a Shift+arrow leaves, nor a comment line.
void CScriptEdit::LookUpAtCaret()
{
    if (m_bHelpOn == 0)
        return;
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    const long nLineStart = LineIndex(-1);
    const long nLength = LineLength(nStart);
    const std::string line = GetTextRange(nLineStart, nLineStart + nLength);
    const std::string_view trimmed = TrimLeft(line);
    if (trimmed.empty() || trimmed[0] == '#')
        return;
    CLineWalk::CWord word;
    const int nColour = Colourer().ClassifyWordAt(line, nLength, nStart - nLineStart, word);
    if (nColour >= 0)
        ShowHelpOfWord(word, static_cast<EWordColour>(nColour));
}

// A word classified as a library command shows that command's help while
// help is on: the record that classifying found.
void CScriptEdit::ShowHelpOfWord(const CLineWalk::CWord& word, EWordColour colour)
{
    if (colour == EWordColour::Command)
        ShowCommandHelp(word.trimmed, "command");
    else if (colour == EWordColour::SubCommand)
        ShowCommandHelp(word.trimmed, word.context);
}

// The word rules with this pane's keywords and library.
CLineColourer CScriptEdit::Colourer() const
{
    return CLineColourer(m_tclKeywords, [this](std::string_view keyword, std::string_view parent)
                         { return m_library.Find(keyword, parent) >= 0; });
}

// While the lists are being filled, set and source words go to the document.
CLineColourer::WordVisitor CScriptEdit::ListFiller()
{
    return [this](const CLineWalk::CWord& word, EWordColour)
    {
        if (word.context == "source")
            m_pDoc->AddSource(std::string(word.trimmed));
        else if (word.context == "set")
            m_pDoc->AddVariable(std::string(word.trimmed));
    };
}

void CScriptEdit::FontifyLine(long nLine)
{
    FontifyLines(nLine, nLine);
}

// Each line as its word-by-word pass leaves it, all applied at once. Blank
// lines, and whatever lies past a line's extent, keep their formats.
void CScriptEdit::FontifyLines(long nFirst, long nLast)
{
    const long nLines = GetLineCount();
    nFirst = std::max(0L, nFirst);
    nLast = std::min(nLast, nLines - 1);
    if (nFirst > nLast || LineIndex(nFirst) < 0)
        return;
    const CScopedValue<int> helpOff(m_bHelpOn, 0);
    const long nRangeStart = LineIndex(nFirst);
    const std::string text =
        GetTextRange(nRangeStart, nLast + 1 < nLines ? LineIndex(nLast + 1) : GetTextLength());
    std::string formatOfChar(text.size(), kKeepFormat);
    const CLineColourer colourer = Colourer();
    std::vector<CLineColourer::CSpan> spans;
    bool bWordLine = false;
    for (long i = nFirst; i <= nLast; ++i)
    {
        const auto nFrom = static_cast<size_t>(LineIndex(i) - nRangeStart);
        const size_t nTo =
            i < nLast ? static_cast<size_t>(LineIndex(i + 1) - nRangeStart) : text.size();
        const std::string_view line(text.data() + nFrom, nTo - nFrom);
        if (!colourer.ColourLine(line, spans))
            continue;
        for (const CLineColourer::CSpan& span : spans)
        {
            const size_t nSpanStart =
                nFrom + std::min(static_cast<size_t>(span.nStart), line.size());
            const size_t nSpanEnd = nFrom + std::min(static_cast<size_t>(span.nEnd), line.size());
            std::fill(formatOfChar.begin() + static_cast<std::ptrdiff_t>(nSpanStart),
                      formatOfChar.begin() + static_cast<std::ptrdiff_t>(nSpanEnd),
                      static_cast<char>(span.colour));
        }
        bWordLine = bWordLine || TrimLeft(line)[0] != '#';
    }
    SetCharFormats(nRangeStart, std::move(formatOfChar), AllFormats());
    // A comment line keeps the selection; any other line leaves the caret at
    // the selection's end.
    if (bWordLine)
    {
        long nStart = 0;
        long nEnd = 0;
        GetSel(nStart, nEnd);
        SetSel(nEnd, nEnd);
    }
}

void CScriptEdit::UndoAndFontify()
{
    const CTextSpan changed = Undo();
    if (changed.nStart >= 0)
        FontifyLines(LineFromChar(changed.nStart), LineFromChar(changed.nEnd));
}

void CScriptEdit::RedoAndFontify()
{
    const CTextSpan changed = Redo();
    if (changed.nStart >= 0)
        FontifyLines(LineFromChar(changed.nStart), LineFromChar(changed.nEnd));
}

void CScriptEdit::FontifyCurrentLine()
{
    FontifyLine(LineFromChar(-1));
}

void CScriptEdit::ShowProgress(const std::string& text, bool bForce)
{
    if (m_pSummaryPane == nullptr)
        return;
    // Every fifth line changes the text; showing each change would cost more
    // than the colouring itself, so the pane is repainted a few times a second.
    const long long nNow = NowMs();
    if (!bForce && nNow - m_nLastProgressMs < kProgressIntervalMs)
        return;
    m_nLastProgressMs = nNow;
    m_pSummaryPane->SetWindowText(text);
    if (m_pSummaryPane->isVisible())
        m_pSummaryPane->viewport()->repaint();
}

bool CScriptEdit::AdvanceProgress(std::string& progress, long nLine)
{
    if (nLine % 200 == 0)
    {
        progress += "\n";
        return false;
    }
    if (nLine % 5 != 0)
        return false;
    progress += ".";
    return true;
}

void CScriptEdit::FontifyAll()
{
    const CWaitCursor waitCursor;
    std::string progress = "Formatting";
    ShowProgress(progress, true);

    const CScopedValue<int> helpOff(m_bHelpOn, 0);
    std::optional<CScopedValue<int>> fillingLists(std::in_place, m_bFillLists, 1);
    if (m_pDoc != nullptr)
    {
        m_pDoc->ClearSources();
        m_pDoc->ClearVariables();
    }
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);

    const CLineColourer colourer = Colourer();
    const CLineColourer::WordVisitor fillLists = ListFiller();
    const CLineColourer::WordVisitor* pVisitor =
        m_bFillLists == 1 && m_pDoc != nullptr ? &fillLists : nullptr;

    // Everything plain first, then each line as its word-by-word pass leaves it.
    const std::string_view text = TextView();
    std::string formatOfChar(text.size(), static_cast<char>(EWordColour::Plain));
    std::vector<CLineColourer::CSpan> spans;
    const long nLines = GetLineCount();
    // The lines are taken from the text itself: each ends after its line feed.
    // Only a lone CR, which the pane never holds, would make the count differ;
    // then the control is asked.
    long nLineFeeds = 0;
    for (const char* p = text.data();
         (p = static_cast<const char*>(
              std::memchr(p, '\n', static_cast<size_t>(text.data() + text.size() - p)))) != nullptr;
         ++p)
        ++nLineFeeds;
    const bool bLineFeedsEndLines = nLineFeeds + 1 == nLines;
    long nNextStart = 0;
    for (long i = 0; i < nLines; ++i)
    {
        // The text grows by the rule every few lines; the clock is read for a
        // repaint only every 250 lines.
        if (AdvanceProgress(progress, i) && i % 250 == 0)
            ShowProgress(progress, false);
        long nLineStart = nNextStart;
        long nLineEnd = static_cast<long>(text.size());
        if (bLineFeedsEndLines)
        {
            const void* pLineFeed = std::memchr(text.data() + nLineStart, '\n',
                                                text.size() - static_cast<size_t>(nLineStart));
            if (pLineFeed != nullptr)
                nLineEnd = static_cast<long>(static_cast<const char*>(pLineFeed) - text.data()) + 1;
        }
        else
        {
            nLineStart = LineIndex(i);
            if (i + 1 < nLines)
                nLineEnd = LineIndex(i + 1);
        }
        nNextStart = nLineEnd;
        const std::string_view line(text.data() + nLineStart,
                                    static_cast<size_t>(nLineEnd - nLineStart));
        if (!colourer.ColourLine(line, spans, pVisitor))
            continue;
        for (const CLineColourer::CSpan& span : spans)
        {
            // The whole text starts plain: the line's first, plain span
            // changes nothing. (Later plain spans may cover part of a word
            // coloured before them, so they stay.)
            if (&span == &spans.front() && span.colour == EWordColour::Plain)
                continue;
            const long nFrom = std::min(nLineStart + span.nStart, static_cast<long>(text.size()));
            const long nTo = std::min(nLineStart + span.nEnd, static_cast<long>(text.size()));
            std::fill(formatOfChar.begin() + nFrom, formatOfChar.begin() + nTo,
                      static_cast<char>(span.colour));
        }
    }
    SetCharFormats(0, std::move(formatOfChar), AllFormats());
    fillingLists.reset();
    if (m_pDoc != nullptr)
        m_pDoc->ListsFilled();
    if (m_pSummaryPane != nullptr)
        m_pSummaryPane->SetWindowText(" ");
    SetSel(nStart, nEnd);
}

void CScriptEdit::SetFontFace(const std::string& faceName)
{
    m_charFormat.szFaceName = faceName.substr(0, kMaxFaceName);
    SetDefaultCharFormat(m_charFormat);
}
