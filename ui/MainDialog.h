// What the split dialog and the restore dialog share as the program's main window:
// the icons, the system menu with its About item, the minimised paint and drag icon,
// the start of an unattended run, and the progress windows it owns.
#pragma once
#include <memory>
#include <optional>
#include <vector>

#include "framework/Dialog.h"
#include "job/WorkerJob.h"
#include "logic/SplitCommandLine.h"

class ProgressDialog;

class MainDialog : public fw::Dialog {
 public:
  // startOptions: the parsed command line, which outlives the dialog.
  MainDialog(unsigned templateId, const SplitCommandLine& startOptions, HWND parent);
  ~MainDialog() override;

 protected:
  DECLARE_MESSAGE_MAP()

  // First thing of the derived dialog's initialisation: the icons and the system menu
  // (a separator and About, command 16 with text 101; no Size and Maximize; Restore grayed).
  void PrepareMainWindow();
  // Last thing of it: an unattended run minimises the window and asks itself to start.
  void StartIfUnattended();

  // Opens one more progress window for the job, owned by this dialog.
  void StartProgress(const WorkerJob& request);
  bool WorkRunning() const { return !progressDialogs.empty(); }
  // Destroys the progress windows still open, in the order they were started.
  void DestroyProgressWindows();
  // A progress window was opened or has gone.
  virtual void OnWorkRunningChanged() {}

  const SplitCommandLine& startOptions;

 private:
  void OnAbout();
  std::optional<LRESULT> OnSysCommand(WPARAM command, LPARAM);
  std::optional<LRESULT> OnPaint(WPARAM, LPARAM);
  LRESULT OnQueryDragIcon(WPARAM, LPARAM);
  LRESULT OnProgressClosed(WPARAM, LPARAM progress);
  LRESULT OnAutoStart(WPARAM, LPARAM);
  std::optional<LRESULT> OnDestroy(WPARAM, LPARAM);

  HICON icon;
  std::vector<std::unique_ptr<ProgressDialog>> progressDialogs;  // in the order they were started
};
