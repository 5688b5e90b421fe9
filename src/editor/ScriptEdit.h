#pragma once

#include "colour/LineColourer.h"
#include "colour/WordColour.h"
#include "helplib/CommandLibrary.h"
#include "platform/TextControl.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CCompletionModel;
class CCompletionPopup;
class CBlockFolding;
class CCorvaleDoc;
class COccurrenceMarker;
class CAnalysisMarks;
class CEditorAssist;
class QTimer;

// The editing pane. It colours the script while it is typed ("fontify") and
// owns the command library: the help files named by the help directory's
// "list.txt", in list order.
class CScriptEdit : public CTextControl
{
    Q_OBJECT

public:
    explicit CScriptEdit(QWidget* pParent = nullptr, int nControlId = 1);
    ~CScriptEdit() override;

    // The one step that joins the pane to its document, its summary pane and
    // the view that holds them: the formats, the 2,000,000-character limit and
    // the links both ways. The editor view takes it when it is built; so do tests.
    void AttachTo(CCorvaleDoc& doc, CTextControl& summaryPane, QWidget& view);

    // ---- command library ----
    // Loads the library from a help directory, which is used as a plain prefix.
    // 1 when the list file was read (even if help files were missing), 0 when the
    // directory is "not found" or the list file cannot be opened.
    int LoadHelpFiles(std::string helpDirectory);

    // True when a help file holds this (keyword, parent); while help is on, the
    // record's text of the first such file also replaces the summary pane's text.
    bool ShowCommandHelp(std::string_view keyword, std::string_view parent);
    // The same, but shows the text even while help is off.
    bool ShowTreeCommandHelp(const std::string& keyword, const std::string& parent);
    // The library the pane colours and looks up with.
    const CCommandLibrary& Library() const { return m_library; }

    // ---- completion from the library (Ctrl+Space) ----
    // The word being typed at the caret: where it starts, what of it is typed,
    // and the parent its records have: "command" for a line's first word,
    // else the words before it, as colouring looks them up.
    struct CCompletionContext
    {
        long nWordStart = 0; // position in the text
        std::string prefix;
        std::string parent;
    };
    CCompletionContext CompletionContextAtCaret() const;
    // The library's records for that place whose keyword begins with the prefix.
    std::vector<int> Completions(const CCompletionContext& context) const;
    std::string_view CompletionKeyword(int nRecord) const;
    // The first line of the record's help below its header.
    std::string CompletionTip(int nRecord);
    // Ctrl+Space: the list at the caret, or nothing when the library has no entry.
    void ShowCompletions();
    // Puts in the rest of the record's keyword as typing would.
    void CompleteWith(int nRecord);
    CCompletionPopup* CompletionPopup() const { return m_pCompletionPopup; }

    // ---- aids every editor has ----
    CBlockFolding& Folding() const { return *m_pFolding; }
    // The live analysis: the check, the dry run and the model rules' findings.
    CAnalysisMarks& Analysis() const { return *m_pAnalysis; }
    // Completion while typing, the call tip, going to a definition.
    CEditorAssist& Assist() const { return *m_pAssist; }
    // Replaces [nStart, nEnd) as typing would: one step to undo, the script
    // changed, the line coloured.
    void ReplaceAsTyped(long nStart, long nEnd, const std::string& text);

    // ---- colouring ----
    // One-time set-up of the formats of both panes and of the keyword table.
    void SetUpFormats();
    // The system's fixed-pitch face, which the summary pane shows help in.
    static std::string FixedPitchFace();
    std::string WordAtColumn(const std::string& line, long nLength, long nColumn) const;
    bool IsKeyword(const std::string& word) const;
    // Classifies, colours and looks up the word around a column of the caret's
    // line (without its break). Typing mode: both flags false.
    void FontifyWord(const std::string& line, long nLength, long nColumn, bool bRecolour,
                     bool bLookUpOnly);
    // Handles the caret's line for the character just typed or met (0: none).
    void FontifyAtCaret(char ch, bool bRecolour, bool bLookUpOnly);
    // While help is on, shows the help of the word at the caret, as a click
    // does, without colouring anything; the Soon form once the keys queued
    // now are handled.
    void LookUpAtCaret();
    void LookUpAtCaretSoon();
    void FontifyLine(long nLine);
    // Recolours lines nFirst to nLast, as FontifyLine does each of them.
    void FontifyLines(long nFirst, long nLast);
    // Undo, then recolour every line the undone step touched: the text comes
    // back without its colours.
    void UndoAndFontify();
    // Redo, recolouring in the same way.
    void RedoAndFontify();
    void FontifyCurrentLine();
    // Recolours the whole text and refills the Variables and Source lists.
    void FontifyAll();
    void SetFontFace(const std::string& faceName);
    // The progress text of the whole-text pass as line nLine is reached: a new
    // row every 200 lines, a dot every five. True when the text should be shown.
    static bool AdvanceProgress(std::string& progress, long nLine);

    // A character typed (8 Backspace, 13 Enter): marks the script changed, lets
    // the control insert it, and colours what it touched.
    void OnChar(char ch, QKeyEvent* pEvent);
    // The Delete key: marks the script changed and recolours the caret's line.
    void OnKeyDown(QKeyEvent* pEvent);

    // ---- line commands ----
    // Puts "#" in front of every line the selection touches; one Undo takes
    // them all back.
    void CommentLines();
    // Removes a "#" in the first column of every line the selection touches,
    // as one undo step.
    void UncommentLines();
    // Scrolls to the 1-based line n and selects it (without its break).
    void GoToLine(long n);
    // Goes to the first line that assigns (keyword "set") or sources ("source") name.
    void GoToKeywordLine(const std::string& name, const std::string& keyword);

    // ---- find and replace (forward from the selection's end, never wrapping) ----
    // What a search started here looks for: the selection up to its first line
    // break, or else the word at the caret (letters, digits and _ - . : and
    // every byte past ASCII).
    std::string SearchText() const;
    // 0 when found (the match selected and in view), -1 with the message when not.
    int FindNext(const std::string& message, const std::string& findWhat, std::uint32_t nFlags);
    void ReplaceOne(const std::string& findWhat, const std::string& replaceWith,
                    std::uint32_t nFlags);
    void ReplaceAll(const std::string& findWhat, const std::string& replaceWith,
                    std::uint32_t nFlags);

    // The format of a word class, with the current face and height.
    CCharFormat FormatOf(EWordColour colour) const;

    CCorvaleDoc* m_pDoc = nullptr;
    CTextControl* m_pSummaryPane = nullptr;
    int m_nFontHeight = 210;
    int m_bHelpOn = 1;
    int m_bFillLists = 0;
    CCharFormat m_charFormat;
    std::uint32_t m_crSubCommand = Rgb(0, 0, 255);
    std::uint32_t m_crCommand = Rgb(0, 150, 0);
    std::uint32_t m_crKeyword = Rgb(160, 0, 135);
    std::uint32_t m_crText = Rgb(0, 0, 0);
    std::uint32_t m_crComment = Rgb(150, 150, 150);
    std::vector<std::string> m_tclKeywords = std::vector<std::string>(14);

private:
    // The command library; the members below are its own, by the names the
    // pane has always given them.
    CCommandLibrary m_library;

public:
    const int& m_nHelpFiles = m_library.m_nHelpFiles;
    const std::vector<std::unique_ptr<CHelpFile>>& m_helpFiles = m_library.m_helpFiles;
    const std::vector<std::string>& m_helpPaths = m_library.m_helpPaths;

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private:
    // Applies a format to [nStart, nEnd) through the selection, and restores it.
    void ColourRange(long nStart, long nEnd, EWordColour colour, bool bWholeWords);
    void ApplyToSelection(EWordColour colour);
    // Shows the record's help in the summary pane.
    void ShowRecordHelp(int nRecord);
    void ShowProgress(const std::string& text, bool bForce);
    std::vector<CCharFormat> AllFormats() const;
    CLineColourer Colourer() const;
    CLineColourer::WordVisitor ListFiller();
    void ShowHelpOfWord(const CLineWalk::CWord& word, EWordColour colour);
    void ForEachSelectedLine(const std::function<void(long nLineStart)>& action);

    // Sets the document's changed flag.
    void MarkChanged();
    // Colours what the character just put in touched, as typing does.
    void ColourTyped(char ch);
    // Auto-indent: Enter keeps the line's indent (one level more after "{"),
    // a "}" opening a line takes one level off.
    void BreakLineIndented(QKeyEvent* pEvent);
    void Outdent();
    std::string IndentUnit(long nLine) const;
    static constexpr long kIndentLookBack = 200;
    // After a key the list passed on: the list narrowed, or closed once the
    // caret has left the word.
    void RefreshCompletions();

    long long m_nLastProgressMs = 0;

    CCompletionModel* m_pCompletionModel = nullptr;
    CCompletionPopup* m_pCompletionPopup = nullptr;
    long m_nCompletionWordStart = -1;
    QTimer* m_pLookUpTimer = nullptr;
    CBlockFolding* m_pFolding = nullptr;
    COccurrenceMarker* m_pOccurrences = nullptr;
    CAnalysisMarks* m_pAnalysis = nullptr;
    CEditorAssist* m_pAssist = nullptr;
};
