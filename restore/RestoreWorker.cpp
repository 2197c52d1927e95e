#include "restore/RestoreWorker.h"

#include <cstdint>

#include "framework/CodePages.h"
#include "framework/File.h"
#include "framework/Texts.h"
#include "framework/Volume.h"
#include "job/BlockCopier.h"
#include "job/BlockReader.h"
#include "job/RepairStripes.h"
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
  explicit Restore(WorkerJob& job)
      : job(job),
        reports(job.progressDialog, *job.stop),
        reader(reports, work, workTotal, IDS_ABORT_RESTORE) {}

  // The whole restore; false when it failed or the user broke it off.
  bool Run();

 private:
  bool ReadInfo();
  bool FitsDestination(const std::string& destination);
  bool CopyPieces();
  bool CopyPiece(BlockCopier& copier, const std::string& path, int32_t index);
  bool OpenPiece(fw::File& piece, const std::string& path);
  bool ChecksumMatches(const BlockCopier& copier, int32_t index) const;
  bool SetAside(BlockCopier& copier, const std::string& path, int32_t index);
  bool RebuildSetAside();
  bool RepairFileMatches(CopyEnd repair);
  bool ReadBackMatches();
  bool CutOutput(int64_t length);
  bool CloseOutput();
  PieceLayout Layout() const { return {info.totalSize, info.repair ? info.repair->pieceSize : 0}; }

  WorkerJob& job;
  WorkerReports reports;
  RestoreInfo info;
  std::string outputPath, piecesFolder, baseName;
  bool floppy = false;
  fw::File output;
  // Counted in 64 bits: pieces longer than recorded must end in the size check, not wrap.
  int64_t copied = 0;
  // The bytes of the job done so far and in all: the pieces, the read-back of the
  // restored file, and the rebuild of a piece set aside.
  int64_t work = 0, workTotal = 0;
  BlockReader reader;
  int32_t setAside = -1;  // the piece to rebuild from the repair file at the end, or -1
};

bool Restore::Run() {
  if (!ReadInfo()) return false;

  std::string destination = NormalizeDestination(job.destinationPath, fw::NameCodePage());
  floppy = IsFloppyDestination(destination);
  outputPath = destination + '\\' + info.originalName;
  workTotal = info.totalSize * (info.checksums ? 2 : 1);

  reports.ShowTo(outputPath);
  if (!FitsDestination(destination) || !CreateFileGuarded(outputPath, output, job.progressDialog)) return false;
  bool copiedAll = CopyPieces();
  // A restore that fails after a piece was set aside keeps only the bytes before its room.
  if (!copiedAll && setAside >= 0) CutOutput(Layout().Start(setAside));
  if (!CloseOutput()) return false;

  if (!copiedAll || (setAside >= 0 && !RebuildSetAside())) {
    Trace().WriteLine("Unsplitting failed");
    return false;
  }
  if (copied != info.totalSize) {
    Trace().WriteLine("Unsplitting failed (wrong size)");
    reports.ShowBox(IDS_WRONG_SIZE, FAILURE_BOX);
    return false;
  }
  if (info.checksums && !ReadBackMatches()) return false;
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
  piecesFolder = FolderOf(job.sourcePath, fw::NameCodePage());
  baseName = BaseNameOf(info.originalName, fw::NameCodePage());
  uint32_t blockBytes = CopyBlockBytes(piecesFolder, job.destinationPath);
  BlockCopier copier(reports, workTotal, IDS_ABORT_RESTORE, blockBytes, &PIECE_STEPS);
  for (int32_t index = 0; index < info.pieceCount; ++index)
    if (!CopyPiece(copier, PiecePath(piecesFolder, baseName, static_cast<uint32_t>(index)), index)) return false;
  work = copier.Done();
  return true;
}

// One piece. When its contents are not what the split wrote, its bytes are cut off the
// output again, and the user may put in another disk or a copy of the piece and retry.
bool Restore::CopyPiece(BlockCopier& copier, const std::string& path, int32_t index) {
  for (;;) {
    reports.ShowFrom(path);
    fw::File piece;
    if (!OpenPiece(piece, path)) return SetAside(copier, path, index);
    bool pieceCopied = copier.Copy({piece, path}, {output, outputPath}, INT64_MAX, floppy) != BlockCopier::FAILED;
    copied = copier.Done();
    // A piece that does not close is of no further interest: its bytes are copied.
    TracedStep("Trying to close the split file...", [&] {
      piece.Close();
      return true;
    });
    if (!pieceCopied) return false;
    if (ChecksumMatches(copier, index)) return true;
    Trace().WriteLine("Checksum of split file wrong");
    int answer = reports.ShowBox(IDS_PIECE_DAMAGED, path, MB_RETRYCANCEL | MB_ICONSTOP);
    if (!CutOutput(copier.Done() - copier.LastCopied())) return false;
    copier.ForgetLastCopy();
    copied = copier.Done();
    if (answer != IDRETRY) return SetAside(copier, path, index);
    reports.AnimationPlay();
  }
}

// A piece the user gave up (missing, or not what the split wrote): with a repair file,
// and none set aside yet, the user may have it rebuilt at the end. Its room is left in
// the restored file, and the restore goes on; false when the restore fails as before.
bool Restore::SetAside(BlockCopier& copier, const std::string& path, int32_t index) {
  if (!info.repair || !info.checksums || setAside >= 0) return false;
  if (reports.ShowBox(IDS_SET_PIECE_ASIDE, path, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
  reports.AnimationPlay();
  Trace().WriteLine("Split file set aside: " + path);
  const int64_t room = Layout().Length(index);
  if (!CutOutput(copied + room)) return false;
  copier.Skip(room);
  copied = copier.Done();
  setAside = index;
  // Its rebuild reads the repair file twice and every other piece once more.
  workTotal += 2 * int64_t{info.repair->pieceSize} + info.totalSize - room;
  return true;
}

// The piece set aside, as the repair file XOR all the other pieces, read back from the
// restored file: no disk is asked for again. The repair file is checked first, then the
// rebuilt piece as it is written into its room; the restored file is cut before the
// room when either is not what the split wrote.
bool Restore::RebuildSetAside() {
  const std::string repairPath = piecesFolder.empty() ? baseName + ".Fix" : piecesFolder + '\\' + baseName + ".Fix";
  reports.ShowFrom(repairPath);
  fw::File repair;
  if (!OpenPiece(repair, repairPath) || !RepairFileMatches({repair, repairPath})) return false;
  if (!output.Open(outputPath, fw::File::UPDATE_EXCLUSIVE)) return reports.Fail(IDS_WRITE_INCOMPLETE, outputPath);
  const PieceLayout layout = Layout();
  const int64_t room = layout.Start(setAside);
  uint32_t rebuilt = 0;
  RepairStripes stripes(reader);
  const CopyEnd start{repair, repairPath};
  bool writeFailed = false;
  // A file error must not leave the sink: the stripes are read by code that passes none on.
  const auto writeRebuilt = [&](const unsigned char* bytes, int64_t offset, uint32_t length) {
    const int64_t taken = layout.Overlap(setAside, offset, length);
    rebuilt = Crc32Update(rebuilt, bytes, static_cast<size_t>(taken));
    writeFailed = !TracedStep("Writing the rebuilt split file...", [&] {
      output.Seek(static_cast<uint64_t>(room + offset));
      if (taken > 0) output.Write(bytes, static_cast<uint32_t>(taken));
      return true;
    });
    return !writeFailed;
  };
  bool written = TracedStep("Rewinding the repair file...", [&] {
                   repair.Seek(0);
                   return true;
                 }) &&
                 stripes.Run(layout, {output, outputPath}, &start, setAside, writeRebuilt);
  if (written && rebuilt != info.checksums->pieces[static_cast<size_t>(setAside)]) {
    Trace().WriteLine("Checksum of the rebuilt split file wrong");
    reports.ShowBox(IDS_REBUILT_PIECE_DAMAGED, PiecePath(piecesFolder, baseName, static_cast<uint32_t>(setAside)),
                    FAILURE_BOX);
    written = false;
  } else if (writeFailed) {
    reports.Fail(IDS_WRITE_INCOMPLETE, outputPath);
  }
  if (!written) CutOutput(room);
  return CloseOutput() && written;
}

// Whether the repair file is one piece size long and has the CRC-32 the split recorded.
bool Restore::RepairFileMatches(CopyEnd repair) {
  uint32_t checksum = 0;
  uint64_t length = 0;
  if (!TracedStep("Trying to measure the repair file...", [&] {
        length = repair.file.Length();
        return true;
      }))
    return reports.Fail(IDS_READ_INCOMPLETE, repair.path);
  if (length == static_cast<uint64_t>(info.repair->pieceSize) &&
      !reader.Read(repair, length, [&](const unsigned char* bytes, uint32_t count) {
        checksum = Crc32Update(checksum, bytes, count);
      }))
    return false;
  if (length == static_cast<uint64_t>(info.repair->pieceSize) && checksum == info.repair->checksum) return true;
  Trace().WriteLine("Checksum of the repair file wrong");
  reports.ShowBox(IDS_REPAIR_FILE_DAMAGED, repair.path, FAILURE_BOX);
  return false;
}

// The restored file read back whole against the CRC-32 the split took of the source: what
// the disk holds now, not what was meant to be written. A file that is not the original
// is removed, so that nothing claims to be it.
bool Restore::ReadBackMatches() {
  fw::File restored;
  uint32_t checksum = 0;
  if (!restored.Open(outputPath, fw::File::READ_SHARE_NONE)) return reports.Fail(IDS_READ_INCOMPLETE, outputPath);
  bool read = reader.Read({restored, outputPath}, static_cast<uint64_t>(info.totalSize),
                          [&](const unsigned char* bytes, uint32_t count) { checksum = Crc32Update(checksum, bytes, count); });
  restored.Abort();
  if (read && checksum == info.checksums->wholeFile) return true;
  if (read) {
    Trace().WriteLine("Unsplitting failed (wrong checksum)");
    reports.ShowBox(IDS_FILE_DAMAGED, FAILURE_BOX);
  }
  DeleteFileA(outputPath.c_str());
  return false;
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
