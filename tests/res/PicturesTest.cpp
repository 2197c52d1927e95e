// The icons, the bullet, the manifest and the version information of the program file.
#include <doctest/doctest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/Texts.h"  // brings <windows.h>, which <commctrl.h> needs first
#include <commctrl.h>
#include "res/resource.h"

namespace {

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR names) {
  if (IS_INTRESOURCE(name))
    reinterpret_cast<std::vector<unsigned>*>(names)->push_back(static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name)));
  return TRUE;
}

}  // namespace

TEST_CASE("the icons and the bullet load in their sizes") {
  for (unsigned id : {IDI_APPLICATION_ICON, IDI_SECOND_ICON, IDI_INFO_FILE_ICON}) {
    for (int size : {16, 32}) {
      CAPTURE(id);
      CAPTURE(size);
      HANDLE icon = LoadImageA(fw::ResourceModule(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0);
      REQUIRE(icon != nullptr);
      ICONINFO info = {};
      REQUIRE(GetIconInfo(static_cast<HICON>(icon), &info));
      BITMAP mask = {};
      GetObjectA(info.hbmMask, sizeof mask, &mask);
      CHECK(mask.bmWidth == size);
      DeleteObject(info.hbmMask);
      if (info.hbmColor) DeleteObject(info.hbmColor);
      DestroyIcon(static_cast<HICON>(icon));
    }
  }
  HANDLE bullet = LoadImageA(fw::ResourceModule(), MAKEINTRESOURCEA(IDB_BULLET), IMAGE_BITMAP, 0, 0, 0);
  REQUIRE(bullet != nullptr);
  BITMAP picture = {};
  GetObjectA(bullet, sizeof picture, &picture);
  CHECK(picture.bmWidth <= 12);
  CHECK(picture.bmHeight <= 12);
  DeleteObject(bullet);
}

TEST_CASE("the info-file icon is the third icon of the program file") {
  // The shell registration names info files' icon by its index among the icon groups.
  std::vector<unsigned> groups;
  EnumResourceNamesA(fw::ResourceModule(), RT_GROUP_ICON, CollectName, reinterpret_cast<LONG_PTR>(&groups));
  REQUIRE(groups.size() >= 3);
  CHECK(groups[0] == IDI_APPLICATION_ICON);
  CHECK(groups[1] == IDI_SECOND_ICON);
  CHECK(groups[2] == IDI_INFO_FILE_ICON);
}

TEST_CASE("the manifest brings common controls version 6") {
  // Version 6 is the side-by-side assembly; the system folder holds version 5.
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_STANDARD_CLASSES};
  REQUIRE(InitCommonControlsEx(&classes));
  char path[MAX_PATH] = {};
  REQUIRE(GetModuleFileNameA(GetModuleHandleA("comctl32.dll"), path, sizeof path) > 0);
  CharLowerA(path);
  CAPTURE(path);
  CHECK(std::strstr(path, "\\winsxs\\") != nullptr);
  CHECK(std::strstr(path, "microsoft.windows.common-controls_6595b64144ccf1df_6.0.") != nullptr);
}

TEST_CASE("the manifest keeps to the forms that Windows XP before its second service pack reads") {
  HRSRC found = FindResourceA(fw::ResourceModule(), MAKEINTRESOURCEA(1), RT_MANIFEST);
  REQUIRE(found != nullptr);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(fw::ResourceModule(), found)));
  const std::string manifest(bytes, SizeofResource(fw::ResourceModule(), found));
  // XP refuses the asm.v3 namespace as a default namespace: its elements need the asmv3 prefix.
  CHECK(manifest.find("<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v2\">") != std::string::npos);
  CHECK(manifest.find("xmlns=\"urn:schemas-microsoft-com:asm.v3\"") == std::string::npos);
}

TEST_CASE("the version information names version 1.2") {
  HRSRC found = FindResourceA(fw::ResourceModule(), MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION);
  REQUIRE(found != nullptr);
  const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(fw::ResourceModule(), found)));
  DWORD size = SizeofResource(fw::ResourceModule(), found);
  const VS_FIXEDFILEINFO* fixed = nullptr;
  for (DWORD at = 0; at + sizeof(VS_FIXEDFILEINFO) <= size && !fixed; at += 4) {
    DWORD signature;
    std::memcpy(&signature, bytes + at, sizeof signature);
    if (signature == VS_FFI_SIGNATURE) fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(bytes + at);
  }
  REQUIRE(fixed != nullptr);
  CHECK(fixed->dwFileVersionMS == MAKELONG(2, 1));
  CHECK(fixed->dwProductVersionMS == MAKELONG(2, 1));
  // The maker's name as UTF-16 text somewhere in the string blocks.
  const wchar_t maker[] = L"Olvanta";
  bool named = false;
  for (DWORD at = 0; at + sizeof maker <= size && !named; at += 2) named = std::memcmp(bytes + at, maker, sizeof maker) == 0;
  CHECK(named);
}
