// The amount of recovery data a split writes, in pieces' worth: recovery data of N pieces'
// worth rebuilds any N lost or damaged disks. The Extras page, the command line (/nf) and
// the stored default (DefaultRepair) all keep it within the same range. Window-free.
#pragma once
#include <cstdint>

constexpr int32_t FEWEST_RECOVERY_PIECES = 1;
constexpr int32_t MOST_RECOVERY_PIECES = 99;
// What /of and a first start ask for: one piece's worth, as the repair file always was.
constexpr int32_t DEFAULT_RECOVERY_PIECES = 1;

constexpr bool IsRecoveryAmount(int64_t pieces) {
  return pieces >= FEWEST_RECOVERY_PIECES && pieces <= MOST_RECOVERY_PIECES;
}

// A stored amount held to the range: one from an older or damaged setting never reaches a split.
constexpr int32_t HeldRecoveryAmount(int64_t pieces) {
  return pieces < FEWEST_RECOVERY_PIECES  ? FEWEST_RECOVERY_PIECES
         : pieces > MOST_RECOVERY_PIECES ? MOST_RECOVERY_PIECES
                                          : static_cast<int32_t>(pieces);
}
