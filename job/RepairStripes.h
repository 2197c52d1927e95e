// The repair file, stripe by stripe, from the pieces as they lie one after another in
// one file: the source of a split, or the restored file when a piece is rebuilt.
#pragma once
#include <cstdint>
#include <functional>

#include "job/BlockReader.h"
#include "logic/RepairLayout.h"

class RepairStripes {
 public:
  // What becomes of one stripe: its bytes, where they stand in the repair file; false
  // ends the run.
  using Sink = std::function<bool(const unsigned char* bytes, int64_t offset, uint32_t length)>;

  explicit RepairStripes(BlockReader& reader) : reader(reader) {}

  // Each stripe starts as the next bytes of start (when given: the repair file, to
  // rebuild a piece) or as zeros; every piece of pieces but the skipped one (-1 for
  // none) is XORed in. False when a read failed (told with text 148 and the file's
  // path), the sink refused or the user broke off (then the reader says so).
  bool Run(const PieceLayout& layout, CopyEnd pieces, const CopyEnd* start, int32_t skipped, const Sink& sink);

 private:
  BlockReader& reader;
};
