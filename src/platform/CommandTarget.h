#pragma once

#include <functional>
#include <map>
#include <optional>

// What an update handler decides for a command's menu item or button.
struct CCmdUI
{
    bool bEnabled = true;
    std::optional<bool> checked; // unset: the item is not a check item
};

// An object that answers commands: a view, the document, the frame or the
// application. Each command it answers has a handler and, optionally, an
// update handler.
class CCommandTarget
{
public:
    using Handler = std::function<void()>;
    using Updater = std::function<void(CCmdUI&)>;

    void OnCommand(int nId, Handler handler, Updater updater = Updater());

    bool Handles(int nId) const { return m_commands.count(nId) != 0; }
    // Runs the handler; false when this target does not answer the command.
    bool Execute(int nId) const;
    // Runs the update handler; false when this target does not answer the command.
    bool Update(int nId, CCmdUI& ui) const;

private:
    std::map<int, std::pair<Handler, Updater>> m_commands;
};
