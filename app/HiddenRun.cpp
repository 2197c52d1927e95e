#include "app/HiddenRun.h"

#include "ui/MainDialog.h"
#include "ui/ProgressDialog.h"
#include "ui/RestoreJobs.h"
#include "ui/SplitChoice.h"

std::optional<int> RunHidden(const SplitCommandLine& commandLine) {
  if (!commandLine.unattended || !commandLine.hideProgress) return std::nullopt;
  std::optional<WorkerJob> job = commandLine.restoreMode || commandLine.checkMode
                                     ? UnattendedRestoreModeJob(commandLine)
                                     : SplitChoice(commandLine).UnattendedJob();
  if (!job) return std::nullopt;
  // Nobody can ask this job to stop; its worker looks at the request all the same.
  job->stop = StopRequest::Create();
  if (!job->stop) return EXIT_FAILED;
  const bool done = WorkerOfJob(job->mode)(*job);
  job->stop->Release();
  return done ? EXIT_SUCCEEDED : EXIT_FAILED;
}
