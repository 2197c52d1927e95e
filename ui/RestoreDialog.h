// The restore dialog: the program's main window in restore mode. It asks for the
// folder of the restored file and runs each restore, or a check of the pieces, in a
// progress window.
#pragma once
#include "logic/SplitCommandLine.h"
#include "ui/MainDialog.h"

class RestoreDialog : public MainDialog {
 public:
  // startOptions: the parsed command line with the info file, which outlives the dialog.
  RestoreDialog(const SplitCommandLine& startOptions, HWND parent);

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  void AutoStart() override;
  DECLARE_MESSAGE_MAP()

 private:
  void OnDestinationChange();
  void OnBrowse();
  void OnCheck();
  LRESULT OnWorkDone(WPARAM, LPARAM);
  LRESULT OnWorkFailed(WPARAM, LPARAM);
  void CheckDestination();

  HWND restoreButton = nullptr;
};
