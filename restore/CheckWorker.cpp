#include "restore/CheckWorker.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "framework/CodePages.h"
#include "framework/NumberedTexts.h"
#include "job/BlockReader.h"
#include "job/TraceLog.h"
#include "job/TracedStep.h"
#include "job/WorkerReports.h"
#include "logic/Crc32.h"
#include "logic/Par2Packets.h"
#include "logic/Par2Recovery.h"
#include "logic/PieceNames.h"
#include "logic/RepairLayout.h"
#include "res/resource.h"
#include "restore/PieceReading.h"
#include "restore/RecoveryFiles.h"

namespace {

// What the check found of one piece.
struct PieceFinding {
  enum Kind { GOOD, MISSING, DAMAGED } kind = MISSING;
  uint32_t checksum = 0;
  int64_t length = 0;
};

// What the findings add up to.
struct Verdict {
  bool piecesGood;  // every piece there, and what the split wrote under its name
  bool fileGood;    // together the file's length, and its CRC-32 where recorded
  bool repairGood;  // the repair file, where the info file lists one
  bool Whole() const { return piecesGood && fileGood && repairGood; }
};

// What the recovery set at hand can do: the slices of each piece that are not the set's,
// and whether its recovery slices rebuild every lost slice of the set's files.
struct RecoveryVerdict {
  bool judged = false;  // a usable set was found
  std::vector<uint32_t> lostOfPiece, slicesOfPiece;
  uint32_t lost = 0, rebuilt = 0;
  bool possible = false;
};

bool SameSlice(const Par2SliceChecksum& one, const Par2SliceChecksum& other) {
  return one.crc == other.crc && one.md5 == other.md5;
}

class Check {
 public:
  explicit Check(WorkerJob& job)
      : job(job),
        reports(job.progressDialog, *job.stop),
        reader(reports, work, IDS_ABORT_CHECK),
        recoveryFiles(reports, work, IDS_ABORT_CHECK) {}

  // The whole check; false when it found a fault or the user broke it off.
  bool Run();

 private:
  bool ReadPiece(int32_t index, PieceFinding& finding);
  bool Matches(int32_t index, uint32_t checksum, int64_t length) const;
  bool Mendable() const;
  void JudgeRecovery();
  std::optional<Par2FileRecord> BytesOf(const Par2InputFile& file, const std::string& utf8Base, int32_t& piece) const;
  Verdict Judge() const;
  std::string Report(const Verdict& verdict) const;
  std::string PieceAt(int32_t index) const {
    return PiecePath(piecesFolder, baseName, static_cast<uint32_t>(index));
  }

  WorkerJob& job;
  WorkerReports reports;
  RestoreInfo info;
  std::string piecesFolder, baseName;
  int64_t work = 0;
  BlockReader reader;
  std::vector<PieceFinding> findings;
  uint32_t wholeChecksum = 0;  // of the pieces as they were read, one after another
  int64_t lengths = 0;         // of all pieces found
  PieceFinding repair;         // of the repair file, where the info file lists one
  RecoveryFiles recoveryFiles;
  uint64_t sliceSize = 0;  // of the recovery set, when known before the pieces are read
  std::vector<std::optional<Par2FileRecord>> described;  // each piece read, in slices of that size
  RecoveryVerdict recovery;
};

bool Check::Run() {
  if (!ReadInfoOrSay(reports, job.sourcePath, info)) return false;
  piecesFolder = FolderOf(job.sourcePath, fw::NameCodePage());
  baseName = BaseNameOf(info.originalName, fw::NameCodePage());
  reports.ExpectWork(info.totalSize + (info.repair ? info.repair->pieceSize : 0));
  // A recovery set beside the pieces is read first, for its slice size; on floppies the
  // info file gives that, and the repair disks follow the last piece's.
  const bool withRecovery = !info.repair && (info.recovery || !RecoveryFiles::FindIn(piecesFolder, baseName).empty());
  const bool floppy = IsFloppyDestination(piecesFolder);
  if (withRecovery && !floppy && !recoveryFiles.ScanFolder(piecesFolder, baseName)) return false;
  if (withRecovery)
    sliceSize = floppy ? (info.recovery ? static_cast<uint64_t>(info.recovery->sliceSize) : 0)
                       : recoveryFiles.Describe().sliceSize;
  findings.resize(static_cast<size_t>(info.pieceCount));
  described.resize(static_cast<size_t>(info.pieceCount));
  for (int32_t index = 0; index < info.pieceCount; ++index)
    if (!ReadPiece(index, findings[static_cast<size_t>(index)])) return false;
  if (withRecovery && floppy) {
    recoveryFiles.ExpectRepairDisks({info.recovery ? info.recovery->volumes : 0, info.originalName, piecesFolder,
                                     baseName, [](const std::string& path, std::string& readFrom) {
                                       readFrom = path;
                                       return true;
                                     }});
    if (!recoveryFiles.ScanRepairDisks()) return false;
  }
  if (withRecovery) JudgeRecovery();
  if (info.repair) {
    const std::string path = RepairFilePath(piecesFolder, baseName);
    reports.ShowFrom(path);
    fw::File file;
    if (OpenWithDiskPrompt(reports, file, path)) {
      RepairFileState state = CompareRepairFile(reports, reader, {file, path}, *info.repair);
      if (state == RepairFileState::UNREAD && reader.BrokenOff()) return false;
      repair.kind = state == RepairFileState::MATCHES ? PieceFinding::GOOD : PieceFinding::DAMAGED;
    }
  }
  const Verdict verdict = Judge();
  const bool whole = verdict.Whole();
  Trace().WriteLine(whole ? "Check done: all split files good" : "Check done: faults found");
  if (!job.unattended)
    reports.ShowFormattedBox(whole ? (info.checksums ? IDS_CHECK_GOOD : IDS_CHECK_SIZES_GOOD) : IDS_CHECK_FAULTS,
                             Report(verdict), whole ? MB_OK | MB_ICONINFORMATION : MB_OK | MB_ICONEXCLAMATION);
  return whole;
}

// One piece read to its end; false only when the user broke off. A piece whose read
// failed (told with text 148) counts as damaged.
bool Check::ReadPiece(int32_t index, PieceFinding& finding) {
  const std::string path = PieceAt(index);
  reports.ShowFrom(path);
  fw::File piece;
  if (!OpenWithDiskPrompt(reports, piece, path)) return true;
  uint64_t length = 0;
  uint32_t checksum = 0;
  std::optional<Par2FileDescriber> slices;
  if (sliceSize > 0) slices.emplace(std::string(), sliceSize);
  bool read = TracedStep("Trying to measure the split file...", [&] {
    return piece.Length(length);
  });
  if (!read)
    reports.Fail(IDS_READ_INCOMPLETE, path);
  else
    read = reader.Read({piece, path}, length, [&](const unsigned char* bytes, uint32_t count) {
      checksum = Crc32Update(checksum, bytes, count);
      wholeChecksum = Crc32Update(wholeChecksum, bytes, count);
      if (slices) slices->Add(bytes, count);
    });
  piece.Abort();
  if (slices) described[static_cast<size_t>(index)] = slices->Finish();
  if (!read && reader.BrokenOff()) return false;
  finding = {read && Matches(index, checksum, static_cast<int64_t>(length)) ? PieceFinding::GOOD
                                                                           : PieceFinding::DAMAGED,
             checksum, static_cast<int64_t>(length)};
  lengths += static_cast<int64_t>(length);
  return true;
}

// Whether a piece is the one the split wrote under its name: its CRC-32, and its length
// where the repair record gives the piece size. Without checksums only the sum of the
// lengths can be judged.
bool Check::Matches(int32_t index, uint32_t checksum, int64_t length) const {
  if (!info.checksums) return true;
  if (info.repair && length != PieceLayout{info.totalSize, info.repair->pieceSize}.Length(index)) return false;
  return checksum == info.checksums->pieces[static_cast<size_t>(index)];
}

Verdict Check::Judge() const {
  bool piecesGood = true;
  for (const PieceFinding& finding : findings) piecesGood = piecesGood && finding.kind == PieceFinding::GOOD;
  return {piecesGood,
          lengths == info.totalSize && (!info.checksums || wholeChecksum == info.checksums->wholeFile),
          !info.repair || repair.kind == PieceFinding::GOOD};
}

// Every slice of the set's files compared with the bytes at hand, and the lost ones given
// to the choice of recovery slices that a restore makes.
void Check::JudgeRecovery() {
  const Par2SetDescription set = recoveryFiles.Describe();
  if (!set.usable || set.sliceSize != sliceSize) return;
  // The set names its files in UTF-8, whatever the code page of the system that checks.
  const std::string utf8Base = fw::Recode(baseName, fw::NameCodePage(), CP_UTF8, '_').text;
  recovery.lostOfPiece.assign(static_cast<size_t>(info.pieceCount), 0);
  recovery.slicesOfPiece.assign(static_cast<size_t>(info.pieceCount), 0);
  std::vector<uint32_t> lost;
  for (const Par2InputFile& file : set.files) {
    int32_t piece = -1;
    const std::optional<Par2FileRecord> bytes = BytesOf(file, utf8Base, piece);
    for (uint32_t k = 0; k < file.sliceCount; ++k) {
      if (bytes && k < bytes->slices.size() && k < file.slices.size() && SameSlice(bytes->slices[k], file.slices[k]))
        continue;
      lost.push_back(file.firstSlice + k);
      if (piece >= 0) ++recovery.lostOfPiece[static_cast<size_t>(piece)];
    }
    if (piece >= 0) recovery.slicesOfPiece[static_cast<size_t>(piece)] = file.sliceCount;
  }
  std::vector<uint32_t> available;
  for (const Par2RecoveryRecord& record : set.recoverySlices) available.push_back(record.exponent);
  const RepairChoice choice = ChooseRepairRows(lost, available);
  recovery.judged = true;
  recovery.lost = static_cast<uint32_t>(lost.size());
  recovery.rebuilt = choice.possible ? recovery.lost : choice.independentRows;
  recovery.possible = choice.possible;
}

// The bytes at hand of one file of the set, in its slices: the piece of its name, or a piece
// under another name with its contents (two disks swapped), the batch file, the info file.
// piece: the number of the piece of its name; -1 for no piece.
std::optional<Par2FileRecord> Check::BytesOf(const Par2InputFile& file, const std::string& utf8Base,
                                             int32_t& piece) const {
  piece = -1;
  for (int32_t index = 0; index < info.pieceCount; ++index)
    if (file.name == utf8Base + '.' + PieceDigits(static_cast<uint32_t>(index))) piece = index;
  for (const std::optional<Par2FileRecord>& other : described)
    if (other && other->length == file.length && other->md5 == file.md5) return other;
  if (piece >= 0) return described[static_cast<size_t>(piece)];
  std::optional<std::string> bytes;
  if (file.name == utf8Base + ".Bat")
    bytes = ReadSmallFile(piecesFolder + '\\' + baseName + ".Bat");
  else if (file.name == utf8Base + ".Split")
    bytes = ReadSmallFile(job.sourcePath);
  if (!bytes) return std::nullopt;
  Par2FileDescriber slices(std::string(), sliceSize);
  slices.Add(bytes->data(), bytes->size());
  return slices.Finish();
}

// Whether a restore can rebuild what is missing or damaged from a good repair file: one
// piece, or one piece together with a later one that holds its bytes (two disks swapped),
// which the restore puts in its place before it rebuilds the other.
bool Check::Mendable() const {
  if (!info.repair || !info.checksums || repair.kind != PieceFinding::GOOD) return false;
  std::vector<int32_t> bad;
  for (int32_t index = 0; index < info.pieceCount; ++index)
    if (findings[static_cast<size_t>(index)].kind != PieceFinding::GOOD) bad.push_back(index);
  if (bad.size() == 1) return true;
  if (bad.size() != 2) return false;
  const PieceFinding& later = findings[static_cast<size_t>(bad[1])];
  return later.kind == PieceFinding::DAMAGED && Matches(bad[0], later.checksum, later.length);
}

// The box's text: all good, or each missing or damaged file and what a restore can do.
std::string Check::Report(const Verdict& verdict) const {
  const char* name = info.originalName.c_str();
  if (verdict.Whole())
    return fw::FormatText(info.checksums ? IDS_CHECK_GOOD : IDS_CHECK_SIZES_GOOD, info.pieceCount, name);
  std::string text = fw::FormatText(IDS_CHECK_FAULTS, name);
  auto list = [&](const PieceFinding& finding, const std::string& path, uint32_t lostSlices, uint32_t slices) {
    if (finding.kind == PieceFinding::GOOD) return;
    text += "\n";
    if (finding.kind == PieceFinding::MISSING)
      text += fw::FormatText(IDS_CHECK_MISSING, path.c_str());
    else if (lostSlices > 0)
      text += fw::FormatText(IDS_CHECK_DAMAGED_SLICES, path.c_str(), lostSlices, slices);
    else
      text += fw::FormatText(IDS_CHECK_DAMAGED, path.c_str());
  };
  for (int32_t index = 0; index < info.pieceCount; ++index) {
    const size_t at = static_cast<size_t>(index);
    list(findings[at], PieceAt(index), recovery.judged ? recovery.lostOfPiece[at] : 0,
         recovery.judged ? recovery.slicesOfPiece[at] : 0);
  }
  if (info.repair) list(repair, RepairFilePath(piecesFolder, baseName), 0, 0);
  if (verdict.piecesGood && !verdict.fileGood) text += "\n" + fw::FormatText(IDS_CHECK_NOT_THE_FILE);
  text += "\n\n";
  if (verdict.piecesGood && verdict.fileGood)
    text += fw::FormatText(IDS_CHECK_RESTORABLE);
  else if (recovery.judged)
    text += fw::FormatText(recovery.possible ? IDS_CHECK_RECOVERABLE : IDS_CHECK_UNRECOVERABLE, recovery.lost,
                           recovery.rebuilt);
  else
    text += fw::FormatText(Mendable() ? IDS_CHECK_MENDABLE : IDS_CHECK_NOT_MENDABLE);
  if (!info.checksums) text += "\n" + fw::FormatText(IDS_CHECK_SIZES_ONLY);
  return text;
}

}  // namespace

bool CheckWorker(WorkerJob& job) {
  Check check(job);
  return check.Run();
}
