#include "ProblemsPane.h"

#include "editor/AnalysisMarks.h"
#include "editor/ScriptEdit.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QTreeWidget>

namespace
{
QColor ColourOf(ESeverity severity)
{
    switch (severity)
    {
    case ESeverity::Error:
        return {200, 0, 0};
    case ESeverity::Warning:
        return {200, 120, 0};
    default:
        return {40, 90, 170};
    }
}
} // namespace

CProblemsPane::CProblemsPane(CScriptEdit& edit, QWidget* pParent)
    : QDockWidget(QStringLiteral("Problems"), pParent), m_edit(edit), m_pList(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("ProblemsPane"));
    m_pList->setHeaderLabels({QStringLiteral("Severity"), QStringLiteral("Line"),
                              QStringLiteral("Message"), QStringLiteral("File"),
                              QStringLiteral("Rule")});
    m_pList->setRootIsDecorated(false);
    m_pList->setUniformRowHeights(true);
    m_pList->header()->setStretchLastSection(false);
    m_pList->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    setWidget(m_pList);
    const auto go = [this](QTreeWidgetItem* pItem)
    {
        if (pItem != nullptr)
            m_edit.Analysis().GoTo(static_cast<size_t>(m_pList->indexOfTopLevelItem(pItem)));
    };
    connect(m_pList, &QTreeWidget::itemClicked, this, go);
    connect(m_pList, &QTreeWidget::itemActivated, this, go);
    connect(&m_edit.Analysis(), &CAnalysisMarks::FindingsChanged, this, &CProblemsPane::Refill);
    connect(&m_edit.Analysis(), &CAnalysisMarks::FindingsMoved, this, &CProblemsPane::Renumber);
    hide();
}

void CProblemsPane::SetFileName(const QString& name)
{
    m_fileName = name;
    Refill();
}

// The rows' lines, where the text has moved their findings.
void CProblemsPane::Renumber()
{
    if (m_bStale || !isVisible())
    {
        m_bStale = true;
        return;
    }
    const std::vector<CFinding>& findings = m_edit.Analysis().Findings();
    const int nRows = std::min(m_pList->topLevelItemCount(), static_cast<int>(findings.size()));
    for (int i = 0; i < nRows; ++i)
    {
        const QString line = LineOf(findings[static_cast<size_t>(i)]);
        QTreeWidgetItem* pRow = m_pList->topLevelItem(i);
        if (pRow->text(1) != line)
            pRow->setText(1, line);
    }
}

QString CProblemsPane::LineOf(const CFinding& finding) const
{
    long nLine = finding.nLine;
    if (finding.InScript() && finding.nStart >= 0)
        nLine = m_edit.LineFromChar(finding.nStart) + 1;
    return nLine > 0 ? QString::number(nLine) : QString();
}

void CProblemsPane::showEvent(QShowEvent* pEvent)
{
    QDockWidget::showEvent(pEvent);
    if (m_bStale)
        Refill();
}

// The rows are made only where they are seen: a hidden pane notes that it
// is behind, and catches up when it is shown.
void CProblemsPane::Refill()
{
    if (!isVisible())
    {
        m_bStale = true;
        return;
    }
    m_bStale = false;
    m_pList->clear();
    const std::vector<CFinding>& findings = m_edit.Analysis().Findings();
    QList<QTreeWidgetItem*> rows;
    for (const CFinding& finding : findings)
    {
        if (rows.size() == kMaxRows)
            break;
        const QString file =
            finding.InScript()
                ? m_fileName
                : QFileInfo(QFile::decodeName(QByteArray::fromStdString(finding.file))).fileName();
        auto* pRow = new QTreeWidgetItem({QString::fromLatin1(SeverityName(finding.severity)),
                                          LineOf(finding), m_edit.ToDisplay(finding.message), file,
                                          QString::fromStdString(finding.rule)});
        pRow->setForeground(0, ColourOf(finding.severity));
        rows << pRow;
    }
    if (findings.size() > static_cast<size_t>(kMaxRows))
        rows << new QTreeWidgetItem(
            {QString(), QString(),
             QStringLiteral("and %1 more").arg(findings.size() - static_cast<size_t>(kMaxRows)),
             QString(), QString()});
    m_pList->addTopLevelItems(rows);
}
