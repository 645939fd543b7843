#pragma once
// The desktop services of the Linux editor that need no window: folders by
// the XDG base directory rules and opening addresses with xdg-open. Every
// folder ends with '/', or is empty when it cannot be found. [ui]
#include <string>

namespace x11 {

// The folder of the host's program (/proc/self/exe).
void HostFolder(std::string& path);
// The folder of the library this code is in (the plug-in's .so).
void PluginFolder(std::string& path);
// The user's desktop: XDG_DESKTOP_DIR of user-dirs.dirs in $XDG_CONFIG_HOME
// (~/.config), else ~/Desktop.
void DesktopFolder(std::string& path);
// Shared: the first folder of $XDG_DATA_DIRS (/usr/local/share); the user's
// own: $XDG_DATA_HOME (~/.local/share). Relative settings are ignored, as
// the XDG rules ask.
void DataFolder(std::string& path, bool shared);

// Starts "xdg-open url" directly, without a shell, with no descriptor of the
// host's but the standard three. False when the url is empty or starts with
// '-' (xdg-open would take it for an option), or the program could not be
// started. Children that ended are collected by ReapOpeners.
bool StartOpener(const char* url);
// Collects the openers that have ended, so none stays a zombie.
void ReapOpeners();

}  // namespace x11
