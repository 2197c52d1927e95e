#include "app/SplitApp.h"

#include "app/HiddenRun.h"
#include "framework/CodePages.h"
#include "framework/SystemFunctions.h"
#include "job/TraceLog.h"
#include "logic/Crc32.h"
#include "logic/Galois16.h"
#include "ui/HelpWindow.h"
#include "ui/RestoreDialog.h"
#include "ui/SplitDialog.h"

int SplitApp::InitInstance() {
  // A look at an empty floppy drive (the destination check on each keystroke, each piece
  // opened or created) fails with a cause that the program answers with its own disk
  // prompt, instead of the system's box about the missing disk.
  SetErrorMode(SEM_FAILCRITICALERRORS);
  const bool savesVectorRegisters = fw::SystemSavesVectorRegisters();
  ChooseCrc32Way(savesVectorRegisters);
  ChooseGaloisWay(savesVectorRegisters);

  SetRegistryKey("Olvanta");
  Trace().Open("C:\\Parvola95.log");
  Trace().WriteLine("Starting Parvola95");

  commandLine.codePage = fw::NameCodePage();
  commandLine.SetArguments(Arguments());
  commandLine.Parse();

  if (std::optional<int> status = RunHidden(commandLine)) return *status;
  fw::StartCommonControls();
  int status;
  if (commandLine.restoreMode || commandLine.checkMode) {
    Trace().WriteLine("Showing unsplit dialog");
    RestoreDialog dialog(commandLine, nullptr);
    dialog.DoModal();
    status = dialog.ExitStatus();
  } else {
    Trace().WriteLine("Showing split dialog");
    SplitDialog dialog(commandLine, nullptr);
    dialog.DoModal();
    status = dialog.ExitStatus();
  }
  Trace().WriteLine("Parvola95 done");
  return status;
}

void SplitApp::ShowProgramHelp(HWND owner, unsigned topicTemplate) const { HelpWindow::Show(owner, topicTemplate); }
