// Pieces on a disk with bad sectors (a FUSE file system whose reads fail in a byte range):
// the block copy reads a block that fails again sector by sector and keeps every sector
// that reads, and a restore mends the unreadable middle of a piece from the recovery set.
#include <doctest/doctest.h>

#include <windows.h>

#include "job/BlockCopier.h"
#include "job/Messages.h"
#include "res/resource.h"
#include "restore/RestoreWorker.h"
#include "split/SplitWorker.h"
#include "support/BadSectorDisk.h"
#include "support/ScriptedMessages.h"
#include "support/TestSupport.h"
#include "support/WorkerStage.h"
#include "workers/RepairedSplit.h"

namespace {

// The Windows error of a read of the bad range, read straight with the system's calls.
DWORD ErrorOfFailedRead(const std::string& path, uint32_t at) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  REQUIRE(file != INVALID_HANDLE_VALUE);
  char sector[512];
  DWORD got = 0;
  SetFilePointer(file, static_cast<LONG>(at), nullptr, FILE_BEGIN);
  const BOOL read = ReadFile(file, sector, sizeof sector, &got, nullptr);
  const DWORD error = read ? ERROR_SUCCESS : GetLastError();
  CloseHandle(file);
  return error;
}

// Three pieces of 200,000 bytes (the last of 150,000) split into the folder disk with one
// piece's worth of recovery data: slices of 12,500 bytes, 16 recovery slices in one volume.
// The last piece is then lost: twelve slices.
struct SplitOntoDisk {
  TempFolder folder;
  const std::string data = test::PatternBytes(550000, 23);

  SplitOntoDisk() {
    MakeFolder(folder / "disk");
    MakeFolder(folder / "back");
    WriteWholeFile(folder / "REPORT.DOC", data);
    WorkerStage splitting;
    ScriptedMessages noBoxes({}, &splitting.journal);
    WorkerJob job = splitting.Job(folder / "REPORT.DOC", folder / "disk", 200000,
                                  EXTRA_REPAIR_FILE | EXTRA_INFO_FILE | EXTRA_BATCH_FILE);
    REQUIRE(splitting.Run(SplitWorker, job) == ENDED_DONE);
    REQUIRE(ReadWholeFile(folder / "disk\\REPORT.Split").ends_with("\r\n<PAR2>12500 1"));
    REQUIRE(DeleteFileA((folder / "disk\\REPORT.002").c_str()));
  }
};

}  // namespace

TEST_CASE("a block that cannot be read is read again sector by sector: the sectors that read are kept") {
  // A file of 3 MiB and a bit whose bytes from 1 MiB + 1,000 up to 2 MiB + 300 fail: the
  // failed reads begin in one block and end in the next one.
  constexpr uint32_t FROM = (1 << 20) + 1000, TO = (2 << 20) + 300;
  TempFolder folder;
  MakeFolder(folder / "disk");
  const std::string data = test::PatternBytes((3 << 20) + 12345, 17);
  WriteWholeFile(folder / "disk\\PIECE.BIN", data);
  const BadSectorDisk disk(folder / "disk", "PIECE.BIN", FROM, TO);
  if (!disk.Ready()) {
    MESSAGE("skipped: the disk with bad sectors could not be mounted: ", disk.Why());
    return;
  }
  const std::string piece = disk.Path() + "\\PIECE.BIN";
  const DWORD error = ErrorOfFailedRead(piece, FROM);
  MESSAGE("Wine's error for a read that the file system fails with EIO: ", error);
  CHECK(error != ERROR_SUCCESS);
  CHECK(ErrorOfFailedRead(piece, TO + 512) == ERROR_SUCCESS);

  WorkerStage stage;
  ScriptedMessages boxes;
  WorkerReports reports(stage.progress, *stage.stop);
  reports.ExpectWork(static_cast<int64_t>(data.size()));
  BlockCopier copier(reports, IDS_ABORT_RESTORE, FIXED_DISK_BLOCK_BYTES);
  fw::File source, target;
  REQUIRE(source.Open(piece, fw::File::READ_SHARE_READ));
  REQUIRE(target.Open(folder / "copy", fw::File::CREATE_EXCLUSIVE));
  const std::string targetPath = folder / "copy";
  SUBCASE("without salvage the copy fails at the first bad block") {
    CHECK(copier.Copy({source, piece}, {target, targetPath}, INT64_MAX, false) == BlockCopier::FAILED);
    CHECK(TextsShown(boxes) == std::vector<unsigned>{IDS_READ_INCOMPLETE});
    CHECK(copier.Done() <= FROM);
  }
  SUBCASE("with salvage every sector that reads is copied, the others are zeros") {
    copier.SalvageUnreadableBlocks();
    CHECK(copier.Copy({source, piece}, {target, targetPath}, INT64_MAX, false) == BlockCopier::SOURCE_ENDED);
    CHECK(copier.Salvaged());
    CHECK(TextsShown(boxes).empty());
    REQUIRE(target.Close());
    const std::string copy = ReadWholeFile(targetPath);
    REQUIRE(copy.size() == data.size());
    // The failed sectors: those of 512 bytes that hold a byte of the bad range.
    const size_t zerosFrom = FROM / 512 * 512, zerosTo = (TO + 511) / 512 * 512;
    CHECK(copy.substr(0, zerosFrom) == data.substr(0, zerosFrom));
    CHECK(copy.substr(zerosFrom, zerosTo - zerosFrom) == std::string(zerosTo - zerosFrom, '\0'));
    CHECK(copy.substr(zerosTo) == data.substr(zerosTo));
  }
}

TEST_CASE("a piece whose middle cannot be read is restored from the recovery data") {
  // The second piece's bytes from 80,000 to 110,000 cannot be read (three slices), and the
  // last piece is lost (twelve): only with the sectors that read kept is the recovery data
  // enough.
  const SplitOntoDisk split;
  const TempFolder& folder = split.folder;
  const std::string& data = split.data;
  const BadSectorDisk disk(folder / "disk", "REPORT.001", 80000, 110000);
  if (!disk.Ready()) {
    MESSAGE("skipped: the disk with bad sectors could not be mounted: ", disk.Why());
    return;
  }
  for (const bool unattended : {false, true}) {
    CAPTURE(unattended);
    WorkerStage stage;
    ScriptedMessages boxes({IDCANCEL, IDYES, IDCANCEL, IDYES}, &stage.journal);
    WorkerJob job = stage.Job(disk.Path() + "\\REPORT.Split", folder / "back");
    job.unattended = unattended;
    CHECK(stage.Run(RestoreWorker, job) == ENDED_DONE);
    CHECK(TextsShown(boxes) == (unattended ? std::vector<unsigned>{}
                                           : std::vector<unsigned>{IDS_PIECE_DAMAGED, IDS_SET_ASIDE_FOR_RECOVERY,
                                                                   IDS_INSERT_DISK_WITH, IDS_SET_ASIDE_FOR_RECOVERY}));
    CHECK(stage.ProgressRoseToEnd());
    CHECK(ReadWholeFile(folder / "back\\REPORT.DOC") == data);
    REQUIRE(DeleteFileA((folder / "back\\REPORT.DOC").c_str()));
  }
}

TEST_CASE("a volume with bad sectors still gives every recovery slice outside them") {
  // Bytes 100,000 to 101,000 of the volume, inside its eighth recovery slice, cannot be
  // read: the 15 other recovery slices, most of them after the bad ones, rebuild the lost
  // piece's twelve.
  const SplitOntoDisk split;
  const BadSectorDisk disk(split.folder / "disk", "REPORT.vol00+16.par2", 100000, 101000);
  if (!disk.Ready()) {
    MESSAGE("skipped: the disk with bad sectors could not be mounted: ", disk.Why());
    return;
  }
  WorkerStage stage;
  ScriptedMessages boxes({}, &stage.journal);
  WorkerJob job = stage.Job(disk.Path() + "\\REPORT.Split", split.folder / "back");
  job.unattended = true;
  CHECK(stage.Run(RestoreWorker, job) == ENDED_DONE);
  CHECK(TextsShown(boxes).empty());
  CHECK(ReadWholeFile(split.folder / "back\\REPORT.DOC") == split.data);
}
