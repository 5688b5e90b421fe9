#include "CommandTarget.h"

void CCommandTarget::OnCommand(int nId, Handler handler, Updater updater)
{
    m_commands[nId] = {std::move(handler), std::move(updater)};
}

bool CCommandTarget::Execute(int nId) const
{
    const auto found = m_commands.find(nId);
    if (found == m_commands.end())
        return false;
    if (found->second.first)
        found->second.first();
    return true;
}

bool CCommandTarget::Update(int nId, CCmdUI& ui) const
{
    const auto found = m_commands.find(nId);
    if (found == m_commands.end())
        return false;
    if (found->second.second)
        found->second.second(ui);
    return true;
}
