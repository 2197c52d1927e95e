#include "app/SplitApp.h"

#include <commctrl.h>

#include "job/TraceLog.h"
#include "ui/RestoreDialog.h"
#include "ui/SplitDialog.h"

void SplitApp::InitInstance() {
  // The common controls the dialog templates use (tab, progress bar, animation).
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  SetRegistryKey("Olvanta");
  Trace().Open("C:\\Parvola95.log");
  Trace().WriteLine("Starting Parvola95");

  commandLine.SetArguments(Arguments());
  commandLine.Parse();

  if (commandLine.restoreMode) {
    Trace().WriteLine("Showing unsplit dialog");
    RestoreDialog dialog(commandLine, nullptr);
    dialog.DoModal();
  } else {
    Trace().WriteLine("Showing split dialog");
    SplitDialog dialog(commandLine, nullptr);
    dialog.DoModal();
  }
  Trace().WriteLine("Parvola95 done");
}
