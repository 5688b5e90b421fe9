#include "UserInteraction.h"

#include "QtUserInteraction.h"

namespace
{
CUserInteraction* g_pInstalled = nullptr;
}

CUserInteraction& UserInteraction()
{
    if (g_pInstalled != nullptr)
        return *g_pInstalled;
    static CQtUserInteraction s_qtService;
    return s_qtService;
}

void SetUserInteraction(CUserInteraction* pService)
{
    g_pInstalled = pService;
    // What the plain-C++ parts report goes where the service shows its messages.
    SetDefaultMessageSink(&UserInteraction());
}
