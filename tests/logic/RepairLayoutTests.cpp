// Where the pieces lie in the file the repair file is made of, the stripe size, and the XOR.
#include <doctest/doctest.h>

#include <cstdint>
#include <vector>

#include "logic/RepairLayout.h"

TEST_CASE("a piece layout counts, places and measures the pieces, and what a stretch takes of one") {
  struct Case {
    int64_t total;
    int32_t pieceSize;
    int32_t count;
    int64_t lastStart, lastLength;
  };
  const Case cases[] = {
      {100000, 40000, 3, 80000, 20000},
      {80000, 40000, 2, 40000, 40000},  // the last piece whole
      {1, 1, 1, 0, 1},
      // Past 32 bits: 513 pieces of 2^31 - 1 bytes, the last of 512 bytes.
      {int64_t{1} << 40, INT32_MAX, 513, int64_t{512} * INT32_MAX, 512},
  };
  for (const Case& layout : cases) {
    CAPTURE(layout.total);
    const PieceLayout pieces{layout.total, layout.pieceSize};
    CHECK(pieces.Count() == layout.count);
    CHECK(pieces.Start(layout.count - 1) == layout.lastStart);
    CHECK(pieces.Length(layout.count - 1) == layout.lastLength);
    CHECK(pieces.Length(0) == (layout.count == 1 ? layout.lastLength : layout.pieceSize));
  }
  const PieceLayout pieces{100000, 40000};
  CHECK(pieces.Overlap(0, 39990, 100) == 10);  // up to the piece's end
  CHECK(pieces.Overlap(2, 16000, 8000) == 4000);  // the short last piece ends first
  CHECK(pieces.Overlap(2, 20000, 10) == 0);       // nothing of it from its end on
  CHECK(pieces.Overlap(2, 30000, 10) == 0);
  CHECK(pieces.Overlap(1, 0, 40000) == 40000);
}

TEST_CASE("a repair stripe is the piece size up to 16 MiB") {
  CHECK(RepairStripeBytes(1) == 1);
  CHECK(RepairStripeBytes(16 << 20) == 16u << 20);
  CHECK(RepairStripeBytes((16 << 20) + 1) == 16u << 20);
  CHECK(RepairStripeBytes(INT32_MAX) == 16u << 20);
}

TEST_CASE("XorInto XORs every byte, whatever the length and the alignment") {
  std::vector<unsigned char> source(40), target(40);
  for (size_t at = 0; at < source.size(); ++at) {
    source[at] = static_cast<unsigned char>(at * 37 + 11);
    target[at] = static_cast<unsigned char>(at * 101 + 3);
  }
  for (size_t offset = 0; offset < 4; ++offset) {
    for (size_t count = 0; count <= 19; ++count) {
      CAPTURE(offset);
      CAPTURE(count);
      std::vector<unsigned char> result = target;
      XorInto(result.data() + offset, source.data() + 3, count);
      for (size_t at = 0; at < result.size(); ++at) {
        const bool inside = at >= offset && at < offset + count;
        const unsigned char expected =
            inside ? static_cast<unsigned char>(target[at] ^ source[at - offset + 3]) : target[at];
        if (result[at] != expected) CHECK(result[at] == expected);
      }
    }
  }
}
