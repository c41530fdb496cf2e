#pragma once
#include <string>

// The user's per-user configuration folder, without a trailing "/": $XDG_CONFIG_HOME when it
// is set and absolute, else $HOME/.config; the empty text when neither can be found.
std::string LocalAppDataFolder();
