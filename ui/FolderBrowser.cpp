#include "ui/FolderBrowser.h"

#include <shlobj.h>

int FolderBrowser::Browse(char* folder) const {
  bool initialised = SUCCEEDED(CoInitialize(nullptr));
  IMalloc* allocator = nullptr;
  LPITEMIDLIST desktop = nullptr;
  SHGetMalloc(&allocator);
  SHGetSpecialFolderLocation(owner, CSIDL_DESKTOP, &desktop);

  BROWSEINFOA info = {};
  info.hwndOwner = owner;
  info.pidlRoot = desktop;
  info.pszDisplayName = folder;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  LPITEMIDLIST chosen = SHBrowseForFolderA(&info);

  int result = CANCELLED;
  if (chosen) {
    // A virtual folder without a file-system path counts as no choice.
    if (SHGetPathFromIDListA(chosen, folder) && folder[0]) result = CHOSEN;
    if (allocator) allocator->Free(chosen);
  }
  if (allocator) {
    if (desktop) allocator->Free(desktop);
    allocator->Release();
  }
  if (initialised) CoUninitialize();
  return result;
}
