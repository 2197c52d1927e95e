// The recovery set that a split writes: on a fixed disk its files and their names, the info
// file's record of it, par2cmdline's verdict and repairs, several passes of strips, a Break
// or a failed file while it is written (no file of it may stay), the progress and the memory;
// on floppies (FAT disk images) the repair disks, and a full one.
#include <doctest/doctest.h>

#include <algorithm>
#include <functional>
#include <windows.h>
#include <psapi.h>

#include "job/Messages.h"
#include "logic/SizeRules.h"
#include "logic/Par2Packets.h"
#include "logic/Par2Reader.h"
#include "res/resource.h"
#include "split/RecoverySet.h"
#include "split/SplitWorker.h"
#include "support/FloppyDrive.h"
#include "support/Par2Client.h"
#include "support/ScriptedMessages.h"
#include "support/TestSupport.h"
#include "support/UnixScript.h"
#include "support/WorkerStage.h"
#include "workers/RepairedSplit.h"

using Names = std::vector<std::string>;

namespace {

// A source split with the recovery set (and the batch file) into a folder of its own.
struct RecoverySplit {
  TempFolder folder;
  const std::string data;
  const std::string out = folder / "out";
  const std::string base = out + "\\REPORT";
  WorkerStage stage;

  RecoverySplit(size_t size, int32_t pieceSize, int32_t recoveryPieces, std::vector<int> answers = {},
                const std::function<void(RecoverySplit&, ScriptedMessages&)>& during = {})
      : data(test::PatternBytes(size, 11)) {
    MakeFolder(out);
    WriteWholeFile(folder / "REPORT.DOC", data);
    ScriptedMessages boxes(answers, &stage.journal);
    if (during) during(*this, boxes);
    WorkerJob job = stage.Job(folder / "REPORT.DOC", out, pieceSize, EXTRA_BATCH_FILE | EXTRA_REPAIR_FILE);
    job.recoveryPieces = recoveryPieces;
    ended = stage.Run(SplitWorker, job);
    shown = TextsShown(boxes);
  }
  std::string ended;
  std::vector<unsigned> shown;

  // Every file of the split as it is now, by name.
  std::vector<std::pair<std::string, std::string>> Files() const {
    std::vector<std::pair<std::string, std::string>> files;
    for (const std::string& name : FilesIn(out)) files.emplace_back(name, ReadWholeFile(out + "\\" + name));
    return files;
  }
};

Names RecoveryFilesIn(const std::string& folder) {
  Names names;
  for (const std::string& name : FilesIn(folder))
    if (name.ends_with(".par2")) names.push_back(name);
  return names;
}

// The set as the program's own reader finds it in the index and volume files.
Par2SetDescription ReadSet(const std::string& folder, const Names& files) {
  struct Bytes : Par2ByteSource {
    std::string bytes;
    uint64_t Length() const override { return bytes.size(); }
    bool Read(uint64_t offset, void* buffer, size_t count) override {
      if (offset + count > bytes.size()) return false;
      std::copy_n(bytes.data() + offset, count, static_cast<char*>(buffer));
      return true;
    }
  };
  std::vector<Bytes> sources(files.size());
  Par2Reader reader;
  for (size_t file = 0; file < files.size(); ++file) {
    sources[file].bytes = ReadWholeFile(folder + "\\" + files[file]);
    reader.Scan(sources[file], static_cast<uint32_t>(file));
  }
  return reader.Describe();
}

}  // namespace

TEST_CASE("on a fixed disk the split writes BASE.par2 and its volumes beside the pieces, and par2 repairs with them") {
  struct Case {
    const char* what;
    size_t size;
    int32_t pieceSize, recoveryPieces;
    Names recoveryFiles;
    const char* recoveryLine;
    Names lost;  // removed before the repair, or damaged when marked with "*"
  };
  const Case cases[] = {
      // Slices of 2,500 bytes, 16 a piece: one volume of 16 recovery slices.
      {"one piece's worth over a short last piece", 100000, 40000, 1, {"REPORT.par2", "REPORT.vol00+16.par2"},
       "\r\n<PAR2>2500 1", {"REPORT.001"}},
      {"three pieces' worth in three volumes", 100000, 40000, 3,
       {"REPORT.par2", "REPORT.vol00+16.par2", "REPORT.vol16+16.par2", "REPORT.vol32+16.par2"}, "\r\n<PAR2>2500 3",
       {"REPORT.000", "*REPORT.002", "REPORT.Bat", "*REPORT.Split"}},
      // One piece of 1,000 bytes, shorter than the slice of a sixteenth of 40,000.
      {"a source shorter than one slice", 1000, 40000, 1, {"REPORT.par2", "REPORT.vol0+1.par2"}, "\r\n<PAR2>2500 1",
       {"REPORT.000"}},
  };
  for (const Case& example : cases) {
    CAPTURE(example.what);
    RecoverySplit split(example.size, example.pieceSize, example.recoveryPieces);
    REQUIRE(split.ended == ENDED_DONE);
    CHECK(split.shown.empty());
    CHECK(split.stage.ProgressRoseToEnd());
    CHECK(RecoveryFilesIn(split.out) == example.recoveryFiles);
    CHECK(ReadWholeFile(split.base + ".Split").ends_with(example.recoveryLine));
    // The set protects the pieces, the batch file and the info file, under their names.
    const Par2SetDescription set = ReadSet(split.out, example.recoveryFiles);
    REQUIRE(set.usable);
    Names protectedFiles;
    for (const Par2InputFile& file : set.files) protectedFiles.push_back(file.name);
    std::sort(protectedFiles.begin(), protectedFiles.end());
    Names expected = FilesIn(split.out);
    expected.erase(std::remove_if(expected.begin(), expected.end(), [](const std::string& name) {
                     return name.ends_with(".par2");
                   }), expected.end());
    CHECK(protectedFiles == expected);

    const Par2Run verified = RunPar2("verify", split.base + ".par2");
    CHECK_MESSAGE(verified.status == 0, verified.said);
    const auto whole = split.Files();
    for (const std::string& lost : example.lost) {
      const std::string path = split.out + "\\" + lost.substr(lost[0] == '*');
      if (lost[0] == '*') {
        std::string bytes = ReadWholeFile(path);
        for (size_t at = bytes.size() / 3; at < bytes.size() / 3 + 100 && at < bytes.size(); ++at) bytes[at] ^= 0x5A;
        WriteWholeFile(path, bytes);
      } else {
        REQUIRE(DeleteFileA(path.c_str()));
      }
    }
    const Par2Run repaired = RunPar2("repair", split.base + ".par2");
    CHECK_MESSAGE(repaired.status == 0, repaired.said);
    for (const auto& [name, bytes] : whole) {
      CAPTURE(name);
      CHECK(ReadWholeFile(split.out + "\\" + name) == bytes);
    }
  }
}

TEST_CASE("recovery slices that do not fit in memory at once are computed in several passes, to the same bytes") {
  RecoverySplit onePass(300000, 100000, 2);
  REQUIRE(onePass.ended == ENDED_DONE);
  // 32 recovery slices of 6,252 bytes: a strip of 100 bytes a slice makes 63 passes.
  SetRecoveryStripMemory(3200);
  RecoverySplit passes(300000, 100000, 2);
  SetRecoveryStripMemory(0);
  REQUIRE(passes.ended == ENDED_DONE);
  CHECK(passes.stage.ProgressRoseToEnd());
  CHECK(RecoveryFilesIn(passes.out) == Names{"REPORT.par2", "REPORT.vol00+16.par2", "REPORT.vol16+16.par2"});
  CHECK(passes.Files() == onePass.Files());
  const Par2Run verified = RunPar2("verify", passes.base + ".par2");
  CHECK_MESSAGE(verified.status == 0, verified.said);
}

TEST_CASE("a split broken off while the recovery set is written leaves no file of the set") {
  // Strips of 100 bytes make many passes; the Break comes in the second.
  SetRecoveryStripMemory(3200);
  FileCallCounter writes;
  // Three pieces, the batch and the info file, the index, each of the two volumes' copies of
  // the critical packets and its Creator packet, 32 placeholder headers, then the 32 strips
  // of the first pass.
  const size_t before = 3 + 2 + 1 + 2 * (Par2CriticalCopies(16) + 1) + 32 + 32;
  RecoverySplit split(300000, 100000, 2, {IDYES}, [&](RecoverySplit& self, ScriptedMessages&) {
    writes.BeforeWrite(before + 1, [&] { self.stage.Break(); });
  });
  SetRecoveryStripMemory(0);
  CHECK(split.ended == ENDED_FAILED);
  CHECK(split.shown == std::vector<unsigned>{IDS_ABORT_SPLIT});
  CHECK(FilesIn(split.out) == Names{"REPORT.000", "REPORT.001", "REPORT.002", "REPORT.Bat", "REPORT.Split"});
}

TEST_CASE("a recovery file that cannot be created is offered again; Cancel leaves no file of the set") {
  // A folder in the place of the second volume.
  const auto blocked = [](RecoverySplit& self, ScriptedMessages& boxes) {
    MakeFolder(self.out + "\\REPORT.vol16+16.par2");
    boxes.WhenShown(IDS_RECOVERY_FILE_FAILED, [&self] { RemoveDirectoryA((self.out + "\\REPORT.vol16+16.par2").c_str()); });
  };
  SUBCASE("Cancel") {
    RecoverySplit split(100000, 40000, 2, {IDCANCEL}, blocked);
    CHECK(split.ended == ENDED_FAILED);
    CHECK(split.shown == std::vector<unsigned>{IDS_CANNOT_CREATE, IDS_RECOVERY_FILE_FAILED});
    CHECK(RecoveryFilesIn(split.out).empty());
  }
  SUBCASE("Retry once the folder is gone writes the whole set") {
    RecoverySplit split(100000, 40000, 2, {IDRETRY}, blocked);
    CHECK(split.ended == ENDED_DONE);
    CHECK(split.shown == std::vector<unsigned>{IDS_CANNOT_CREATE, IDS_RECOVERY_FILE_FAILED});
    CHECK(split.stage.ProgressRoseToEnd());
    CHECK(RecoveryFilesIn(split.out) == Names{"REPORT.par2", "REPORT.vol00+16.par2", "REPORT.vol16+16.par2"});
    const Par2Run verified = RunPar2("verify", split.base + ".par2");
    CHECK_MESSAGE(verified.status == 0, verified.said);
  }
}

TEST_CASE("the recovery slices take at most 64 MiB beside the copy buffers, whatever their size") {
  // 9 pieces' worth of 8 MiB pieces: 144 recovery slices of 512 KiB, 72 MiB in all. The
  // system counts what the process holds in memory: its working set, whose peak this split
  // must set (the test runs in a process of its own). A small split first takes what the
  // first run of the code costs the process: its pages loaded, and under an emulator (the
  // shipped build under qemu) the code it translates, which the split's budget does not hold.
  RecoverySplit(100000, 40000, 1);
  PROCESS_MEMORY_COUNTERS before{}, after{};
  REQUIRE(GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before));
  RecoverySplit split(2 * (8 << 20) + 1000, 8 << 20, 9);
  REQUIRE(GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after));
  REQUIRE(split.ended == ENDED_DONE);
  const int64_t peak = int64_t(after.PeakWorkingSetSize) - int64_t(before.WorkingSetSize);
  MESSAGE("peak memory of the split and of the test's source beyond what the test held before: ", peak >> 10, " KiB");
  // The strips, the copy and read buffers (1 MiB each), the test's own copy of the source,
  // and 4 MiB for the set's packets, the thread and the windows.
  CHECK(peak <= (64 << 20) + (2 << 20) + int64_t(split.data.size()) + (4 << 20));
  CHECK(peak >= (60 << 20));  // the strips do take the budget
}

namespace {

// A split of three 1.44 MB pieces (the last one short) onto FAT disks of that format, with one
// piece's worth of recovery data: 45 slices of 32,768 bytes, in volumes of as many as fit
// on a disk beside the index and the info file.
struct FloppyRecoverySplit {
  FloppyDrive drive{FloppyFormat::FAT_1440};
  TempFolder folder;
  const std::string data = test::PatternBytes(2 * 1457664 + 100000, 13);
  WorkerStage stage;
  std::string ended;
  std::vector<unsigned> shown;

  explicit FloppyRecoverySplit(std::vector<int> answers = {},
                               const std::function<void(FloppyRecoverySplit&, ScriptedMessages&)>& during = {}) {
    if (!drive.Ready()) return;
    WriteWholeFile(folder / "REPORT.DOC", data);
    ScriptedMessages boxes(answers, &stage.journal);
    boxes.WhenShown(IDS_NEXT_DISK, [this] { drive.InsertEmptyDisk(); });
    boxes.WhenShown(IDS_REPAIR_DISK, [this] { drive.InsertEmptyDisk(); });
    if (during) during(*this, boxes);
    ended = stage.Run(SplitWorker, stage.Job(folder / "REPORT.DOC", "A:\\", SIZE_FLOPPY_144,
                                             EXTRA_BATCH_FILE | EXTRA_REPAIR_FILE));
    shown = TextsShown(boxes);
  }
};

}  // namespace

TEST_CASE("on floppies each volume comes on a repair disk of its own with the index and the info file") {
  FloppyRecoverySplit split;
  if (!split.drive.Ready()) {
    MESSAGE(FloppyDrive::NOT_READY);
    return;
  }
  REQUIRE(split.ended == ENDED_DONE);
  // Two prompts for pieces, two for repair disks, and no full disk.
  CHECK(split.shown == std::vector<unsigned>{IDS_NEXT_DISK, IDS_NEXT_DISK, IDS_REPAIR_DISK, IDS_REPAIR_DISK});
  CHECK(split.stage.Only("box 198").size() == 2);
  CHECK(split.stage.ProgressRoseToEnd());
  REQUIRE(split.drive.DisksPutIn() == 5);
  CHECK(split.drive.FilesOnDisk(0) == Names{"REPORT.000"});
  CHECK(split.drive.FilesOnDisk(1) == Names{"REPORT.001"});
  CHECK(split.drive.FilesOnDisk(2) == Names{"REPORT.002", "REPORT.Bat", "REPORT.Split"});
  // 45 recovery slices: as many as fit on the first repair disk, the rest on the second.
  const Names first = split.drive.FilesOnDisk(3), second = split.drive.FilesOnDisk(4);
  REQUIRE(first.size() == 3);
  REQUIRE(second.size() == 3);
  CHECK(first[0] == "REPORT.Split");
  CHECK(first[1] == "REPORT.par2");
  CHECK(first[2].starts_with("REPORT.vol00+"));
  CHECK(second[2].starts_with("REPORT.vol"));

  // Every disk's files together in one folder, as a user would copy them for par2.
  TempFolder together;
  for (size_t disk = 0; disk < 5; ++disk) REQUIRE(split.drive.CopyFilesOfDisk(disk, together.Path()));
  CHECK(ReadWholeFile(together / "REPORT.000") + ReadWholeFile(together / "REPORT.001") +
            ReadWholeFile(together / "REPORT.002") ==
        split.data);
  const std::string info = ReadWholeFile(together / "REPORT.Split");
  CHECK(info.ends_with("\r\n<PAR2>32768 2"));
  const Par2Run verified = RunPar2("verify", together / "REPORT.par2");
  CHECK_MESSAGE(verified.status == 0, verified.said);
  const std::string lost = ReadWholeFile(together / "REPORT.001");
  REQUIRE(DeleteFileA((together / "REPORT.001").c_str()));
  const Par2Run repaired = RunPar2("repair", together / "REPORT.par2");
  CHECK_MESSAGE(repaired.status == 0, repaired.said);
  CHECK(ReadWholeFile(together / "REPORT.001") == lost);
}

TEST_CASE("a repair disk that is full is offered again; Retry writes its files on an empty one") {
  FloppyRecoverySplit split({IDRETRY}, [](FloppyRecoverySplit& self, ScriptedMessages& boxes) {
    // The first repair disk holds a file of a million bytes already.
    boxes.WhenShown(IDS_REPAIR_DISK, [&self] {
      self.drive.InsertEmptyDisk();
      if (self.drive.DisksPutIn() == 4) WriteWholeFile("A:\\FILLER.BIN", std::string(1000000, 'x'));
    });
    boxes.WhenShown(IDS_RECOVERY_FILE_FAILED, [&self] { self.drive.InsertEmptyDisk(); });
  });
  if (!split.drive.Ready()) {
    MESSAGE(FloppyDrive::NOT_READY);
    return;
  }
  CHECK(split.ended == ENDED_DONE);
  CHECK(split.shown ==
        std::vector<unsigned>{IDS_NEXT_DISK, IDS_NEXT_DISK, IDS_REPAIR_DISK, IDS_RECOVERY_FILE_FAILED, IDS_REPAIR_DISK});
  CHECK(split.stage.ProgressRoseToEnd());
  REQUIRE(split.drive.DisksPutIn() == 6);
  // The full disk keeps only what it held; the empty one after it got the volume.
  CHECK(split.drive.FilesOnDisk(3) == Names{"FILLER.BIN"});
  CHECK(split.drive.FilesOnDisk(4).size() == 3);
  CHECK(split.drive.FilesOnDisk(5).size() == 3);
}
