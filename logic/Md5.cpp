#include "logic/Md5.h"

#include <cstring>

namespace {

// Rotations of the four rounds, four per round.
constexpr unsigned char SHIFTS[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

// The integer parts of 2^32 * |sin(i + 1)|, as RFC 1321 lists them.
constexpr uint32_t SINES[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

inline uint32_t RotateLeft(uint32_t value, unsigned count) { return (value << count) | (value >> (32 - count)); }

inline uint32_t LoadLittle(const unsigned char* bytes) {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

inline void StoreLittle(unsigned char* bytes, uint32_t value) {
  for (int at = 0; at < 4; ++at) bytes[at] = static_cast<unsigned char>(value >> (8 * at));
}

}  // namespace

// One step: a is mixed with the round's function of b, c, d, a word of the block and a
// constant, rotated and added to b; the four registers then move on by one.
#define MD5_STEP(mix, word, step, shift)                                        \
  {                                                                             \
    const uint32_t rotated = RotateLeft(a + (mix) + SINES[step] + words[word], shift); \
    a = d, d = c, c = b, b += rotated;                                          \
  }

// The 64 steps of one block in four rounds of 16, which differ in their mixing function and
// in the order they take the block's words.
void Md5::Compress(const unsigned char* block) {
  uint32_t words[16];
  for (int at = 0; at < 16; ++at) words[at] = LoadLittle(block + 4 * at);
  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
#pragma GCC unroll 16
  for (unsigned step = 0; step < 16; ++step) MD5_STEP(d ^ (b & (c ^ d)), step, step, SHIFTS[0][step & 3])
#pragma GCC unroll 16
  for (unsigned step = 16; step < 32; ++step) MD5_STEP(c ^ (d & (b ^ c)), (5 * step + 1) & 15, step, SHIFTS[1][step & 3])
#pragma GCC unroll 16
  for (unsigned step = 32; step < 48; ++step) MD5_STEP(b ^ c ^ d, (3 * step + 5) & 15, step, SHIFTS[2][step & 3])
#pragma GCC unroll 16
  for (unsigned step = 48; step < 64; ++step) MD5_STEP(c ^ (b | ~d), (7 * step) & 15, step, SHIFTS[3][step & 3])
  state_[0] += a, state_[1] += b, state_[2] += c, state_[3] += d;
}
#undef MD5_STEP

void Md5::Add(const void* data, size_t length) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  size_t pending = static_cast<size_t>(length_ & 63);
  length_ += length;
  if (pending != 0) {
    const size_t taken = length < 64 - pending ? length : 64 - pending;
    std::memcpy(pending_ + pending, bytes, taken);
    bytes += taken, length -= taken, pending += taken;
    if (pending < 64) return;
    Compress(pending_);
  }
  for (; length >= 64; bytes += 64, length -= 64) Compress(bytes);
  std::memcpy(pending_, bytes, length);
}

// Padding: a one bit, zeros up to 8 bytes before a block's end, then the length in bits.
Md5Digest Md5::Finish() {
  const uint64_t bits = length_ * 8;
  unsigned char padding[72] = {0x80};
  const size_t pending = static_cast<size_t>(length_ & 63);
  const size_t zeros = pending < 56 ? 56 - pending : 120 - pending;
  for (int at = 0; at < 8; ++at) padding[zeros + at] = static_cast<unsigned char>(bits >> (8 * at));
  Add(padding, zeros + 8);
  Md5Digest digest;
  for (int at = 0; at < 4; ++at) StoreLittle(digest.data() + 4 * at, state_[at]);
  *this = Md5();
  return digest;
}

Md5Digest Md5Of(const void* data, size_t length) {
  Md5 md5;
  md5.Add(data, length);
  return md5.Finish();
}
