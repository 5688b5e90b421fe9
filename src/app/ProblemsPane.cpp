#include "ProblemsPane.h"

#include "editor/ProblemMarks.h"
#include "editor/ScriptEdit.h"

#include <QHeaderView>
#include <QTreeWidget>

CProblemsPane::CProblemsPane(CScriptEdit& edit, QWidget* pParent)
    : QDockWidget(QStringLiteral("Problems"), pParent), m_edit(edit), m_pList(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("ProblemsPane"));
    m_pList->setHeaderLabels({QStringLiteral("Severity"), QStringLiteral("Line"),
                              QStringLiteral("Message"), QStringLiteral("File")});
    m_pList->setRootIsDecorated(false);
    m_pList->setUniformRowHeights(true);
    m_pList->header()->setStretchLastSection(false);
    m_pList->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    setWidget(m_pList);
    const auto go = [this](QTreeWidgetItem* pItem)
    {
        if (pItem == nullptr)
            return;
        size_t nRow = static_cast<size_t>(m_pList->indexOfTopLevelItem(pItem));
        if (nRow < m_edit.Problems().Findings().size())
        {
            m_edit.Problems().GoTo(nRow);
            return;
        }
        nRow -= m_edit.Problems().Findings().size();
        if (nRow < m_dryRunProblems.size())
        {
            if (m_dryRunProblems[nRow].go)
                m_dryRunProblems[nRow].go();
            return;
        }
        if (m_runProblem && m_runProblem->go)
            m_runProblem->go();
    };
    connect(m_pList, &QTreeWidget::itemClicked, this, go);
    connect(m_pList, &QTreeWidget::itemActivated, this, go);
    connect(&m_edit.Problems(), &CProblemMarks::FindingsChanged, this, &CProblemsPane::Refill);
    hide();
}

void CProblemsPane::SetFileName(const QString& name)
{
    m_fileName = name;
    Refill();
}

void CProblemsPane::SetRunProblem(const QString& message, const QString& fileName, long nLine,
                                  std::function<void()> go)
{
    m_runProblem = CRunProblem{message, fileName, nLine, std::move(go)};
    Refill();
}

void CProblemsPane::ClearRunProblem()
{
    if (!m_runProblem)
        return;
    m_runProblem.reset();
    Refill();
}

void CProblemsPane::SetDryRunProblems(std::vector<CDryRunProblem> problems)
{
    m_dryRunProblems = std::move(problems);
    Refill();
}

void CProblemsPane::hideEvent(QHideEvent* pEvent)
{
    QDockWidget::hideEvent(pEvent);
    if (!m_bFilling && m_pList->topLevelItemCount() > 0)
        m_bUserClosed = true;
}

void CProblemsPane::Refill()
{
    m_bFilling = true;
    m_pList->clear();
    const std::vector<CFinding>& findings = m_edit.Problems().Findings();
    QList<QTreeWidgetItem*> rows;
    for (const CFinding& finding : findings)
    {
        auto* pRow =
            new QTreeWidgetItem({finding.severity == ESeverity::Error ? QStringLiteral("error")
                                                                      : QStringLiteral("warning"),
                                 QString::number(m_edit.LineFromChar(finding.nStart) + 1),
                                 m_edit.ToDisplay(finding.message), m_fileName});
        pRow->setForeground(0, finding.severity == ESeverity::Error ? QColor(200, 0, 0)
                                                                    : QColor(200, 120, 0));
        rows << pRow;
    }
    for (const CDryRunProblem& problem : m_dryRunProblems)
    {
        auto* pRow = new QTreeWidgetItem(
            {problem.bError ? QStringLiteral("error") : QStringLiteral("warning"),
             problem.nLine > 0 ? QString::number(problem.nLine) : QString(), problem.message,
             problem.fileName});
        pRow->setForeground(0, problem.bError ? QColor(200, 0, 0) : QColor(200, 120, 0));
        rows << pRow;
    }
    if (m_runProblem)
    {
        auto* pRow = new QTreeWidgetItem(
            {QStringLiteral("error"), QString::number(m_runProblem->nLine),
             QStringLiteral("run: ") + m_runProblem->message, m_runProblem->fileName});
        pRow->setForeground(0, QColor(200, 0, 0));
        rows << pRow;
    }
    m_pList->addTopLevelItems(rows);
    if (rows.isEmpty())
        m_bUserClosed = false;
    else if (!m_bUserClosed && isHidden())
        show();
    m_bFilling = false;
}
