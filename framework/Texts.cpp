#include "framework/Texts.h"

#include <cstdarg>
#include <cstdio>

#include "framework/SystemFunctions.h"

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

std::string LoadText(unsigned id) {
  // A string table block holds 16 texts, each a length-prefixed UTF-16 string.
  HRSRC block = FindInLanguage(RT_STRING, MAKEINTRESOURCEA((id >> 4) + 1));
  if (!block) return std::string();
  HGLOBAL loaded = LoadResource(ResourceModule(), block);
  const WCHAR* entry = loaded ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
  if (!entry) return std::string();
  for (unsigned index = 0; index < (id & 15); ++index) entry += 1 + *entry;
  int length = *entry;
  if (length == 0) return std::string();
  int size = WideCharToMultiByte(CP_ACP, 0, entry + 1, length, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, entry + 1, length, text.data(), size, nullptr, nullptr);
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
