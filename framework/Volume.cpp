#include "framework/Volume.h"

#include <windows.h>

#include "framework/SystemFunctions.h"

namespace fw {
namespace {

// The volume's root as the system wants it: "C:\", "\\server\share\", or none.
std::string RootOf(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2) + '\\';
  if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    size_t share = path.find('\\', 2);
    if (share == std::string::npos) return std::string();
    size_t end = path.find('\\', share + 1);
    return (end == std::string::npos ? path : path.substr(0, end)) + '\\';
  }
  return std::string();
}

}  // namespace

// Every system has the call; it is looked up like the newer ones so that a test can
// stand in for a volume that the test machine has not (a FAT disk, an empty drive).
VolumeState VolumeOf(const std::string& path) {
  auto describe = SystemFunction<BOOL WINAPI(LPCSTR, LPSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPSTR, DWORD)>(
      "kernel32.dll", "GetVolumeInformationA");
  VolumeState state;
  if (!describe) return state;
  std::string root = RootOf(path);
  char fileSystem[MAX_PATH + 1] = "";
  DWORD serial = 0, longestName = 0, flags = 0;
  if (describe(root.empty() ? nullptr : root.c_str(), nullptr, 0, &serial, &longestName, &flags,
                           fileSystem, sizeof fileSystem)) {
    state.fileSystem = fileSystem;
  } else {
    state.ready = GetLastError() != ERROR_NOT_READY;
  }
  return state;
}

}  // namespace fw
