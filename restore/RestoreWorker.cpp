#include "restore/RestoreWorker.h"

#include <cstdint>

#include "framework/CodePages.h"
#include "framework/File.h"
#include "framework/Texts.h"
#include "framework/Volume.h"
#include "job/BlockCopier.h"
#include "job/GuardedFile.h"
#include "job/TraceLog.h"
#include "job/TracedStep.h"
#include "job/WorkerJob.h"
#include "job/WorkerReports.h"
#include "logic/Crc32.h"
#include "logic/FileSystemLimits.h"
#include "logic/PieceNames.h"
#include "res/resource.h"
#include "restore/InfoFileReader.h"

namespace {

// The trace of each block of a piece.
constexpr CopySteps PIECE_STEPS = {"Reading from split file...", "Writing to file...", "flushing..."};

class Restore {
 public:
  explicit Restore(WorkerJob& job) : job(job), reports(job.progressDialog, *job.stop) {}

  // The whole restore; false when it failed or the user broke it off.
  bool Run();

 private:
  bool ReadInfo();
  bool FitsDestination(const std::string& destination);
  bool CopyPieces();
  bool CopyPiece(BlockCopier& copier, const std::string& path, int32_t index);
  bool OpenPiece(fw::File& piece, const std::string& path);
  bool ChecksumMatches(const BlockCopier& copier, int32_t index) const;
  bool CutOutput(int64_t length);
  bool CloseOutput();

  WorkerJob& job;
  WorkerReports reports;
  RestoreInfo info;
  std::string outputPath;
  bool floppy = false;
  fw::File output;
  // Counted in 64 bits: pieces longer than recorded must end in the size check, not wrap.
  int64_t copied = 0;
  uint32_t outputChecksum = 0;  // the CRC-32 of the output so far, from those of its pieces
};

bool Restore::Run() {
  if (!ReadInfo()) return false;

  std::string destination = NormalizeDestination(job.destinationPath, fw::NameCodePage());
  floppy = IsFloppyDestination(destination);
  outputPath = destination + '\\' + info.originalName;

  reports.ShowTo(outputPath);
  if (!FitsDestination(destination) || !CreateFileGuarded(outputPath, output, job.progressDialog)) return false;
  bool copiedAll = CopyPieces();
  if (!CloseOutput()) return false;

  if (!copiedAll) {
    Trace().WriteLine("Unsplitting failed");
    return false;
  }
  if (copied != info.totalSize) {
    Trace().WriteLine("Unsplitting failed (wrong size)");
    reports.ShowBox(IDS_WRONG_SIZE, FAILURE_BOX);
    return false;
  }
  if (info.checksums && outputChecksum != info.checksums->wholeFile) {
    Trace().WriteLine("Unsplitting failed (wrong checksum)");
    reports.ShowBox(IDS_FILE_DAMAGED, FAILURE_BOX);
    return false;
  }
  Trace().WriteLine("Unsplitting done");
  return true;
}

// A count above what three digits can name is refused like any malformed info
// file: the names would wrap round and the first pieces would be read again.
bool Restore::ReadInfo() {
  Trace().WriteText("Reading the info file:");
  Trace().WriteLine(job.sourcePath);
  if (!ReadRestoreInfo(job.sourcePath, info) || static_cast<uint32_t>(info.pieceCount) > MAX_PIECE_COUNT) {
    Trace().WriteLine("Error in info file!!!");
    reports.ShowBox(IDS_INFO_FILE_UNREADABLE, FAILURE_BOX);
    return false;
  }
  Trace().WriteLine(
      fw::Format("Info file done: %s, %d, %I64d", info.originalName.c_str(), info.pieceCount, info.totalSize));
  return true;
}

// Refuses, before the file is created, a file larger than the destination's file system
// holds. Only a file beyond what every file system holds makes the program ask the system.
bool Restore::FitsDestination(const std::string& destination) {
  if (static_cast<uint64_t>(info.totalSize) <= FILES_EVERY_FILE_SYSTEM_HOLDS) return true;
  fw::VolumeState volume = fw::VolumeOf(destination);
  uint64_t largest = LargestFileOn(volume.fileSystem);
  if (static_cast<uint64_t>(info.totalSize) <= largest) return true;
  Trace().WriteLine("Unsplitting refused (file system too small)");
  std::string text = fw::FormatText(IDS_FILE_TOO_LARGE_FOR_VOLUME, info.originalName.c_str(), info.totalSize,
                                    destination.c_str(), volume.fileSystem.c_str(), largest);
  reports.ShowFormattedBox(IDS_FILE_TOO_LARGE_FOR_VOLUME, text, FAILURE_BOX);
  return false;
}

// The pieces, in the folder of the info file, appended one after another; each is
// copied to its end, whatever its length.
bool Restore::CopyPieces() {
  std::string piecesFolder = FolderOf(job.sourcePath, fw::NameCodePage());
  std::string baseName = BaseNameOf(info.originalName, fw::NameCodePage());
  uint32_t blockBytes = CopyBlockBytes(piecesFolder, job.destinationPath);
  BlockCopier copier(reports, info.totalSize, IDS_ABORT_RESTORE, blockBytes, &PIECE_STEPS);
  for (int32_t index = 0; index < info.pieceCount; ++index)
    if (!CopyPiece(copier, PiecePath(piecesFolder, baseName, static_cast<uint32_t>(index)), index)) return false;
  return true;
}

// One piece. When its contents are not what the split wrote, its bytes are cut off the
// output again, and the user may put in another disk or a copy of the piece and retry.
bool Restore::CopyPiece(BlockCopier& copier, const std::string& path, int32_t index) {
  for (;;) {
    reports.ShowFrom(path);
    fw::File piece;
    if (!OpenPiece(piece, path)) return false;
    bool pieceCopied = copier.Copy({piece, path}, {output, outputPath}, INT64_MAX, floppy) != BlockCopier::FAILED;
    copied = copier.Done();
    // A piece that does not close is of no further interest: its bytes are copied.
    TracedStep("Trying to close the split file...", [&] {
      piece.Close();
      return true;
    });
    if (!pieceCopied) return false;
    if (ChecksumMatches(copier, index)) {
      outputChecksum = Crc32Combine(outputChecksum, copier.Checksum(), static_cast<uint64_t>(copier.LastCopied()));
      return true;
    }
    Trace().WriteLine("Checksum of split file wrong");
    int answer = reports.ShowBox(IDS_PIECE_DAMAGED, path, MB_RETRYCANCEL | MB_ICONSTOP);
    if (!CutOutput(copier.Done() - copier.LastCopied())) return false;
    copier.ForgetLastCopy();
    copied = copier.Done();
    if (answer != IDRETRY) return false;
    reports.AnimationPlay();
  }
}

// Whether the piece just copied has the checksum the info file records for it; an info
// file without checksums leaves the size check alone to judge.
bool Restore::ChecksumMatches(const BlockCopier& copier, int32_t index) const {
  return !info.checksums || copier.Checksum() == info.checksums->pieces[static_cast<size_t>(index)];
}

// Asks for the disk that holds the piece for as long as it cannot be opened; false
// when the user cancels.
bool Restore::OpenPiece(fw::File& piece, const std::string& path) {
  Trace().WriteText("Opening split file...");
  while (!piece.Open(path, fw::File::READ_SHARE_READ)) {
    Trace().WriteText("failed...");
    if (reports.ShowBox(IDS_INSERT_DISK_WITH, path, MB_RETRYCANCEL | MB_ICONEXCLAMATION) != IDRETRY) {
      Trace().WriteLine("abort by user!!!");
      return false;
    }
    Trace().WriteText("retry by user..");
    reports.AnimationPlay();
  }
  Trace().WriteLine("done");
  return true;
}

// Cuts the output back to length bytes, the bytes before a damaged piece.
bool Restore::CutOutput(int64_t length) {
  return TracedStep("Trying to cut the file back...", [&] {
    output.SetLength(static_cast<uint64_t>(length));
    return true;
  }) || reports.Fail(IDS_WRITE_INCOMPLETE, outputPath);
}

bool Restore::CloseOutput() {
  Trace().WriteText("Trying to close the file...");
  try {
    output.Close();
  } catch (const fw::FileError&) {
    Trace().WriteLine("failed");
    return reports.Fail(IDS_WRITE_INCOMPLETE, outputPath);
  }
  Trace().WriteLine("done");
  return true;
}

}  // namespace

bool RestoreWorker(WorkerJob& job) {
  Restore restore(job);
  return restore.Run();
}
