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
#include "restore/PieceReading.h"

namespace {

// The trace of each block of a piece.
constexpr CopySteps PIECE_STEPS = {"Reading from split file...", "Writing to file...", "flushing..."};

class Restore {
 public:
  explicit Restore(WorkerJob& job)
      : job(job),
        reports(job.progressDialog, *job.stop),
        reader(reports, work, IDS_ABORT_RESTORE) {}

  // The whole restore; false when it failed or the user broke it off.
  bool Run();

 private:
  bool FitsDestination(const std::string& destination);
  bool CopyPieces();
  bool CopyPiece(BlockCopier& copier, const std::string& path, int32_t index);
  bool ChecksumMatches(const BlockCopier& copier, int32_t index) const;
  bool SetAside(BlockCopier& copier, const std::string& path, int32_t index);
  bool HoldsSetAside(const BlockCopier& copier) const;
  bool TakeSetAsideFrom(BlockCopier& copier, const std::string& path, int32_t index);
  bool LeaveRoom(BlockCopier& copier, int32_t index);
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
  // The bytes of the job done so far: the pieces, the read-back of the restored file,
  // and the rebuild of a piece set aside.
  int64_t work = 0;
  BlockReader reader;
  int32_t setAside = -1;  // the piece to rebuild from the repair file at the end, or -1
  int64_t movedWork = 0;  // the bytes of pieces read once more to put them in their place
};

bool Restore::Run() {
  if (!ReadInfoOrSay(reports, job.sourcePath, info)) return false;

  std::string destination = NormalizeDestination(job.destinationPath, fw::NameCodePage());
  floppy = IsFloppyDestination(destination);
  outputPath = destination + '\\' + info.originalName;
  reports.ExpectWork(info.totalSize * (info.checksums ? 2 : 1));

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
  BlockCopier copier(reports, IDS_ABORT_RESTORE, blockBytes, &PIECE_STEPS);
  for (int32_t index = 0; index < info.pieceCount; ++index)
    if (!CopyPiece(copier, PiecePath(piecesFolder, baseName, static_cast<uint32_t>(index)), index)) return false;
  work = copier.Done() + movedWork;
  return true;
}

// One piece. When its contents are not what the split wrote, its bytes are cut off the
// output again, and the user may put in another disk or a copy of the piece and retry.
bool Restore::CopyPiece(BlockCopier& copier, const std::string& path, int32_t index) {
  for (;;) {
    reports.ShowFrom(path);
    fw::File piece;
    if (!OpenWithDiskPrompt(reports, piece, path)) return SetAside(copier, path, index);
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
    if (HoldsSetAside(copier)) return TakeSetAsideFrom(copier, path, index);
    int answer = reports.ShowBox(IDS_PIECE_DAMAGED, path, MB_RETRYCANCEL | MB_ICONSTOP);
    if (!CutOutput(copier.Done() - copier.LastCopied())) return false;
    copier.ForgetLastCopy();
    copied = copier.Done();
    if (answer != IDRETRY) return SetAside(copier, path, index);
    reports.AnimationPlay();
  }
}

// Whether the piece just copied, which is not the one its name says, is the piece set
// aside: two disks swapped, or a disk written twice.
bool Restore::HoldsSetAside(const BlockCopier& copier) const {
  return setAside >= 0 && copier.Checksum() == info.checksums->pieces[static_cast<size_t>(setAside)] &&
         static_cast<int64_t>(copier.LastCopied()) == Layout().Length(setAside);
}

// The piece set aside, found under the name of another: it goes into its own room, read
// once more from the disk that is in the drive, and the piece of this name is the one
// that the repair file rebuilds instead.
bool Restore::TakeSetAsideFrom(BlockCopier& copier, const std::string& path, int32_t index) {
  Trace().WriteLine("Split file holds the one set aside: " + path);
  if (!CutOutput(copier.Done() - copier.LastCopied())) return false;
  copier.ForgetLastCopy();
  copied = copier.Done();
  fw::File piece;
  if (!piece.Open(path, fw::File::READ_SHARE_READ)) return reports.Fail(IDS_READ_INCOMPLETE, path);
  const int64_t length = Layout().Length(setAside), start = Layout().Start(setAside);
  reports.ExpectWork(length);
  work = copier.Done() + movedWork;
  bool writeFailed = false;
  const auto writeBack = [&](const unsigned char* bytes, uint32_t length) {
    writeFailed = writeFailed || !TracedStep("Writing the split file into its place...", [&] {
      output.Write(bytes, length);
      return true;
    });
  };
  bool moved = TracedStep("Seeking the place of the split file...", [&] {
    output.Seek(static_cast<uint64_t>(start));
    return true;
  }) && reader.Read({piece, path}, static_cast<uint64_t>(length), writeBack);
  piece.Abort();
  movedWork += length;
  if (writeFailed) return reports.Fail(IDS_WRITE_INCOMPLETE, outputPath);
  return moved && LeaveRoom(copier, index);
}

// A piece the user gave up (missing, or not what the split wrote): with a repair file,
// and none set aside yet, the user may have it rebuilt at the end. Its room is left in
// the restored file, and the restore goes on; false when the restore fails as before.
bool Restore::SetAside(BlockCopier& copier, const std::string& path, int32_t index) {
  if (!info.repair || !info.checksums || setAside >= 0) return false;
  if (reports.ShowBox(IDS_SET_PIECE_ASIDE, path, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
  reports.AnimationPlay();
  Trace().WriteLine("Split file set aside: " + path);
  // Its rebuild reads the repair file twice and every other piece once more.
  reports.ExpectWork(2 * int64_t{info.repair->pieceSize} + info.totalSize - Layout().Length(index));
  return LeaveRoom(copier, index);
}

// The room of the piece to rebuild, after what is copied so far; the copy goes on behind it.
bool Restore::LeaveRoom(BlockCopier& copier, int32_t index) {
  const int64_t room = Layout().Length(index);
  if (!CutOutput(copied + room)) return false;
  copier.Skip(room);
  copied = copier.Done();
  setAside = index;
  return true;
}

// The piece set aside, as the repair file XOR all the other pieces, read back from the
// restored file: no disk is asked for again. The repair file is checked first, then the
// rebuilt piece as it is written into its room; the restored file is cut before the
// room when either is not what the split wrote.
bool Restore::RebuildSetAside() {
  const std::string repairPath = RepairFilePath(piecesFolder, baseName);
  reports.ShowFrom(repairPath);
  if (!output.Open(outputPath, fw::File::UPDATE_EXCLUSIVE)) return reports.Fail(IDS_WRITE_INCOMPLETE, outputPath);
  fw::File repair;
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
  bool written = OpenWithDiskPrompt(reports, repair, repairPath) && RepairFileMatches(start) &&
                 TracedStep("Rewinding the repair file...", [&] {
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

// Whether the repair file is what the split wrote; text 183 when it is not.
bool Restore::RepairFileMatches(CopyEnd repair) {
  RepairFileState state = CompareRepairFile(reports, reader, repair, *info.repair);
  if (state == RepairFileState::DAMAGED) {
    Trace().WriteLine("Checksum of the repair file wrong");
    reports.ShowBox(IDS_REPAIR_FILE_DAMAGED, repair.path, FAILURE_BOX);
  }
  return state == RepairFileState::MATCHES;
}

// The restored file read back whole against the CRC-32 the split took of the source: what
// the disk holds now, not what was meant to be written. A file that is not the original
// is removed, so that nothing claims to be it.
bool Restore::ReadBackMatches() {
  fw::File restored;
  uint32_t checksum = 0;
  if (!restored.Open(outputPath, fw::File::READ_SHARE_NONE)) return reports.Fail(IDS_READ_INCOMPLETE, outputPath);
  bool read = reader.Checksum({restored, outputPath}, static_cast<uint64_t>(info.totalSize), checksum);
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
