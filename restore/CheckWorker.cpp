#include "restore/CheckWorker.h"

#include <cstdint>
#include <vector>

#include "framework/CodePages.h"
#include "framework/NumberedTexts.h"
#include "job/BlockReader.h"
#include "job/TraceLog.h"
#include "job/TracedStep.h"
#include "job/WorkerReports.h"
#include "logic/Crc32.h"
#include "logic/PieceNames.h"
#include "logic/RepairLayout.h"
#include "res/resource.h"
#include "restore/PieceReading.h"

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

class Check {
 public:
  explicit Check(WorkerJob& job)
      : job(job), reports(job.progressDialog, *job.stop), reader(reports, work, IDS_ABORT_CHECK) {}

  // The whole check; false when it found a fault or the user broke it off.
  bool Run();

 private:
  bool ReadPiece(int32_t index, PieceFinding& finding);
  bool Matches(int32_t index, uint32_t checksum, int64_t length) const;
  bool Mendable() const;
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
};

bool Check::Run() {
  if (!ReadInfoOrSay(reports, job.sourcePath, info)) return false;
  piecesFolder = FolderOf(job.sourcePath, fw::NameCodePage());
  baseName = BaseNameOf(info.originalName, fw::NameCodePage());
  reports.ExpectWork(info.totalSize + (info.repair ? info.repair->pieceSize : 0));
  findings.resize(static_cast<size_t>(info.pieceCount));
  for (int32_t index = 0; index < info.pieceCount; ++index)
    if (!ReadPiece(index, findings[static_cast<size_t>(index)])) return false;
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
  bool read = TracedStep("Trying to measure the split file...", [&] {
    return piece.Length(length);
  });
  if (!read)
    reports.Fail(IDS_READ_INCOMPLETE, path);
  else
    read = reader.Read({piece, path}, length, [&](const unsigned char* bytes, uint32_t count) {
      checksum = Crc32Update(checksum, bytes, count);
      wholeChecksum = Crc32Update(wholeChecksum, bytes, count);
    });
  piece.Abort();
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
  auto list = [&](const PieceFinding& finding, const std::string& path) {
    if (finding.kind == PieceFinding::GOOD) return;
    text += "\n" + fw::FormatText(finding.kind == PieceFinding::MISSING ? IDS_CHECK_MISSING : IDS_CHECK_DAMAGED,
                                  path.c_str());
  };
  for (int32_t index = 0; index < info.pieceCount; ++index) list(findings[static_cast<size_t>(index)], PieceAt(index));
  if (info.repair) list(repair, RepairFilePath(piecesFolder, baseName));
  if (verdict.piecesGood && !verdict.fileGood) text += "\n" + fw::FormatText(IDS_CHECK_NOT_THE_FILE);
  text += "\n\n";
  if (verdict.piecesGood && verdict.fileGood)
    text += fw::FormatText(IDS_CHECK_RESTORABLE);
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
