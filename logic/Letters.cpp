#include "logic/Letters.h"

namespace {

bool IsDoubleByteLead(unsigned char byte, unsigned codePage) {
  switch (codePage) {
    case 932: return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950: return byte >= 0x81 && byte <= 0xFE;
    default: return false;
  }
}

// The length of the UTF-8 sequence at `at` when it is well formed (no overlong forms,
// no surrogates, nothing past U+10FFFF), else 0.
size_t Utf8SequenceLength(std::string_view text, size_t at) {
  const auto byte = [&](size_t index) { return static_cast<unsigned char>(text[at + index]); };
  unsigned char lead = byte(0);
  size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4                 ? 4
                                                                  : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (size_t index = 1; index < length; ++index)
    if ((byte(index) & 0xC0) != 0x80) return 0;
  if (length == 3 && ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0))) return 0;
  if (length == 4 && ((lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90))) return 0;
  return length;
}

// The UTF-16 units of the letter at `at` of the given length.
size_t LetterUnits(std::string_view text, size_t at, size_t length, unsigned codePage) {
  return codePage == UTF8_CODE_PAGE && length == 4 && Utf8SequenceLength(text, at) == 4 ? 2 : 1;
}

}  // namespace

size_t LetterLength(std::string_view text, size_t at, unsigned codePage) {
  if (at >= text.size()) return 0;
  if (codePage == UTF8_CODE_PAGE) {
    size_t length = Utf8SequenceLength(text, at);
    return length ? length : 1;
  }
  return IsDoubleByteLead(static_cast<unsigned char>(text[at]), codePage) && at + 1 < text.size() ? 2 : 1;
}

size_t FindLetter(std::string_view text, std::string_view letters, unsigned codePage, size_t from) {
  for (size_t at = from; at < text.size(); at += LetterLength(text, at, codePage))
    if (letters.find(text[at]) != std::string_view::npos && LetterLength(text, at, codePage) == 1) return at;
  return std::string_view::npos;
}

size_t FindLastLetter(std::string_view text, std::string_view letters, unsigned codePage) {
  size_t last = std::string_view::npos;
  for (size_t at = FindLetter(text, letters, codePage); at != std::string_view::npos;
       at = FindLetter(text, letters, codePage, at + 1))
    last = at;
  return last;
}

bool EndsWithLetter(std::string_view text, char letter, unsigned codePage) {
  return !text.empty() && FindLastLetter(text, std::string_view(&letter, 1), codePage) == text.size() - 1;
}

bool IsAscii(std::string_view text) {
  for (char letter : text)
    if (static_cast<unsigned char>(letter) >= 0x80) return false;
  return true;
}

size_t Utf16Length(std::string_view text, unsigned codePage) {
  size_t units = 0;
  for (size_t at = 0, length; at < text.size(); at += length) {
    length = LetterLength(text, at, codePage);
    units += LetterUnits(text, at, length, codePage);
  }
  return units;
}

std::string FirstUnits(std::string_view text, size_t units, unsigned codePage) {
  size_t at = 0;
  for (size_t length; at < text.size(); at += length) {
    length = LetterLength(text, at, codePage);
    size_t letterUnits = LetterUnits(text, at, length, codePage);
    if (letterUnits > units) break;
    units -= letterUnits;
  }
  return std::string(text.substr(0, at));
}

std::string LastUnits(std::string_view text, size_t units, unsigned codePage) {
  // Counted from the front, so that every letter is found where it starts.
  size_t total = Utf16Length(text, codePage);
  if (total <= units) return std::string(text);
  size_t skip = total - units, at = 0;
  for (size_t length; at < text.size() && skip > 0; at += length) {
    length = LetterLength(text, at, codePage);
    size_t letterUnits = LetterUnits(text, at, length, codePage);
    skip = letterUnits > skip ? 0 : skip - letterUnits;
  }
  return std::string(text.substr(at));
}
