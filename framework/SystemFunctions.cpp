#include "framework/SystemFunctions.h"

#include <commctrl.h>
#include <cstring>

namespace fw {
namespace {

struct StandIn {
  const char* name;
  FARPROC function;
};

StandIn standIns[8];
unsigned standInCount = 0;

}  // namespace

FARPROC FindSystemFunction(const char* module, const char* name) {
  for (unsigned index = 0; index < standInCount; ++index)
    if (std::strcmp(standIns[index].name, name) == 0) return standIns[index].function;
  HMODULE loaded = GetModuleHandleA(module);
  return loaded ? GetProcAddress(loaded, name) : nullptr;
}

void StandInForSystemFunction(const char* name, FARPROC standIn) {
  for (unsigned index = 0; index < standInCount; ++index) {
    if (std::strcmp(standIns[index].name, name) == 0) {
      standIns[index].function = standIn;
      return;
    }
  }
  if (standInCount < sizeof standIns / sizeof standIns[0]) standIns[standInCount++] = {name, standIn};
}

void ForgetSystemFunctionStandIns() { standInCount = 0; }

// Windows 2000, 98 and later tell; a system without the function is taken for one that
// does not save them (Windows 95 and NT 4 before its later service packs).
bool SystemSavesVectorRegisters() {
  auto isPresent = SystemFunction<BOOL WINAPI(DWORD)>("kernel32.dll", "IsProcessorFeaturePresent");
  return isPresent && isPresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE);
}

// comctl32.dll 4.70 (Internet Explorer 3) and later register the classes through
// InitCommonControlsEx; Windows 95's 4.00 registers all of them with InitCommonControls,
// which every version has, and which also serves where the newer call fails. The module is
// loaded here, when the first window is about to open, not with the program: a run that
// shows no window never loads it (a test stands in for both calls). It is loaded by its
// name, as an import would be, so that the manifest's request for version 6 holds.
void StartCommonControls() {
  LoadLibraryA("comctl32.dll");
  auto initialiseEx = SystemFunction<BOOL WINAPI(const INITCOMMONCONTROLSEX*)>("comctl32.dll",
                                                                                "InitCommonControlsEx");
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
  if (initialiseEx && initialiseEx(&controls)) return;
  if (auto initialise = SystemFunction<void WINAPI()>("comctl32.dll", "InitCommonControls")) initialise();
}

}  // namespace fw
