// Letters of names in the double-byte code pages and in UTF-8, as the system steps
// through them.
#include <doctest/doctest.h>

#include <string>

#include "logic/Letters.h"

TEST_CASE("letters: the ends of each double-byte code page's lead-byte ranges") {
  // Each byte before a backslash and a bar: a lead byte takes them along as its second
  // byte (in 932, 0x9F 0x5C and 0x9F 0x7C are two letters of a name), any other byte
  // leaves them standing as a separator and an operator.
  const struct {
    unsigned codePage;
    unsigned char byte;
    bool lead;
  } cases[] = {
      {932, 0x80, false}, {932, 0x81, true}, {932, 0x9F, true}, {932, 0xA0, false}, {932, 0xDF, false},
      {932, 0xE0, true},  {932, 0xFC, true}, {932, 0xFD, false}, {936, 0x80, false}, {936, 0x81, true},
      {936, 0xFE, true},  {936, 0xFF, false}, {949, 0x80, false}, {949, 0x81, true}, {949, 0xFE, true},
      {949, 0xFF, false}, {950, 0x80, false}, {950, 0x81, true}, {950, 0xFE, true}, {950, 0xFF, false},
      {1252, 0x81, false}, {1252, 0x9F, false}, {UTF8_CODE_PAGE, 0x9F, false},
  };
  for (const auto& each : cases) {
    CAPTURE(each.codePage);
    CAPTURE(static_cast<unsigned>(each.byte));
    for (char second : {'\\', '|'}) {
      const std::string text = std::string("a") + static_cast<char>(each.byte) + second + "b";
      CHECK(LetterLength(text, 1, each.codePage) == (each.lead ? 2u : 1u));
      CHECK((FindLetter(text, std::string(1, second), each.codePage) == std::string::npos) == each.lead);
    }
  }
}

TEST_CASE("letters: a letter beyond 16 bits takes two UTF-16 units of a path's 259") {
  const std::string smile = "\xF0\x9F\x98\x80";  // U+1F600
  CHECK(Utf16Length(smile, UTF8_CODE_PAGE) == 2);
  CHECK(Utf16Length("\xC3\xA4" "\xE6\x97\xA5", UTF8_CODE_PAGE) == 2);
  // 3 + 2 x 128 = 259 units: the longest path; one letter of 16 bits more passes it.
  std::string path = "C:\\";
  for (int letter = 0; letter < 128; ++letter) path += smile;
  CHECK(Utf16Length(path, UTF8_CODE_PAGE) == 259);
  CHECK(Utf16Length(path + "x", UTF8_CODE_PAGE) == 260);
  CHECK(FirstUnits(path + "x", 259, UTF8_CODE_PAGE) == path);
  // Never half a letter: 258 units end before the last smile.
  CHECK(FirstUnits(path, 258, UTF8_CODE_PAGE) == path.substr(0, path.size() - smile.size()));
  CHECK(LastUnits(path, 3, UTF8_CODE_PAGE) == smile);
}

TEST_CASE("letters: only ASCII reads the same in every code page") {
  CHECK(IsAscii(""));
  CHECK(IsAscii("REPORT.DOC ~!\x7F"));
  CHECK_FALSE(IsAscii("M\xE4rz"));
  CHECK_FALSE(IsAscii("\x83\x5C"));
  CHECK_FALSE(IsAscii("5 \x80"));  // the euro sign of code page 1252
}
