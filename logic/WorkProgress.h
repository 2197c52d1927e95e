// What both workers report after each block: the progress per mille and, when
// it has moved enough, the estimated remaining time.
#pragma once
#include <cstdint>

// done / total x 1000, truncated; 0 for an empty job.
uint32_t ProgressPerMille(int64_t done, int64_t total);

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
