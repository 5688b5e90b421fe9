#include "CommandRouter.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCoreApplication>

CCommandRouter::CCommandRouter(QObject* pParent) : QObject(pParent) {}

bool CCommandRouter::RouteCommand(int nId) const
{
    if (!m_route)
        return false;
    for (const CCommandTarget* pTarget : m_route())
    {
        if (pTarget != nullptr && pTarget->Execute(nId))
            return true;
    }
    return false;
}

CCmdUI CCommandRouter::StateOf(int nId) const
{
    CCmdUI ui;
    if (m_route)
    {
        for (const CCommandTarget* pTarget : m_route())
        {
            if (pTarget != nullptr && pTarget->Update(nId, ui))
                return ui;
        }
    }
    ui.bEnabled = false;
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
    for (const auto& [nId, pAction] : m_actions)
    {
        if (pAction.isNull())
            continue;
        const CCmdUI ui = StateOf(nId);
        pAction->setEnabled(ui.bEnabled);
        if (ui.checked)
        {
            pAction->setCheckable(true);
            pAction->setChecked(*ui.checked);
        }
    }
    for (const auto& [nId, pButton] : m_buttons)
    {
        if (pButton.isNull())
            continue;
        const CCmdUI ui = StateOf(nId);
        pButton->setEnabled(ui.bEnabled);
        if (ui.checked)
        {
            pButton->setCheckable(true);
            pButton->setChecked(*ui.checked);
        }
    }
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
