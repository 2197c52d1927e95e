#include <doctest/doctest.h>

#include <ctime>

#include "job/WorkerReports.h"

TEST_CASE("the workers' clock tells the seconds that time() tells") {
  // Read between two readings of time(): a wrong scale or starting year would be far off.
  int64_t before = static_cast<int64_t>(time(nullptr));
  int64_t seconds = CalendarSeconds();
  int64_t after = static_cast<int64_t>(time(nullptr));
  CHECK(seconds >= before - 1);
  CHECK(seconds <= after + 1);
  // Whole seconds: within one second it changes by one at most.
  int64_t next = CalendarSeconds();
  CHECK(next - seconds >= 0);
  CHECK(next - seconds <= 1);
}
