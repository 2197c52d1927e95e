// The copy of the running program that travels with the pieces.
#pragma once
#include <string>
#include <windows.h>

// Copies the running program to destination\Parvola95.exe (destination without a
// trailing backslash); owner is passed on to the guarded creation. True when the copy
// was written and both files were closed; a partly written copy stays on failure.
bool WriteProgramCopy(std::string destination, HWND owner);
