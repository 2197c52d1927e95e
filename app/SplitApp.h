// The application object: parses the command line and runs one modal dialog.
#pragma once
#include "app/SplitCommandLine.h"
#include "app/TraceLog.h"
#include "framework/App.h"

class SplitApp : public fw::App {
 public:
  SplitCommandLine commandLine;
  TraceLog traceLog;

  // The running application object (nullptr outside the program, e.g. in tests).
  static SplitApp* Current() { return static_cast<SplitApp*>(fw::App::Current()); }

 protected:
  bool InitInstance() override;
};

// The command line of this run (an empty one when no application object exists).
const SplitCommandLine& CommandLine();
