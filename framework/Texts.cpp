#include "framework/Texts.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "framework/PackedText.h"
#include "framework/SystemFunctions.h"
#include "res/resource.h"

namespace fw {
namespace {

LANGID chosenLanguage = 0;

const LANGID ENGLISH = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const LANGID GERMAN = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);

// Finds a resource in the chosen language, falling back to English.
HRSRC FindInLanguage(LPCSTR type, LPCSTR name) {
  HRSRC found = FindResourceExA(ResourceModule(), type, name, ChosenLanguage());
  if (!found) found = FindResourceExA(ResourceModule(), type, name, ENGLISH);
  return found;
}

// The system C library's own formatter: the texts need only %s, %d, %u and its own
// %I64d and %I64u for 64-bit values, and it keeps the program far smaller than the
// C99 one.
std::string FormatList(const char* format, va_list arguments) {
  va_list copy;
  va_copy(copy, arguments);
  int length = _vscprintf(format, copy);
  va_end(copy);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  _vsnprintf(text.data(), text.size(), format, arguments);
  text.resize(static_cast<size_t>(length));
  return text;
}

}  // namespace

HINSTANCE ResourceModule() { return GetModuleHandleA(nullptr); }

// Windows 2000 and ME tell the language of the user interface; the older systems come in
// one language each, so the user's language stands for it there.
LANGID ChosenLanguage() {
  if (chosenLanguage == 0) {
    auto interfaceLanguage = SystemFunction<LANGID WINAPI()>("kernel32.dll", "GetUserDefaultUILanguage");
    LANGID user = interfaceLanguage ? interfaceLanguage() : GetUserDefaultLangID();
    chosenLanguage = PRIMARYLANGID(user) == LANG_GERMAN ? GERMAN : ENGLISH;
  }
  return chosenLanguage;
}

void ChooseLanguage(LANGID language) { chosenLanguage = language; }

// The texts of each language (English, German), unpacked at their first use and kept; one
// thread at a time unpacks or looks (a worker's texts may be asked for while the window's are).
namespace {
std::string textTables[2];
bool textsUnpacked[2];
LONG textsInUse = 0;
}  // namespace

std::string LoadText(unsigned id) {
  const size_t language = ChosenLanguage() == GERMAN;
  while (InterlockedExchange(&textsInUse, 1)) Sleep(0);
  const std::string& table = textTables[language];
  if (!textsUnpacked[language]) {
    DWORD size = 0;
    const void* packed = FindLanguageResource(RT_RCDATA, IDR_TEXTS, size);
    textsUnpacked[language] =
        packed && UnpackText(static_cast<const unsigned char*>(packed), size, textTables[language]);
  }
  // Each text is its number and its length, 2 bytes each, and its letters in Latin-1.
  std::string letters;
  for (size_t at = 0; at + 4 <= table.size() && letters.empty();) {
    const auto byte = [&](size_t offset) { return unsigned{static_cast<unsigned char>(table[at + offset])}; };
    const size_t length = std::min<size_t>(byte(2) | byte(3) << 8, table.size() - at - 4);
    if ((byte(0) | byte(1) << 8) == id) letters.assign(table.data() + at + 4, length);
    at += 4 + length;
  }
  InterlockedExchange(&textsInUse, 0);
  // Latin-1's letters are the first 256 of UTF-16, from which the system converts.
  std::wstring wide(letters.size(), L'\0');
  for (size_t at = 0; at < letters.size(); ++at) wide[at] = static_cast<unsigned char>(letters[at]);
  const int length = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), length, text.data(), size, nullptr, nullptr);
  return text;
}

std::string FormatText(unsigned id, ...) {
  std::string format = LoadText(id);
  va_list arguments;
  va_start(arguments, id);
  std::string text = FormatList(format.c_str(), arguments);
  va_end(arguments);
  return text;
}

std::string Format(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string text = FormatList(format, arguments);
  va_end(arguments);
  return text;
}

const DLGTEMPLATE* FindDialogTemplate(unsigned id) {
  DWORD size = 0;
  return static_cast<const DLGTEMPLATE*>(FindLanguageResource(RT_DIALOG, id, size));
}

const void* FindLanguageResource(LPCSTR type, unsigned id, DWORD& size) {
  HRSRC found = FindInLanguage(type, MAKEINTRESOURCEA(id));
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(ResourceModule(), found);
  size = SizeofResource(ResourceModule(), found);
  return loaded ? LockResource(loaded) : nullptr;
}

}  // namespace fw
