#include "TextControl.h"

#include "TextControlAccessible.h"
#include "text/LineBreakNormaliser.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace
{
constexpr long kNoLimit = 0x7FFFFFFF;
constexpr long kDefaultLimit = 65536;
constexpr size_t kStreamChunk = 64 * 1024;

CStyleLook InitialLook()
{
    CStyleLook look;
    look.crColor = Rgb(0, 0, 0);
    look.yHeight = 200;
    look.bPitchAndFamily = FF_SWISS;
    return look;
}
} // namespace

CTextControl::CTextControl(QWidget* pParent, int nControlId)
    : QsciScintilla(pParent), m_nControlId(nControlId), m_nLimit(kNoLimit),
      m_crBackground(Rgb(255, 255, 255)), m_styles(InitialLook())
{
    // 8-bit text with Windows line breaks: positions are byte offsets and a
    // break is two of them.
    setUtf8(false);
    Sci(SCI_SETCODEPAGE, 0);
    Sci(SCI_SETEOLMODE, SC_EOL_CRLF);
    Sci(SCI_SETPASTECONVERTENDINGS, 1);
    Sci(SCI_SETWRAPMODE, SC_WRAP_NONE);
    Sci(SCI_SETHSCROLLBAR, 1);
    Sci(SCI_SETVSCROLLBAR, 1);
    Sci(SCI_SETSCROLLWIDTH, 1);
    Sci(SCI_SETSCROLLWIDTHTRACKING, 1);
    Sci(SCI_SETTABWIDTH, 8);
    Sci(SCI_SETUSETABS, 1);
    for (unsigned long nMargin = 0; nMargin < 5; ++nMargin)
        Sci(SCI_SETMARGINWIDTHN, nMargin, 0);
    Sci(SCI_SETMULTIPLESELECTION, 0);
    Sci(SCI_SETADDITIONALSELECTIONTYPING, 0);
    // Rectangular selection would type into many lines at once; keep it out of
    // reach of the usual modifiers.
    Sci(SCI_SETRECTANGULARSELECTIONMODIFIER, SCMOD_SUPER);
    Sci(SCI_SETMOUSESELECTIONRECTANGULARSWITCH, 0);
    // Only the insert check is asked for: it guards the limit and tells where
    // text goes in. Insert and delete notifications would make QScintilla count
    // the characters from the start of the text for its accessibility events,
    // milliseconds per keystroke in a long script.
    Sci(SCI_SETMODEVENTMASK, SC_MOD_INSERTCHECK);

    Sci(SCI_INDICSETSTYLE, kStrikeIndicator, INDIC_STRIKE);
    Sci(SCI_INDICSETFORE, kStrikeIndicator, static_cast<long>(Rgb(0, 0, 0)));
    Sci(SCI_INDICSETUNDER, kStrikeIndicator, 0);
    // The editor's marks: other occurrences in a light box, problems in
    // squiggles, all under the text.
    Sci(SCI_INDICSETSTYLE, kOccurrenceIndicator, INDIC_STRAIGHTBOX);
    Sci(SCI_INDICSETFORE, kOccurrenceIndicator, static_cast<long>(Rgb(120, 150, 230)));
    Sci(SCI_INDICSETALPHA, kOccurrenceIndicator, 60);
    Sci(SCI_INDICSETOUTLINEALPHA, kOccurrenceIndicator, 160);
    Sci(SCI_INDICSETUNDER, kOccurrenceIndicator, 1);
    Sci(SCI_INDICSETSTYLE, kErrorIndicator, INDIC_SQUIGGLE);
    Sci(SCI_INDICSETFORE, kErrorIndicator, static_cast<long>(Rgb(230, 0, 0)));
    Sci(SCI_INDICSETSTYLE, kWarningIndicator, INDIC_SQUIGGLE);
    Sci(SCI_INDICSETFORE, kWarningIndicator, static_cast<long>(Rgb(240, 140, 0)));
    Sci(SCI_INDICSETSTYLE, kInfoIndicator, INDIC_DOTS);
    Sci(SCI_INDICSETFORE, kInfoIndicator, static_cast<long>(Rgb(60, 120, 200)));
    Sci(SCI_INDICSETSTYLE, kUnderlineIndicator, INDIC_COMPOSITIONTHIN);
    Sci(SCI_INDICSETFLAGS, kUnderlineIndicator, SC_INDICFLAG_VALUEBEFORE);
    Sci(SCI_INDICSETUNDER, kUnderlineIndicator, 0);
    Sci(SCI_SETINDICATORCURRENT, kStrikeIndicator);

    UnbindEditingKeys();
    RefreshAllStyles();
    CTextControlAccessible::InstallFactory();

    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, &CTextControl::OnModified);
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, &CTextControl::OnUpdateUi);
    connect(this, &QsciScintillaBase::SCN_DWELLSTART, this,
            [this](int nPosition, int x, int y) { emit MouseDwelled(nPosition, QPoint(x, y)); });
    connect(this, &QsciScintillaBase::SCN_DWELLEND, this, [this] { emit MouseDwellEnded(); });
}

CTextControl::~CTextControl() = default;

long CTextControl::Sci(unsigned int nMessage, unsigned long wParam, long lParam) const
{
    return SendScintilla(nMessage, wParam, lParam);
}

long CTextControl::SciText(unsigned int nMessage, unsigned long wParam, const char* pText) const
{
    return SendScintilla(nMessage, static_cast<uintptr_t>(wParam), pText);
}

// Undo, cut, copy and paste belong to the main window's commands, and the
// control's own line commands would change text behind the program's back.
void CTextControl::UnbindEditingKeys()
{
    static const QsciCommand::Command kUnbound[] = {
        QsciCommand::Undo,
        QsciCommand::Redo,
        QsciCommand::SelectionCut,
        QsciCommand::SelectionCopy,
        QsciCommand::Paste,
        QsciCommand::LineDelete,
        QsciCommand::LineCut,
        QsciCommand::LineCopy,
        QsciCommand::LineTranspose,
        QsciCommand::LineDuplicate,
        QsciCommand::SelectionDuplicate,
        QsciCommand::SelectionLowerCase,
        QsciCommand::SelectionUpperCase,
        QsciCommand::MoveSelectedLinesUp,
        QsciCommand::MoveSelectedLinesDown,
        QsciCommand::DeleteLineLeft,
        QsciCommand::DeleteLineRight,
        QsciCommand::ReverseLines,
        QsciCommand::Backtab,
        QsciCommand::Formfeed,
        QsciCommand::ZoomIn,
        QsciCommand::ZoomOut,
        QsciCommand::LineDownRectExtend,
        QsciCommand::LineUpRectExtend,
        QsciCommand::CharLeftRectExtend,
        QsciCommand::CharRightRectExtend,
        QsciCommand::HomeRectExtend,
        QsciCommand::VCHomeRectExtend,
        QsciCommand::LineEndRectExtend,
        QsciCommand::PageUpRectExtend,
        QsciCommand::PageDownRectExtend,
    };
    QsciCommandSet* pCommands = standardCommands();
    for (const QsciCommand::Command command : kUnbound)
    {
        if (QsciCommand* pCommand = pCommands->find(command))
        {
            pCommand->setKey(0);
            pCommand->setAlternateKey(0);
        }
    }
}

void CTextControl::LimitText(long nChars)
{
    m_nLimit = nChars > 0 ? nChars : kDefaultLimit;
}

// ---- positions and lines -------------------------------------------------

long CTextControl::GetTextLength() const
{
    return Sci(SCI_GETLENGTH);
}

long CTextControl::GetLineCount() const
{
    return std::max(1L, Sci(SCI_GETLINECOUNT));
}

unsigned char CTextControl::CharAt(long nPos) const
{
    return static_cast<unsigned char>(Sci(SCI_GETCHARAT, static_cast<unsigned long>(nPos)) & 0xFF);
}

// A position between the CR and the LF of a break is moved before the CR, so
// that the pair stays one break.
long CTextControl::ClampPosition(long nPos) const
{
    const long nLength = GetTextLength();
    nPos = std::clamp(nPos, 0L, nLength);
    if (nPos > 0 && nPos < nLength && CharAt(nPos - 1) == '\r' && CharAt(nPos) == '\n')
        --nPos;
    return nPos;
}

void CTextControl::GetSel(long& nStart, long& nEnd) const
{
    nStart = Sci(SCI_GETSELECTIONSTART);
    nEnd = Sci(SCI_GETSELECTIONEND);
}

void CTextControl::SetSel(long nStart, long nEnd)
{
    if (nStart == 0 && nEnd == -1)
    {
        nEnd = GetTextLength();
    }
    else if (nStart < 0)
    {
        long nOldStart = 0;
        GetSel(nOldStart, nEnd);
        nStart = nEnd;
    }
    else if (nEnd < 0)
    {
        nEnd = GetTextLength();
    }
    nStart = ClampPosition(nStart);
    nEnd = ClampPosition(nEnd);
    // A format kept for the caret belongs to that caret only.
    if (nStart != nEnd || nStart != m_nPendingPos)
        m_nPendingPos = -1;
    Sci(SCI_SETANCHOR, static_cast<unsigned long>(nStart));
    Sci(SCI_SETCURRENTPOS, static_cast<unsigned long>(nEnd));
}

std::string CTextControl::GetSelText() const
{
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    return GetTextRange(nStart, nEnd);
}

long CTextControl::LineFromChar(long nIndex) const
{
    if (nIndex < 0)
        nIndex = Sci(SCI_GETSELECTIONSTART);
    nIndex = std::min(nIndex, GetTextLength());
    return Sci(SCI_LINEFROMPOSITION, static_cast<unsigned long>(nIndex));
}

long CTextControl::LineIndex(long nLine) const
{
    if (nLine < 0)
        nLine = LineFromChar(-1);
    if (nLine >= GetLineCount())
        return -1;
    return Sci(SCI_POSITIONFROMLINE, static_cast<unsigned long>(nLine));
}

long CTextControl::LineLength(long nIndex) const
{
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    if (nIndex >= 0 || nStart == nEnd)
    {
        const long nLine = LineFromChar(nIndex >= 0 ? nIndex : nStart);
        return Sci(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(nLine)) - LineIndex(nLine);
    }
    const long nFirstLine = LineFromChar(nStart);
    const long nLastLine = LineFromChar(nEnd);
    const long nBefore = std::max(0L, nStart - LineIndex(nFirstLine));
    const long nAfter =
        std::max(0L, Sci(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(nLastLine)) - nEnd);
    return nBefore + nAfter;
}

std::string CTextControl::GetLine(long nLine) const
{
    if (nLine < 0 || nLine >= GetLineCount())
        return {};
    const long nStart = LineIndex(nLine);
    const long nEnd = nLine + 1 < GetLineCount() ? LineIndex(nLine + 1) : GetTextLength();
    return GetTextRange(nStart, nEnd);
}

std::string CTextControl::GetTextRange(long nStart, long nEnd) const
{
    const long nLength = GetTextLength();
    nStart = std::clamp(nStart, 0L, nLength);
    nEnd = std::clamp(nEnd, nStart, nLength);
    if (nStart == nEnd)
        return {};
    std::string text(static_cast<size_t>(nEnd - nStart) + 1, '\0');
    SendScintilla(SCI_GETTEXTRANGE, nStart, nEnd, text.data());
    text.pop_back();
    return text;
}

void CTextControl::LineScroll(long nLines, long nChars)
{
    Sci(SCI_LINESCROLL, static_cast<unsigned long>(nChars), nLines);
}

long CTextControl::GetFirstVisibleLine() const
{
    return Sci(SCI_GETFIRSTVISIBLELINE);
}

QPoint CTextControl::PosFromChar(long nChar) const
{
    const auto nPos = static_cast<unsigned long>(ClampPosition(nChar));
    return QPoint(static_cast<int>(Sci(SCI_POINTXFROMPOSITION, 0, static_cast<long>(nPos))),
                  static_cast<int>(Sci(SCI_POINTYFROMPOSITION, 0, static_cast<long>(nPos))));
}

long CTextControl::CharFromPos(const QPoint& point) const
{
    return Sci(SCI_POSITIONFROMPOINT, static_cast<unsigned long>(std::max(0, point.x())),
               std::max(0, point.y()));
}

void CTextControl::ShowCallTip(long nPos, const std::string& text, long nFrom, long nTo)
{
    SciText(SCI_CALLTIPSHOW, static_cast<unsigned long>(ClampPosition(nPos)), text.c_str());
    Sci(SCI_CALLTIPSETHLT, static_cast<unsigned long>(std::max(0L, nFrom)), std::max(0L, nTo));
}

void CTextControl::HideCallTip()
{
    Sci(SCI_CALLTIPCANCEL);
}

bool CTextControl::IsCallTipShown() const
{
    return Sci(SCI_CALLTIPACTIVE) != 0;
}

QRect CTextControl::CharacterRect(long nChar) const
{
    const long nPos = ClampPosition(nChar);
    const QPoint topLeft = PosFromChar(nPos);
    const long nNext = std::min(GetTextLength(), nPos + 1);
    const int nWidth = std::max(1, PosFromChar(nNext).x() - topLeft.x());
    const int nHeight =
        static_cast<int>(Sci(SCI_TEXTHEIGHT, static_cast<unsigned long>(LineFromChar(nPos))));
    return QRect(topLeft, QSize(nWidth, nHeight));
}

long CTextControl::DisplayColumn(long nPos) const
{
    nPos = ClampPosition(nPos);
    const long nLineStart = LineIndex(LineFromChar(nPos));
    const std::string_view text = TextView();
    const bool bUtf8 = isUtf8();
    long nColumn = 0;
    for (long i = nLineStart; i < nPos; ++i)
    {
        const auto c = static_cast<unsigned char>(text[static_cast<size_t>(i)]);
        if (c == '\t')
            nColumn = (nColumn / 8 + 1) * 8;
        else if (!bUtf8 || (c & 0xC0) != 0x80)
            ++nColumn;
    }
    return nColumn;
}

void CTextControl::ScrollCaret()
{
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    // What is selected is shown, whatever fold hid it.
    for (long nLine = LineFromChar(nStart); nLine <= LineFromChar(nEnd); ++nLine)
        EnsureLineVisible(nLine);
    Sci(SCI_SCROLLCARET);
}

void CTextControl::NoteChange(long nFrom, long nTo)
{
    m_nChangedFrom = m_nChangedFrom < 0 ? nFrom : std::min(m_nChangedFrom, nFrom);
    m_nChangedTo = std::max(m_nChangedTo, nTo);
    if (m_bChangesQueued)
        return;
    m_bChangesQueued = true;
    QTimer::singleShot(0, this, &CTextControl::TellChanges);
}

void CTextControl::TellChanges()
{
    m_bChangesQueued = false;
    if (m_nChangedFrom < 0)
        return;
    const long nLength = GetTextLength();
    const long nFrom = std::min(m_nChangedFrom, nLength);
    const long nTo = std::clamp(m_nChangedTo, nFrom, nLength);
    m_nChangedFrom = -1;
    m_nChangedTo = -1;
    emit TextEdited(nFrom, nTo);
}

// ---- editing -------------------------------------------------------------

// Cuts text so that, with nRemoved characters of the control's text replaced,
// the whole stays within the limit. A break is never split.
std::string CTextControl::FitToLimit(std::string text, long nRemoved) const
{
    const long nRoom = std::max(0L, m_nLimit - (GetTextLength() - nRemoved));
    if (static_cast<long>(text.size()) > nRoom)
    {
        size_t nKeep = static_cast<size_t>(nRoom);
        if (nKeep > 0 && text[nKeep - 1] == '\r' && text[nKeep] == '\n')
            --nKeep;
        text.resize(nKeep);
    }
    return text;
}

long CTextControl::ReplaceSel(const std::string& text, bool bCanUndo, bool bScrollCaret)
{
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    const long nInserted = ReplaceRange(nStart, nEnd, text, bCanUndo);
    if (nInserted < 0)
        return 0;
    Sci(SCI_SETEMPTYSELECTION, static_cast<unsigned long>(nStart + nInserted));
    if (bScrollCaret)
        ScrollCaret();
    return nInserted;
}

// The selection is left alone: under X11 every selection made claims the
// PRIMARY selection with a round trip to the server, which thousands of
// replacements would pay for one by one.
long CTextControl::ReplaceRange(long nStart, long nEnd, const std::string& text, bool bCanUndo)
{
    const CEditOperation operation(*this);
    nStart = ClampPosition(nStart);
    nEnd = std::max(nStart, ClampPosition(nEnd));
    const std::string fitted = FitToLimit(NormaliseLineBreaks(text), nEnd - nStart);
    if (nStart == nEnd && fitted.empty())
        return -1;

    if (bCanUndo)
        Sci(SCI_BEGINUNDOACTION);
    else
        Sci(SCI_SETUNDOCOLLECTION, 0);
    Sci(SCI_SETTARGETRANGE, static_cast<unsigned long>(nStart), nEnd);
    SciText(SCI_REPLACETARGET, fitted.size(), fitted.data());
    NoteChange(nStart, nStart + static_cast<long>(fitted.size()));
    m_nPendingPos = -1;
    if (bCanUndo)
    {
        Sci(SCI_ENDUNDOACTION);
    }
    else
    {
        // An undo history that skips this change would corrupt the text if replayed.
        Sci(SCI_EMPTYUNDOBUFFER);
        Sci(SCI_SETUNDOCOLLECTION, 1);
    }
    return static_cast<long>(fitted.size());
}

long CTextControl::FindTextEx(std::uint32_t nFlags, long cpMin, long cpMax, const std::string& text,
                              long* pnMatchEnd) const
{
    const long nLength = GetTextLength();
    if (cpMax < 0 || cpMax > nLength)
        cpMax = nLength;
    cpMin = std::max(0L, cpMin);
    if (text.empty() || cpMin >= cpMax)
        return -1;
    unsigned long nSearchFlags = 0;
    if (nFlags & 2)
        nSearchFlags |= SCFIND_WHOLEWORD;
    if (nFlags & 4)
        nSearchFlags |= SCFIND_MATCHCASE;
    Sci(SCI_SETTARGETRANGE, static_cast<unsigned long>(cpMin), cpMax);
    Sci(SCI_SETSEARCHFLAGS, nSearchFlags);
    const long nFound = SciText(SCI_SEARCHINTARGET, text.size(), text.data());
    if (nFound < 0)
        return -1;
    if (pnMatchEnd != nullptr)
        *pnMatchEnd = Sci(SCI_GETTARGETEND);
    return nFound;
}

void CTextControl::ReplaceAllText(const std::string& normalisedText)
{
    m_nPendingPos = -1;
    m_bInsertDefault = true;
    Sci(SCI_SETUNDOCOLLECTION, 0);
    Sci(SCI_CLEARALL);
    {
        const CEditOperation operation(*this);
        SciText(SCI_ADDTEXT, normalisedText.size(), normalisedText.data());
    }
    Sci(SCI_EMPTYUNDOBUFFER);
    Sci(SCI_SETUNDOCOLLECTION, 1);
    NoteChange(0, GetTextLength());
    m_bInsertDefault = false;
    Sci(SCI_SETEMPTYSELECTION, 0);
    Sci(SCI_SETFIRSTVISIBLELINE, 0);
    Sci(SCI_SETXOFFSET, 0);
}

void CTextControl::TakeFocus()
{
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void CTextControl::SetWindowText(const std::string& text)
{
    ReplaceAllText(FitToLimit(NormaliseLineBreaks(text), GetTextLength()));
}

std::string_view CTextControl::TextView() const
{
    const auto* pText =
        reinterpret_cast<const char*>(static_cast<std::intptr_t>(Sci(SCI_GETCHARACTERPOINTER)));
    return std::string_view(pText, static_cast<size_t>(GetTextLength()));
}

std::string CTextControl::GetWindowText() const
{
    return GetTextRange(0, GetTextLength());
}

void CTextControl::SetUtf8Text(bool bUtf8)
{
    if (bUtf8 != isUtf8())
        setUtf8(bUtf8);
}

QString CTextControl::ToDisplay(std::string_view bytes) const
{
    const auto nSize = static_cast<qsizetype>(bytes.size());
    return isUtf8() ? QString::fromUtf8(bytes.data(), nSize)
                    : QString::fromLatin1(bytes.data(), nSize);
}

std::string CTextControl::FromDisplay(const QString& text) const
{
    const QByteArray bytes = isUtf8() ? text.toUtf8() : text.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void CTextControl::Copy() const
{
    const std::string selected = GetSelText();
    if (!selected.empty())
        QApplication::clipboard()->setText(ToDisplay(selected));
}

void CTextControl::Cut()
{
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    if (nStart == nEnd)
        return;
    Copy();
    ReplaceSel(std::string(), true);
}

bool CTextControl::PasteSpecial()
{
    const std::string text = FromDisplay(QApplication::clipboard()->text());
    if (text.empty())
        return true;
    const long nWanted = static_cast<long>(NormaliseLineBreaks(text).size());
    return ReplaceSel(text, true) == nWanted;
}

CTextControl::CTextSpan CTextControl::Undo()
{
    return StepHistory(SCI_UNDO);
}

CTextControl::CTextSpan CTextControl::Redo()
{
    return StepHistory(SCI_REDO);
}

CTextControl::CTextSpan CTextControl::StepHistory(unsigned int nMessage)
{
    // Text that undo or redo puts back comes in the default format.
    m_nPendingPos = -1;
    if (Sci(nMessage == SCI_UNDO ? SCI_CANUNDO : SCI_CANREDO) == 0)
        return {};
    // Scintilla tells nothing of where an undo step lies without modification
    // notices, which cost far more than comparing the text before and after.
    const std::string before = GetWindowText();
    Sci(nMessage);
    const std::string_view after = TextView();
    const size_t nCommon = std::min(before.size(), after.size());
    const size_t nPrefix = static_cast<size_t>(
        std::mismatch(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(nCommon),
                      after.begin())
            .first -
        before.begin());
    if (nPrefix == nCommon && before.size() == after.size())
        return {};
    size_t nSuffix = 0;
    while (nSuffix < nCommon - nPrefix &&
           before[before.size() - 1 - nSuffix] == after[after.size() - 1 - nSuffix])
        ++nSuffix;
    NoteChange(static_cast<long>(nPrefix), static_cast<long>(after.size() - nSuffix));
    return {static_cast<long>(nPrefix), static_cast<long>(after.size() - nSuffix)};
}

void CTextControl::BeginUndoGroup()
{
    Sci(SCI_BEGINUNDOACTION);
}

void CTextControl::EndUndoGroup()
{
    Sci(SCI_ENDUNDOACTION);
}

bool CTextControl::CanUndo() const
{
    return Sci(SCI_CANUNDO) != 0;
}

bool CTextControl::CanRedo() const
{
    return Sci(SCI_CANREDO) != 0;
}

// ---- streams -------------------------------------------------------------

CTextControl::CStreamInResult CTextControl::StreamIn(const StreamReader& reader)
{
    CStreamInResult result;
    std::string text;
    CLineBreakNormaliser normaliser;
    std::vector<char> buffer(kStreamChunk);
    for (;;)
    {
        const long nRead = reader(buffer.data(), static_cast<long>(buffer.size()));
        if (nRead <= 0)
            break;
        normaliser.Feed(std::string_view(buffer.data(), static_cast<size_t>(nRead)), text);
        // No need to read on once the limit is passed: the rest would be cut anyway.
        if (static_cast<long>(text.size()) > m_nLimit)
        {
            result.bTruncated = true;
            break;
        }
    }
    if (!result.bTruncated)
        normaliser.Finish(text);
    const size_t nRead = text.size();
    const std::string fitted = FitToLimit(std::move(text), GetTextLength());
    result.bTruncated = result.bTruncated || fitted.size() < nRead;
    ReplaceAllText(fitted);
    result.nChars = GetTextLength();
    result.bLineFeedsOnly = normaliser.LineFeedsOnly();
    return result;
}

bool CTextControl::StreamOut(const StreamWriter& writer) const
{
    const long nLength = GetTextLength();
    for (long nPos = 0; nPos < nLength; nPos += static_cast<long>(kStreamChunk))
    {
        const std::string chunk =
            GetTextRange(nPos, std::min(nLength, nPos + static_cast<long>(kStreamChunk)));
        if (writer(chunk.data(), static_cast<long>(chunk.size())) !=
            static_cast<long>(chunk.size()))
            return false;
    }
    return true;
}

// ---- notifications -------------------------------------------------------

void CTextControl::OnModified(int nPosition, int nType, const char*, int nLength, int, int, int,
                              int, int, int)
{
    if (!(nType & SC_MOD_INSERTCHECK) || nLength <= 0)
        return;
    // The last guard of the limit, for typing and the control's own insertions;
    // known text is cut to fit before it gets here.
    if (static_cast<long>(nLength) > m_nLimit - GetTextLength())
    {
        SciText(SCI_CHANGEINSERTION, 0, "");
        return;
    }
    NoteChange(nPosition, nPosition + nLength);
    CInsertion insertion{nPosition, nLength, CStyleTable::kDefaultStyle, m_bDefaultStrike};
    if (!m_bInsertDefault)
    {
        if (nPosition == m_nPendingPos)
        {
            insertion.nStyle = m_nPendingStyle;
            insertion.bStrike = m_bPendingStrike;
        }
        else
            InsertionStyle(nPosition, 0, insertion.nStyle, insertion.bStrike);
    }
    m_nPendingPos = -1;
    m_insertions.push_back(insertion);
}

void CTextControl::FormatInsertions()
{
    // Later insertions may have moved earlier ones; an operation makes one
    // insertion as a rule, and the ranges are clamped to the text.
    const long nLength = GetTextLength();
    for (const CInsertion& insertion : m_insertions)
    {
        const long nStart = std::min(insertion.nPos, nLength);
        const long nCount = std::min(insertion.nLength, nLength - nStart);
        SetStyleRange(nStart, nCount, insertion.nStyle);
        SetStrikeRange(nStart, nCount, insertion.bStrike);
    }
    m_insertions.clear();
}

void CTextControl::OnUpdateUi(int nUpdated)
{
    // The last stop for text Scintilla put in on a way of its own; while an
    // edit operation runs, its end does this.
    if (m_nEditDepth == 0)
        FormatInsertions();
    if (nUpdated & SC_UPDATE_V_SCROLL)
        emit Scrolled();
    if (!(nUpdated & (SC_UPDATE_SELECTION | SC_UPDATE_CONTENT)))
        return;
    if (nUpdated & SC_UPDATE_CONTENT)
        UpdateLineNumberWidth();
    if (m_bBraceMatching)
        UpdateBraceHighlight();
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    if (m_nPendingPos >= 0 && (nStart != nEnd || nStart != m_nPendingPos))
        m_nPendingPos = -1;
    emit SelectionChanged();
    // A screen reader follows the caret; the offset is the position itself.
    if (QAccessible::isActive())
    {
        QAccessibleTextCursorEvent event(this, static_cast<int>(nEnd));
        QAccessible::updateAccessibility(&event);
    }
}

// ---- events --------------------------------------------------------------

void CTextControl::contextMenuEvent(QContextMenuEvent* pEvent)
{
    pEvent->accept();
    emit ContextMenuRequested(pEvent->globalPos());
}

bool CTextControl::SwallowMiddleButton(QMouseEvent* pEvent)
{
    if (pEvent->button() != Qt::MiddleButton)
        return false;
    pEvent->accept();
    return true;
}

void CTextControl::mousePressEvent(QMouseEvent* pEvent)
{
    if (!SwallowMiddleButton(pEvent))
        QsciScintilla::mousePressEvent(pEvent);
}

void CTextControl::mouseReleaseEvent(QMouseEvent* pEvent)
{
    if (!SwallowMiddleButton(pEvent))
        QsciScintilla::mouseReleaseEvent(pEvent);
}

void CTextControl::mouseDoubleClickEvent(QMouseEvent* pEvent)
{
    if (!SwallowMiddleButton(pEvent))
        QsciScintilla::mouseDoubleClickEvent(pEvent);
}

void CTextControl::dragEnterEvent(QDragEnterEvent* pEvent)
{
    if (pEvent->mimeData()->hasUrls())
    {
        pEvent->acceptProposedAction();
        return;
    }
    QsciScintilla::dragEnterEvent(pEvent);
}

void CTextControl::dragMoveEvent(QDragMoveEvent* pEvent)
{
    if (pEvent->mimeData()->hasUrls())
    {
        pEvent->acceptProposedAction();
        return;
    }
    QsciScintilla::dragMoveEvent(pEvent);
}

// A dropped file is opened by whoever listens; dropped text goes in as plain
// text, through the same path as a paste, so the limit and the line breaks hold.
void CTextControl::dropEvent(QDropEvent* pEvent)
{
    const QMimeData* pData = pEvent->mimeData();
    if (pData->hasUrls())
    {
        for (const QUrl& url : pData->urls())
        {
            if (url.isLocalFile())
            {
                pEvent->acceptProposedAction();
                emit FileDropped(url.toLocalFile());
                return;
            }
        }
        pEvent->ignore();
        return;
    }
    if (pEvent->source() == this)
    {
        // Moving text inside the control: Scintilla's own move keeps the breaks.
        {
            const CEditOperation operation(*this);
            long nStart = 0;
            long nEnd = 0;
            GetSel(nStart, nEnd);
            QsciScintilla::dropEvent(pEvent);
            NoteChange(std::min(nStart, GetTextLength()), std::min(nEnd, GetTextLength()));
        }
        emit TextDropped();
        return;
    }
    if (!pData->hasText())
    {
        pEvent->ignore();
        return;
    }
    const QPoint point = pEvent->position().toPoint();
    const long nPos = Sci(SCI_POSITIONFROMPOINT, static_cast<unsigned long>(point.x()), point.y());
    SetSel(nPos, nPos);
    if (ReplaceSel(FromDisplay(pData->text()), true) > 0)
        emit TextDropped();
    pEvent->acceptProposedAction();
}

// A key held with Ctrl, Alt or Meta that no editing command of the control
// takes. AltGr, which X11 reports as a group switch and Windows as Ctrl+Alt,
// still types its character.
bool CTextControl::IsUnboundChord(const QKeyEvent* pEvent) const
{
    const Qt::KeyboardModifiers modifiers = pEvent->modifiers();
    const Qt::KeyboardModifiers chord =
        modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!chord || (modifiers & Qt::GroupSwitchModifier) ||
        chord == (Qt::ControlModifier | Qt::AltModifier))
        return false;
    const QString text = pEvent->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    const int nKey = pEvent->key() | static_cast<int>(modifiers & (Qt::ShiftModifier | chord));
    return const_cast<CTextControl*>(this)->standardCommands()->boundTo(nKey) == nullptr;
}

// Typing: what the key put in takes the format at its place. A key that only
// deleted drops the format kept for the caret.
void CTextControl::keyPressEvent(QKeyEvent* pEvent)
{
    if (IsUnboundChord(pEvent))
    {
        // Scintilla would type the key's character; a chord is a command or nothing.
        pEvent->accept();
        return;
    }
    const CEditOperation operation(*this);
    const long nLengthBefore = GetTextLength();
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    QsciScintilla::keyPressEvent(pEvent);
    if (GetTextLength() != nLengthBefore)
    {
        // A deletion tells nothing of itself: it lay about the caret.
        long nNewStart = 0;
        long nNewEnd = 0;
        GetSel(nNewStart, nNewEnd);
        NoteChange(std::min(nStart, nNewStart), std::max(nNewEnd, nNewStart));
        if (m_insertions.empty())
            m_nPendingPos = -1;
    }
}

void CTextControl::inputMethodEvent(QInputMethodEvent* pEvent)
{
    const CEditOperation operation(*this);
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    QsciScintilla::inputMethodEvent(pEvent);
    long nNewStart = 0;
    long nNewEnd = 0;
    GetSel(nNewStart, nNewEnd);
    NoteChange(std::min(nStart, nNewStart), std::max(nNewEnd, nEnd));
}

// Without the focus the control shows no selection, as the original control did.
void CTextControl::focusInEvent(QFocusEvent* pEvent)
{
    Sci(SCI_HIDESELECTION, 0);
    QsciScintilla::focusInEvent(pEvent);
}

void CTextControl::focusOutEvent(QFocusEvent* pEvent)
{
    QsciScintilla::focusOutEvent(pEvent);
    Sci(SCI_HIDESELECTION, 1);
}
