#include "framework/ShellItems.h"

#include "framework/CodePages.h"
#include "framework/SystemFunctions.h"

namespace fw {

// The wide call where the shell has it: the narrow one writes at most 260 bytes, which a
// UTF-8 process's long paths may exceed. Windows 95's shell knows the narrow call alone.
bool PathOfShellItem(LPCITEMIDLIST item, std::string& path) {
  auto widePath = SystemFunction<BOOL WINAPI(LPCITEMIDLIST, LPWSTR)>("shell32.dll", "SHGetPathFromIDListW");
  WCHAR wide[MAX_PATH] = L"";
  if (widePath && widePath(item, wide) && wide[0]) return FromWide(wide, path);
  char narrow[MAX_PATH] = "";
  if (!SHGetPathFromIDListA(item, narrow) || !narrow[0]) return false;
  path = narrow;
  return true;
}

void FreeShellItem(LPITEMIDLIST item) {
  IMalloc* allocator = nullptr;
  if (!item || FAILED(SHGetMalloc(&allocator)) || !allocator) return;
  allocator->Free(item);
  allocator->Release();
}

}  // namespace fw
