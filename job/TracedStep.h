// One traced step of the file work: the announcement, then "done" or "failed".
#pragma once
#include "job/TraceLog.h"

// Runs action, which returns whether it succeeded.
template <typename Action>
bool TracedStep(const char* announcement, Action action) {
  Trace().WriteText(announcement);
  const bool succeeded = action();
  Trace().WriteLine(succeeded ? "done" : "failed");
  return succeeded;
}
