// The restore worker: the thread that rebuilds a split file from its pieces, as
// its restore info file describes them.
#pragma once

// Thread procedure. job is the worker's own WorkerJob (see StartWorker): its source
// is the info file, its destination the folder of the rebuilt file. The worker
// releases the job at its end. Returns 0 in every case: the outcome reaches the
// progress window's parent as WM_WORK_DONE or WM_WORK_FAILED.
unsigned __stdcall RestoreWorker(void* job);
