// Functions that not every system the program runs on exports. The program does not
// import them, since the loader refuses a program whose imports the system lacks: it
// looks them up when it needs them and goes its own way where the system has none.
// A test marks a function absent, or stands in for it, through the same lookup.
#pragma once
#include <windows.h>

namespace fw {

// The function that a loaded system module (kernel32.dll, comctl32.dll, ...) exports
// under this name, or nullptr when this system has none.
FARPROC FindSystemFunction(const char* module, const char* name);

template <typename Function>
Function* SystemFunction(const char* module, const char* name) {
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(FindSystemFunction(module, name)));
}

// From now on the lookup of the name finds the stand-in; a null stand-in makes the
// function absent, as on a system that lacks it. For tests; the names must stay valid.
void StandInForSystemFunction(const char* name, FARPROC standIn);
// The lookup finds the system's own functions again.
void ForgetSystemFunctionStandIns();

// Whether the system saves the processor's vector registers (SSE and later) when it
// switches threads, so that a program may use them: Windows 95 and NT 4 do not, and
// the processor cannot tell.
bool SystemSavesVectorRegisters();

// Registers the common controls that the dialogs use (tab, progress bar, animation),
// the way this system's comctl32.dll offers.
void StartCommonControls();

}  // namespace fw
