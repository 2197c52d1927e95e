#include "app/SplitApp.h"

#include <commctrl.h>

#include "ui/RestoreDialog.h"
#include "ui/SplitDialog.h"

bool SplitApp::InitInstance() {
  // The common controls the dialog templates use (tab, progress bar, animation).
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  SetRegistryKey("Olvanta");
  traceLog.Open("C:\\Parvola95.log");
  traceLog.WriteLine("Starting Parvola95");

  commandLine.SetArguments(Arguments());
  commandLine.Parse();

  if (commandLine.restoreMode) {
    traceLog.WriteLine("Showing unsplit dialog");
    RestoreDialog dialog(nullptr);
    dialog.DoModal();
  } else {
    traceLog.WriteLine("Showing split dialog");
    SplitDialog dialog(nullptr);
    dialog.DoModal();
  }
  traceLog.WriteLine("Parvola95 done");
  return false;
}

TraceLog& Trace() {
  static TraceLog quiet;
  SplitApp* app = SplitApp::Current();
  return app ? app->traceLog : quiet;
}

const SplitCommandLine& CommandLine() {
  static const SplitCommandLine empty;
  SplitApp* app = SplitApp::Current();
  return app ? app->commandLine : empty;
}
