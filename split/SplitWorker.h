// The split worker: the work of a split job, which cuts one source file into
// numbered pieces in the destination and writes the chosen extras beside the last one.
#pragma once
#include "job/WorkerJob.h"

// Runs on the job's thread (see StartWorker); true when the split succeeded.
bool SplitWorker(WorkerJob& job);
