#include "ModelPane.h"

#include "ModelView.h"
#include "dryrun/DryRunResult.h"
#include "platform/PlainText.h"

#include <QLabel>
#include <QToolBar>
#include <QVBoxLayout>

CModelPane::CModelPane(QWidget* pParent)
    : QDockWidget(QStringLiteral("Model"), pParent), m_pView(new CModelView),
      m_pSummary(PlainLabel(new QLabel))
{
    setObjectName(QStringLiteral("ModelPane"));
    auto* pBody = new QWidget(this);
    auto* pLayout = new QVBoxLayout(pBody);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    auto* pBar = new QToolBar(pBody);
    pBar->setObjectName(QStringLiteral("ModelToolBar"));
    m_pFit = pBar->addAction(QStringLiteral("Fit"));
    m_pFit->setToolTip(QStringLiteral("Bring the whole model into view"));
    m_pTags = pBar->addAction(QStringLiteral("Tags"));
    m_pTags->setCheckable(true);
    m_pTags->setToolTip(QStringLiteral("Show the tags of the nodes and elements"));
    pLayout->addWidget(pBar);
    pLayout->addWidget(m_pView, 1);
    m_pSummary->setContentsMargins(4, 2, 4, 2);
    m_pSummary->setWordWrap(true);
    pLayout->addWidget(m_pSummary);
    setWidget(pBody);
    connect(m_pFit, &QAction::triggered, m_pView, &CModelView::Fit);
    connect(m_pTags, &QAction::toggled, m_pView, &CModelView::SetTagsShown);
    m_pSummary->setText(QStringLiteral("No dry run yet"));
    hide();
}

void CModelPane::SetResult(const std::shared_ptr<const CDryRunResult>& pResult)
{
    m_pView->SetResult(pResult);
    if (!pResult)
        return;
    if (!pResult->Failure().empty())
    {
        m_pSummary->setText(QString::fromStdString(pResult->Failure()));
        return;
    }
    const CModelFacts& facts = pResult->Facts();
    QString text = QStringLiteral("%1 nodes, %2 elements")
                       .arg(facts.Nodes().size())
                       .arg(facts.Elements().size());
    const CDryRunReport& report = pResult->Report();
    if (!report.limit.empty())
        text += QStringLiteral("; stopped: %1").arg(QString::fromStdString(report.limitMessage));
    else if (report.errors.size() == 1)
        text += QStringLiteral("; an error at line %1").arg(report.errors.front().place.nLine);
    else if (!report.errors.empty())
        text += QStringLiteral("; %1 errors, the first at line %2")
                    .arg(report.errors.size())
                    .arg(report.errors.front().place.nLine);
    m_pSummary->setText(text);
}
