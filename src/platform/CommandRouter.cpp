#include "CommandRouter.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCoreApplication>

CCommandRouter::CCommandRouter(QObject* pParent) : QObject(pParent) {}

const CCommandTarget* CCommandRouter::TargetOf(int nId) const
{
    if (!m_route)
        return nullptr;
    for (const CCommandTarget* pTarget : m_route())
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
    CCmdUI ui;
    const CCommandTarget* pTarget = TargetOf(nId);
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
    // Menu items and buttons take their state the same way.
    auto update = [this](const auto& bound)
    {
        for (const auto& [nId, pItem] : bound)
        {
            if (pItem.isNull())
                continue;
            const CCmdUI ui = StateOf(nId);
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
}

void CCommandRouter::UpdateWhenIdle()
{
    if (m_bIdleHooked)
        return;
    if (QAbstractEventDispatcher* pDispatcher = QAbstractEventDispatcher::instance())
    {
        connect(pDispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &CCommandRouter::UpdateCommandStates);
        m_bIdleHooked = true;
    }
}
