#pragma once

#include <QDockWidget>
#include <functional>
#include <optional>
#include <vector>

class CProblemMarks;
class CScriptEdit;
class QTreeWidget;

// The Problems pane, a dock below the editor view: every finding of the
// script check with its severity, line, message and file. A click or Enter
// selects the finding's range in the editing pane. It shows itself when the
// check first finds something, unless the user closed it while it had
// something to show.
class CProblemsPane : public QDockWidget
{
    Q_OBJECT

public:
    CProblemsPane(CScriptEdit& edit, QWidget* pParent = nullptr);

    QTreeWidget* List() const { return m_pList; }
    // The file name the rows name.
    void SetFileName(const QString& name);
    // The first error of the last run, in its own row after the check's:
    // "run: <message>", its file and line; go follows it.
    void SetRunProblem(const QString& message, const QString& fileName, long nLine,
                       std::function<void()> go);
    void ClearRunProblem();
    // What the last dry run found, in rows after the check's.
    struct CDryRunProblem
    {
        bool bError = true;
        QString message;
        QString fileName;
        long nLine = 0;
        std::function<void()> go;
    };
    void SetDryRunProblems(std::vector<CDryRunProblem> problems);
    const std::vector<CDryRunProblem>& DryRunProblems() const { return m_dryRunProblems; }

protected:
    void hideEvent(QHideEvent* pEvent) override;

private:
    void Refill();

    CScriptEdit& m_edit;
    QTreeWidget* m_pList;
    QString m_fileName = QStringLiteral("Untitled");
    struct CRunProblem
    {
        QString message;
        QString fileName;
        long nLine;
        std::function<void()> go;
    };
    std::optional<CRunProblem> m_runProblem;
    std::vector<CDryRunProblem> m_dryRunProblems;
    bool m_bUserClosed = false;
    bool m_bFilling = false;
};
