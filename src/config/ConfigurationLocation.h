#pragma once

#include <string>

// Where the configuration file lives: the fixed path on Windows, elsewhere
// $XDG_CONFIG_HOME/corvale/corvale.conf (normally ~/.config/corvale/corvale.conf).
// Read anew on every call, so the environment decides.
std::string ConfigurationFilePath();

// The file to read: the user's own where it exists (whatever it is), else the
// first corvale/corvale.conf of $XDG_CONFIG_DIRS (normally /etc/xdg), which an
// installed package provides; else the user's path, which then fails to open.
// On Windows, always the fixed path.
std::string ConfigurationFileToRead();
