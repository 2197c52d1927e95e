#include <doctest/doctest.h>

#include <string>

#include "logic/Crc32.h"

namespace {

uint32_t Crc(const std::string& bytes) { return Crc32Update(0, bytes.data(), bytes.size()); }

// Bytes without a short period, so that a lane folded onto the wrong one shows.
std::string NoiseBytes(size_t count) {
  std::string bytes(count, '\0');
  uint32_t state = 12345;
  for (char& byte : bytes) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<char>(state >> 23);
  }
  return bytes;
}

}  // namespace

TEST_CASE("CRC-32 gives the common values") {
  CHECK(Crc("") == 0);
  CHECK(Crc("123456789") == 0xCBF43926);
  CHECK(Crc("The quick brown fox jumps over the lazy dog") == 0x414FA339);
  CHECK(Crc(std::string(32768, '\0')) == 0x011FFCA6);
}

TEST_CASE("CRC-32: every length and alignment gives what the tables alone give, in one run or in parts") {
  const std::string bytes = NoiseBytes(70000);
  // From 64 bytes on, 128-bit registers fold the bytes; from 256 on, 512-bit ones where the
  // processor has them, with the 128-bit way taking over for the rest.
  for (size_t length : {1, 7, 8, 15, 16, 63, 64, 65, 127, 128, 129, 255, 256, 257, 319, 320, 511, 512, 575,
                        1000, 4096, 32768, 65537}) {
    for (size_t offset : {0, 1, 3, 8}) {
      CAPTURE(length);
      CAPTURE(offset);
      const char* start = bytes.data() + offset;
      uint32_t whole = Crc32Update(0, start, length);
      CHECK(whole == Crc32UpdateByTables(0, start, length));
      size_t cut = length / 3;
      CHECK(Crc32Update(Crc32Update(0, start, cut), start + cut, length - cut) == whole);
      // Two runs' CRCs give the CRC of both without reading them again.
      CHECK(Crc32Combine(Crc32Update(0, start, cut), Crc32Update(0, start + cut, length - cut), length - cut) ==
            whole);
    }
  }
  CHECK(Crc32Combine(0x12345678, 0, 0) == 0x12345678);
}
