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
#include "split/PieceMd5s.h"
#include "split/ProgramCopy.h"
#include "split/RecoverySet.h"
#include "split/RestoreBatch.h"

namespace {

// The extras beside the last piece, in the order they are written, with the text offered
// when one fails. The recovery set comes after them: the batch file and the info file are
// among its input files.
struct Extra {
  uint32_t flag;
  unsigned failureText;
};
constexpr Extra EXTRAS_IN_ORDER[] = {{EXTRA_PROGRAM_COPY, IDS_PROGRAM_COPY_FAILED},
                                     {EXTRA_BATCH_FILE, IDS_BATCH_FILE_FAILED},
                                     {EXTRA_INFO_FILE, IDS_INFO_FILE_FAILED}};

// The step of the recovery set that is done on a fixed disk: the whole set beside the pieces,
// or on floppies the recovery packets computed aside; other steps write a volume's disk.
constexpr uint32_t ON_FIXED_DISK = UINT32_MAX;

// A name as the recovery set records it: in UTF-8, whatever the process's code page.
std::string SetName(const std::string& name) { return fw::Recode(name, fw::NameCodePage(), CP_UTF8, '_').text; }

class Split {
 public:
  explicit Split(WorkerJob& job)
      : job(job),
        reports(job.progressDialog, *job.stop),
        reader(reports, work, IDS_ABORT_SPLIT),
        recovery(reports, reader, work, job.progressDialog) {}

  // The whole job; false when it failed or the user broke it off. The source and
  // an unfinished piece stay open until the object goes.
  bool Run();

 private:
  bool Admit(uint64_t length);
  bool PlanRecovery();
  bool WritePieces();
  bool TakePieceMd5s();
  bool AwaitDisk(unsigned textId, const std::string& prompt, bool askFirst);
  bool WriteExtras();
  bool WriteExtra(uint32_t flag);
  bool WriteBatchFile();
  std::string InfoText(const std::optional<RecoveryRecord>& record) const;
  bool WriteRecoverySet();
  bool Retried(uint32_t volume);
  bool WriteRecoveryStep(uint32_t volume);

  WorkerJob& job;
  WorkerReports reports;
  std::string baseName;
  bool floppy = false;
  fw::File source;
  fw::File piece;
  int64_t total = 0;
  uint32_t pieceCount = 0;  // pieces created so far
  InfoChecksums checksums;  // of the pieces written whole, taken while they were copied
  // The bytes of the job done so far: the pieces, then, for the recovery set, the source
  // once more and on floppies the recovery packets copied to their disks.
  int64_t work = 0;
  BlockReader reader;
  std::optional<std::string> batchScript;  // the batch file's bytes, when one is written
  std::string infoText;                    // the info file's bytes, once they are known
  // The recovery set: its plan, made before anything is written, the input files described
  // so far (the pieces, as they are copied) and the set being written.
  bool withRecovery = false;
  Par2SplitPlan plan;
  uint64_t infoBound = 0;  // the info file's length at most, as planned
  std::vector<Par2FileRecord> described;
  std::optional<Par2FileDescriber> describing;  // the piece being copied
  // The pieces' whole MD5s, taken beside the copy when the source is on a fixed disk.
  PieceMd5s pieceMd5s;
  bool md5sBeside = false;
  RecoverySet recovery;

  PieceLayout Layout() const { return {total, job.pieceSize}; }
};

bool Split::Run() {
  job.pieceSize = ResolvePieceSize(job.pieceSize);
  baseName = BaseNameOf(job.sourcePath, fw::NameCodePage());
  job.destinationPath = NormalizeDestination(job.destinationPath, fw::NameCodePage());
  floppy = IsFloppyDestination(job.destinationPath);
  reports.ShowFrom(job.sourcePath);

  uint64_t length = 0;
  if (!source.Open(job.sourcePath, fw::File::READ_SHARE_READ) || !source.Length(length))
    return reports.Fail(IDS_CANNOT_READ, job.sourcePath);
  if (!Admit(length)) return false;
  total = static_cast<int64_t>(length);
  if (job.extrasFlags & EXTRA_BATCH_FILE) batchScript = RestoreBatchScript(job.sourcePath, baseName, Layout().Count());
  // The recovery set protects the info file too, which the restore needs.
  withRecovery = job.extrasFlags & EXTRA_REPAIR_FILE;
  if (withRecovery) job.extrasFlags |= EXTRA_INFO_FILE;
  if (withRecovery && !PlanRecovery()) return false;
  int64_t expected = total;
  if (withRecovery) expected += RecoverySet::ComputingWork(total) + (floppy ? RecoverySet::DiskWork(plan, infoBound) : 0);
  reports.ExpectWork(expected);
  return WritePieces() && WriteExtras() && (!withRecovery || WriteRecoverySet());
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

// The plan of the recovery set over the pieces, the batch file (when it is written) and the
// info file, whose size is taken as an upper bound: its recovery line records the plan. On
// floppies every disk is taken to be of the size that the pieces are made for.
bool Split::PlanRecovery() {
  Par2SplitShape shape{Layout(), Par2Medium::FIXED_DISK, {}};
  if (floppy) shape.medium = job.pieceSize <= FLOPPY_720_PIECE_BYTES ? Par2Medium::FLOPPY_720 : Par2Medium::FLOPPY_144;
  infoBound = InfoText(RecoveryRecord{MAX_PIECE_BYTES, static_cast<int32_t>(MOST_INPUT_SLICES)}).size();
  shape.extraFiles = batchScript ? std::vector<uint64_t>{batchScript->size(), infoBound} : std::vector<uint64_t>{infoBound};
  const size_t pieces = static_cast<size_t>(shape.pieces.Count());
  std::vector<std::string> names(pieces + shape.extraFiles.size());
  for (size_t index = 0; index < pieces; ++index)
    names[index] = SetName(baseName + '.' + PieceDigits(static_cast<uint32_t>(index)));
  if (batchScript) names[pieces] = SetName(baseName + ".Bat");
  names.back() = SetName(baseName + ".Split");
  plan = PlanSplitRecovery(shape, names, static_cast<uint32_t>(job.recoveryPieces));
  if (plan.volumes.volumeCount > 0) return true;
  reports.ShowBox(IDS_RECOVERY_NO_ROOM, MB_OK | MB_ICONSTOP);
  return false;
}

// The pieces one after another, each up to the piece size; the block that ends one
// piece usually starts the next one. For the recovery set each piece is described as
// its blocks are copied.
bool Split::WritePieces() {
  BlockCopier copier(reports, IDS_ABORT_SPLIT, CopyBlockBytes(job.sourcePath, job.destinationPath));
  if (withRecovery)
    copier.SetTap([this](const unsigned char* bytes, uint32_t length) { describing->Add(bytes, length); });
  // A floppy source would be read twice at a floppy's pace.
  md5sBeside = withRecovery && !IsFloppyDestination(job.sourcePath) &&
               pieceMd5s.Start(job.sourcePath, total, job.pieceSize);
  while (copier.Done() < total) {
    if (floppy && !AwaitDisk(IDS_NEXT_DISK, fw::LoadText(IDS_NEXT_DISK), pieceCount > 0)) return false;
    const std::string name = baseName + '.' + PieceDigits(pieceCount);
    std::string path = PiecePath(job.destinationPath, baseName, pieceCount++);
    reports.ShowTo(path);
    if (!CreateFileGuarded(path, piece, job.progressDialog)) return false;
    int64_t remaining = total - copier.Done();
    int64_t limit = remaining < job.pieceSize ? remaining : job.pieceSize;
    if (withRecovery) describing.emplace(SetName(name), plan.sliceSize, !md5sBeside);
    switch (copier.Copy({source, job.sourcePath}, {piece, path}, limit, floppy)) {
      case BlockCopier::LIMIT_REACHED: break;
      // The source shrank during the split: what is due cannot be read.
      case BlockCopier::SOURCE_ENDED: return reports.Fail(IDS_READ_INCOMPLETE, job.sourcePath);
      case BlockCopier::FAILED: return false;
    }
    checksums.wholeFile = Crc32Combine(checksums.wholeFile, copier.Checksum(), limit);
    checksums.pieces.push_back(copier.Checksum());
    if (withRecovery) described.push_back(describing->Finish());
    if (!piece.Close()) return reports.Fail(IDS_WRITE_INCOMPLETE, path);
  }
  work = copier.Done();
  return !md5sBeside || TakePieceMd5s();
}

bool Split::TakePieceMd5s() {
  std::vector<Md5Digest> md5s;
  if (!pieceMd5s.Finish(md5s)) return reports.Fail(IDS_READ_INCOMPLETE, job.sourcePath);
  for (size_t index = 0; index < md5s.size(); ++index) described[index].md5 = md5s[index];
  return true;
}

// Asks for a disk with the prompt (first when askFirst: not before the first piece), and
// again for as long as the drive has none in it; false when the user breaks off meanwhile.
bool Split::AwaitDisk(unsigned textId, const std::string& prompt, bool askFirst) {
  auto askForDisk = [&] {
    reports.ShowFormattedBox(textId, prompt, MB_OK | MB_ICONEXCLAMATION);
    reports.AnimationPlay();
  };
  if (askFirst) askForDisk();
  while (!fw::VolumeOf(job.destinationPath).ready) {
    if (reports.BreakOffConfirmed(IDS_ABORT_SPLIT)) return false;
    askForDisk();
  }
  return true;
}

bool Split::WriteExtras() {
  for (const Extra& extra : EXTRAS_IN_ORDER) {
    if (!(job.extrasFlags & extra.flag)) continue;
    while (!WriteExtra(extra.flag)) {
      if (reports.ShowBox(extra.failureText, MB_RETRYCANCEL) != IDRETRY) return false;
      reports.AnimationPlay();
    }
  }
  return true;
}

bool Split::WriteExtra(uint32_t flag) {
  switch (flag) {
    case EXTRA_PROGRAM_COPY:
      return WriteProgramCopy(job.destinationPath, job.progressDialog);
    case EXTRA_BATCH_FILE:
      return WriteBatchFile();
    default:
      infoText = InfoText(withRecovery ? std::optional<RecoveryRecord>(RecoveryRecord{
                                             static_cast<int64_t>(plan.sliceSize),
                                             static_cast<int32_t>(plan.volumes.volumeCount)})
                                       : std::nullopt);
      return WriteRestoreInfo(infoText, job.destinationPath, baseName, job.progressDialog);
  }
}

std::string Split::InfoText(const std::optional<RecoveryRecord>& record) const {
  // Before the pieces are written their checksums stand in as zeros, of the same length.
  InfoChecksums recorded = checksums;
  recorded.pieces.resize(static_cast<size_t>(Layout().Count()));
  return RestoreInfoFileText(job.sourcePath, Layout().Count(), total, recorded, record);
}

// The batch file; a name that the command interpreter cannot read leaves it out: the
// user is told so, and the split goes on, as another disk would not help.
bool Split::WriteBatchFile() {
  BatchFileResult result = WriteRestoreBatch(batchScript, job.destinationPath, baseName, job.progressDialog);
  if (result == BatchFileResult::NAME_UNREADABLE) {
    reports.ShowBox(IDS_BATCH_NAME_UNREADABLE, FileNameOf(job.sourcePath, fw::NameCodePage()), MB_OK | MB_ICONEXCLAMATION);
    reports.AnimationPlay();
  }
  return result != BatchFileResult::FAILED;
}

// The recovery set over the pieces, the batch file and the info file as written. On a fixed
// disk it lies beside the pieces; on floppies one more disk per volume follows the last one.
bool Split::WriteRecoverySet() {
  const size_t pieces = described.size();
  const std::string* extraBytes[2] = {};
  size_t extras = 0;
  for (const std::string* bytes : {batchScript ? &*batchScript : nullptr, &infoText}) {
    if (!bytes) continue;
    Par2FileDescriber describer(SetName(baseName + (bytes == &infoText ? ".Split" : ".Bat")), plan.sliceSize);
    describer.Add(bytes->data(), bytes->size());
    described.push_back(describer.Finish());
    extraBytes[extras++] = bytes;
  }
  recovery.Describe(std::move(described), pieces, job.pieceSize, extraBytes, plan);
  // The disks' work as the files are, within what was planned: the bar only moves forward.
  if (floppy) reports.ExpectWork(recovery.DiskWork(infoText.size()) - RecoverySet::DiskWork(plan, infoBound));
  if (!Retried(ON_FIXED_DISK)) return false;
  for (uint32_t volume = 0; floppy && volume < plan.volumes.volumeCount; ++volume) {
    if (!AwaitDisk(IDS_REPAIR_DISK, fw::FormatText(IDS_REPAIR_DISK, volume + 1, plan.volumes.volumeCount), true))
      return false;
    reports.ShowTo(job.destinationPath + '\\' + baseName + ".par2");
    if (!Retried(volume)) return false;
  }
  return true;
}

// Runs a step of the recovery set until it succeeds, while the user chooses Retry after a
// recovery file that could not be written; the work of a failed try is done once more.
bool Split::Retried(uint32_t volume) {
  for (;;) {
    const int64_t begun = work;
    if (WriteRecoveryStep(volume)) return true;
    if (recovery.BrokenOff() || recovery.FailedPath().empty()) return false;
    if (reports.ShowBox(IDS_RECOVERY_FILE_FAILED, recovery.FailedPath(), MB_RETRYCANCEL) != IDRETRY) return false;
    reports.AnimationPlay();
    reports.ExpectWork(work - begun);
  }
}

// The set beside the pieces; on floppies, its recovery packets computed aside, then the
// files of one volume's disk.
bool Split::WriteRecoveryStep(uint32_t volume) {
  const CopyEnd from{source, job.sourcePath};
  if (!floppy) return recovery.WriteBeside(from, job.destinationPath, baseName);
  if (volume == ON_FIXED_DISK) return recovery.ComputeAside(from, infoText);
  return recovery.WriteDisk(volume, job.destinationPath, baseName);
}

}  // namespace

bool SplitWorker(WorkerJob& job) {
  Split split(job);
  return split.Run();  // the source and an unfinished piece close with the object, ignoring errors
}
