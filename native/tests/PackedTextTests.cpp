// The help texts' packing, both ways, natively with the sanitizers: what the packer
// writes unpacks to the same bytes, and a stream that is cut short or damaged is
// refused without a read or write outside its buffers.
#include <doctest/doctest.h>

#include <string>

#include "framework/PackedText.h"
#include "tools/TextPacker.h"

namespace {

bool Unpack(const std::string& packed, std::string& text) {
  return UnpackText(reinterpret_cast<const unsigned char*>(packed.data()), packed.size(), text);
}

std::string Sample() {
  std::string text;
  for (int line = 0; line < 200; ++line)
    text += "Parvola 95 writes REPORT." + std::to_string(line % 1000) + " to A:\\\r\n" +
            std::string(static_cast<size_t>(line % 7), static_cast<char>(0xE4 + line % 3)) + "\f";
  return text;
}

}  // namespace

TEST_CASE("packed texts unpack to the same bytes") {
  std::string unpacked = "left over";
  for (const std::string& text : {std::string(), std::string("a"), std::string(5000, 'x'), std::string("\0\xFF\0", 3),
                                  Sample()}) {
    CAPTURE(text.size());
    std::string packed = PackText(text);
    REQUIRE(Unpack(packed, unpacked));
    CHECK(unpacked == text);
  }
  // Repeats pack into far fewer bytes than their text.
  CHECK(PackText(Sample()).size() < Sample().size() / 4);
}

TEST_CASE("a packed text cut short or damaged is refused, never overrun") {
  const std::string packed = PackText(Sample());
  std::string text;
  SUBCASE("cut short anywhere") {
    for (size_t size = 0; size < packed.size(); ++size) {
      CAPTURE(size);
      CHECK_FALSE(Unpack(packed.substr(0, size), text));
      CHECK(text.empty());
    }
  }
  SUBCASE("a length beyond the longest text") {
    std::string longer = packed;
    longer[3] = '\x7F';
    CHECK_FALSE(Unpack(longer, text));
  }
  SUBCASE("any byte changed: a refusal leaves no text behind") {
    for (size_t at = 4; at < packed.size(); ++at) {
      std::string damaged = packed;
      damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
      text = "left over";
      if (!Unpack(damaged, text)) CHECK(text.empty());
    }
  }
}
