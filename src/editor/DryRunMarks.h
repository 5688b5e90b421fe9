#pragma once

#include <QObject>
#include <memory>
#include <string>

class CBackgroundDryRun;
class CCommandLibrary;
class CDryRunResult;
class CProblemMarks;
class CScriptEdit;
class QTimer;

// The dry run, live in the editing pane: once typing has paused for
// kPauseMs and the script check has its result for the text, the text is
// run in the sandbox on a thread of its own. The result for the text as it
// stands is kept for the panes (problems, the model) and for the hover: over
// $name or set name, the variable's value; over a tag, where it is defined.
// A result for an older text is dropped.
class CDryRunMarks : public QObject
{
    Q_OBJECT

public:
    CDryRunMarks(CScriptEdit& edit, const CCommandLibrary& library, CProblemMarks& problems);
    ~CDryRunMarks() override;

    static constexpr int kPauseMs = 1000;

    // The helper program and the library it reads; until they are known, nothing runs.
    void SetHelper(std::string program, std::string helpDir);
    // Runs the text as it stands now (tests, benchmarks).
    void RunNow();
    // Runs it once the check has its result for the text (open, save, a pause).
    void RunAfterCheck();
    // The last result, for the text it was made for; nullptr before the first.
    const std::shared_ptr<const CDryRunResult>& Result() const { return m_pResult; }
    // The result is for the text as it stands.
    bool IsCurrent() const { return m_pResult && m_nShownRevision == m_nRevision; }
    // What a hover over a position shows; empty for nothing.
    std::string TipAt(long nPos) const;
    // The library is about to be loaded again.
    void ForgetLibrary();
    // For tests and benchmarks: waits until the run asked for last has shown.
    bool WaitForResult(int nMs);

signals:
    void ResultChanged();

private:
    void TextEdited();
    void CheckShown();
    void Show(long nRevision, std::shared_ptr<const CDryRunResult> pResult);
    void ShowTip(long nPos, const QPoint& point);
    CBackgroundDryRun& Background();

    CScriptEdit& m_edit;
    const CCommandLibrary& m_library;
    CProblemMarks& m_problems;
    std::unique_ptr<CBackgroundDryRun> m_pBackground;
    QTimer* m_pPause;
    std::string m_helper;
    std::string m_helpDir;
    bool m_bWaitingForCheck = false;
    long m_nRevision = 0;
    long m_nRequestedRevision = -1;
    long m_nShownRevision = -1;
    std::shared_ptr<const CDryRunResult> m_pResult;
};
