#include <cstdlib>
#include <windows.h>

#include "app/SplitApp.h"

// The one application object of the process.
static SplitApp application;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return application.Run(); }

// The runtime's verbose handler drags in a demangler; plain abort keeps the program small.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
