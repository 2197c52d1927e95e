// The restore dialog: the program's main window in restore mode. It asks for the
// folder of the restored file and runs each restore in a progress window.
#pragma once
#include "framework/Dialog.h"
#include "logic/SplitCommandLine.h"
#include "ui/MainWindowFrame.h"

class RestoreDialog : public fw::Dialog {
 public:
  // startOptions: the parsed command line with the info file, which outlives the dialog.
  RestoreDialog(const SplitCommandLine& startOptions, HWND parent);

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  DECLARE_MESSAGE_MAP()

 private:
  void OnDestinationChange();
  void OnBrowse();
  void OnAbout();
  LRESULT OnSysCommand(WPARAM command, LPARAM);
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnQueryDragIcon(WPARAM, LPARAM);
  LRESULT OnProgressClosed(WPARAM, LPARAM dialog);
  LRESULT OnWorkDone(WPARAM, LPARAM);
  LRESULT OnWorkFailed(WPARAM, LPARAM);
  LRESULT OnAutoStart(WPARAM, LPARAM);
  LRESULT OnDestroy(WPARAM, LPARAM);
  void CheckDestination();

  const SplitCommandLine& startOptions;
  HWND restoreButton = nullptr;
  ProgressDialogList progressDialogs;
  HICON icon;
};
