// The check worker: the work of a check job, which reads every piece that a restore info
// file lists, with the restore's disk prompts, and checks it against the info file
// without writing anything.
#pragma once
#include "job/WorkerJob.h"

// Runs on the job's thread (see StartWorker): the job's source is the info file. True
// when every piece, the whole file and the repair file (where the info file lists one)
// are what the split wrote. Attended, it ends with a box that says what it found.
bool CheckWorker(WorkerJob& job);
