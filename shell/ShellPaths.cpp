#include "shell/ShellPaths.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "framework/CodePages.h"
#include "framework/File.h"
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

// Whether the file begins as every shortcut does: with the length of its header, 76 bytes,
// and the number of the shell's shortcut object. The shell loads no other file as a
// shortcut; asking it only about one that passes spares every other source the start of
// the system's object library, which costs more than the rest of a small split.
bool BeginsAsShortcut(const std::string& path) {
  constexpr uint32_t SHORTCUT_HEADER_BYTES = 76;
  struct {
    uint32_t headerBytes;
    CLSID kind;
  } header;
  static_assert(sizeof header == 20, "the header's first two fields, as they lie in the file");
  fw::File file;
  uint32_t got = 0;
  return file.Open(path, fw::File::READ_SHARE_READ) && file.Read(&header, sizeof header, got) &&
         got == sizeof header && header.headerBytes == SHORTCUT_HEADER_BYTES &&
         std::memcmp(&header.kind, &SHELL_LINK_CLASS, sizeof header.kind) == 0;
}

}  // namespace

std::string ResolveShortcut(const std::string& path) {
  if (path.empty() || fw::Utf16Length(path) >= MAX_PATH || !BeginsAsShortcut(path)) return path;
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
