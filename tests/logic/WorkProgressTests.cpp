#include <doctest/doctest.h>

#include <vector>

#include "logic/WorkProgress.h"

TEST_CASE("progress per mille") {
  CHECK(ProgressPerMille(0, 1000) == 0);
  CHECK(ProgressPerMille(1, 3) == 333);
  CHECK(ProgressPerMille(2, 3) == 666);  // truncated, not rounded
  CHECK(ProgressPerMille(1457664, 1457664) == 1000);
  CHECK(ProgressPerMille(2147483646, 2147483647) == 999);
  CHECK(ProgressPerMille(0, 0) == 0);
}

TEST_CASE("the bar: forward only, full only when the work done is the work expected") {
  struct Step {
    int64_t done, expected;  // after a block
  };
  const struct {
    const char* what;
    std::vector<Step> steps;
    std::vector<uint32_t> shown;
  } cases[] = {
      {"as the work goes", {{0, 1000}, {250, 1000}, {999, 1000}, {1000, 1000}}, {0, 250, 999, 1000}},
      {"work found on the way is spread over the rest of the bar",
       {{400, 1000}, {400, 1600}, {700, 1600}, {1000, 1600}, {1600, 1600}}, {400, 400, 550, 700, 1000}},
      {"more work than expected holds the bar short of full", {{900, 1000}, {1001, 1000}, {5000, 1000}},
       {900, 999, 999}},
      {"bytes counted again after a cut: the bar waits", {{600, 1000}, {300, 1000}, {650, 1000}}, {600, 600, 650}},
      {"an empty job", {{0, 0}}, {0}},
  };
  for (const auto& each : cases) {
    CAPTURE(each.what);
    BarPosition bar;
    std::vector<uint32_t> positions;
    for (const Step& step : each.steps) positions.push_back(bar.At(step.done, step.expected));
    CHECK(positions == each.shown);
  }
}

TEST_CASE("progress and remaining time of jobs past 32 bits") {
  const int64_t largest = 2147483647000;  // 1000 pieces of 2^31 - 1 bytes
  SUBCASE("per mille") {
    CHECK(ProgressPerMille(4294967296, 4298113031) == 999);
    CHECK(ProgressPerMille(4298113031, 4298113031) == 1000);
    CHECK(ProgressPerMille(2147483648, 4294967296) == 500);
    CHECK(ProgressPerMille(largest / 1000, largest) == 1);
    CHECK(ProgressPerMille(largest - 32768, largest) == 999);
  }
  SUBCASE("a tenth of 5 GiB after 10 seconds estimates 90 seconds") {
    RemainingTimeEstimate estimate(0);
    int32_t seconds = 0;
    REQUIRE(estimate.Update(536870912, 5368709120, 10, seconds));
    CHECK(seconds == 90);
  }
  SUBCASE("the largest job: a threshold past 32 bits at the start, seconds later on") {
    RemainingTimeEstimate estimate(0);
    int32_t seconds = 0;
    // 32 KiB after 1 s: 65,536,000 s in single precision, beyond the threshold of 65,535,999.
    REQUIRE(estimate.Update(32768, largest, 1, seconds));
    CHECK(seconds == 65536000);
    REQUIRE(estimate.Update(largest / 4, largest, 1000, seconds));
    CHECK(seconds == 3000);
    // Half done in 2000 s gives 2000 s left: 1000 s away from the last, beyond the threshold of 2.
    REQUIRE(estimate.Update(largest / 2, largest, 2000, seconds));
    CHECK(seconds == 2000);
    CHECK_FALSE(estimate.Update(largest / 2, largest, 2001, seconds));  // 2001 differs by 1, not more than 2
  }
}

TEST_CASE("remaining-time estimate") {
  const int64_t total = 1000000;
  SUBCASE("nothing is shown while no time has passed") {
    RemainingTimeEstimate estimate(100);
    int32_t seconds = -1;
    CHECK_FALSE(estimate.Update(32768, total, 100, seconds));
    CHECK(seconds == -1);
  }
  SUBCASE("a tenth done after 10 seconds estimates 90 seconds") {
    RemainingTimeEstimate estimate(100);
    int32_t seconds = 0;
    REQUIRE(estimate.Update(100000, total, 110, seconds));
    CHECK(seconds == 90);
  }
  SUBCASE("the threshold is total div done, compared strictly") {
    RemainingTimeEstimate estimate(0);
    int32_t seconds = 0;
    REQUIRE(estimate.Update(100000, total, 10, seconds));  // 90 shown
    // A quarter done (threshold 4): 94 differs by 4 from 90, not more, so nothing new.
    CHECK_FALSE(estimate.Update(250000, total, 31, seconds));  // 31 x 3 = 93
    CHECK(seconds == 90);
    CHECK(estimate.Update(250000, total, 32, seconds));  // 96 differs by 6
    CHECK(seconds == 96);
  }
  SUBCASE("near the end every second counts") {
    RemainingTimeEstimate estimate(0);
    int32_t seconds = 0;
    REQUIRE(estimate.Update(600000, total, 60, seconds));  // 40 remaining
    CHECK(estimate.Update(900000, total, 90, seconds));     // 10 remaining, threshold 1
    CHECK(seconds == 10);
    CHECK(estimate.Update(950000, total, 95, seconds));  // 5 remaining differs by 5
    CHECK(seconds == 5);
  }
  SUBCASE("a clock set back during the job gives an estimate the window ignores, never undefined") {
    // Found by fuzzing: a day back, 32 KiB of 2 GB done; the product was about -5.3e9.
    RemainingTimeEstimate estimate(100000);
    int32_t seconds = 0;
    if (estimate.Update(32768, 2000000000, 100000 - 86400, seconds))
      CHECK(static_cast<uint32_t>(seconds) >= 360000u);
  }
  SUBCASE("a huge ratio saturates instead of wrapping") {
    RemainingTimeEstimate estimate(0);
    int32_t seconds = 0;
    REQUIRE(estimate.Update(2, 2147483647, 100000, seconds));
    CHECK(seconds == INT32_MAX);
  }
}
