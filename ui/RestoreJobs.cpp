#include "ui/RestoreJobs.h"

#include "framework/Dialog.h"
#include "restore/InfoFileReader.h"
#include "shell/ShellPaths.h"
#include "ui/DestinationCheck.h"

std::string FirstRestoreFolder(const SplitCommandLine& commandLine) {
  return commandLine.destinationArgument.empty() ? DesktopFolderPath() : commandLine.destinationArgument;
}

// The restored file is tried as it will be created: shared with nobody.
bool IsRestoreFolder(std::string folder) {
  return fw::FitsPathField(folder) && IsUsableDestination(folder, fw::File::READ_SHARE_NONE);
}

WorkerJob RestoreModeJob(const SplitCommandLine& commandLine, int32_t mode, const std::string& folder) {
  return WorkerJob{.sourcePath = commandLine.fileArgument,
                   .destinationPath = mode == JOB_CHECK ? std::string() : folder,
                   .mode = mode,
                   .unattended = commandLine.unattended != 0};
}

std::optional<WorkerJob> UnattendedRestoreModeJob(const SplitCommandLine& commandLine) {
  if (!InfoFileExists(commandLine.fileArgument)) return std::nullopt;
  if (commandLine.checkMode) return RestoreModeJob(commandLine, JOB_CHECK, std::string());
  const std::string folder = FirstRestoreFolder(commandLine);
  if (!IsRestoreFolder(folder)) return std::nullopt;
  return RestoreModeJob(commandLine, JOB_RESTORE, folder);
}
