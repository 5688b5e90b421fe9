#pragma once

#include "analysis/Analysis.h"

#include <QObject>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

class CAnalysisSession;
class CCommandLibrary;
class CDryRunResult;
class CScriptEdit;
class QTimer;

// The editing pane as a front end of the analysis: it tells the engine when
// the text changes, hands over a copy once the engine asks (after the pause),
// and shows the one list of findings the engine gives back: squiggles at
// their ranges (error, warning and info styles), marks in the margin, the
// message under the mouse, and the list the Problems pane and the status bar
// count read. It never builds a finding itself, and never computes on a paint.
// - A finding whose line is edited goes at once; the rest move with the text.
// - A finding on the line being typed waits until the caret leaves the line or
//   typing pauses for kTypingHoldMs.
// - The first error of the last real run is one more finding, from that run.
// - The dry run's result (values, tags, the model) is kept for the text it
//   was made for.
class CAnalysisMarks : public QObject
{
    Q_OBJECT

public:
    CAnalysisMarks(CScriptEdit& edit, const CCommandLibrary& library);
    ~CAnalysisMarks() override;

    // A check of a 2 MB script takes some 60 ms on its worker: a fifth of a
    // second's pause puts its squiggles on screen within a third.
    static constexpr int kPauseMs = 200;
    static constexpr int kDryRunPauseMs = 1000;
    static constexpr int kTypingHoldMs = 1500;
    // How long the work under way waits for a key the pane handles, and its frame.
    static constexpr int kHoldForKeyMs = 50;

    // The dry-run helper and the library it reads; until they are known, no dry run.
    void SetHelper(std::string program, std::string helpDir);
    // The analysis on or off; off, nothing is analysed and nothing shown.
    void SetEnabled(bool bEnabled);
    bool IsEnabled() const { return m_bEnabled; }
    // Analyses the text as it stands now, without the pauses (F7, open, save).
    void AnalyseNow();
    // The library is about to be loaded again: the engine, which reads it,
    // ends, and a new one starts with the next analysis.
    void ForgetLibrary();

    // The findings shown, by place: the script's, then its sourced files'.
    const std::vector<CFinding>& Findings() const { return m_bRunApart ? m_shown : m_engine; }
    int Count(ESeverity severity) const;
    // The check's result for the text as it stands is in.
    bool IsCurrent() const { return m_nShownVersion == m_nVersion; }
    // So is the dry run's.
    bool IsComplete() const { return IsCurrent() && m_bComplete; }
    // The finding at a position of the script, or nullptr.
    const CFinding* FindingAt(long nPos) const;
    // Selects the next (or previous) finding in the script from the caret,
    // wrapping around; false when there is none.
    bool GoToNext(bool bBackward);
    // Selects a finding's range, or opens its file at its line.
    void GoTo(size_t nFinding);

    // The first error of the last real run, at a line (from 1) of the script
    // (file empty) or of another file.
    void SetRunFinding(const std::string& file, long nLine, const std::string& message);
    void ClearRunFinding();

    // The first fix of the finding at the caret, or of one on its line.
    const CFix* FixAtCaret() const;
    // Applies it as an edit the user can undo; false when there was none.
    bool QuickFixAtCaret();

    // The last dry run's result until the text is edited, then nullptr;
    // IsDryRunCurrent when it is of the text as it stands.
    const std::shared_ptr<const CDryRunResult>& DryRunResult() const { return m_pDryRun; }
    bool IsDryRunCurrent() const { return m_pDryRun && m_nDryRunVersion == m_nVersion; }
    // What the last analyses knew of the script, without their findings:
    // the outline and usage forms of the last check, the last dry run; its
    // version is the check's. For completion and going to a definition.
    CAnalysis Known() const;

    // What a hover shows: a finding's message and fix, or else the dry run's
    // value or tag; empty for nothing.
    std::string TipAt(long nPos) const;

    // For tests and benchmarks: waits until the check's result (or the
    // whole analysis) of the text as it stands is shown.
    bool WaitForResult(int nMs);
    bool WaitForComplete(int nMs);
    // The findings held back while their line is typed on.
    size_t WaitingCount() const { return m_waiting.size(); }

    // Another file the findings name, to be opened at a line.
    std::function<void(const std::string& path, long nLine)> OpenFileAt;

signals:
    // The findings shown changed.
    void FindingsChanged();
    // The same findings moved to other lines with the text.
    void FindingsMoved();
    // A new dry-run result is in.
    void DryRunChanged();

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void TextEdited(long nFrom, long nTo);
    void CaretMoved();
    void AskedForText(long nVersion);
    void Show(std::shared_ptr<const CAnalysis> pAnalysis);
    void ReleaseWaiting();
    // What a finding draws: a squiggle over its range and a mark in the margin.
    struct CMark
    {
        long nStart = 0;
        long nEnd = 0;
        int nIndicator = 0;
        int nMarker = -1; // none

        auto Key() const { return std::tie(nStart, nEnd, nIndicator, nMarker); }
        friend bool operator<(const CMark& a, const CMark& b) { return a.Key() < b.Key(); }
        friend bool operator==(const CMark& a, const CMark& b) { return a.Key() == b.Key(); }
    };
    static std::vector<CMark> MarksOf(const std::vector<CFinding>& findings, long nLength);
    void Unmark(const std::vector<CFinding>& gone, long nLineStart, long nOldEnd, long nNewEnd,
                long nShift);
    // Draws again the marks that overlap those cleared, and sets the margin
    // of the lines named from the marks on them.
    void Refill(const std::vector<CMark>& marks, const std::vector<CMark>& cleared,
                std::vector<long>& lines);
    // The marks of the list shown: taken before a change of the list, they
    // are what Redraw compares the new list with.
    std::vector<CMark> ShownMarks() const;
    void Redraw(const std::vector<CMark>& before, bool bAll = false);
    // Past this many marks gone or come, all are drawn again.
    static constexpr size_t kMaxMarksRedrawn = 256;
    void ShowTip(long nPos, const QPoint& point);
    std::string SessionPath() const;
    bool WaitUntil(const std::function<bool()>& done, int nMs);
    CAnalysisSession& Session();

    CScriptEdit& m_edit;
    const CCommandLibrary& m_library;
    std::unique_ptr<CAnalysisSession> m_pSession;
    std::string m_sessionPath;
    std::string m_helper;
    std::string m_helpDir;
    bool m_bEnabled = true;
    long m_nVersion = 0;
    long m_nShownVersion = -1;
    bool m_bComplete = false;
    long m_nKnownLength = 0;
    long m_nKnownLines = 1;
    std::chrono::steady_clock::time_point m_lastKey;
    QTimer* m_pRelease;
    // The engine's findings, the run's, those waiting for their line, and
    // the list shown; each kept at its place in the text as it stands. The
    // list shown is the engine's own unless the run's finding stands apart
    // from them: a large list is never copied for that.
    std::vector<CFinding> m_engine;
    std::optional<CFinding> m_runFinding;
    std::vector<CFinding> m_waiting;
    long m_nWaitingLine = -1;
    bool m_bRunApart = false;
    std::vector<CFinding> m_shown; // when m_bRunApart
    std::shared_ptr<const CDryRunResult> m_pDryRun;
    long m_nDryRunVersion = -1;
    std::shared_ptr<const CScriptOutline> m_pOutline;
    std::shared_ptr<const CCommandKnowledge> m_pKnowledge;
    std::shared_ptr<const CKnownTags> m_pTags; // kept past the dry run's text
};
