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

// The exit statuses of the process: what became of the work of an unattended run.
// An attended run ends with EXIT_SUCCEEDED whatever its jobs did: the user has seen
// how each of them went.
constexpr int EXIT_SUCCEEDED = 0;    // the work was done
constexpr int EXIT_FAILED = 1;       // it failed, or was broken off or left unfinished
constexpr int EXIT_NOT_STARTED = 2;  // it did not start by itself: the command line was not
                                     // one that runs unattended, or left nothing to start

class MainDialog : public fw::Dialog {
 public:
  // startOptions: the parsed command line, which outlives the dialog.
  MainDialog(unsigned templateId, const SplitCommandLine& startOptions, HWND parent);
  ~MainDialog() override;

  // The exit status of the run, once the dialog has ended.
  int ExitStatus() const;

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
  // Exit and Escape: the dialog stays open while work runs, whatever asks it to close,
  // so that each job ends by its own rules (a restore that set a piece aside cuts the
  // file before its room).
  void OnCancel() override;
  // What an unattended run starts by itself: by default what OK starts, when it is enabled.
  virtual void AutoStart();
  // A job has ended, and whether it did its work: the exit status counts it, and an
  // unattended run closes once no job runs.
  void WorkEnded(bool succeeded);
  // Closes the dialog as soon as no job runs: at once when none does.
  void CloseWhenIdle();

  const SplitCommandLine& startOptions;

 private:
  void OnAbout();
  std::optional<LRESULT> OnSysCommand(WPARAM command, LPARAM);
  std::optional<LRESULT> OnPaint(WPARAM, LPARAM);
  LRESULT OnQueryDragIcon(WPARAM, LPARAM);
  LRESULT OnProgressClosed(WPARAM, LPARAM progress);
  LRESULT OnAutoStart(WPARAM, LPARAM);
  std::optional<LRESULT> OnDestroy(WPARAM, LPARAM);

  void CloseIfIdle();
  // A progress window was opened or has gone: Exit is enabled only while none is open.
  void OnWorkRunningChanged();

  HICON icon;
  std::vector<std::unique_ptr<ProgressDialog>> progressDialogs;  // in the order they were started
  bool autoStarted = false;  // the unattended start found something to start
  bool closeWhenIdle = false;
  unsigned jobsStarted = 0;
  unsigned jobsSucceeded = 0;
};
