#include "job/WorkerJob.h"

#include <process.h>

#include "job/Messages.h"

bool StartWorker(const WorkerJob& job, WorkerProcedure worker) {
  auto* own = new WorkerJob(job);
  own->stopEvent = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), job.stopEvent, GetCurrentProcess(), &own->stopEvent, 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    delete own;
    return false;
  }
  uintptr_t thread = _beginthreadex(nullptr, 0, worker, own, 0, nullptr);
  if (thread == 0) {
    ReleaseWorkerJob(own);
    return false;
  }
  CloseHandle(reinterpret_cast<HANDLE>(thread));
  return true;
}

void ReleaseWorkerJob(WorkerJob* job) {
  if (job->stopEvent) CloseHandle(job->stopEvent);
  delete job;
}

void EndWorker(WorkerJob* job, bool failed) {
  HWND progress = job->progressDialog;
  // The progress window is a popup owned by the dialog that opened it; for such a
  // window the parent is its owner.
  HWND parent = GetParent(progress);
  PostMessageA(progress, WM_CLOSE, 0, 0);
  PostMessageA(parent, failed ? WM_WORK_FAILED : WM_WORK_DONE, 0, 0);
  ReleaseWorkerJob(job);
}
