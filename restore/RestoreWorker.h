// The restore worker: the work of a restore job, which rebuilds a split file from
// its pieces as its restore info file describes them.
#pragma once
#include "job/WorkerJob.h"

// Runs on the job's thread (see StartWorker): the job's source is the info file, its
// destination the folder of the rebuilt file. True when the restore succeeded.
bool RestoreWorker(WorkerJob& job);
