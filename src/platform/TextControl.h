#pragma once

#include "CharFormat.h"
#include "StyleTable.h"

#include <Qsci/qsciscintilla.h>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The multi-line text control behind the editing pane and the command summary
// pane. Its operations keep the names and meaning of the rich-text control the
// program was designed against:
// - text is bytes, a byte is a position, and text round-trips byte for byte;
//   it is shown one Latin-1 character per byte, or as UTF-8 when asked;
// - positions are 0-based offsets into the whole text and a line break is
//   stored as CR LF (two positions), whichever way it came in;
// - formats are applied through the selection and kept per character;
// - the text limit holds on every way text can come in.
// Nothing outside this class talks to Scintilla directly.
class CTextControl : public QsciScintilla
{
    Q_OBJECT

public:
    explicit CTextControl(QWidget* pParent = nullptr, int nControlId = 0);
    ~CTextControl() override;

    int GetDlgCtrlID() const { return m_nControlId; }

    // The text never grows past this many characters (EM_EXLIMITTEXT).
    // 0 gives the control's default of 65,536.
    void LimitText(long nChars);
    long GetLimitText() const { return m_nLimit; }

    void SetBackgroundColor(std::uint32_t crBackground);
    std::uint32_t GetBackgroundColor() const { return m_crBackground; }

    // Formats: to the whole control, to the selection, to the selection widened
    // to whole words. On an empty selection the format is kept for the next
    // characters typed or inserted there. Always true.
    bool SetDefaultCharFormat(const CCharFormat& format);
    bool SetSelectionCharFormat(const CCharFormat& format);
    bool SetWordCharFormat(const CCharFormat& format);
    // The selection's format; attributes that differ across it are left out
    // of dwMask. An empty selection gives the format typing would use.
    CCharFormat GetSelectionCharFormat() const;
    CCharFormat GetDefaultCharFormat() const;
    // The full format of one character.
    CCharFormat GetCharFormatAt(long nPos) const;

    // Formats many characters at once, with the result applying each format to
    // its characters would give: character nStart + i takes
    // formats[formatOfChar[i]], or keeps its format where that is kKeepFormat.
    // Characters past the end of the text are ignored.
    static constexpr char kKeepFormat = '\x7F';
    void SetCharFormats(long nStart, std::string formatOfChar,
                        const std::vector<CCharFormat>& formats);

    // Selection: (0, -1) selects everything; an end of -1 means the end of the
    // text; a start of -1 removes the selection, leaving the caret at its end.
    // Neither call scrolls.
    void GetSel(long& nStart, long& nEnd) const;
    void SetSel(long nStart, long nEnd);
    std::string GetSelText() const;

    // Lines. -1 stands for the caret's line: the line where the selection starts.
    long LineIndex(long nLine = -1) const;
    long LineFromChar(long nIndex) const;
    // The length of the line holding nIndex, without its break. With -1, the
    // characters on the selection's lines that are not selected.
    long LineLength(long nIndex = -1) const;
    // The line's characters with its line break; empty past the last line.
    std::string GetLine(long nLine) const;
    long GetLineCount() const;
    long GetTextLength() const;
    std::string GetTextRange(long nStart, long nEnd) const;
    void LineScroll(long nLines, long nChars = 0);
    long GetFirstVisibleLine() const;
    // The top-left corner of a character in the viewport (EM_POSFROMCHAR).
    QPoint PosFromChar(long nChar) const;
    // The character nearest a point of the viewport, and a character's box there.
    long CharFromPos(const QPoint& point) const;
    QRect CharacterRect(long nChar) const;
    void ScrollCaret();
    // A call tip below a position: text is the control's bytes, [nFrom, nTo)
    // of it drawn highlighted (nothing when empty).
    void ShowCallTip(long nPos, const std::string& text, long nFrom, long nTo);
    void HideCallTip();
    bool IsCallTipShown() const;
    // The 0-based column of a position as the user counts it: characters
    // (UTF-8 sequences as one where the text shows as UTF-8), a tab reaching
    // to the next multiple of 8.
    long DisplayColumn(long nPos) const;

    // Replaces the selection; the caret ends after the new text, scrolled into
    // view unless told otherwise. Text that would pass the limit is cut to fit.
    // Returns the number of characters inserted.
    long ReplaceSel(const std::string& text, bool bCanUndo = false, bool bScrollCaret = true);
    // Replaces [nStart, nEnd) as ReplaceSel would, without touching the
    // selection or scrolling. The characters inserted, or -1 when there was
    // nothing to do (an empty range and no text).
    long ReplaceRange(long nStart, long nEnd, const std::string& text, bool bCanUndo);
    // Start of the first match in [cpMin, cpMax) (cpMax -1: the end), or -1.
    // Flags: 2 whole word, 4 match case.
    long FindTextEx(std::uint32_t nFlags, long cpMin, long cpMax, const std::string& text,
                    long* pnMatchEnd = nullptr) const;

    // Takes the keyboard focus, activating the control's window first: from
    // another window of the program (the modeless Find dialog) a plain focus
    // change would wait for that window's next activation, and until then the
    // selection stays hidden and keys go elsewhere.
    void TakeFocus();

    // How the bytes are shown: as UTF-8, or one Latin-1 character per byte.
    // Either way the text is the same bytes and positions are byte offsets;
    // only what a byte sequence looks like changes.
    void SetUtf8Text(bool bUtf8);
    bool IsUtf8Text() const { return isUtf8(); }
    // Bytes to what the control shows, and what a user typed to bytes.
    QString ToDisplay(std::string_view bytes) const;
    std::string FromDisplay(const QString& text) const;

    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    // The whole text without a copy; valid until the text next changes.
    std::string_view TextView() const;

    void Cut();
    void Copy() const;
    // Pastes the clipboard's plain text only. False when it had to be cut to fit.
    bool PasteSpecial();
    // Undoes the last step. The result is the span of the text, as it stands
    // afterwards, that differs from the text before; empty (nStart -1) when
    // nothing changed.
    struct CTextSpan
    {
        long nStart = -1;
        long nEnd = -1;
    };
    CTextSpan Undo();
    bool CanUndo() const;
    // Takes back the last undo, with the same kind of result.
    CTextSpan Redo();
    bool CanRedo() const;
    // Changes between these two calls are undone as one step; they nest.
    void BeginUndoGroup();
    void EndUndoGroup();

    // Aids drawn over the text, never part of it: line numbers in the left
    // margin (as wide as the line count needs), a tint on the caret's line,
    // and the brace next to the caret marked with its partner, or as
    // unmatched when it has none.
    void ShowLineNumbers(bool bShow);
    int LineNumberWidth() const;
    void HighlightCaretLine(bool bOn);
    void SetBraceMatching(bool bOn);
    // The brace marked and its partner; -1 for none.
    std::pair<long, long> HighlightedBraces() const { return m_highlightedBraces; }

    // ---- folding ----
    // A fold margin right of the line numbers, with a box to fold or unfold
    // every line whose level is a header; a click there folds. Folding hides
    // lines on screen only: the text and every position stay as they are.
    void ShowFoldMargin(bool bShow);
    int FoldMarginWidth() const;
    // A line's level: the depth it stands at, and whether a block opens on it.
    struct CFoldLevel
    {
        int nDepth = 0;
        bool bHeader = false;
        friend bool operator==(const CFoldLevel&, const CFoldLevel&) = default;
    };
    CFoldLevel FoldLevel(long nLine) const;
    void SetFoldLevel(long nLine, const CFoldLevel& level);
    // Folds (or unfolds) the block whose header is nLine; false when none opens there.
    bool FoldLine(long nLine, bool bFold);
    bool IsFolded(long nLine) const;
    bool IsLineVisible(long nLine) const;
    // The header of the innermost block holding nLine (nLine itself when it is
    // one), or -1.
    long FoldHeaderOf(long nLine) const;
    // A number kept with each line, which moves with the line as lines come and go.
    int LineState(long nLine) const;
    void SetLineState(long nLine, int nState);
    // Unfolds whatever hides the line.
    void EnsureLineVisible(long nLine);
    // The first and last lines of the text shown on screen now.
    void VisibleLines(long& nFirst, long& nLast) const;

    // ---- marks in the fold margin, which move with their lines ----
    enum EMarker : int
    {
        kRunMarker = 20, // a red dot: the first error of a run
        kErrorMarker,    // a red square: a line with an error
        kWarningMarker,  // an orange square: a line with a warning
    };
    // The lines (from 0) that carry a marker, and no others.
    void SetMarkerLines(int nMarker, const std::vector<long>& lines);
    // One line's marker on or off.
    void SetMarker(long nLine, int nMarker, bool bOn);
    std::vector<long> MarkerLines(int nMarker) const;
    // The first line with the run's mark, or -1.
    long RunMarkerLine() const;

    // ---- indicators: marks drawn over or under the text, never part of it ----
    enum EIndicator : int
    {
        kStrikeIndicator = 8, // the strike-out of formats
        kBraceIndicator,
        kBadBraceIndicator,
        kUnderlineIndicator,
        kOccurrenceIndicator,
        kErrorIndicator,
        kWarningIndicator,
        kInfoIndicator,
    };
    void FillIndicator(int nIndicator, long nStart, long nLength);
    // How long the mouse rests before MouseDwelled; 0 for never.
    void SetMouseDwellTime(int nMs);
    void ClearIndicator(int nIndicator, long nStart = 0, long nLength = -1);
    bool IndicatorAt(int nIndicator, long nPos) const;
    // The ranges [start, end) the indicator covers within [nFrom, nTo).
    std::vector<std::pair<long, long>> IndicatorRanges(int nIndicator, long nFrom = 0,
                                                       long nTo = -1) const;

    // Plain-text streams. The reader fills a buffer and returns the bytes read,
    // 0 at the end; the writer returns the bytes it wrote. An exception thrown
    // by either passes through, and a failed stream-in leaves the text as it was.
    using StreamReader = std::function<long(char* pBuffer, long nWanted)>;
    using StreamWriter = std::function<long(const char* pBuffer, long nBytes)>;
    struct CStreamInResult
    {
        long nChars = 0;             // characters now in the control
        bool bTruncated = false;     // the stream held more than the limit allows
        bool bLineFeedsOnly = false; // every line break came as a lone LF
    };
    CStreamInResult StreamIn(const StreamReader& reader);
    bool StreamOut(const StreamWriter& writer) const;

signals:
    // A local file was dropped on the control.
    void FileDropped(const QString& path);
    // Text was dropped into the control and changed it.
    void TextDropped();
    // The context menu was asked for; the control shows none of its own.
    void ContextMenuRequested(const QPoint& globalPos);
    // The caret or the selection moved, or the text changed, as last shown.
    void SelectionChanged();
    // The text changed somewhere in [nFrom, nTo) of the text as it stands now
    // (as far as the control can tell): sent once the edits queued now are
    // handled, one signal for a burst of them.
    void TextEdited(long nFrom, long nTo);
    // Other lines came into view.
    void Scrolled();
    // The mouse rested over a character of the text (nPos; -1 where there is
    // none), at a point of the viewport; and moved on again.
    void MouseDwelled(long nPos, const QPoint& point);
    void MouseDwellEnded();

protected:
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dragMoveEvent(QDragMoveEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void inputMethodEvent(QInputMethodEvent* pEvent) override;

private:
    // The middle button does nothing: no paste of the X11 selection, no caret move.
    static bool SwallowMiddleButton(QMouseEvent* pEvent);
    bool IsUnboundChord(const QKeyEvent* pEvent) const;
    // The one way into Scintilla.
    long Sci(unsigned int nMessage, unsigned long wParam = 0, long lParam = 0) const;
    long SciText(unsigned int nMessage, unsigned long wParam, const char* pText) const;

    void OnModified(int nPosition, int nType, const char* pText, int nLength, int, int, int, int,
                    int, int);
    // Gives the text inserted since the last call the format it takes.
    void FormatInsertions();

    // Held by every way text comes in (keys, input methods, drops, replacing
    // the selection or the whole text): when the outermost one ends, however
    // the entry point returns, what went in takes its format.
    class CEditOperation
    {
    public:
        explicit CEditOperation(CTextControl& control) : m_control(control)
        {
            ++m_control.m_nEditDepth;
        }
        ~CEditOperation()
        {
            if (--m_control.m_nEditDepth == 0)
                m_control.FormatInsertions();
        }
        CEditOperation(const CEditOperation&) = delete;
        CEditOperation& operator=(const CEditOperation&) = delete;

    private:
        CTextControl& m_control;
    };
    int m_nEditDepth = 0;
    void OnUpdateUi(int nUpdated);
    // Widens the span of changes not yet told, and sees that they are told.
    void NoteChange(long nFrom, long nTo);
    void TellChanges();
    long m_nChangedFrom = -1;
    long m_nChangedTo = -1;
    bool m_bChangesQueued = false;
    bool m_bFoldMargin = false;

    CTextSpan StepHistory(unsigned int nMessage);
    void StyleLineNumbers();
    void UpdateLineNumberWidth();
    void UpdateBraceHighlight();
    void UnbindEditingKeys();
    int StyleAt(long nPos) const;
    // The style numbers of [nStart, nEnd), one byte each.
    std::string StyleBytes(long nStart, long nEnd) const;
    bool StrikeAt(long nPos) const;
    unsigned char CharAt(long nPos) const;
    long ClampPosition(long nPos) const;

    // Formats and styles.
    int InternLook(const CStyleLook& look);
    void DefineStyle(int nStyle, const CStyleLook& look);
    void RefreshAllStyles();
    void ReleaseUnusedStyles();
    void SetStyleRange(long nStart, long nLength, int nStyle);
    void ApplyFormat(long nStart, long nEnd, const CCharFormat& format);
    // Restyles the runs of equal style that start at nStart, each merged with
    // the format. defaultLook stands for style 0 (its old look while the
    // default format itself changes).
    void MergeIntoRuns(long nStart, const std::string& styles, const CCharFormat& format,
                       const CStyleLook& defaultLook);
    void SetStrikeRange(long nStart, long nLength, bool bStrike);
    void SetUnderlineRange(long nStart, long nLength, bool bUnderline, std::uint32_t crColour);
    void SetUnderlineRuns(long nStart, std::string_view styles);
    // The format text inserted at nPos takes: that of the character before it,
    // else that of the character after the nInserted characters just inserted.
    void InsertionStyle(long nPos, long nInserted, int& nStyle, bool& bStrike) const;
    void WidenToWords(long& nStart, long& nEnd) const;
    CCharFormat FormatOf(int nStyle, bool bStrike) const;

    void ReplaceAllText(const std::string& normalisedText);
    std::string FitToLimit(std::string text, long nRemoved) const;

    int m_nControlId;
    long m_nLimit;
    std::uint32_t m_crBackground;
    CStyleTable m_styles;
    bool m_bDefaultStrike = false;
    bool m_bAnyStrike = false;
    bool m_bAnyUnderline = false;

    // The format kept for an empty selection, valid until the caret moves or
    // the text changes.
    long m_nPendingPos = -1;
    int m_nPendingStyle = 0;
    bool m_bPendingStrike = false;

    // While set, inserted text takes the default format (whole-text replacement).
    bool m_bInsertDefault = false;

    // Insertions seen by the insert check, with the format each takes; applied
    // once the operation that made them has finished.
    struct CInsertion
    {
        long nPos;
        long nLength;
        int nStyle;
        bool bStrike;
    };
    std::vector<CInsertion> m_insertions;

    bool m_bLineNumbers = false;
    int m_nLineNumberDigits = 0;
    bool m_bBraceMatching = false;
    std::pair<long, long> m_highlightedBraces{-1, -1};
};
