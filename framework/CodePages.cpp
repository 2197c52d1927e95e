#include "framework/CodePages.h"

#include <windows.h>

namespace fw {
namespace {

// A code page number of the system's locale; 0 when the system does not tell.
unsigned LocaleCodePage(LCTYPE kind) {
  char digits[8] = "";
  if (!GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, kind, digits, sizeof digits)) return 0;
  unsigned number = 0;
  for (const char* digit = digits; *digit >= '0' && *digit <= '9'; ++digit) number = number * 10 + (*digit - '0');
  return number;
}

}  // namespace

unsigned NameCodePage() { return GetACP(); }

unsigned LegacyCodePage() {
  unsigned codePage = LocaleCodePage(LOCALE_IDEFAULTANSICODEPAGE);
  return codePage ? codePage : GetACP();
}

unsigned ConsoleCodePage() {
  unsigned codePage = LocaleCodePage(LOCALE_IDEFAULTCODEPAGE);
  return codePage ? codePage : GetOEMCP();
}

// Letter by letter through UTF-16: a letter counts as spelt only when it reads back as
// itself. A letter beyond 16 bits (two units) goes as one.
Recoded Recode(const std::string& text, unsigned from, unsigned to, char replacement) {
  Recoded recoded;
  if (from == to) {
    recoded.text = text;
    return recoded;
  }
  const int length = static_cast<int>(text.size());
  const int wideLength = MultiByteToWideChar(from, 0, text.data(), length, nullptr, 0);
  if (wideLength <= 0 && length > 0) return Recoded{std::string(text.size(), replacement), false};
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(from, 0, text.data(), length, wide.data(), wideLength);
  for (size_t at = 0; at < wide.size();) {
    const int units = wide[at] >= 0xD800 && wide[at] < 0xDC00 && at + 1 < wide.size() ? 2 : 1;
    char bytes[16];
    wchar_t readBack[2] = {};
    const int count = WideCharToMultiByte(to, 0, &wide[at], units, bytes, sizeof bytes, nullptr, nullptr);
    if (count > 0 && MultiByteToWideChar(to, 0, bytes, count, readBack, 2) == units &&
        readBack[0] == wide[at] && (units == 1 || readBack[1] == wide[at + 1])) {
      recoded.text.append(bytes, static_cast<size_t>(count));
    } else {
      recoded.text += replacement;
      recoded.exact = false;
    }
    at += static_cast<size_t>(units);
  }
  return recoded;
}

size_t Utf16Length(const std::string& text) {
  if (text.empty()) return 0;
  return static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0));
}

// Only a text that reads back as the same letters counts: the system stands in a
// look-alike for a letter that it cannot spell ("u" for "\u00FC"), which would name
// another file.
bool FromWide(const wchar_t* wide, std::string& text) {
  int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return false;
  text.assign(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), size, nullptr, nullptr);
  text.resize(static_cast<size_t>(size) - 1);
  return ToWide(text) == wide;
}

std::wstring ToWide(const std::string& text) {
  int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

}  // namespace fw
