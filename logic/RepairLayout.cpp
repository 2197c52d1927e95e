#include "logic/RepairLayout.h"

#include <cstring>

uint32_t RepairStripeBytes(int32_t pieceSize) {
  return static_cast<uint32_t>(pieceSize) < MOST_REPAIR_STRIPE_BYTES ? static_cast<uint32_t>(pieceSize)
                                                                      : MOST_REPAIR_STRIPE_BYTES;
}

// A word at a time (copied, as the bytes need not be aligned), the rest byte by byte.
void XorInto(unsigned char* target, const unsigned char* source, size_t count) {
  size_t at = 0;
  for (; at + sizeof(uintptr_t) <= count; at += sizeof(uintptr_t)) {
    uintptr_t word, other;
    std::memcpy(&word, target + at, sizeof word);
    std::memcpy(&other, source + at, sizeof other);
    word ^= other;
    std::memcpy(target + at, &word, sizeof word);
  }
  for (; at < count; ++at) target[at] ^= source[at];
}
