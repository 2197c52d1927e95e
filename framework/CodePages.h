// The code pages the program's texts and names live in, and conversions between them.
#pragma once
#include <string>

namespace fw {

// The process's own (ANSI) code page, which every name and text of the program is in:
// UTF-8 where the system runs the program in it (Windows 10 1903 and later), else the
// system's legacy code page (1252 on a German or American system, 932 on a Japanese one).
unsigned NameCodePage();
// The system's legacy ANSI code page, whatever the process runs in.
unsigned LegacyCodePage();
// The code page in which the command interpreter reads a batch file: the system's OEM
// code page (850 on a German system, 437 on an American one). A UTF-8 process is told
// 65001 for its own OEM code page, which the console does not read.
unsigned ConsoleCodePage();

// A text converted into another code page; a letter that the other code page cannot spell
// as itself (a look-alike would change a name) becomes the replacement.
struct Recoded {
  std::string text;
  bool exact = true;  // no letter was replaced
};
Recoded Recode(const std::string& text, unsigned from, unsigned to, char replacement);

// The longest path in bytes of the process's code page: a path holds at most 259 UTF-16
// units (MAX_PATH less its end), and UTF-8 takes up to three bytes for one.
constexpr size_t PATH_BYTES = 3 * 260;
// How many UTF-16 units a text of the process's code page takes, as the system counts
// the length of a path.
size_t Utf16Length(const std::string& text);
// A path from the system's wide form in the process's code page; false when that code
// page cannot spell it (such a path cannot be handed to the program's calls).
bool FromWide(const wchar_t* wide, std::string& text);
std::wstring ToWide(const std::string& text);

}  // namespace fw
