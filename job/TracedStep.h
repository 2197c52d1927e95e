// One traced step of the file work: the announcement, then "done" or "failed".
#pragma once
#include "framework/File.h"
#include "job/TraceLog.h"

// Runs action (returning true on success); a file error it raises counts as a failure.
// Code built without exception handling makes its file calls through job/FileCalls.h,
// which answer for themselves.
template <typename Action>
bool TracedStep(const char* announcement, Action action) {
  Trace().WriteText(announcement);
  bool succeeded;
#ifdef __cpp_exceptions
  try {
    succeeded = action();
  } catch (const fw::FileError&) {
    succeeded = false;
  }
#else
  succeeded = action();
#endif
  Trace().WriteLine(succeeded ? "done" : "failed");
  return succeeded;
}
