#pragma once

#include <optional>

// The state of the lock keys, for the status bar's CAP, NUM and SCRL panes.
struct CKeyboardLocks
{
    bool bCapsLock = false;
    bool bNumLock = false;
    bool bScrollLock = false;
};

// Empty where the window system does not tell (anything but X11 for now).
std::optional<CKeyboardLocks> QueryKeyboardLocks();
