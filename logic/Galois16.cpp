#include "logic/Galois16.h"

#include <cstring>
#include <initializer_list>

#include "logic/ProcessorState.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define PARVOLA_SHUFFLE_GALOIS 1
#endif

namespace {

// x^16 taken modulo the generator: what a product's bit 16 turns into.
constexpr uint16_t REDUCTION = 0x100B;

// Computed at start into memory taken then (448 KiB, which the program file never holds):
// 2^j twice over (so that a sum of two logarithms needs no modulo), the logarithm of every
// non-zero element, the input slices' n_i.
struct GaloisTables {
  uint16_t power[2 * GALOIS_ORDER];
  uint16_t log[GALOIS_ORDER + 1];
  uint16_t sliceLog[MOST_INPUT_SLICES];
};
const GaloisTables* tables = nullptr;

GaloisWay chosenWay = GaloisWay::TABLE;

uint16_t TimesX(uint16_t value) { return static_cast<uint16_t>(value << 1) ^ (value & 0x8000 ? REDUCTION : 0); }

// The products of the value and x^0 ... x^15: every product with the value is a sum of them.
void BitProducts(uint16_t value, uint16_t products[16]) {
  for (int bit = 0; bit < 16; ++bit, value = TimesX(value)) products[bit] = value;
}

// The table of the sums of the products of 'bits' bits from products on: entry b sums the
// products of b's bits, each entry one more product than an earlier one.
template <typename Entry>
void FillSums(Entry* table, int bits, const uint16_t* products, int shift, uint16_t mask) {
  table[0] = 0;
  for (int entry = 1; entry < (1 << bits); ++entry)
    table[entry] = static_cast<Entry>(table[entry & (entry - 1)] ^ ((products[__builtin_ctz(entry)] >> shift) & mask));
}

void MultiplyAddByTable(const GaloisFactor& factor, unsigned char* target, const unsigned char* source,
                        size_t bytes) {
  for (size_t at = 0; at < bytes; at += 2) {
    const uint16_t product = factor.byLowByte[source[at]] ^ factor.byHighByte[source[at + 1]];
    target[at] ^= static_cast<unsigned char>(product);
    target[at + 1] ^= static_cast<unsigned char>(product >> 8);
  }
}

#ifdef PARVOLA_SHUFFLE_GALOIS
#define SHUFFLE_128 __attribute__((target("ssse3")))
#define SHUFFLE_256 __attribute__((target("avx2")))

// Sixteen words at a time (32 bytes; bytes a multiple of it): the low and high bytes of the
// words are gathered into a register each, their four nibbles looked up in the factor's
// tables of low and high product bytes, and the two results spread back into words.
SHUFFLE_128 void MultiplyAddBy128(const GaloisFactor& factor, unsigned char* target, const unsigned char* source,
                                  size_t bytes) {
  __m128i low[4], high[4];
  for (int nibble = 0; nibble < 4; ++nibble) {
    low[nibble] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(factor.nibbleLow[nibble]));
    high[nibble] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(factor.nibbleHigh[nibble]));
  }
  const __m128i mask = _mm_set1_epi8(0x0F);
  const __m128i lowBytesFirst = _mm_setr_epi8(0, 2, 4, 6, 8, 10, 12, 14, 1, 3, 5, 7, 9, 11, 13, 15);
  for (size_t at = 0; at < bytes; at += 32) {
    auto* first = reinterpret_cast<__m128i*>(target + at);
    const __m128i a = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(source + at)), lowBytesFirst);
    const __m128i b =
        _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(source + at + 16)), lowBytesFirst);
    const __m128i lows = _mm_unpacklo_epi64(a, b), highs = _mm_unpackhi_epi64(a, b);
    const __m128i n0 = _mm_and_si128(lows, mask), n1 = _mm_and_si128(_mm_srli_epi16(lows, 4), mask);
    const __m128i n2 = _mm_and_si128(highs, mask), n3 = _mm_and_si128(_mm_srli_epi16(highs, 4), mask);
    const __m128i productLow =
        _mm_xor_si128(_mm_xor_si128(_mm_shuffle_epi8(low[0], n0), _mm_shuffle_epi8(low[1], n1)),
                      _mm_xor_si128(_mm_shuffle_epi8(low[2], n2), _mm_shuffle_epi8(low[3], n3)));
    const __m128i productHigh =
        _mm_xor_si128(_mm_xor_si128(_mm_shuffle_epi8(high[0], n0), _mm_shuffle_epi8(high[1], n1)),
                      _mm_xor_si128(_mm_shuffle_epi8(high[2], n2), _mm_shuffle_epi8(high[3], n3)));
    _mm_storeu_si128(first, _mm_xor_si128(_mm_loadu_si128(first), _mm_unpacklo_epi8(productLow, productHigh)));
    _mm_storeu_si128(first + 1,
                     _mm_xor_si128(_mm_loadu_si128(first + 1), _mm_unpackhi_epi8(productLow, productHigh)));
  }
}

// The same thirty-two words at a time (64 bytes), in the two 128-bit lanes side by side:
// each lane of the gathered registers holds the words of the same lane of both loads.
SHUFFLE_256 void MultiplyAddBy256(const GaloisFactor& factor, unsigned char* target, const unsigned char* source,
                                  size_t bytes) {
  __m256i low[4], high[4];
  for (int nibble = 0; nibble < 4; ++nibble) {
    low[nibble] = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(factor.nibbleLow[nibble])));
    high[nibble] =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(factor.nibbleHigh[nibble])));
  }
  const __m256i mask = _mm256_set1_epi8(0x0F);
  const __m256i lowBytesFirst = _mm256_setr_epi8(0, 2, 4, 6, 8, 10, 12, 14, 1, 3, 5, 7, 9, 11, 13, 15,  //
                                                 0, 2, 4, 6, 8, 10, 12, 14, 1, 3, 5, 7, 9, 11, 13, 15);
  for (size_t at = 0; at < bytes; at += 64) {
    auto* first = reinterpret_cast<__m256i*>(target + at);
    const __m256i a =
        _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + at)), lowBytesFirst);
    const __m256i b =
        _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + at + 32)), lowBytesFirst);
    const __m256i lows = _mm256_unpacklo_epi64(a, b), highs = _mm256_unpackhi_epi64(a, b);
    const __m256i n0 = _mm256_and_si256(lows, mask), n1 = _mm256_and_si256(_mm256_srli_epi16(lows, 4), mask);
    const __m256i n2 = _mm256_and_si256(highs, mask), n3 = _mm256_and_si256(_mm256_srli_epi16(highs, 4), mask);
    const __m256i productLow =
        _mm256_xor_si256(_mm256_xor_si256(_mm256_shuffle_epi8(low[0], n0), _mm256_shuffle_epi8(low[1], n1)),
                         _mm256_xor_si256(_mm256_shuffle_epi8(low[2], n2), _mm256_shuffle_epi8(low[3], n3)));
    const __m256i productHigh =
        _mm256_xor_si256(_mm256_xor_si256(_mm256_shuffle_epi8(high[0], n0), _mm256_shuffle_epi8(high[1], n1)),
                         _mm256_xor_si256(_mm256_shuffle_epi8(high[2], n2), _mm256_shuffle_epi8(high[3], n3)));
    _mm256_storeu_si256(first,
                        _mm256_xor_si256(_mm256_loadu_si256(first), _mm256_unpacklo_epi8(productLow, productHigh)));
    _mm256_storeu_si256(first + 1, _mm256_xor_si256(_mm256_loadu_si256(first + 1),
                                                    _mm256_unpackhi_epi8(productLow, productHigh)));
  }
}
#endif

// The bytes a way takes in one step: the rest of a buffer goes through a zeroed copy.
size_t StepBytes(GaloisWay way) { return way == GaloisWay::AVX2 ? 64 : way == GaloisWay::SSSE3 ? 32 : 2; }

void MultiplyAddWhole(const GaloisFactor& factor, unsigned char* target, const unsigned char* source, size_t bytes) {
#ifdef PARVOLA_SHUFFLE_GALOIS
  if (factor.way == GaloisWay::AVX2) return MultiplyAddBy256(factor, target, source, bytes);
  if (factor.way == GaloisWay::SSSE3) return MultiplyAddBy128(factor, target, source, bytes);
#endif
  MultiplyAddByTable(factor, target, source, bytes);
}

}  // namespace

void PrepareGaloisTables() {
  if (tables) return;
  auto* made = new GaloisTables;
  uint16_t value = 1;
  for (uint32_t exponent = 0; exponent < GALOIS_ORDER; ++exponent, value = TimesX(value)) {
    made->power[exponent] = made->power[exponent + GALOIS_ORDER] = value;
    made->log[value] = static_cast<uint16_t>(exponent);
  }
  made->log[0] = 0;
  uint32_t n = 0;
  for (uint32_t slice = 0; slice < MOST_INPUT_SLICES; ++slice) {
    do ++n;
    while (n % 3 == 0 || n % 5 == 0 || n % 17 == 0 || n % 257 == 0);
    made->sliceLog[slice] = static_cast<uint16_t>(n);
  }
  tables = made;
}

uint16_t GaloisMultiply(uint16_t a, uint16_t b) {
  return a == 0 || b == 0 ? 0 : tables->power[tables->log[a] + tables->log[b]];
}

uint16_t GaloisPower(uint16_t base, uint32_t exponent) {
  if (exponent == 0) return 1;
  if (base == 0) return 0;
  return tables->power[tables->log[base] * (exponent % GALOIS_ORDER) % GALOIS_ORDER];
}

uint16_t GaloisInverse(uint16_t a) { return a == 0 ? 0 : tables->power[GALOIS_ORDER - tables->log[a]]; }

uint32_t InputSliceLog(uint32_t slice) { return tables->sliceLog[slice]; }

uint16_t InputSliceFactor(uint32_t slice, uint32_t exponent) {
  return tables->power[tables->sliceLog[slice] * (exponent % GALOIS_ORDER) % GALOIS_ORDER];
}

bool ProcessorOffers(GaloisWay way) {
  if (way == GaloisWay::TABLE) return true;
#ifdef PARVOLA_SHUFFLE_GALOIS
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  // A processor without CPUID (a 486) has none of it.
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  if (way == GaloisWay::SSSE3) return ecx & bit_SSSE3;
  unsigned leaf7ebx = 0, leaf7ecx = 0;
  return (ecx & bit_AVX) && SystemSavesRegisterSets(SAVED_128_BIT | SAVED_256_BIT) &&
         __get_cpuid_count(7, 0, &eax, &leaf7ebx, &leaf7ecx, &edx) && (leaf7ebx & bit_AVX2);
#else
  return false;
#endif
}

void ChooseGaloisWay(bool systemSavesVectorRegisters) {
  PrepareGaloisTables();
  chosenWay = GaloisWay::TABLE;
  if (!systemSavesVectorRegisters) return;
  for (GaloisWay way : {GaloisWay::SSSE3, GaloisWay::AVX2})
    if (ProcessorOffers(way)) chosenWay = way;
}

GaloisWay ChosenGaloisWay() { return chosenWay; }

void PrepareGaloisFactor(GaloisWay way, uint16_t value, GaloisFactor& factor) {
  factor.value = value;
  factor.way = way;
  uint16_t products[16];
  BitProducts(value, products);
  if (way == GaloisWay::TABLE) {
    FillSums(factor.byLowByte, 8, products, 0, 0xFFFF);
    FillSums(factor.byHighByte, 8, products + 8, 0, 0xFFFF);
    return;
  }
  for (int nibble = 0; nibble < 4; ++nibble) {
    FillSums(factor.nibbleLow[nibble], 4, products + 4 * nibble, 0, 0xFF);
    FillSums(factor.nibbleHigh[nibble], 4, products + 4 * nibble, 8, 0xFF);
  }
}

// Each target takes the whole source in turn: measured on 16 targets of 4 MiB, twice as
// fast as all targets taking each block of 8 or 64 KiB of it while it is in the cache (the
// processor's prefetching follows two streams better than seventeen), and as fast as
// blocks of 1 MiB.
void GaloisMultiplyAdd(const GaloisFactor* factors, unsigned char* const* targets, size_t count,
                       const unsigned char* source, size_t bytes) {
  if (count == 0) return;
  const size_t step = StepBytes(factors[0].way);
  const size_t whole = bytes - bytes % step;
  unsigned char sourceRest[64] = {}, targetRest[64] = {};
  if (whole != bytes) std::memcpy(sourceRest, source + whole, bytes - whole);
  for (size_t target = 0; target < count; ++target) {
    MultiplyAddWhole(factors[target], targets[target], source, whole);
    if (whole == bytes) continue;
    std::memcpy(targetRest, targets[target] + whole, bytes - whole);
    MultiplyAddWhole(factors[target], targetRest, sourceRest, step);
    std::memcpy(targets[target] + whole, targetRest, bytes - whole);
  }
}
