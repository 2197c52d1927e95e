// The split worker: the thread that cuts one source file into numbered pieces
// in the destination and writes the chosen extras beside the last one.
#pragma once

// Thread procedure. job is the worker's own WorkerJob (see StartWorker), which it
// releases at its end. Returns 1 in every case: the outcome reaches the progress
// window's parent as WM_WORK_DONE or WM_WORK_FAILED.
unsigned __stdcall SplitWorker(void* job);
