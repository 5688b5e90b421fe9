#pragma once

#include <string>

// Where the configuration file lives: the fixed path on Windows, elsewhere
// $XDG_CONFIG_HOME/corvale/corvale.conf (normally ~/.config/corvale/corvale.conf).
// Read anew on every call, so the environment decides.
std::string ConfigurationFilePath();
