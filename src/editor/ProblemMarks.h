#pragma once

#include "analysis/Finding.h"

#include <QObject>
#include <memory>
#include <string>
#include <vector>

class CBackgroundCheck;
class CCommandLibrary;
class CScriptEdit;
class QTimer;

// The script check, live in the editing pane: it runs once typing pauses
// (kPauseMs) and after a script is opened or saved, on a thread of its own;
// its findings are drawn as squiggles (red for errors, orange for warnings:
// indicators, so the colouring is never touched), a hover over one shows
// its message, and F8 and Shift+F8 step through them. A result for an older
// text is dropped.
class CProblemMarks : public QObject
{
    Q_OBJECT

public:
    CProblemMarks(CScriptEdit& edit, const CCommandLibrary& library);
    ~CProblemMarks() override;

    static constexpr int kPauseMs = 300;
    // How long a check under way waits for a key the pane handles, and its frame.
    static constexpr int kHoldForKeyMs = 50;

    // The check on or off; off, the pane shows no findings.
    void SetEnabled(bool bEnabled);
    bool IsEnabled() const { return m_bEnabled; }
    // Checks the text as it stands now (F7, open, save).
    void CheckNow();
    // The findings of the text as it stands, once its check is done.
    const std::vector<CFinding>& Findings() const { return m_findings; }
    bool IsCurrent() const { return m_nShownRevision == m_nRevision; }
    int ErrorCount() const;
    int WarningCount() const;
    // Selects the next (or previous) finding from the caret, wrapping around;
    // false when there is none.
    bool GoToNext(bool bBackward);
    // Selects a finding's range and brings it into view.
    void GoTo(size_t nFinding);
    // The finding at a position, or nullptr.
    const CFinding* FindingAt(long nPos) const;
    // The library is about to be loaded again: the check's thread, which
    // reads it, ends, and a new one starts with the next check.
    void ForgetLibrary();
    // For tests and benchmarks: waits until the check asked for last has shown.
    bool WaitForResult(int nMs);

signals:
    // The findings shown changed.
    void FindingsChanged();

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void TextEdited();
    void Show(long nRevision, std::shared_ptr<const std::vector<CFinding>> pFindings);
    void Clear();
    void ShowTip(long nPos, const QPoint& point);
    CBackgroundCheck& Background();

    CScriptEdit& m_edit;
    const CCommandLibrary& m_library;
    std::unique_ptr<CBackgroundCheck> m_pBackground;
    QTimer* m_pPause;
    bool m_bEnabled = true;
    long m_nRevision = 0;
    long m_nShownRevision = -1;
    std::vector<CFinding> m_findings;
};
