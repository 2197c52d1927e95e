// The field of the recovery data: its check values, the input slice constants, and the
// multiply-add of every way against a product taken bit by bit.
#include <doctest/doctest.h>

#include <cstdint>
#include <vector>

#include "logic/Galois16.h"

namespace {

// The product as the field defines it, one bit at a time: what the tables must agree with.
uint16_t ProductBitByBit(uint16_t a, uint16_t b) {
  uint32_t product = 0;
  for (int bit = 0; bit < 16; ++bit)
    if (b >> bit & 1) product ^= uint32_t{a} << bit;
  for (int bit = 31; bit >= 16; --bit)
    if (product >> bit & 1) product ^= 0x1100Bu << (bit - 16);
  return static_cast<uint16_t>(product);
}

struct Noise {
  uint32_t state;
  uint32_t Next() { return state = state * 1103515245u + 12345u, state >> 8; }
};

uint16_t WordAt(const unsigned char* bytes) { return static_cast<uint16_t>(bytes[0] | bytes[1] << 8); }

// The target as it must be after target ^= value · source, worked out word by word.
std::vector<unsigned char> Expected(std::vector<unsigned char> target, size_t targetOffset, uint16_t value,
                                   const unsigned char* source, size_t length) {
  for (size_t at = 0; at < length; at += 2) {
    const uint16_t product = ProductBitByBit(value, WordAt(source + at));
    target[targetOffset + at] ^= static_cast<unsigned char>(product);
    target[targetOffset + at + 1] ^= static_cast<unsigned char>(product >> 8);
  }
  return target;
}

// Every even length up to 300 and every alignment 0..31 of source and target, three
// targets at once with factors that include 0 and 1, against the product bit by bit; the
// bytes around each target stay as they were.
void CheckWay(GaloisWay way) {
  Noise noise{77};
  std::vector<unsigned char> source(400), original(400);
  for (auto& byte : source) byte = static_cast<unsigned char>(noise.Next());
  for (auto& byte : original) byte = static_cast<unsigned char>(noise.Next());
  const uint16_t values[] = {0, 1, 2, 0x8000, 0xFFFF, 0x1234, 0x100B, 0xBEEF};
  GaloisFactor factors[3];
  size_t wrong = 0;
  for (size_t length = 0; length <= 300; length += 2) {
    for (size_t sourceOffset = 0; sourceOffset < 32; ++sourceOffset) {
      for (size_t targetOffset = 0; targetOffset < 32; ++targetOffset) {
        std::vector<unsigned char> targets[3] = {original, original, original};
        unsigned char* targetStarts[3];
        for (int t = 0; t < 3; ++t) {
          PrepareGaloisFactor(way, values[(length / 2 + sourceOffset + targetOffset + t) % 8], factors[t]);
          targetStarts[t] = targets[t].data() + targetOffset;
        }
        GaloisMultiplyAdd(factors, targetStarts, 3, source.data() + sourceOffset, length);
        for (int t = 0; t < 3; ++t) {
          if (targets[t] == Expected(original, targetOffset, factors[t].value, source.data() + sourceOffset, length))
            continue;
          if (++wrong <= 3) {
            CAPTURE(length);
            CAPTURE(sourceOffset);
            CAPTURE(targetOffset);
            CAPTURE(factors[t].value);
            FAIL_CHECK("the target differs from the product bit by bit");
          }
        }
      }
    }
  }
  CHECK(wrong == 0);
  // A long buffer, its length no multiple of any way's step.
  std::vector<unsigned char> longSource(20002), longTarget(20002, 0x5A);
  for (auto& byte : longSource) byte = static_cast<unsigned char>(noise.Next());
  PrepareGaloisFactor(way, 0x4321, factors[0]);
  const auto expected = Expected(longTarget, 0, 0x4321, longSource.data(), longSource.size());
  unsigned char* start = longTarget.data();
  GaloisMultiplyAdd(factors, &start, 1, longSource.data(), longSource.size());
  CHECK(longTarget == expected);
}

void CheckWayOfThisProcessor(GaloisWay way, const char* name) {
  if (!ProcessorOffers(way)) {
    MESSAGE("NOT RUN: this processor has no ", name, ", so that way of the field is not tested here");
    return;
  }
  CheckWay(way);
}

}  // namespace

TEST_CASE("GF(2^16) gives the field's check values, products, powers and inverses") {
  PrepareGaloisTables();
  CHECK(GaloisPower(2, 16) == 0x100B);
  CHECK(GaloisMultiply(2, 0x8000) == 0x100B);
  CHECK(GaloisMultiply(4, 0x4241) == 0x190F);
  CHECK(GaloisMultiply(16, 0x4A49) == 0xE4BC);
  CHECK(GaloisMultiply(0, 0x1234) == 0);
  CHECK(GaloisPower(0, 0) == 1);
  CHECK(GaloisPower(0, 5) == 0);
  CHECK(GaloisPower(3, 65535) == 1);
  CHECK(GaloisInverse(20) == 0x9C05);
  Noise noise{5};
  for (int round = 0; round < 20000; ++round) {
    const auto a = static_cast<uint16_t>(noise.Next()), b = static_cast<uint16_t>(noise.Next());
    if (GaloisMultiply(a, b) != ProductBitByBit(a, b)) {
      CAPTURE(a);
      CAPTURE(b);
      FAIL_CHECK("product differs");
    }
  }
  size_t wrongInverses = 0;
  for (uint32_t a = 1; a <= 0xFFFF; ++a) wrongInverses += GaloisMultiply(uint16_t(a), GaloisInverse(uint16_t(a))) != 1;
  CHECK(wrongInverses == 0);
  uint16_t repeated = 1;
  for (uint32_t exponent = 0; exponent < 300; ++exponent, repeated = ProductBitByBit(repeated, 0x4A49))
    CHECK(GaloisPower(0x4A49, exponent) == repeated);
}

TEST_CASE("the input slice constants skip the exponents that share a factor with 65535") {
  PrepareGaloisTables();
  const uint32_t logs[] = {1, 2, 4, 7, 8, 11, 13, 14, 16, 19, 22};
  const uint16_t constants[] = {2, 4, 16, 128, 256, 2048, 8192, 16384, 4107, 32856, 17132};
  for (uint32_t slice = 0; slice < 11; ++slice) {
    CHECK(InputSliceLog(slice) == logs[slice]);
    CHECK(InputSliceFactor(slice, 1) == constants[slice]);
    CHECK(InputSliceFactor(slice, 0) == 1);
  }
  // 32,768 constants in all: the last is 2^65534.
  CHECK(InputSliceLog(MOST_INPUT_SLICES - 1) == 65534);
  CHECK(InputSliceFactor(2, 21845) == 350);  // 16^21845, equal to 2^21845
  CHECK(InputSliceFactor(0, 21845) == 350);
  CHECK(InputSliceFactor(9, 3) == GaloisPower(32856, 3));
}

TEST_CASE("the field's multiply-add takes a vector way only where the processor has it and the system saves its registers") {
  ChooseGaloisWay(false);
  CHECK(ChosenGaloisWay() == GaloisWay::TABLE);
  ChooseGaloisWay(true);
  const GaloisWay fastest = ProcessorOffers(GaloisWay::AVX2)    ? GaloisWay::AVX2
                            : ProcessorOffers(GaloisWay::SSSE3) ? GaloisWay::SSSE3
                                                                : GaloisWay::TABLE;
  CHECK(ChosenGaloisWay() == fastest);
  CheckWay(GaloisWay::TABLE);
}

TEST_CASE("Galois way: SSSE3 shuffles") { CheckWayOfThisProcessor(GaloisWay::SSSE3, "SSSE3"); }

TEST_CASE("Galois way: AVX2 shuffles") {
  CheckWayOfThisProcessor(GaloisWay::AVX2, "AVX2 saved by the system");
}
