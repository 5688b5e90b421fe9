#pragma once

#include <QDockWidget>

class CScriptEdit;
struct CFinding;
class QTreeWidget;

// The Problems pane, a dock below the editor view: the analysis's findings
// as the editing pane shows them, each with its severity, line, message,
// file and rule. A click or Enter goes to the finding. It opens only when
// the user asks for it.
class CProblemsPane : public QDockWidget
{
    Q_OBJECT

public:
    CProblemsPane(CScriptEdit& edit, QWidget* pParent = nullptr);

    QTreeWidget* List() const { return m_pList; }
    // The file name the script's rows name.
    void SetFileName(const QString& name);

    // A list of many thousand rows says how many more there are instead.
    static constexpr int kMaxRows = 5000;

protected:
    void showEvent(QShowEvent* pEvent) override;

private:
    void Refill();
    void Renumber();
    QString LineOf(const CFinding& finding) const;

    CScriptEdit& m_edit;
    QTreeWidget* m_pList;
    QString m_fileName = QStringLiteral("Untitled");
    bool m_bStale = false;
};
