// Paths the shell knows: the user's desktop folder and the targets of shortcuts.
#pragma once
#include <string>

// The user's desktop folder; the profile folder when the shell names none.
std::string DesktopFolderPath();

// The target of a shell shortcut (at most 259 characters); any other path, or a
// shortcut that cannot be read, comes back unchanged.
std::string ResolveShortcut(const std::string& path);
