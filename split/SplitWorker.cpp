#include "split/SplitWorker.h"

#include "framework/CodePages.h"
#include "framework/File.h"
#include "framework/Texts.h"
#include "framework/Volume.h"
#include "job/BlockCopier.h"
#include "job/GuardedFile.h"
#include "job/Messages.h"
#include "job/WorkerJob.h"
#include "job/WorkerReports.h"
#include "logic/Crc32.h"
#include "logic/FileSystemLimits.h"
#include "logic/PieceNames.h"
#include "logic/SizeRules.h"
#include "res/resource.h"
#include "split/InfoFileWriter.h"
#include "split/ProgramCopy.h"
#include "split/RepairFileWriter.h"
#include "split/RestoreBatch.h"

namespace {

// The extras, in the order they are written, with the text offered when one fails. On a
// floppy the repair file goes to a disk of its own after the last one, with a second
// copy of the info file; the info file on the last disk lists it all the same.
struct Extra {
  uint32_t flag;
  unsigned failureText;
};
constexpr Extra EXTRAS_IN_ORDER[] = {{EXTRA_PROGRAM_COPY, IDS_PROGRAM_COPY_FAILED},
                                     {EXTRA_BATCH_FILE, IDS_BATCH_FILE_FAILED},
                                     {EXTRA_REPAIR_FILE, IDS_REPAIR_FILE_FAILED},
                                     {EXTRA_INFO_FILE, IDS_INFO_FILE_FAILED}};
constexpr Extra REPAIR_DISK[] = {{EXTRA_REPAIR_FILE, IDS_REPAIR_FILE_FAILED}, {EXTRA_INFO_FILE, IDS_INFO_FILE_FAILED}};

class Split {
 public:
  explicit Split(WorkerJob& job)
      : job(job),
        reports(job.progressDialog, *job.stop),
        reader(reports, work, IDS_ABORT_SPLIT),
        stripes(reader) {}

  // The whole job; false when it failed or the user broke it off. The source and
  // an unfinished piece stay open until the object goes.
  bool Run();

 private:
  bool Admit(uint64_t length);
  bool WritePieces();
  bool AwaitDisk();
  template <size_t COUNT>
  bool WriteExtras(const Extra (&extras)[COUNT]);
  bool WriteExtra(uint32_t flag);
  bool WriteBatchFile(int32_t count);
  bool WriteRepairFile();
  bool WriteRepairDisk();

  WorkerJob& job;
  WorkerReports reports;
  std::string baseName;
  bool floppy = false;
  fw::File source;
  fw::File piece;
  int64_t total = 0;
  uint32_t pieceCount = 0;  // pieces created so far
  InfoChecksums checksums;  // of the pieces written whole, taken while they were copied
  // The bytes of the job done so far: the pieces, and for a repair file the source once
  // more for each time its stripes are taken.
  int64_t work = 0;
  BlockReader reader;
  RepairStripes stripes;
  std::optional<RepairRecord> repair;  // once its CRC-32 is known
  bool repairDiskIn = false;           // on a floppy: the disk after the last one is in

  PieceLayout Layout() const { return {total, job.pieceSize}; }
};

bool Split::Run() {
  job.pieceSize = ResolvePieceSize(job.pieceSize);
  baseName = BaseNameOf(job.sourcePath, fw::NameCodePage());
  job.destinationPath = NormalizeDestination(job.destinationPath, fw::NameCodePage());
  floppy = IsFloppyDestination(job.destinationPath);
  reports.ShowFrom(job.sourcePath);

  uint64_t length = 0;
  try {
    if (!source.Open(job.sourcePath, fw::File::READ_SHARE_READ)) return reports.Fail(IDS_CANNOT_READ, job.sourcePath);
    length = source.Length();
  } catch (const fw::FileError&) {
    return reports.Fail(IDS_CANNOT_READ, job.sourcePath);
  }
  if (!Admit(length)) return false;
  total = static_cast<int64_t>(length);
  // The repair file needs the info file with its checksum lines.
  const bool withRepair = job.extrasFlags & EXTRA_REPAIR_FILE;
  if (withRepair) job.extrasFlags |= EXTRA_INFO_FILE;
  reports.ExpectWork(total * (withRepair ? (floppy ? 3 : 2) : 1));
  return WritePieces() && WriteExtras(EXTRAS_IN_ORDER) && (!withRepair || !floppy || WriteRepairDisk());
}

// A piece fits on any destination: no file system's limit needs to be asked for.
static_assert(MAX_PIECE_BYTES <= FILES_EVERY_FILE_SYSTEM_HOLDS);

// Refuses, before anything is written, a job whose pieces or info file could not
// be told apart or restored: larger than 1000 of the largest pieces, empty (an info
// file of no pieces and no bytes cannot be read back), without a usable piece size,
// or needing more pieces than three digits can name.
bool Split::Admit(uint64_t length) {
  if (length > uint64_t(MAX_SOURCE_BYTES)) return reports.Fail(IDS_SOURCE_TOO_LARGE, job.sourcePath);
  if (length == 0) return reports.Fail(IDS_SOURCE_EMPTY, job.sourcePath);
  if (job.pieceSize <= 0) {
    reports.ShowBox(IDS_PIECE_SIZE_INVALID, FAILURE_BOX);
    return false;
  }
  uint64_t pieces =
      (length + static_cast<uint64_t>(job.pieceSize) - 1) / static_cast<uint64_t>(job.pieceSize);
  if (pieces > MAX_PIECE_COUNT) {
    // The count may pass 32 bits: the text takes it as a 64-bit value.
    std::string text = fw::FormatText(IDS_TOO_MANY_PIECES, job.sourcePath.c_str(), pieces);
    reports.ShowFormattedBox(IDS_TOO_MANY_PIECES, text, FAILURE_BOX);
    return false;
  }
  return true;
}

// The pieces one after another, each up to the piece size; the block that ends one
// piece usually starts the next one.
bool Split::WritePieces() {
  BlockCopier copier(reports, IDS_ABORT_SPLIT, CopyBlockBytes(job.sourcePath, job.destinationPath));
  while (copier.Done() < total) {
    if (floppy && !AwaitDisk()) return false;
    std::string path = PiecePath(job.destinationPath, baseName, pieceCount++);
    reports.ShowTo(path);
    if (!CreateFileGuarded(path, piece, job.progressDialog)) return false;
    int64_t remaining = total - copier.Done();
    int64_t limit = remaining < job.pieceSize ? remaining : job.pieceSize;
    switch (copier.Copy({source, job.sourcePath}, {piece, path}, limit, floppy)) {
      case BlockCopier::LIMIT_REACHED: break;
      // The source shrank during the split: what is due cannot be read.
      case BlockCopier::SOURCE_ENDED: return reports.Fail(IDS_READ_INCOMPLETE, job.sourcePath);
      case BlockCopier::FAILED: return false;
    }
    checksums.wholeFile = Crc32Combine(checksums.wholeFile, copier.Checksum(), limit);
    checksums.pieces.push_back(copier.Checksum());
    try {
      piece.Close();
    } catch (const fw::FileError&) {
      return reports.Fail(IDS_WRITE_INCOMPLETE, path);
    }
  }
  work = copier.Done();
  return true;
}

// Asks for the next disk before each piece after the first, and again for as long as
// the drive has none in it; false when the user breaks off meanwhile.
bool Split::AwaitDisk() {
  auto askForDisk = [this] {
    reports.ShowBox(IDS_NEXT_DISK, MB_OK | MB_ICONEXCLAMATION);
    reports.AnimationPlay();
  };
  if (pieceCount > 0) askForDisk();
  while (!fw::VolumeOf(job.destinationPath).ready) {
    if (reports.BreakOffConfirmed(IDS_ABORT_SPLIT)) return false;
    askForDisk();
  }
  return true;
}

template <size_t COUNT>
bool Split::WriteExtras(const Extra (&extras)[COUNT]) {
  for (const Extra& extra : extras) {
    if (!(job.extrasFlags & extra.flag)) continue;
    while (!WriteExtra(extra.flag)) {
      if (reader.BrokenOff()) return false;
      if (reports.ShowBox(extra.failureText, MB_RETRYCANCEL) != IDRETRY) return false;
      reports.AnimationPlay();
    }
  }
  return true;
}

bool Split::WriteExtra(uint32_t flag) {
  int32_t count = static_cast<int32_t>(pieceCount);
  switch (flag) {
    case EXTRA_PROGRAM_COPY:
      return WriteProgramCopy(job.destinationPath, job.progressDialog);
    case EXTRA_BATCH_FILE:
      return WriteBatchFile(count);
    case EXTRA_REPAIR_FILE:
      return WriteRepairFile();
    default:
      // On a floppy the info file comes before the repair file: its CRC-32 is taken first.
      if ((job.extrasFlags & EXTRA_REPAIR_FILE) && !repair) {
        RepairRecord record{job.pieceSize, 0};
        if (!RepairChecksum(stripes, Layout(), {source, job.sourcePath}, record.checksum)) return false;
        repair = record;
      }
      return WriteRestoreInfo(RestoreInfoFileText(job.sourcePath, count, total, checksums, repair, std::nullopt),
                              job.destinationPath, baseName, job.progressDialog);
  }
}

// The repair file beside the pieces; on a floppy, where its own disk comes after the last
// one, only there.
bool Split::WriteRepairFile() {
  if (floppy && !repairDiskIn) return true;
  RepairRecord record{job.pieceSize, 0};
  if (!::WriteRepairFile(stripes, Layout(), {source, job.sourcePath}, RepairFilePath(job.destinationPath, baseName),
                         floppy, job.progressDialog, record.checksum))
    return false;
  repair = record;
  return true;
}

// One more disk after the last one: the repair file and a second copy of the info file,
// so that a restore may start from either disk.
bool Split::WriteRepairDisk() {
  if (!AwaitDisk()) return false;
  repairDiskIn = true;
  return WriteExtras(REPAIR_DISK);
}

// The batch file; a name that the command interpreter cannot read leaves it out: the
// user is told so, and the split goes on, as another disk would not help.
bool Split::WriteBatchFile(int32_t count) {
  BatchFileResult result =
      WriteRestoreBatch(job.sourcePath, job.destinationPath, baseName, count, job.progressDialog);
  if (result == BatchFileResult::NAME_UNREADABLE) {
    reports.ShowBox(IDS_BATCH_NAME_UNREADABLE, FileNameOf(job.sourcePath, fw::NameCodePage()), MB_OK | MB_ICONEXCLAMATION);
    reports.AnimationPlay();
  }
  return result != BatchFileResult::FAILED;
}

}  // namespace

bool SplitWorker(WorkerJob& job) {
  Split split(job);
  return split.Run();  // the source and an unfinished piece close with the object, ignoring errors
}
