#pragma once
#include <string>

// The user's per-user configuration folder, without a trailing "/": $XDG_CONFIG_HOME when it
// is set and absolute, else $HOME/.config; the empty text when neither can be found.
std::string LocalAppDataFolder();

// The folder of the running program file, with a trailing "/", after every symbolic link is
// resolved: the encoder and the help page lie beside the real file, not beside a launcher
// link such as /usr/bin/kestrel-ravelcast. Needs a QCoreApplication only when /proc is not
// mounted.
std::string ProgramFolder();
