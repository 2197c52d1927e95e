#include "restore/RestoreWorker.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "framework/CodePages.h"
#include "framework/File.h"
#include "framework/Texts.h"
#include "framework/Volume.h"
#include "job/BlockCopier.h"
#include "job/BlockReader.h"
#include "job/RepairStripes.h"
#include "job/ScratchFolder.h"
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
#include "restore/ReadBack.h"
#include "restore/RecoveryFiles.h"
#include "restore/RecoveryMend.h"

namespace {

// The trace of each block of a piece.
constexpr CopySteps PIECE_STEPS = {"Reading from split file...", "Writing to file...", "flushing..."};

// What can mend a restore whose pieces are not all there or not all what was written.
enum class Mending {
  NONE,          // nothing: such a restore fails
  REPAIR_FILE,   // the repair file of older versions (<REPAIR>): one piece
  RECOVERY_SET,  // a recovery set (<PAR2>, or BASE.par2 beside the pieces): any slices it covers
};

class Restore {
 public:
  explicit Restore(WorkerJob& job)
      : job(job),
        reports(job.progressDialog, *job.stop),
        reader(reports, work, IDS_ABORT_RESTORE),
        recoveryFiles(reports, work, IDS_ABORT_RESTORE) {}

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
  bool CopyPieceIntoRoom(BlockCopier& copier, const std::string& path, int32_t index);
  bool LearnPieceSize(int32_t index, int64_t fileLength);
  int64_t RoomLength(int32_t index) const;
  bool PlaceElsewhere(BlockCopier& copier, fw::File& piece, const std::string& path, int32_t index);
  bool SetAsideForRecovery(const std::string& path, int32_t index, PieceRoom::State state);
  bool MendFromRecoverySet();
  bool ReadFirstRepairDisk();
  bool CopyToScratch(const std::string& path, const std::string& copy);
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
  ReadBack readBack;  // of the pieces copied, beside the copy
  int32_t setAside = -1;  // the piece to rebuild from the repair file at the end, or -1
  int64_t movedWork = 0;  // the bytes of pieces read once more to put them in their place
  Mending mending = Mending::NONE;
  // Unattended with the pieces on a fixed disk: a piece missing or damaged is set aside
  // for the mend without a question.
  bool quiet = false;
  // With a recovery set: each piece's room, where it lies in the restored file, and the
  // piece size that places the rooms (learned from the set or the first piece found).
  std::vector<PieceRoom> rooms;
  int64_t pieceSize = 0;
  RecoveryFiles recoveryFiles;
  bool recoveryFilesRead = false;
  SideFiles sides;
  ScratchFolder scratch;  // the repair disks' files, read after their disks went out
};

bool Restore::Run() {
  if (!ReadInfoOrSay(reports, job.sourcePath, info)) return false;

  std::string destination = NormalizeDestination(job.destinationPath, fw::NameCodePage());
  floppy = IsFloppyDestination(destination);
  outputPath = destination + '\\' + info.originalName;
  piecesFolder = FolderOf(job.sourcePath, fw::NameCodePage());
  baseName = BaseNameOf(info.originalName, fw::NameCodePage());
  if (info.repair && info.checksums)
    mending = Mending::REPAIR_FILE;
  else if (info.recovery || !RecoveryFiles::FindIn(piecesFolder, baseName).empty())
    mending = Mending::RECOVERY_SET;
  quiet = job.unattended && mending != Mending::NONE && !IsFloppyDestination(piecesFolder);
  reports.ExpectWork(info.totalSize * (info.checksums ? 2 : 1));

  reports.ShowTo(outputPath);
  // The read-back of the pieces copied goes on beside the copy, but not on a floppy, whose
  // head would go to and fro between the two.
  const bool readBackAlongside = info.checksums && !floppy;
  if (!FitsDestination(destination) ||
      !CreateFileGuarded(outputPath, output, job.progressDialog,
                         readBackAlongside ? fw::File::CREATE_SHARE_READ : fw::File::CREATE_EXCLUSIVE))
    return false;
  if (readBackAlongside && readBack.Start(outputPath)) reports.CountAlongside(&readBack.KibibytesRead());
  bool copiedAll = CopyPieces();
  readBack.Finish(copiedAll);
  reports.CountAlongside(nullptr);
  work += readBack.BytesRead();
  reports.Progress(work);  // the bar also ends where the read-back beside the copy ended
  // A restore that fails after a piece was set aside keeps only the bytes before its room.
  if (!copiedAll && setAside >= 0) CutOutput(Layout().Start(setAside));
  if (mending == Mending::RECOVERY_SET) copiedAll = copiedAll && MendFromRecoverySet();
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
  uint32_t blockBytes = CopyBlockBytes(piecesFolder, job.destinationPath);
  BlockCopier copier(reports, IDS_ABORT_RESTORE, blockBytes, &PIECE_STEPS);
  if (mending == Mending::RECOVERY_SET) {
    rooms.assign(static_cast<size_t>(info.pieceCount), PieceRoom{0, 0, PieceRoom::MISSING});
    sides.info = ReadSmallFile(job.sourcePath);
    // The index file, where it lies beside the pieces, tells every piece's length at once.
    const std::string index = piecesFolder + '\\' + baseName + ".par2";
    if (GetFileAttributesA(index.c_str()) != INVALID_FILE_ATTRIBUTES && !recoveryFiles.Scan(index)) return false;
    copier.SalvageUnreadableBlocks();
    copier.Skip(work);  // the index file's bytes, read before the pieces
  }
  const int64_t before = copier.Done();
  for (int32_t index = 0; index < info.pieceCount; ++index) {
    const std::string path = PiecePath(piecesFolder, baseName, static_cast<uint32_t>(index));
    if (!(mending == Mending::RECOVERY_SET ? CopyPieceIntoRoom(copier, path, index) : CopyPiece(copier, path, index)))
      return false;
  }
  work = copier.Done() + movedWork;
  if (mending == Mending::RECOVERY_SET) {
    // What was not copied of the pieces (missing, cut short) counts as done: the mend
    // reckons its own work.
    work += std::max<int64_t>(0, info.totalSize - (copier.Done() - before));
    // The batch file lies beside the last piece (on its disk, which is still in the drive).
    sides.batch = ReadSmallFile(piecesFolder + '\\' + baseName + ".Bat");
  }
  return true;
}

// One piece. When its contents are not what the split wrote, its bytes are cut off the
// output again, and the user may put in another disk or a copy of the piece and retry.
bool Restore::CopyPiece(BlockCopier& copier, const std::string& path, int32_t index) {
  for (;;) {
    reports.ShowFrom(path);
    fw::File piece;
    const bool opened = quiet ? piece.Open(path, fw::File::READ_SHARE_READ) : OpenWithDiskPrompt(reports, piece, path);
    if (!opened) return SetAside(copier, path, index);
    bool pieceCopied = copier.Copy({piece, path}, {output, outputPath}, INT64_MAX, floppy) != BlockCopier::FAILED;
    copied = copier.Done();
    // A piece that does not close is of no further interest: its bytes are copied.
    TracedStep("Trying to close the split file...", [&] {
      return piece.Close();
    });
    if (!pieceCopied) return false;
    if (ChecksumMatches(copier, index)) {
      readBack.Final(copied - copier.LastCopied(), copier.LastCopied());
      return true;
    }
    Trace().WriteLine("Checksum of split file wrong");
    if (HoldsSetAside(copier)) return TakeSetAsideFrom(copier, path, index);
    int answer = quiet ? IDCANCEL : reports.ShowBox(IDS_PIECE_DAMAGED, path, MB_RETRYCANCEL | MB_ICONSTOP);
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
      return output.Write(bytes, length);
    });
  };
  bool moved = TracedStep("Seeking the place of the split file...", [&] {
    return output.Seek(static_cast<uint64_t>(start));
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
  if (!quiet) {
    if (reports.ShowBox(IDS_SET_PIECE_ASIDE, path, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
    reports.AnimationPlay();
  }
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
      return output.Seek(static_cast<uint64_t>(room + offset)) &&
             (taken <= 0 || output.Write(bytes, static_cast<uint32_t>(taken)));
    });
    return !writeFailed;
  };
  bool written = OpenWithDiskPrompt(reports, repair, repairPath) && RepairFileMatches(start) &&
                 TracedStep("Rewinding the repair file...", [&] {
                   return repair.Seek(0);
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

// One piece into its room, for a restore with a recovery set. A piece missing, cut short,
// partly unreadable or not what was written is set aside with what of it could be read;
// a piece that is another one (two disks swapped) goes into that one's room.
bool Restore::CopyPieceIntoRoom(BlockCopier& copier, const std::string& path, int32_t index) {
  for (;;) {
    reports.ShowFrom(path);
    fw::File piece;
    const bool opened = quiet ? piece.Open(path, fw::File::READ_SHARE_READ) : OpenWithDiskPrompt(reports, piece, path);
    if (!opened) return SetAsideForRecovery(path, index, PieceRoom::MISSING);
    uint64_t fileLength = 0;
    if (!TracedStep("Trying to measure the split file...", [&] {
          return piece.Length(fileLength);
        }) ||
        !LearnPieceSize(index, static_cast<int64_t>(fileLength)))
      return SetAsideForRecovery(path, index, PieceRoom::MISSING);
    PieceRoom& room = rooms[static_cast<size_t>(index)];
    if (room.state == PieceRoom::WHOLE) return true;  // filled from a piece under another name
    const PieceRoom placed{static_cast<int64_t>(index) * pieceSize, RoomLength(index), PieceRoom::WHOLE};
    if (!TracedStep("Seeking the place of the split file...", [&] {
          return output.Seek(static_cast<uint64_t>(placed.start));
        }))
      return reports.Fail(IDS_WRITE_INCOMPLETE, outputPath);
    copier.DropRest();
    const BlockCopier::Result result = copier.Copy({piece, path}, {output, outputPath}, placed.length, floppy);
    if (result == BlockCopier::FAILED) return false;
    copied = copier.Done();
    const bool whole = result == BlockCopier::LIMIT_REACHED && !copier.Salvaged() &&
                       static_cast<int64_t>(fileLength) == placed.length && ChecksumMatches(copier, index);
    if (whole) {
      room = placed;
      readBack.Final(placed.start, placed.length);
      return true;
    }
    Trace().WriteLine("Split file not what was written: " + path);
    if (static_cast<int64_t>(fileLength) != placed.length || !info.checksums) {
      // Not the piece of another name either: its room is its own.
    } else if (PlaceElsewhere(copier, piece, path, index)) {
      return rooms[static_cast<size_t>(index)].state == PieceRoom::WHOLE ||
             SetAsideForRecovery(path, index, PieceRoom::MISSING);
    }
    room = placed;
    room.state = PieceRoom::SUSPECT;
    const int answer = quiet ? IDCANCEL : reports.ShowBox(IDS_PIECE_DAMAGED, path, MB_RETRYCANCEL | MB_ICONSTOP);
    if (answer != IDRETRY) return SetAsideForRecovery(path, index, PieceRoom::SUSPECT);
    room.state = PieceRoom::MISSING;
    copier.ForgetLastCopy();
    reports.AnimationPlay();
  }
}

// The piece size, from the set where it is known, else from the first piece found: every
// piece but the last has it, and the last one has what the others leave of the file. With
// no piece at hand (fileLength -1) only the set and a file of one piece tell it.
bool Restore::LearnPieceSize(int32_t index, int64_t fileLength) {
  if (pieceSize > 0) return true;
  const int32_t last = info.pieceCount - 1;
  if (recoveryFilesRead || recoveryFiles.Describe().found) {
    const std::string first = fw::Recode(baseName + '.' + PieceDigits(0), fw::NameCodePage(), CP_UTF8, '_').text;
    for (const Par2InputFile& file : recoveryFiles.Describe().files)
      if (file.described && file.name == first) pieceSize = static_cast<int64_t>(file.length);
  }
  if (pieceSize == 0 && last == 0) pieceSize = info.totalSize;
  if (pieceSize == 0 && fileLength >= 0 && index < last) pieceSize = fileLength;
  if (pieceSize == 0 && fileLength >= 0 && (info.totalSize - fileLength) % last == 0)
    pieceSize = (info.totalSize - fileLength) / last;
  // The pieces must make the file: all but the last whole, the last one not empty.
  const int64_t before = pieceSize * last;
  if (pieceSize > 0 && before < info.totalSize && info.totalSize - before <= pieceSize) return true;
  Trace().WriteLine("Piece size not to be learned from " + std::to_string(fileLength) + " bytes");
  pieceSize = 0;
  return false;
}

int64_t Restore::RoomLength(int32_t index) const {
  return index + 1 < info.pieceCount ? pieceSize : info.totalSize - pieceSize * (info.pieceCount - 1);
}

// Whether the piece just copied is another piece whole (its length and CRC-32): then it is
// read once more into that piece's room, which is filled, and true. The room of its own
// name stays as it was.
bool Restore::PlaceElsewhere(BlockCopier& copier, fw::File& piece, const std::string& path, int32_t index) {
  for (int32_t other = 0; other < info.pieceCount; ++other) {
    PieceRoom& room = rooms[static_cast<size_t>(other)];
    if (other == index || room.state == PieceRoom::WHOLE || RoomLength(other) != copier.LastCopied() ||
        copier.Checksum() != info.checksums->pieces[static_cast<size_t>(other)])
      continue;
    Trace().WriteLine("Split file holds another one: " + path);
    const int64_t start = static_cast<int64_t>(other) * pieceSize;
    reports.ExpectWork(copier.LastCopied());
    work = copier.Done() + movedWork;
    movedWork += copier.LastCopied();
    bool writeFailed = false;
    const bool moved = TracedStep("Seeking the place of the split file...", [&] {
                         return output.Seek(static_cast<uint64_t>(start));
                       }) &&
                       reader.ReadAt({piece, path}, 0, static_cast<uint64_t>(copier.LastCopied()),
                                     [&](const unsigned char* bytes, uint32_t length) {
                                       writeFailed = writeFailed || !TracedStep("Writing the split file into its place...", [&] {
                                         return output.Write(bytes, length);
                                       });
                                     });
    if (writeFailed) return reports.Fail(IDS_WRITE_INCOMPLETE, outputPath);
    if (!moved) return false;
    room = {start, RoomLength(other), PieceRoom::WHOLE};
    readBack.Final(start, room.length);
    return true;
  }
  return false;
}

// A piece the user gave up, or that a quiet restore sets aside: the recovery set is to mend
// it at the end. Attended, the user is asked first; No fails the restore as before.
bool Restore::SetAsideForRecovery(const std::string& path, int32_t index, PieceRoom::State state) {
  if (!quiet) {
    if (reports.ShowBox(IDS_SET_ASIDE_FOR_RECOVERY, path, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
    reports.AnimationPlay();
  }
  Trace().WriteLine("Split file set aside: " + path);
  PieceRoom& room = rooms[static_cast<size_t>(index)];
  if (room.state != PieceRoom::WHOLE) room.state = state;
  return true;
}

// The pieces set aside, mended from the recovery set: its files beside the pieces, or on
// the repair disks; the restored file has the file's length first.
bool Restore::MendFromRecoverySet() {
  if (!CutOutput(info.totalSize)) return false;
  if (std::all_of(rooms.begin(), rooms.end(), [](const PieceRoom& room) { return room.state == PieceRoom::WHOLE; })) {
    copied = info.totalSize;
    return true;
  }
  if (!recoveryFilesRead) {
    recoveryFilesRead = true;
    if (!(IsFloppyDestination(piecesFolder) ? ReadFirstRepairDisk() : recoveryFiles.ScanFolder(piecesFolder, baseName)))
      return false;
  }
  // A missing piece's room is known once the piece size is: with no piece found, the set
  // tells it.
  if (pieceSize == 0) LearnPieceSize(-1, -1);
  for (size_t index = 0; index < rooms.size(); ++index)
    if (pieceSize > 0 && rooms[index].state != PieceRoom::WHOLE)
      rooms[index] = {static_cast<int64_t>(index) * pieceSize, RoomLength(static_cast<int32_t>(index)),
                      rooms[index].state};
  // The mend reads the restored file as well as writing it.
  if (!CloseOutput()) return false;
  if (!output.Open(outputPath, fw::File::UPDATE_EXCLUSIVE)) return reports.Fail(IDS_WRITE_INCOMPLETE, outputPath);
  RecoveryMend mend(reports, reader, work, {output, outputPath}, baseName, recoveryFiles);
  if (pieceSize > 0 && mend.Run(rooms, sides)) {
    copied = info.totalSize;
    return true;
  }
  if (pieceSize == 0) reports.ShowBox(IDS_NO_RECOVERY_SET, baseName, FAILURE_BOX);
  CutOutput(pieceSize == 0 ? 0 : std::min(mend.KeptBytes(), info.totalSize));
  return false;
}

// The first of the repair disks, as many as the info file lists, for the set's index; the
// mend asks for more while their recovery slices are too few. Each disk's recovery files are
// copied into a folder of the system's temporary folder (the disk goes out again) and read
// from there.
bool Restore::ReadFirstRepairDisk() {
  const int32_t disks = info.recovery ? info.recovery->volumes : 0;
  if (disks > 0 && !scratch.Make()) return reports.Fail(IDS_WRITE_INCOMPLETE, scratch.Path());
  recoveryFiles.ExpectRepairDisks({disks, info.originalName, piecesFolder, baseName,
                                   [&](const std::string& path, std::string& readFrom) {
                                     readFrom = scratch.Path() + path.substr(path.rfind('\\'));
                                     return CopyToScratch(path, readFrom);
                                   }});
  return recoveryFiles.ScanNextRepairDisk() != RecoveryFiles::DiskRead::FAILED;
}

// One file of a repair disk into the temporary folder; false when a read or write failed
// (told) or the user broke off.
bool Restore::CopyToScratch(const std::string& path, const std::string& copy) {
  fw::File from, to;
  uint64_t length = 0;
  if (!from.Open(path, fw::File::READ_SHARE_READ)) return reports.Fail(IDS_READ_INCOMPLETE, path);
  if (!TracedStep("Trying to measure the recovery file...", [&] {
        return from.Length(length);
      }))
    return reports.Fail(IDS_READ_INCOMPLETE, path);
  if (!to.Open(copy, fw::File::CREATE_EXCLUSIVE)) return reports.Fail(IDS_WRITE_INCOMPLETE, copy);
  reports.ExpectWork(static_cast<int64_t>(length));
  // A sector that cannot be read becomes zeros: the packets it held fail their checksums
  // and are passed over, and every other packet of the disk still serves.
  BlockCopier copier(reports, IDS_ABORT_RESTORE, COPY_BLOCK_BYTES);
  copier.Skip(work);
  copier.SalvageUnreadableBlocks();
  const bool copied = copier.Copy({from, path}, {to, copy}, static_cast<int64_t>(length), false) !=
                      BlockCopier::FAILED;
  work = copier.Done();
  return copied && (TracedStep("Closing the recovery file's copy...", [&] { return to.Close(); }) ||
                    reports.Fail(IDS_WRITE_INCOMPLETE, copy));
}

// The restored file read back whole against the CRC-32 the split took of the source: what
// the disk holds now, not what was meant to be written. The stretches read back beside the
// copy are read no more. A file that is not the original is removed, so that nothing
// claims to be it.
bool Restore::ReadBackMatches() {
  fw::File restored;
  uint32_t checksum = 0;
  if (!restored.Open(outputPath, fw::File::READ_SHARE_NONE)) return reports.Fail(IDS_READ_INCOMPLETE, outputPath);
  const bool read = CombineStretches(
      readBack.Read(), info.totalSize,
      [&](int64_t start, int64_t length, uint32_t& gap) {
        return reader.Checksum({restored, outputPath}, static_cast<uint64_t>(start), static_cast<uint64_t>(length),
                               gap);
      },
      checksum);
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
    return output.SetLength(static_cast<uint64_t>(length));
  }) || reports.Fail(IDS_WRITE_INCOMPLETE, outputPath);
}

bool Restore::CloseOutput() {
  if (!output.IsOpen()) return true;  // closed when a failed reopening left it so
  return TracedStep("Trying to close the file...", [&] { return output.Close(); }) ||
         reports.Fail(IDS_WRITE_INCOMPLETE, outputPath);
}

}  // namespace

bool RestoreWorker(WorkerJob& job) {
  Restore restore(job);
  return restore.Run();
}
