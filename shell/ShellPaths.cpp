#include "shell/ShellPaths.h"

#include <windows.h>
#include <shlobj.h>

#include "framework/CodePages.h"
#include "framework/ShellItems.h"

namespace {

// The shell's shortcut object. Its number is written out here rather than taken
// from the system's GUID library, which would bring every GUID it knows along.
const CLSID SHELL_LINK_CLASS = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

}  // namespace

// The shell's item of the folder, turned into a path: the calls that Windows 95's shell
// has (a path of a special folder asked for by name needs a later one).
std::string DesktopFolderPath() {
  LPITEMIDLIST desktop = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &desktop)) && desktop) {
    std::string path;
    bool named = fw::PathOfShellItem(desktop, path);
    fw::FreeShellItem(desktop);
    if (named) return path;
  }
  char profile[fw::PATH_BYTES] = "";
  DWORD length = GetEnvironmentVariableA("USERPROFILE", profile, sizeof profile);
  if (length > 0 && length < sizeof profile) return profile;
  return "C:\\";
}

namespace {

// The shortcut's target: through its wide interface where the shell has one (the narrow
// one writes at most 260 bytes, which a UTF-8 process's long paths may exceed; Windows
// 95, 98 and ME know the narrow one alone).
bool ShortcutTarget(IShellLinkA* link, std::string& target) {
  IShellLinkW* wideLink = nullptr;
  if (SUCCEEDED(link->QueryInterface(__uuidof(IShellLinkW), reinterpret_cast<void**>(&wideLink)))) {
    WCHAR wide[MAX_PATH] = L"";
    bool named = SUCCEEDED(wideLink->GetPath(wide, MAX_PATH, nullptr, 0)) && wide[0] && fw::FromWide(wide, target);
    wideLink->Release();
    return named;
  }
  char narrow[MAX_PATH] = "";
  if (FAILED(link->GetPath(narrow, MAX_PATH, nullptr, 0)) || !narrow[0]) return false;
  target = narrow;
  return true;
}

}  // namespace

std::string ResolveShortcut(const std::string& path) {
  if (path.empty() || fw::Utf16Length(path) >= MAX_PATH) return path;
  bool initialised = SUCCEEDED(CoInitialize(nullptr));
  std::string resolved = path;
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(SHELL_LINK_CLASS, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkA),
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(__uuidof(IPersistFile), reinterpret_cast<void**>(&file)))) {
      std::string target;
      if (SUCCEEDED(file->Load(fw::ToWide(path).c_str(), STGM_READ)) && ShortcutTarget(link, target))
        resolved = target;
      file->Release();
    }
    link->Release();
  }
  if (initialised) CoUninitialize();
  return resolved;
}
