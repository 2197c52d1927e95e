// The repair file of a split: the XOR of all pieces, each padded with zero bytes to the
// piece size, so that it is one piece size long. Any one piece is the repair file XOR
// all the others. Window-free.
#pragma once
#include <cstddef>
#include <cstdint>

// How the pieces of a file lie one after another in it.
struct PieceLayout {
  int64_t totalSize;  // the whole file
  int32_t pieceSize;  // every piece's, but the last one's, which may be shorter

  int32_t Count() const { return static_cast<int32_t>((totalSize + pieceSize - 1) / pieceSize); }
  int64_t Start(int32_t piece) const { return int64_t{piece} * pieceSize; }
  int64_t Length(int32_t piece) const {
    int64_t left = totalSize - Start(piece);
    return left < pieceSize ? left : pieceSize;
  }
  // The bytes of the piece from offset on that a stretch of length takes: fewer, or none,
  // where the piece ends first.
  int64_t Overlap(int32_t piece, int64_t offset, int64_t length) const {
    int64_t left = Length(piece) - offset;
    return left <= 0 ? 0 : left < length ? left : length;
  }
};

// The repair file is built and read in stripes of at most this many bytes, whatever the
// piece size: the memory a split or a restore spends on it.
constexpr uint32_t MOST_REPAIR_STRIPE_BYTES = 16u << 20;

// The stripe of a repair file of this piece size: the piece size up to 16 MiB.
uint32_t RepairStripeBytes(int32_t pieceSize);

// XORs count bytes of source into target.
void XorInto(unsigned char* target, const unsigned char* source, size_t count);
