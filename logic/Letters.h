// The letters of a text in a code page, as the system steps through them: in the
// double-byte code pages of Japanese, Chinese and Korean systems (932, 936, 949, 950) a
// lead byte takes the byte after it along, and that second byte may be a backslash
// (0x5C), a bar (0x7C) or a caret (0x5E); in UTF-8 (65001) a letter is a whole sequence.
// Every other code page has one byte a letter. Window-free.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

constexpr unsigned UTF8_CODE_PAGE = 65001;

// The bytes of the letter that starts at `at` (at least 1, at most what is left). A
// lead byte without its second byte, or a broken UTF-8 sequence, counts byte by byte.
size_t LetterLength(std::string_view text, size_t at, unsigned codePage);

// Where the last letter that is one of the given single-byte letters starts, or npos:
// a second byte that looks like one of them is part of another letter.
size_t FindLastLetter(std::string_view text, std::string_view letters, unsigned codePage);
// The same for the first such letter from `from` on.
size_t FindLetter(std::string_view text, std::string_view letters, unsigned codePage, size_t from = 0);
// Whether the text's last letter is this single-byte letter.
bool EndsWithLetter(std::string_view text, char letter, unsigned codePage);

// Whether every byte of the text is below 0x80: the same letters in every code page.
bool IsAscii(std::string_view text);

// How many UTF-16 units the text takes: what the system's limits on paths count (a
// letter beyond the 16-bit range takes two).
size_t Utf16Length(std::string_view text, unsigned codePage);

// The text's first and last whole letters that take at most `units` UTF-16 units.
std::string FirstUnits(std::string_view text, size_t units, unsigned codePage);
std::string LastUnits(std::string_view text, size_t units, unsigned codePage);
