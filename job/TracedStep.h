// One traced step of the file work: the announcement, then "done" or "failed".
#pragma once
#include "framework/File.h"
#include "job/TraceLog.h"

// Runs action (returning true on success); a file error it raises counts as a failure.
template <typename Action>
bool TracedStep(const char* announcement, Action action) {
  Trace().WriteText(announcement);
  bool succeeded;
  try {
    succeeded = action();
  } catch (const fw::FileError&) {
    succeeded = false;
  }
  Trace().WriteLine(succeeded ? "done" : "failed");
  return succeeded;
}
