// What a split is to do before any page has shown it: the per-user defaults, written back
// as they were read, with the command line's choices over them. The split dialog starts
// from it and keeps it up to date as the pages report; an unattended run that hides its
// progress builds its job from it alone, without a window.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "job/WorkerJob.h"
#include "logic/RecoveryAmount.h"
#include "logic/SplitCommandLine.h"

// The length of a file that can be opened for reading while others may only read it, or
// NO_SOURCE (an empty path, a file that cannot be opened, one longer than a split can take).
int64_t SourceLength(const std::string& path);

struct SplitChoice {
  // The defaults under the program's per-user key (each written back as read, so that the
  // first start stores them), then the command line's source, destination, size, extras
  // and amount of recovery data over them.
  explicit SplitChoice(const SplitCommandLine& commandLine);

  // The five defaults, stored again.
  void SaveDefaults() const;

  // The split that an unattended start runs: the job the split dialog starts once its pages
  // have reported this choice. Nothing when the pages would leave Split disabled (the dialog
  // then waits for the user), nor for a custom size among the defaults, which only the Size
  // page settles against the source.
  std::optional<WorkerJob> UnattendedJob() const;

  std::string sourcePath;
  std::string destinationPath;
  int32_t sizeOption = 0;
  uint32_t extrasFlags = 0;
  int32_t recoveryPieces = DEFAULT_RECOVERY_PIECES;  // pieces' worth of recovery data
  uint32_t registrationFlags = 0;

 private:
  const SplitCommandLine& commandLine;
};
