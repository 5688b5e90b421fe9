#include "ModelPane.h"

#include "ModelView.h"
#include "dryrun/DryRunResult.h"
#include "platform/PlainText.h"
#include "platform/UserInteraction.h"

#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{
// Where the vertical axis of 3D models is kept.
const QString kVerticalKey = QStringLiteral("Model View/Vertical Axis");

QToolButton* MenuButton(QToolBar* pBar, const QString& text, QMenu* pMenu)
{
    auto* pButton = new QToolButton(pBar);
    pButton->setText(text);
    pButton->setMenu(pMenu);
    pButton->setPopupMode(QToolButton::InstantPopup);
    pBar->addWidget(pButton);
    return pButton;
}
} // namespace

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
    m_pFit->setToolTip(QStringLiteral("Frame the whole model as it is turned"));
    m_pTags = pBar->addAction(QStringLiteral("Tags"));
    m_pTags->setCheckable(true);
    m_pTags->setToolTip(QStringLiteral("Show the tags of the nodes and elements"));

    auto* pViews = new QMenu(pBody);
    const std::pair<const char*, CModelCamera::EView> views[] = {
        {"Front", CModelCamera::EView::Front},
        {"Side", CModelCamera::EView::Side},
        {"Top", CModelCamera::EView::Top},
        {"Isometric", CModelCamera::EView::Isometric}};
    for (const auto& [text, view] : views)
        connect(pViews->addAction(QString::fromLatin1(text)), &QAction::triggered, m_pView,
                [this, view = view] { m_pView->Look(view); });
    pViews->addSeparator();
    connect(pViews->addAction(QStringLiteral("Reset view")), &QAction::triggered, m_pView,
            &CModelView::ResetView);
    pViews->addSeparator();
    QAction* pVerticalY = pViews->addAction(QStringLiteral("Vertical y"));
    pVerticalY->setCheckable(true);
    pVerticalY->setToolTip(QStringLiteral("3D models stand on y, not on z"));
    MenuButton(pBar, QStringLiteral("View"), pViews)
        ->setToolTip(QStringLiteral("Standard views of a 3D model, and its vertical axis"));

    auto* pExport = new QMenu(pBody);
    connect(pExport->addAction(QStringLiteral("Export PNG...")), &QAction::triggered, this,
            [this] { Export(false); });
    connect(pExport->addAction(QStringLiteral("Export SVG...")), &QAction::triggered, this,
            [this] { Export(true); });
    MenuButton(pBar, QStringLiteral("Export"), pExport)
        ->setToolTip(QStringLiteral("Save the picture for a report"));

    pLayout->addWidget(pBar);
    pLayout->addWidget(m_pView, 1);
    m_pSummary->setContentsMargins(4, 2, 4, 2);
    m_pSummary->setWordWrap(true);
    pLayout->addWidget(m_pSummary);
    setWidget(pBody);
    connect(m_pFit, &QAction::triggered, m_pView, &CModelView::Fit);
    connect(m_pTags, &QAction::toggled, m_pView, &CModelView::SetTagsShown);
    connect(m_pView, &CModelView::FindingPicked, m_pSummary, &QLabel::setText);

    const bool bVerticalY = QSettings().value(kVerticalKey).toString() == QStringLiteral("y");
    pVerticalY->setChecked(bVerticalY);
    m_pView->SetUp(bVerticalY ? CModelCamera::EUp::Y : CModelCamera::EUp::Z);
    connect(pVerticalY, &QAction::toggled, this,
            [this](bool bY)
            {
                QSettings().setValue(kVerticalKey, bY ? QStringLiteral("y") : QStringLiteral("z"));
                m_pView->SetUp(bY ? CModelCamera::EUp::Y : CModelCamera::EUp::Z);
            });
    m_pSummary->setText(QStringLiteral("No dry run yet"));
    hide();
}

QAction* CModelPane::Action(const QString& text) const
{
    for (QAction* pAction : findChildren<QAction*>())
    {
        if (pAction->text() == text)
            return pAction;
    }
    return nullptr;
}

void CModelPane::Export(bool bSvg)
{
    std::string path;
    if (!UserInteraction().AskSaveFileName(
            bSvg ? "SVG Pictures (*.svg);;All Files (*)" : "PNG Pictures (*.png);;All Files (*)",
            bSvg ? "svg" : "png", bSvg ? "model.svg" : "model.png", path))
        return;
    const std::string failure = bSvg ? m_pView->ExportSvg(path) : m_pView->ExportPng(path);
    if (!failure.empty())
        UserInteraction().ShowMessage(failure);
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
