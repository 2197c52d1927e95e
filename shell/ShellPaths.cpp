#include "shell/ShellPaths.h"

#include <windows.h>
#include <shlobj.h>

std::string DesktopFolderPath() {
  char path[MAX_PATH] = "";
  if (SHGetSpecialFolderPathA(nullptr, path, CSIDL_DESKTOP, FALSE) && path[0]) return path;
  DWORD length = GetEnvironmentVariableA("USERPROFILE", path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) return path;
  return "C:\\";
}

std::string ResolveShortcut(const std::string& path) {
  if (path.empty() || path.size() >= MAX_PATH) return path;
  bool initialised = SUCCEEDED(CoInitialize(nullptr));
  std::string resolved = path;
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      WCHAR widePath[MAX_PATH];
      char target[MAX_PATH] = "";
      if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH) > 0 &&
          SUCCEEDED(file->Load(widePath, STGM_READ)) &&
          SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) && target[0])
        resolved = target;
      file->Release();
    }
    link->Release();
  }
  if (initialised) CoUninitialize();
  return resolved;
}
