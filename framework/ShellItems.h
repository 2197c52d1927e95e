// The file-system path of an item of the shell's name space.
#pragma once
#include <string>
#include <windows.h>
#include <shlobj.h>

namespace fw {

// The item's path in the process's code page; false for an item without one (a virtual
// folder), or one that the process's code page cannot spell.
bool PathOfShellItem(LPCITEMIDLIST item, std::string& path);

// Frees an item list that the shell handed out.
void FreeShellItem(LPITEMIDLIST item);

}  // namespace fw
