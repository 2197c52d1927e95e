// The jobs of restore mode, as the restore dialog starts them and as an unattended run that
// hides its progress starts them without the dialog: a restore of the command line's info
// file into a folder, and a check of its pieces.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "job/WorkerJob.h"
#include "logic/SplitCommandLine.h"

// The folder that the dialog offers first: the command line's, else the user's desktop.
std::string FirstRestoreFolder(const SplitCommandLine& commandLine);

// Whether the restored file may be written into the folder as given: a path the system takes
// whole, whose folder is there.
bool IsRestoreFolder(std::string folder);

// A restore (JOB_RESTORE) of the command line's info file into the folder, or a check
// (JOB_CHECK) of its pieces, which needs no folder.
WorkerJob RestoreModeJob(const SplitCommandLine& commandLine, int32_t mode, const std::string& folder);

// What an unattended run starts by itself: the check, or the restore into the folder first
// offered. Nothing when the info file is not there, or the folder cannot be used: the
// dialog then waits for the user.
std::optional<WorkerJob> UnattendedRestoreModeJob(const SplitCommandLine& commandLine);
