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

// Every length around the vector ways' block sizes and hand-overs, at several alignments,
// in one run and in parts, against the table alone.
void CheckAgainstTable(Crc32Way way) {
  const std::string bytes = NoiseBytes(70000);
  // From 64 bytes on, 128-bit registers fold the bytes; from 256 on, 512-bit ones, with
  // the 128-bit way taking over for the rest.
  for (size_t length : {1, 7, 8, 15, 16, 63, 64, 65, 127, 128, 129, 255, 256, 257, 319, 320, 511, 512, 575,
                        1000, 4096, 32768, 65537}) {
    for (size_t offset : {0, 1, 3, 8}) {
      CAPTURE(length);
      CAPTURE(offset);
      const char* start = bytes.data() + offset;
      uint32_t whole = Crc32UpdateBy(way, 0, start, length);
      CHECK(whole == Crc32UpdateBy(Crc32Way::TABLE, 0, start, length));
      size_t cut = length / 3;
      CHECK(Crc32UpdateBy(way, Crc32UpdateBy(way, 0, start, cut), start + cut, length - cut) == whole);
    }
  }
}

// A way this processor lacks is not tested here: the test says so in a line of its own,
// which the test run reports as a test that did not run.
void CheckWayOfThisProcessor(Crc32Way way, const std::string& name) {
  if (!ProcessorOffers(way)) {
    MESSAGE("NOT RUN: this processor has no ", name, ", so that way of the CRC-32 is not tested here");
    return;
  }
  CheckAgainstTable(way);
}

}  // namespace

TEST_CASE("CRC-32 gives the common values, in parts and combined from parts") {
  CHECK(Crc("") == 0);
  CHECK(Crc("123456789") == 0xCBF43926);
  CHECK(Crc("The quick brown fox jumps over the lazy dog") == 0x414FA339);
  CHECK(Crc(std::string(32768, '\0')) == 0x011FFCA6);
  CheckAgainstTable(ChosenCrc32Way());
  // Two runs' CRCs give the CRC of both without reading them again.
  const std::string bytes = NoiseBytes(5000);
  for (size_t cut : {0, 1, 64, 2500, 4999, 5000}) {
    CAPTURE(cut);
    CHECK(Crc32Combine(Crc(bytes.substr(0, cut)), Crc(bytes.substr(cut)), bytes.size() - cut) == Crc(bytes));
  }
}

TEST_CASE("CRC-32 takes a vector way only where the processor has it and the system saves its registers") {
  ChooseCrc32Way(false);
  CHECK(ChosenCrc32Way() == Crc32Way::TABLE);
  ChooseCrc32Way(true);
  Crc32Way fastest = ProcessorOffers(Crc32Way::CARRYLESS_512)   ? Crc32Way::CARRYLESS_512
                     : ProcessorOffers(Crc32Way::CARRYLESS_128) ? Crc32Way::CARRYLESS_128
                                                                : Crc32Way::TABLE;
  CHECK(ChosenCrc32Way() == fastest);
}

TEST_CASE("CRC-32 way: 128-bit carry-less multiplication") {
  CheckWayOfThisProcessor(Crc32Way::CARRYLESS_128, "PCLMULQDQ with SSE4.1");
}

TEST_CASE("CRC-32 way: 512-bit carry-less multiplication") {
  CheckWayOfThisProcessor(Crc32Way::CARRYLESS_512, "VPCLMULQDQ with AVX-512F saved by the system");
}
