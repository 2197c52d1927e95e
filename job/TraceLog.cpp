#include "job/TraceLog.h"

// Every operation accepts its argument and returns at once: the trace is
// switched off in this program, so it needs no lock either.
void TraceLog::Open(std::string) {}
bool TraceLog::WriteText(std::string) { return true; }
bool TraceLog::WriteLine(std::string) { return true; }

TraceLog& Trace() {
  static TraceLog log;
  return log;
}
