#pragma once

#include "CommandTarget.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <vector>

class QAction;
class QAbstractButton;

// Sends a command to the first target on the route that answers it: the
// active view, the document, the main frame, the application. When the event
// loop is about to wait, every bound menu item and button gets its state: a
// command no target answers stands disabled; update handlers set enabled and
// checked.
class CCommandRouter : public QObject
{
    Q_OBJECT

public:
    using Route = std::function<std::vector<const CCommandTarget*>()>;

    explicit CCommandRouter(QObject* pParent = nullptr);

    // The route is asked anew for every command, since the active view changes.
    void SetRoute(Route route) { m_route = std::move(route); }

    // True when some target ran the command.
    bool RouteCommand(int nId) const;
    // True when some target on the route answers the command.
    bool Handles(int nId) const;
    CCmdUI StateOf(int nId) const;

    // Triggering the item or clicking the button routes the command.
    void Bind(int nId, QAction* pAction);
    void Bind(int nId, QAbstractButton* pButton);
    void UpdateCommandStates();
    // Updates the states whenever the event loop goes idle.
    void UpdateWhenIdle();

private:
    // The first target on the route that answers the command, or nullptr.
    const CCommandTarget* TargetOf(int nId) const;

    Route m_route;
    std::multimap<int, QPointer<QAction>> m_actions;
    std::multimap<int, QPointer<QAbstractButton>> m_buttons;
    bool m_bIdleHooked = false;
};
