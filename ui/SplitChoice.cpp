#include "ui/SplitChoice.h"

#include "framework/App.h"
#include "framework/Dialog.h"
#include "framework/File.h"
#include "job/Messages.h"
#include "logic/SizeRules.h"
#include "shell/ShellPaths.h"
#include "shell/ShellRegistration.h"
#include "ui/DestinationCheck.h"

namespace {

constexpr uint32_t REGISTER_ALL = REGISTER_EXTENSION | REGISTER_SPLIT_VERB | REGISTER_RESTORE_VERB;

}  // namespace

// A file longer than 1000 of the largest pieces cannot be split, so it counts as unusable.
int64_t SourceLength(const std::string& path) {
  if (path.empty()) return NO_SOURCE;
  fw::File file;
  if (!file.Open(path, fw::File::READ_SHARE_READ)) return NO_SOURCE;
  uint64_t length = 0;
  return file.Length(length) && length <= uint64_t(MAX_SOURCE_BYTES) ? int64_t(length) : NO_SOURCE;
}

SplitChoice::SplitChoice(const SplitCommandLine& line)
    : sourcePath(ResolveShortcut(line.fileArgument)), commandLine(line) {
  if (const fw::App* app = fw::App::Current()) {
    destinationPath = app->GetProfileString("DefaultDestination", DesktopFolderPath());
    sizeOption = app->GetProfileInt("DefaultSize", SIZE_FLOPPY_144);
    extrasFlags = static_cast<uint32_t>(app->GetProfileInt("DefaultOptions", EXTRA_INFO_FILE));
    registrationFlags = static_cast<uint32_t>(app->GetProfileInt("DefaultRegistry", REGISTER_ALL));
    recoveryPieces = HeldRecoveryAmount(app->GetProfileInt("DefaultRepair", DEFAULT_RECOVERY_PIECES));
  }
  SaveDefaults();
  if (!line.destinationArgument.empty()) destinationPath = line.destinationArgument;
  if (line.floppy144) sizeOption = SIZE_FLOPPY_144;
  if (line.floppy720) sizeOption = SIZE_FLOPPY_720;
  if (line.pieceCount || line.pieceBytes || line.pieceKilobytes || line.pieceMegabytes)
    sizeOption = SIZE_FROM_COMMAND_LINE;
  if (line.copyProgram || line.writeInfoFile || line.writeBatchFile || line.writeRepairFile)
    extrasFlags = (line.copyProgram ? EXTRA_PROGRAM_COPY : 0) | (line.writeInfoFile ? EXTRA_INFO_FILE : 0) |
                  (line.writeBatchFile ? EXTRA_BATCH_FILE : 0) | (line.writeRepairFile ? EXTRA_REPAIR_FILE : 0);
  if (line.recoveryPieces) recoveryPieces = line.recoveryPieces;
}

void SplitChoice::SaveDefaults() const {
  const fw::App* app = fw::App::Current();
  if (!app) return;
  app->WriteProfileString("DefaultDestination", destinationPath);
  app->WriteProfileInt("DefaultSize", sizeOption);
  app->WriteProfileInt("DefaultOptions", static_cast<int>(extrasFlags));
  app->WriteProfileInt("DefaultRegistry", static_cast<int>(registrationFlags));
  app->WriteProfileInt("DefaultRepair", recoveryPieces);
}

// The checks of the Files page on its two fields, then the size as the Size page reports
// it: a floppy size as it is, a size from the command line entered into the size field
// (held to the largest size) and valid for at most 1000 pieces. The amount of recovery
// data is always one that Split takes: the command line's is checked by the parser, the
// stored one held to the range.
std::optional<WorkerJob> SplitChoice::UnattendedJob() const {
  const int64_t length = fw::FitsPathField(sourcePath) ? SourceLength(sourcePath) : NO_SOURCE;
  std::string destination = destinationPath;
  if (length == NO_SOURCE || !fw::FitsPathField(destination) ||
      !IsUsableDestination(destination, fw::File::READ_SHARE_READ))
    return std::nullopt;
  int32_t pieceSize = sizeOption;
  if (sizeOption == SIZE_FROM_COMMAND_LINE) {
    const int64_t asked = CommandLineSize(length, commandLine.pieceCount, commandLine.pieceBytes,
                                          commandLine.pieceKilobytes, commandLine.pieceMegabytes);
    pieceSize = ClampEditedSize(ComputeSizeBounds(length), asked < 0 ? 0 : asked).value;
    if (!IsSizeChoiceValid(true, pieceSize, CountForSize(length, pieceSize))) return std::nullopt;
  } else if (sizeOption != SIZE_FLOPPY_144 && sizeOption != SIZE_FLOPPY_720) {
    return std::nullopt;
  }
  return WorkerJob{.sourcePath = sourcePath,
                   .destinationPath = destination,
                   .mode = JOB_SPLIT,
                   .pieceSize = pieceSize,
                   .extrasFlags = extrasFlags,
                   .recoveryPieces = recoveryPieces};
}
