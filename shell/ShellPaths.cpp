#include "shell/ShellPaths.h"

#include <windows.h>
#include <shlobj.h>

namespace {

// The shell's shortcut object. Its number is written out here rather than taken
// from the system's GUID library, which would bring every GUID it knows along.
const CLSID SHELL_LINK_CLASS = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

}  // namespace

// The shell's item of the folder, turned into a path: the calls that Windows 95's shell
// has (a path of a special folder asked for by name needs a later one).
std::string DesktopFolderPath() {
  char path[MAX_PATH] = "";
  LPITEMIDLIST desktop = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &desktop)) && desktop) {
    bool named = SHGetPathFromIDListA(desktop, path) && path[0];
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
      allocator->Free(desktop);
      allocator->Release();
    }
    if (named) return path;
  }
  DWORD length = GetEnvironmentVariableA("USERPROFILE", path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) return path;
  return "C:\\";
}

std::string ResolveShortcut(const std::string& path) {
  if (path.empty() || path.size() >= MAX_PATH) return path;
  bool initialised = SUCCEEDED(CoInitialize(nullptr));
  std::string resolved = path;
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(SHELL_LINK_CLASS, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkA),
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(__uuidof(IPersistFile), reinterpret_cast<void**>(&file)))) {
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
