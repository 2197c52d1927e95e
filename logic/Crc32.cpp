#include "logic/Crc32.h"

#include "logic/ProcessorState.h"

#include <initializer_list>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define PARVOLA_CARRYLESS_CRC 1
#endif

namespace {

constexpr uint32_t POLYNOMIAL = 0xEDB88320u;  // x^32 + ... + 1, bit-reversed

// The table that advances the CRC by one byte.
struct CrcTable {
  uint32_t byByte[256];

  constexpr CrcTable() : byByte() {
    for (uint32_t byte = 0; byte < 256; ++byte) {
      uint32_t crc = byte;
      for (int bit = 0; bit < 8; ++bit) crc = crc & 1 ? (crc >> 1) ^ POLYNOMIAL : crc >> 1;
      byByte[byte] = crc;
    }
  }
};

constexpr CrcTable table;

Crc32Way chosenWay = Crc32Way::TABLE;

// The running CRC (not inverted) over the bytes, one at a time.
uint32_t UpdateByTable(uint32_t crc, const unsigned char* bytes, size_t length) {
  for (; length > 0; ++bytes, --length) crc = (crc >> 8) ^ table.byByte[(crc ^ *bytes) & 0xFF];
  return crc;
}

#ifdef PARVOLA_CARRYLESS_CRC
#define CARRYLESS __attribute__((target("pclmul,sse4.1")))
#define INLINED __attribute__((always_inline)) inline

// One 128-bit lane folded forward over 128 bits onto the next: the lane's two halves are
// multiplied by x^(128+64) and x^128 modulo the polynomial (both in keys).
CARRYLESS INLINED __m128i Fold(__m128i lane, __m128i next, __m128i keys) {
  __m128i high = _mm_clmulepi64_si128(lane, keys, 0x11);
  __m128i low = _mm_clmulepi64_si128(lane, keys, 0x00);
  return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

CARRYLESS INLINED __m128i Load(const unsigned char* bytes) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
}

// The multipliers of a fold over 512 bits: x^(512+32) and x^(512-32) modulo the
// polynomial, bit-reversed, for the lane's low and high half.
constexpr long long FOLD_512_LOW = 0x154442BD4, FOLD_512_HIGH = 0x1C6E41596;

// The running CRC of the bytes after four lanes of 128 bits that hold the CRC of all
// bytes before them (the bytes before the lanes folded into them): the lanes are folded
// forward 512 bits at a time, then onto one another, then reduced to 32 bits (Barrett
// reduction). The bytes that do not fill 16 go by the table.
CARRYLESS INLINED uint32_t FinishCarryless(__m128i lane0, __m128i lane1, __m128i lane2, __m128i lane3,
                                           const unsigned char* bytes, size_t length) {
  const __m128i foldBy512 = _mm_set_epi64x(FOLD_512_HIGH, FOLD_512_LOW);
  const __m128i foldBy128 = _mm_set_epi64x(0x0CCAA009E, 0x1751997D0);
  const __m128i fold64 = _mm_set_epi64x(0, 0x163CD6124);
  const __m128i barrett = _mm_set_epi64x(0x1F7011641, 0x1DB710641);
  const __m128i low32 = _mm_set_epi32(0, 0, 0, -1);

  for (; length >= 64; bytes += 64, length -= 64) {
    lane0 = Fold(lane0, Load(bytes), foldBy512);
    lane1 = Fold(lane1, Load(bytes + 16), foldBy512);
    lane2 = Fold(lane2, Load(bytes + 32), foldBy512);
    lane3 = Fold(lane3, Load(bytes + 48), foldBy512);
  }
  __m128i folded = Fold(Fold(Fold(lane0, lane1, foldBy128), lane2, foldBy128), lane3, foldBy128);
  for (; length >= 16; bytes += 16, length -= 16) folded = Fold(folded, Load(bytes), foldBy128);

  // 128 bits to 64, then to 32 plus the 64-bit remainder's reduction.
  __m128i product = _mm_clmulepi64_si128(folded, foldBy128, 0x10);
  folded = _mm_xor_si128(_mm_srli_si128(folded, 8), product);
  product = _mm_srli_si128(folded, 4);
  folded = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(folded, low32), fold64, 0x00), product);
  product = _mm_clmulepi64_si128(_mm_and_si128(folded, low32), barrett, 0x10);
  product = _mm_clmulepi64_si128(_mm_and_si128(product, low32), barrett, 0x00);
  folded = _mm_xor_si128(folded, product);
  return UpdateByTable(static_cast<uint32_t>(_mm_extract_epi32(folded, 1)), bytes, length);
}

// The running CRC over at least 64 bytes, 128 bits at a time.
CARRYLESS uint32_t UpdateCarryless(uint32_t crc, const unsigned char* bytes, size_t length) {
  __m128i lane0 = _mm_xor_si128(Load(bytes), _mm_cvtsi32_si128(static_cast<int>(crc)));
  return FinishCarryless(lane0, Load(bytes + 16), Load(bytes + 32), Load(bytes + 48), bytes + 64,
                         length - 64);
}

#define WIDE_CARRYLESS __attribute__((target("avx512f,vpclmulqdq,pclmul,sse4.1")))

// Four 128-bit lanes folded forward at once, as Fold does with one.
WIDE_CARRYLESS INLINED __m512i FoldWide(__m512i lanes, __m512i next, __m512i keys) {
  __m512i high = _mm512_clmulepi64_epi128(lanes, keys, 0x11);
  __m512i low = _mm512_clmulepi64_epi128(lanes, keys, 0x00);
  return _mm512_ternarylogic_epi64(low, high, next, 0x96);  // all three xor-ed
}

WIDE_CARRYLESS INLINED __m512i LoadWide(const unsigned char* bytes) {
  return _mm512_loadu_si512(bytes);
}

// The running CRC over at least 256 bytes, 512 bits at a time: sixteen lanes of 128 bits
// in four registers are folded forward 2048 bits at a time, then the registers onto one
// another, which leaves the four lanes that the 128-bit way goes on with.
WIDE_CARRYLESS uint32_t UpdateWide(uint32_t crc, const unsigned char* bytes, size_t length) {
  // x^(2048+32) and x^(2048-32) modulo the polynomial, bit-reversed, in every lane.
  constexpr long long FOLD_2048_LOW = 0x11542778A, FOLD_2048_HIGH = 0x1322D1430;
  const __m512i foldBy2048 = _mm512_set_epi64(FOLD_2048_HIGH, FOLD_2048_LOW, FOLD_2048_HIGH, FOLD_2048_LOW,
                                              FOLD_2048_HIGH, FOLD_2048_LOW, FOLD_2048_HIGH, FOLD_2048_LOW);
  const __m512i foldBy512 = _mm512_set_epi64(FOLD_512_HIGH, FOLD_512_LOW, FOLD_512_HIGH, FOLD_512_LOW,
                                             FOLD_512_HIGH, FOLD_512_LOW, FOLD_512_HIGH, FOLD_512_LOW);
  const __m512i crcLane = _mm512_zextsi128_si512(_mm_cvtsi32_si128(static_cast<int>(crc)));
  __m512i first = _mm512_xor_si512(LoadWide(bytes), crcLane);
  __m512i second = LoadWide(bytes + 64), third = LoadWide(bytes + 128), fourth = LoadWide(bytes + 192);
  for (bytes += 256, length -= 256; length >= 256; bytes += 256, length -= 256) {
    first = FoldWide(first, LoadWide(bytes), foldBy2048);
    second = FoldWide(second, LoadWide(bytes + 64), foldBy2048);
    third = FoldWide(third, LoadWide(bytes + 128), foldBy2048);
    fourth = FoldWide(fourth, LoadWide(bytes + 192), foldBy2048);
  }
  __m512i lanes = FoldWide(FoldWide(FoldWide(first, second, foldBy512), third, foldBy512), fourth, foldBy512);
  return FinishCarryless(_mm512_maskz_extracti32x4_epi32(0xFF, lanes, 0),
                         _mm512_maskz_extracti32x4_epi32(0xFF, lanes, 1),
                         _mm512_maskz_extracti32x4_epi32(0xFF, lanes, 2),
                         _mm512_maskz_extracti32x4_epi32(0xFF, lanes, 3), bytes, length);
}
#endif

// a times b modulo the polynomial, both in the bit-reversed form (x^0 is the top bit).
uint32_t MultiplyModulo(uint32_t a, uint32_t b) {
  uint32_t product = 0;
  for (uint32_t bit = 1u << 31; bit != 0; bit >>= 1) {
    if (a & bit) product ^= b;
    b = b & 1 ? (b >> 1) ^ POLYNOMIAL : b >> 1;
  }
  return product;
}

// x^exponent modulo the polynomial, by squaring.
uint32_t PowerOfX(uint64_t exponent) {
  uint32_t power = 1u << 31;  // x^0
  for (uint32_t square = 1u << 30; exponent != 0; exponent >>= 1) {  // x^1, x^2, x^4, ...
    if (exponent & 1) power = MultiplyModulo(power, square);
    square = MultiplyModulo(square, square);
  }
  return power;
}

}  // namespace

bool ProcessorOffers(Crc32Way way) {
  if (way == Crc32Way::TABLE) return true;
#ifdef PARVOLA_CARRYLESS_CRC
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  // A processor without CPUID (a 486) has none of it.
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  bool carryless = (ecx & bit_PCLMUL) && (ecx & bit_SSE4_1);
  if (way == Crc32Way::CARRYLESS_128) return carryless;
  // The system saves the 512-bit registers and the mask registers (XCR0 bits 1, 2, 5-7).
  bool systemSavesWide = (ecx & bit_AVX) && SystemSavesRegisterSets(SAVED_128_BIT | SAVED_256_BIT | SAVED_512_BIT);
  unsigned leaf7ebx = 0, leaf7ecx = 0;
  return carryless && systemSavesWide && __get_cpuid_count(7, 0, &eax, &leaf7ebx, &leaf7ecx, &edx) &&
         (leaf7ebx & bit_AVX512F) && (leaf7ecx & bit_VPCLMULQDQ);
#else
  return false;
#endif
}

void ChooseCrc32Way(bool systemSavesVectorRegisters) {
  chosenWay = Crc32Way::TABLE;
  if (!systemSavesVectorRegisters) return;
  for (Crc32Way way : {Crc32Way::CARRYLESS_128, Crc32Way::CARRYLESS_512})
    if (ProcessorOffers(way)) chosenWay = way;
}

Crc32Way ChosenCrc32Way() { return chosenWay; }

uint32_t Crc32Update(uint32_t crc, const void* data, size_t length) {
  return Crc32UpdateBy(chosenWay, crc, data, length);
}

// Each vector way needs a least length; shorter runs go by the table.
uint32_t Crc32UpdateBy(Crc32Way way, uint32_t crc, const void* data, size_t length) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  crc = ~crc;
#ifdef PARVOLA_CARRYLESS_CRC
  if (way == Crc32Way::CARRYLESS_512 && length >= 256) return ~UpdateWide(crc, bytes, length);
  if (way != Crc32Way::TABLE && length >= 64) return ~UpdateCarryless(crc, bytes, length);
#else
  (void)way;
#endif
  return ~UpdateByTable(crc, bytes, length);
}

uint32_t Crc32Combine(uint32_t firstCrc, uint32_t secondCrc, uint64_t secondLength) {
  // Appending n bytes multiplies the first run's remainder by x^(8n).
  return MultiplyModulo(PowerOfX(secondLength * 8), firstCrc) ^ secondCrc;
}
