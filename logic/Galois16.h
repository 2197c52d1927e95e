// The field GF(2^16) of the recovery set's arithmetic: the integers 0 to 65535 as
// polynomials over GF(2), multiplied modulo x^16 + x^12 + x^3 + x + 1 (0x1100B), where 2
// generates every non-zero element. Input slice i of the set gets the constant
// 2^n_i, with n_0 < n_1 < ... the positive integers that none of 3, 5, 17 and 257
// divides; recovery slice e is, word by word, the sum of every input slice times its
// constant to the power e. Window-free.
#pragma once
#include <cstddef>
#include <cstdint>

// A set holds at most this many input slices: there are no more constants.
constexpr uint32_t MOST_INPUT_SLICES = 32768;
// The non-zero elements: exponents count modulo this.
constexpr uint32_t GALOIS_ORDER = 65535;

// Computes the logarithm and power tables and the input slice constants into memory
// taken for them. Every function below needs them: called at start, before any thread
// uses the field (ChooseGaloisWay calls it); later calls do nothing.
void PrepareGaloisTables();

uint16_t GaloisMultiply(uint16_t a, uint16_t b);
// base^exponent; 0^0 is 1.
uint16_t GaloisPower(uint16_t base, uint32_t exponent);
// 1/a for a non-zero a (0 for 0).
uint16_t GaloisInverse(uint16_t a);
// The exponent n_i of input slice i's constant 2^n_i (slice < MOST_INPUT_SLICES).
uint32_t InputSliceLog(uint32_t slice);
// The factor of input slice i in recovery slice e: (2^n_i)^e.
uint16_t InputSliceFactor(uint32_t slice, uint32_t exponent);

// The ways of multiplying a buffer by a factor, all giving the same bytes: two tables of
// 256 products per factor, looked up a word at a time (every processor); sixteen words at
// a time with nibble tables and PSHUFB (SSSE3); thirty-two at a time with VPSHUFB (AVX2).
enum class GaloisWay { TABLE, SSSE3, AVX2 };

// Whether this processor has a way's instructions; for AVX2 also whether the system
// saves the 256-bit registers. For SSSE3 only the system can tell whether it saves the
// 128-bit ones (Windows 95 and NT 4 never do).
bool ProcessorOffers(GaloisWay way);

// Prepares the tables and makes the multiply-adds take the fastest way the processor
// offers, a vector way only when the system saves the vector registers; until then they
// take the table. Called at start, before any thread multiplies.
void ChooseGaloisWay(bool systemSavesVectorRegisters);
GaloisWay ChosenGaloisWay();

// A factor made ready for multiplying buffers by it in one way (1,152 bytes).
struct GaloisFactor {
  uint16_t value;
  GaloisWay way;
  uint16_t byLowByte[256], byHighByte[256];           // the table way: f·b and f·(b << 8)
  unsigned char nibbleLow[4][16], nibbleHigh[4][16];  // the shuffle ways: f·(n << 4j), low and high byte
};
void PrepareGaloisFactor(GaloisWay way, uint16_t value, GaloisFactor& factor);

// Over bytes bytes (a multiple of 2; any alignment), read as little-endian 16-bit words:
// targets[t] ^= factors[t] · source for every t below count. The factors name the way.
void GaloisMultiplyAdd(const GaloisFactor* factors, unsigned char* const* targets, size_t count,
                       const unsigned char* source, size_t bytes);
