#include "job/RepairStripes.h"

#include <cstring>
#include <memory>

bool RepairStripes::Run(const PieceLayout& layout, CopyEnd pieces, const CopyEnd* start, int32_t skipped,
                        const Sink& sink) {
  const uint32_t stripeBytes = RepairStripeBytes(layout.pieceSize);
  std::unique_ptr<unsigned char[]> stripe(new unsigned char[stripeBytes]);
  for (int64_t offset = 0; offset < layout.pieceSize; offset += stripeBytes) {
    const uint32_t length =
        layout.pieceSize - offset < stripeBytes ? static_cast<uint32_t>(layout.pieceSize - offset) : stripeBytes;
    unsigned char* filled = stripe.get();
    if (start) {
      if (!reader.Read(*start, length, [&](const unsigned char* bytes, uint32_t count) {
            std::memcpy(filled, bytes, count);
            filled += count;
          }))
        return false;
    } else {
      std::memset(stripe.get(), 0, length);
    }
    for (int32_t piece = 0; piece < layout.Count(); ++piece) {
      const int64_t overlap = layout.Overlap(piece, offset, length);
      if (piece == skipped || overlap == 0) continue;
      unsigned char* into = stripe.get();
      const auto xorIn = [&](const unsigned char* bytes, uint32_t count) {
        XorInto(into, bytes, count);
        into += count;
      };
      if (!reader.ReadAt(pieces, static_cast<uint64_t>(layout.Start(piece) + offset), static_cast<uint64_t>(overlap),
                         xorIn))
        return false;
    }
    if (!sink(stripe.get(), offset, length)) return false;
  }
  return true;
}
