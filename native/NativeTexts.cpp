// The numbered texts for the native build: the English string table, taken
// from the resource script when the build runs, served through the same
// LoadText and FormatText that the program's text builders call.
#include <cstdarg>
#include <cstdio>

#include "framework/NumberedTexts.h"
#include "res/resource.h"

namespace fw {
namespace {

struct NumberedText {
  unsigned id;
  const char* text;
};

const NumberedText ENGLISH_TEXTS[] = {
#include "EnglishTexts.inc"
};

}  // namespace

std::string LoadText(unsigned id) {
  for (const NumberedText& entry : ENGLISH_TEXTS)
    if (entry.id == id) return entry.text;
  return std::string();
}

std::string FormatText(unsigned id, ...) {
  const std::string format = LoadText(id);
  va_list arguments;
  va_start(arguments, id);
  va_list copy;
  va_copy(copy, arguments);
  int length = std::vsnprintf(nullptr, 0, format.c_str(), copy);
  va_end(copy);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format.c_str(), arguments);
    text.resize(static_cast<size_t>(length));
  }
  va_end(arguments);
  return text;
}

}  // namespace fw
