#include "support/StandInVolume.h"

#include <windows.h>

#include <cstring>

#include "framework/SystemFunctions.h"

namespace {

StandInVolume* current = nullptr;

}  // namespace

struct StandInVolumeCall {
  static BOOL WINAPI Describe(LPCSTR root, LPSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPSTR fileSystem, DWORD size) {
    if (!current->root.empty() && (!root || current->root != root)) {
      SetLastError(ERROR_BAD_NETPATH);
      return FALSE;
    }
    if (!current->diskIn.load()) {
      SetLastError(ERROR_NOT_READY);
      return FALSE;
    }
    if (!fileSystem || size <= current->fileSystem.size()) return FALSE;
    std::strcpy(fileSystem, current->fileSystem.c_str());
    return TRUE;
  }
};

StandInVolume::StandInVolume(std::string fileSystem, bool diskIn, std::string root)
    : fileSystem(std::move(fileSystem)), diskIn(diskIn), root(std::move(root)) {
  current = this;
  fw::StandInForSystemFunction("GetVolumeInformationA", reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&StandInVolumeCall::Describe)));
}

StandInVolume::~StandInVolume() {
  fw::ForgetSystemFunctionStandIns();
  current = nullptr;
}
