// Numbered texts of the string table and printf-style formatting, in the
// language chosen at start. Free of window types, so that the logic that only
// builds texts can be built and tested on its own.
#pragma once
#include <string>

namespace fw {

// The text with this number in the chosen language, in the process's code page (where
// that lacks a letter of it, a question mark stands in); the empty text when the table
// has no such number.
std::string LoadText(unsigned id);

// printf-style formatting of a numbered text.
std::string FormatText(unsigned id, ...);
// printf-style formatting of any format text.
std::string Format(const char* format, ...);

}  // namespace fw
