#include <doctest/doctest.h>

#include "job/StopRequest.h"

TEST_CASE("a stop request is taken once, however often it was raised before") {
  StopRequest* stop = StopRequest::Create();
  REQUIRE(stop != nullptr);
  CHECK_FALSE(stop->Taken());
  // Two presses of Break before the worker looks: one question.
  stop->Raise();
  stop->Raise();
  CHECK(stop->Taken());
  CHECK_FALSE(stop->Taken());
  // A later press asks again.
  stop->Raise();
  CHECK(stop->Taken());
  CHECK_FALSE(stop->Taken());
  stop->Release();
}
