#pragma once

// Keys pressed at the X server, as a keyboard would: they change its lock
// state and go to whichever window has the keys. False without a server.
bool PressCapsLockAtServer();
