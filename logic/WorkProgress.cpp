#include "logic/WorkProgress.h"

// In whole numbers: the largest job (2^41 bytes) times 1000 still fits in 64 bits, and a
// quotient in floating point comes out a hair too low on the 32-bit processor's extended
// precision (a thousandth of a job would show as 0).
uint32_t ProgressPerMille(int64_t done, int64_t total) {
  if (total <= 0 || done <= 0) return 0;
  return static_cast<uint32_t>(static_cast<uint64_t>(done) * 1000 / static_cast<uint64_t>(total));
}

uint32_t BarPosition::At(int64_t done, int64_t expected) {
  if (expected != expectedBefore) {
    basePosition = positionBefore;
    baseDone = doneBefore;
    expectedBefore = expected;
  }
  uint32_t position = 999;
  if (expected <= 0 || done <= baseDone)
    position = expected > 0 && done == expected ? END : basePosition;
  else if (done == expected)
    position = END;
  else if (done < expected)
    position = basePosition + (END - basePosition) * ProgressPerMille(done - baseDone, expected - baseDone) / 1000;
  if (position < positionBefore) position = positionBefore;
  doneBefore = done;
  positionBefore = position;
  return position;
}

bool RemainingTimeEstimate::Update(int64_t done, int64_t total, int64_t nowSeconds, int32_t& seconds) {
  if (done <= 0) return false;
  int64_t elapsed = nowSeconds - startSeconds;
  // The ratio is held in single precision: the estimate is a rough figure anyway.
  float ratio = static_cast<float>(total - done) / static_cast<float>(done);
  float product = static_cast<float>(elapsed) * ratio;
  // Far beyond anything shown (the window ignores 100 hours and more), but never undefined:
  // a clock set back during the job makes the elapsed time, and the product, negative.
  int32_t estimate = product >= 2147483520.0f   ? INT32_MAX
                     : product <= -2147483648.0f ? INT32_MIN
                                                 : static_cast<int32_t>(product);
  int64_t threshold = total / done;
  int64_t difference = static_cast<int64_t>(estimate) - lastShown;
  if (difference < 0) difference = -difference;
  if (difference <= threshold) return false;
  lastShown = estimate;
  seconds = estimate;
  return true;
}
