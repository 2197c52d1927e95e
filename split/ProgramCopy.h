// The copy of the running program that travels with the pieces.
#pragma once
#include <string>
#include <windows.h>

// The path of the running program: the first command-line element when it names a
// file, otherwise the path the system reports for the running module.
std::string RunningProgramPath();

// Copies the running program to destination\Parvola95.exe (destination without a
// trailing backslash); owner is passed on to the guarded creation. True when the copy
// was written and both files were closed; a partly written copy stays on failure.
bool WriteProgramCopy(std::string destination, HWND owner);
