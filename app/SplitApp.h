// The application object: parses the command line and runs one modal dialog.
#pragma once
#include "framework/App.h"
#include "logic/SplitCommandLine.h"

class SplitApp : public fw::App {
 public:
  // The parsed command line of this run: parsed once at start-up, then handed to
  // the dialog, which reads its start options from it.
  SplitCommandLine commandLine;

 protected:
  // Runs the dialog of the mode; returns the exit status it leaves.
  int InitInstance() override;
  void ShowProgramHelp(HWND owner, unsigned topicTemplate) const override;
};
