#include "ui/FolderBrowser.h"

#include <shlobj.h>

#include "framework/ShellItems.h"

int FolderBrowser::Browse(std::string& folder) const {
  bool initialised = SUCCEEDED(CoInitialize(nullptr));
  LPITEMIDLIST desktop = nullptr;
  SHGetSpecialFolderLocation(owner, CSIDL_DESKTOP, &desktop);

  char displayName[MAX_PATH] = "";
  BROWSEINFOA info = {};
  info.hwndOwner = owner;
  info.pidlRoot = desktop;
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  LPITEMIDLIST chosen = SHBrowseForFolderA(&info);

  // A virtual folder without a file-system path counts as no choice.
  int result = chosen && fw::PathOfShellItem(chosen, folder) ? CHOSEN : CANCELLED;
  fw::FreeShellItem(chosen);
  fw::FreeShellItem(desktop);
  if (initialised) CoUninitialize();
  return result;
}
