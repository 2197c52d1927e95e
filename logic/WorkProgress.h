// What both workers report after each block: the progress per mille and, when
// it has moved enough, the estimated remaining time.
#pragma once
#include <cstdint>

// done / total x 1000, truncated; 0 for an empty job.
uint32_t ProgressPerMille(int64_t done, int64_t total);

// Where the progress bar stands, per mille, after each block of a job whose expected work
// may grow while it runs (a restore that finds a piece to rebuild): the bar never goes back
// (grown work is spread over what is left of the bar), and it is full only when the work
// done is the work expected: work beyond it holds the bar at 999, so that a job that
// reckons its work wrong never shows as done too early.
class BarPosition {
 public:
  // The position of the bar at the job's end.
  static constexpr uint32_t END = 1000;

  uint32_t At(int64_t done, int64_t expected);

 private:
  int64_t expectedBefore = 0;
  int64_t doneBefore = 0;
  uint32_t positionBefore = 0;
  // Where the bar stood when the expected work last changed: the rest of the bar is
  // spread over the work after that.
  int64_t baseDone = 0;
  uint32_t basePosition = 0;
};

class RemainingTimeEstimate {
 public:
  explicit RemainingTimeEstimate(int64_t startSeconds) : startSeconds(startSeconds) {}

  // After a block: true when the new estimate differs from the last one shown by
  // more than total div done; then seconds holds it and it becomes the last shown.
  bool Update(int64_t done, int64_t total, int64_t nowSeconds, int32_t& seconds);

 private:
  int64_t startSeconds;
  int32_t lastShown = 0;
};
