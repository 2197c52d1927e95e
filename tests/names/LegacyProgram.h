// The program as a system without UTF-8 for programs runs it (Windows before 10 1903,
// or any system that ignores the manifest's code page): a copy of the program under test
// whose manifest lacks the code page element, in the folder given.
#pragma once
#include <string>

std::string MakeLegacyProgram(const std::string& folder);
