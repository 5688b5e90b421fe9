#include "ServerKeys.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

bool PressCapsLockAtServer()
{
    Display* pDisplay = XOpenDisplay(nullptr);
    if (pDisplay == nullptr)
        return false;
    const KeyCode key = XKeysymToKeycode(pDisplay, XK_Caps_Lock);
    const bool bSent = key != 0 && XTestFakeKeyEvent(pDisplay, key, True, CurrentTime) != 0 &&
                       XTestFakeKeyEvent(pDisplay, key, False, CurrentTime) != 0;
    XCloseDisplay(pDisplay); // flushes the keys
    return bSent;
}
