#pragma once

#include "CommandTarget.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <vector>

class QAction;
class QAbstractButton;
class QTimer;

// Sends a command to the first target on the route that answers it: the
// active view, the document, the main frame, the application. When the event
// loop is about to wait (at most every tenth of a second), every bound menu
// item and button gets its state: a command no target answers stands
// disabled; update handlers set enabled and checked.
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
    // Updates the states when the event loop goes idle: at once, or, when
    // they were taken less than kIdleUpdateMs ago, that long after they were.
    void UpdateWhenIdle();

    // The loop goes idle several times for each key typed; a state that
    // follows a tenth of a second later is not seen to lag.
    static constexpr int kIdleUpdateMs = 100;

private:
    // The first target on the route that answers the command, or nullptr.
    const CCommandTarget* TargetOf(int nId) const;
    static const CCommandTarget* TargetIn(const std::vector<const CCommandTarget*>& route, int nId);
    static CCmdUI StateIn(const std::vector<const CCommandTarget*>& route, int nId);
    void Idle();

    Route m_route;
    std::multimap<int, QPointer<QAction>> m_actions;
    std::multimap<int, QPointer<QAbstractButton>> m_buttons;
    bool m_bIdleHooked = false;
    QElapsedTimer m_sinceUpdate;
    QTimer* m_pLater;
};
