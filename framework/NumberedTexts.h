// Numbered texts of the string table and printf-style formatting, in the
// language chosen at start. Free of window types, so that the logic that only
// builds texts can be built and tested on its own.
#pragma once
#include <string>

namespace fw {

// The code page of the loaded texts, whatever the system's code pages are.
constexpr unsigned TEXT_CODE_PAGE = 1252;

// The text with this number in the chosen language (TEXT_CODE_PAGE bytes);
// the empty text when the table has no such number.
std::string LoadText(unsigned id);

// printf-style formatting of a numbered text.
std::string FormatText(unsigned id, ...);
// printf-style formatting of any format text.
std::string Format(const char* format, ...);

}  // namespace fw
