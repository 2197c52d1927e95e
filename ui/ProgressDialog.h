// The small window beside a running split or restore: animation, From and To,
// progress bar and remaining time. It starts the worker and asks it to stop.
#pragma once
#include <cstdint>
#include <string>

#include "framework/Dialog.h"
#include "job/WorkerJob.h"

// The worker that runs a job of this mode (JOB_SPLIT, JOB_RESTORE or JOB_CHECK).
WorkerBody WorkerOfJob(int32_t mode);

class ProgressDialog : public fw::Dialog {
 public:
  // request: the job as the dialog asks for it (mode, paths, size and extras); this
  // window adds itself and the stop request. hidden: the window takes no room on the
  // screen (an unattended run that hides its progress).
  ProgressDialog(const WorkerJob& request, bool hidden, HWND owner);
  ~ProgressDialog() override;

  bool IsRestore() const { return job.mode == JOB_RESTORE; }
  // The job as this window runs it.
  const WorkerJob& Job() const { return job; }

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  DECLARE_MESSAGE_MAP()

 private:
  LRESULT OnAnimationStop(WPARAM, LPARAM);
  LRESULT OnAnimationPlay(WPARAM, LPARAM);
  LRESULT OnProgressPos(WPARAM position, LPARAM);
  LRESULT OnShowFrom(WPARAM, LPARAM path);
  LRESULT OnShowTo(WPARAM, LPARAM path);
  LRESULT OnShowTimeLeft(WPARAM seconds, LPARAM);
  LRESULT OnTimer(WPARAM timer, LPARAM);
  LRESULT OnClose(WPARAM, LPARAM);
  std::optional<LRESULT> OnSysCommand(WPARAM command, LPARAM);
  void OnBreak();
  void RequestStop();
  void StartJob();

  WorkerJob job;
  // The bar is addressed by its handle: a look-up by number per block would cost a
  // walk through the dialog's children every time.
  HWND progressBar = nullptr;
  // The bar moves at its own pace to the newest position reported: a fast job
  // reports a thousand positions a second, and the bar paints itself at each move,
  // which would take the time that the work needs.
  uint32_t reportedPosition = 0;
  uint32_t shownPosition = 0;
  const bool hidden;
};
