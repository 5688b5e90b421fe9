#include "CommandRouter.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCoreApplication>
#include <QTimer>

CCommandRouter::CCommandRouter(QObject* pParent) : QObject(pParent), m_pLater(new QTimer(this))
{
    // Its firing only wakes the loop: the states are taken when it goes
    // idle after that, once every event that came with the timer is handled.
    m_pLater->setSingleShot(true);
    m_pLater->setTimerType(Qt::PreciseTimer);
}

const CCommandTarget* CCommandRouter::TargetOf(int nId) const
{
    return m_route ? TargetIn(m_route(), nId) : nullptr;
}

const CCommandTarget* CCommandRouter::TargetIn(const std::vector<const CCommandTarget*>& route,
                                               int nId)
{
    for (const CCommandTarget* pTarget : route)
    {
        if (pTarget != nullptr && pTarget->Handles(nId))
            return pTarget;
    }
    return nullptr;
}

bool CCommandRouter::RouteCommand(int nId) const
{
    const CCommandTarget* pTarget = TargetOf(nId);
    return pTarget != nullptr && pTarget->Execute(nId);
}

bool CCommandRouter::Handles(int nId) const
{
    return TargetOf(nId) != nullptr;
}

CCmdUI CCommandRouter::StateOf(int nId) const
{
    return StateIn(m_route ? m_route() : std::vector<const CCommandTarget*>(), nId);
}

CCmdUI CCommandRouter::StateIn(const std::vector<const CCommandTarget*>& route, int nId)
{
    CCmdUI ui;
    const CCommandTarget* pTarget = TargetIn(route, nId);
    if (pTarget == nullptr)
        ui.bEnabled = false;
    else
        pTarget->Update(nId, ui);
    return ui;
}

void CCommandRouter::Bind(int nId, QAction* pAction)
{
    m_actions.emplace(nId, pAction);
    connect(pAction, &QAction::triggered, this, [this, nId] { RouteCommand(nId); });
}

void CCommandRouter::Bind(int nId, QAbstractButton* pButton)
{
    m_buttons.emplace(nId, pButton);
    connect(pButton, &QAbstractButton::clicked, this, [this, nId] { RouteCommand(nId); });
}

void CCommandRouter::UpdateCommandStates()
{
    // Menu items and buttons take their state the same way, from the route
    // as it stands now: asked once, not once per command.
    const std::vector<const CCommandTarget*> route =
        m_route ? m_route() : std::vector<const CCommandTarget*>();
    auto update = [&route](const auto& bound)
    {
        for (const auto& [nId, pItem] : bound)
        {
            if (pItem.isNull())
                continue;
            const CCmdUI ui = StateIn(route, nId);
            pItem->setEnabled(ui.bEnabled);
            if (ui.checked)
            {
                pItem->setCheckable(true);
                pItem->setChecked(*ui.checked);
            }
        }
    };
    update(m_actions);
    update(m_buttons);
    m_sinceUpdate.start();
}

void CCommandRouter::Idle()
{
    const qint64 nSinceMs = m_sinceUpdate.isValid() ? m_sinceUpdate.elapsed() : kIdleUpdateMs;
    if (nSinceMs >= kIdleUpdateMs)
        UpdateCommandStates();
    else if (!m_pLater->isActive())
        m_pLater->start(static_cast<int>(kIdleUpdateMs - nSinceMs));
}

void CCommandRouter::UpdateWhenIdle()
{
    if (m_bIdleHooked)
        return;
    if (QAbstractEventDispatcher* pDispatcher = QAbstractEventDispatcher::instance())
    {
        connect(pDispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &CCommandRouter::Idle);
        m_bIdleHooked = true;
    }
}
