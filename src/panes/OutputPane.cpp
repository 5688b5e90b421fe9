#include "OutputPane.h"

#include "OutputText.h"
#include "platform/PlainText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

COutputPane::COutputPane(QWidget* pParent)
    : QDockWidget(QStringLiteral("Output"), pParent), m_pText(new COutputText),
      m_pState(PlainLabel(new QLabel)), m_pDropped(PlainLabel(new QLabel)), m_pStop(new QToolButton)
{
    setObjectName(QStringLiteral("OutputPane"));
    m_pState->setObjectName(QStringLiteral("RunState"));
    m_pDropped->setObjectName(QStringLiteral("DroppedLines"));
    m_pStop->setObjectName(QStringLiteral("StopRun"));
    m_pStop->setText(QStringLiteral("Stop"));
    m_pStop->setToolTip(QStringLiteral("Stop the run (Shift+F5)"));
    m_pStop->setEnabled(false);
    auto* pHeader = new QHBoxLayout;
    pHeader->setContentsMargins(4, 2, 4, 2);
    pHeader->addWidget(m_pState);
    pHeader->addSpacing(16);
    pHeader->addWidget(m_pDropped);
    pHeader->addStretch(1);
    pHeader->addWidget(m_pStop);
    auto* pBody = new QWidget;
    auto* pLayout = new QVBoxLayout(pBody);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    pLayout->addLayout(pHeader);
    pLayout->addWidget(m_pText, 1);
    setWidget(pBody);
    connect(m_pStop, &QToolButton::clicked, this, &COutputPane::StopClicked);
    hide();
}

void COutputPane::SetState(const QString& state)
{
    m_pState->setText(state);
}

void COutputPane::SetDroppedLines(long nDropped)
{
    m_pDropped->setText(nDropped > 0 ? QStringLiteral("%1 earlier lines dropped").arg(nDropped)
                                     : QString());
}

void COutputPane::SetStopEnabled(bool bEnabled)
{
    m_pStop->setEnabled(bEnabled);
}
