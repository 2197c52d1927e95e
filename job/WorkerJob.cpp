#include "job/WorkerJob.h"

#include <process.h>

#include "job/Messages.h"

namespace {

// What the thread owns: its copy of the job and the work to do.
struct RunningJob {
  WorkerJob job;
  WorkerBody body;

  ~RunningJob() { job.stop->Release(); }
};

// The parent is looked up before the close request goes out, since the progress
// window may be gone as soon as it has handled it. The progress window is a popup
// owned by the dialog that opened it; for such a window the parent is its owner.
void ReportEnd(HWND progress, int32_t mode, bool failed) {
  HWND parent = GetParent(progress);
  PostMessageA(progress, WM_CLOSE, 0, 0);
  PostMessageA(parent, failed ? WM_WORK_FAILED : WM_WORK_DONE, static_cast<WPARAM>(mode), 0);
}

unsigned __stdcall WorkerThread(void* parameter) {
  auto* running = static_cast<RunningJob*>(parameter);
  bool failed = !running->body(running->job);
  // The thread's exit code, which nothing reads, is the job's mode: 1 for a split, 0
  // for a restore, 2 for a check.
  auto exitCode = static_cast<unsigned>(running->job.mode);
  ReportEnd(running->job.progressDialog, running->job.mode, failed);
  delete running;
  return exitCode;
}

}  // namespace

bool StartWorker(const WorkerJob& job, WorkerBody body) {
  if (!job.stop) return false;
  job.stop->Hold();
  auto* running = new RunningJob{job, body};
  // Windows 95, 98 and ME start no thread without a place for its number.
  unsigned threadId = 0;
  uintptr_t thread = _beginthreadex(nullptr, 0, WorkerThread, running, 0, &threadId);
  if (thread == 0) {
    delete running;
    return false;
  }
  CloseHandle(reinterpret_cast<HANDLE>(thread));
  return true;
}
