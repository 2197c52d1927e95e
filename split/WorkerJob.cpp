#include "split/WorkerJob.h"

#include <process.h>

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
