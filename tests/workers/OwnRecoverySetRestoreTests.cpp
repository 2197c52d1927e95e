// Restores that mend from the recovery set the program's own split wrote: any losses
// within the amount the user chose are rebuilt byte for byte, whole pieces or single
// slices, the last disk with the info and batch files too, attended and unattended; one
// slice more than the set covers is refused and leaves only the bytes before the first
// lost slice.
#include <doctest/doctest.h>

#include <functional>
#include <windows.h>

#include "framework/Texts.h"
#include "job/Messages.h"
#include "logic/SizeRules.h"
#include "res/resource.h"
#include "restore/CheckWorker.h"
#include "restore/RestoreWorker.h"
#include "split/SplitWorker.h"
#include "support/FloppyDrive.h"
#include "support/ScriptedMessages.h"
#include "support/TestSupport.h"
#include "support/WorkerStage.h"
#include "workers/RepairedSplit.h"

namespace {

constexpr size_t PIECE = 40000, SLICE = 2500, PIECES = 12;
constexpr size_t SOURCE = (PIECES - 1) * PIECE + 20000;

// REPORT.DOC of 460,000 bytes split once into twelve pieces of 40,000 (the last of 20,000)
// with the info file, the batch file and three pieces' worth of recovery data: slices of
// 2,500 bytes, 16 a piece, and 48 recovery slices in three volumes.
struct TwelvePieceSet {
  TempFolder folder;
  const std::string data = test::PatternBytes(SOURCE, 29);
  const std::string out = folder / "out";

  TwelvePieceSet() {
    MakeFolder(out);
    WriteWholeFile(folder / "REPORT.DOC", data);
    WorkerStage splitting;
    ScriptedMessages noBoxes({}, &splitting.journal);
    WorkerJob job = splitting.Job(folder / "REPORT.DOC", out, static_cast<int32_t>(PIECE),
                                  EXTRA_REPAIR_FILE | EXTRA_INFO_FILE | EXTRA_BATCH_FILE);
    job.recoveryPieces = 3;
    REQUIRE(splitting.Run(SplitWorker, job) == ENDED_DONE);
    REQUIRE(FilesIn(out) == std::vector<std::string>{"REPORT.000", "REPORT.001", "REPORT.002", "REPORT.003",
                                                     "REPORT.004", "REPORT.005", "REPORT.006", "REPORT.007",
                                                     "REPORT.008", "REPORT.009", "REPORT.010", "REPORT.011",
                                                     "REPORT.Bat", "REPORT.Split", "REPORT.par2",
                                                     "REPORT.vol00+16.par2", "REPORT.vol16+16.par2",
                                                     "REPORT.vol32+16.par2"});
    REQUIRE(ReadWholeFile(out + "\\REPORT.Split").ends_with("\r\n<PAR2>2500 3"));
  }
};

// A fresh copy of the set's files, damaged as a case says, and restored from there.
struct DamagedCopy {
  TempFolder folder;
  const std::string out = folder / "out";
  const std::string back = folder / "back";

  explicit DamagedCopy(const TwelvePieceSet& set) {
    MakeFolder(out);
    MakeFolder(back);
    for (const std::string& name : FilesIn(set.out)) WriteWholeFile(out + "\\" + name, ReadWholeFile(set.out + "\\" + name));
  }
  std::string Path(const std::string& name) const { return out + "\\" + name; }
  std::string Piece(size_t index) const { return Path(index < 10 ? "REPORT.00" + std::to_string(index)
                                                                  : "REPORT.0" + std::to_string(index)); }
  void Remove(const std::string& path) const { REQUIRE(DeleteFileA(path.c_str())); }
  // Changes one byte in slice `slice` of a piece: that slice, and no other, is damaged.
  void DamageSlice(size_t piece, size_t slice, size_t within = 7) const {
    std::string bytes = ReadWholeFile(Piece(piece));
    REQUIRE(slice * SLICE + within < bytes.size());
    bytes[slice * SLICE + within] ^= 0x40;
    WriteWholeFile(Piece(piece), bytes);
  }
};

struct LossCase {
  const char* what;
  std::function<void(const DamagedCopy&)> damage;
  const char* infoFile;            // the info file the restore starts from
  std::vector<unsigned> attended;  // the boxes of an attended restore, each question answered to mend
  size_t kept;                     // the restored file's bytes at the end: all of them when mended
};

const std::vector<unsigned> MISSING = {IDS_INSERT_DISK_WITH, IDS_SET_ASIDE_FOR_RECOVERY};
const std::vector<unsigned> DAMAGED = {IDS_PIECE_DAMAGED, IDS_SET_ASIDE_FOR_RECOVERY};

std::vector<unsigned> Boxes(std::initializer_list<std::vector<unsigned>> parts) {
  std::vector<unsigned> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Cancel at each disk prompt and damaged-piece box, Yes to each question to set aside.
std::vector<int> AnswersFor(const std::vector<unsigned>& boxes) {
  std::vector<int> answers;
  for (unsigned box : boxes)
    if (box == IDS_INSERT_DISK_WITH || box == IDS_PIECE_DAMAGED) answers.push_back(IDCANCEL);
    else if (box == IDS_SET_ASIDE_FOR_RECOVERY) answers.push_back(IDYES);
  return answers;
}

}  // namespace

TEST_CASE("a restore mends any losses within the recovery data its own split wrote, and no more") {
  const TwelvePieceSet set;
  const LossCase cases[] = {
      {"three whole pieces lost: 48 slices, as many as the recovery slices",
       [](const DamagedCopy& c) {
         for (size_t piece : {0, 5, 10}) c.Remove(c.Piece(piece));
       },
       "REPORT.Split", Boxes({MISSING, MISSING, MISSING}), SOURCE},
      {"one slice damaged in each of eight pieces, at a piece's first and last byte too",
       [](const DamagedCopy& c) {
         c.DamageSlice(0, 0, 0);
         for (size_t piece = 1; piece < 7; ++piece) c.DamageSlice(piece * 3 / 2, piece * 2);
         c.DamageSlice(11, 7, SLICE - 1);
       },
       "REPORT.Split",
       Boxes({DAMAGED, DAMAGED, DAMAGED, DAMAGED, DAMAGED, DAMAGED, DAMAGED, DAMAGED}), SOURCE},
      {"the last disk lost: the last piece, the batch file and the info file, restored from a copy of it",
       [](const DamagedCopy& c) {
         WriteWholeFile(c.Path("REPORT copy.Split"), ReadWholeFile(c.Path("REPORT.Split")));
         for (const char* name : {"REPORT.011", "REPORT.Bat", "REPORT.Split"}) c.Remove(c.Path(name));
       },
       "REPORT copy.Split", MISSING, SOURCE},
      {"one slice more than the recovery data covers",
       [](const DamagedCopy& c) {
         for (size_t piece : {3, 6, 9}) c.Remove(c.Piece(piece));
         c.DamageSlice(1, 5);
       },
       "REPORT.Split", Boxes({DAMAGED, MISSING, MISSING, MISSING, {IDS_RECOVERY_TOO_FEW}}),
       PIECE + 5 * SLICE},
  };
  for (const LossCase& loss : cases) {
    for (const bool unattended : {false, true}) {
      const std::string what = loss.what;
    CAPTURE(what);
      CAPTURE(unattended);
      const DamagedCopy copy(set);
      loss.damage(copy);
      WorkerStage stage;
      const std::vector<unsigned> expected =
          unattended ? (loss.kept == SOURCE ? std::vector<unsigned>{} : std::vector<unsigned>{IDS_RECOVERY_TOO_FEW})
                     : loss.attended;
      ScriptedMessages boxes(unattended ? std::vector<int>{} : AnswersFor(loss.attended), &stage.journal);
      WorkerJob job = stage.Job(copy.Path(loss.infoFile), copy.back);
      job.unattended = unattended;
      const bool mended = loss.kept == SOURCE;
      CHECK(stage.Run(RestoreWorker, job) == (mended ? ENDED_DONE : ENDED_FAILED));
      CHECK(TextsShown(boxes) == expected);
      if (mended) CHECK(stage.ProgressRoseToEnd());
      // A restore that is not mended leaves no file of the full size under the original's name.
      const std::string restored = ReadWholeFile(copy.back + "\\REPORT.DOC");
      CHECK(restored.size() == loss.kept);
      CHECK(restored == set.data.substr(0, loss.kept));
    }
  }
}

TEST_CASE("on 720 KB FAT disks two pieces' worth fit on repair disks, of which a restore asks for those a lost disk needs") {
  // Two whole pieces and one of 50,000 bytes on three disks, and two pieces' worth of
  // recovery data on the repair disks after them.
  constexpr size_t FLOPPY_PIECE = 730112;
  FloppyDrive drive(FloppyFormat::FAT_720);
  if (!drive.Ready()) {
    MESSAGE("skipped: no FAT disk image could be mounted as drive A: (fusefat needs root and /dev/fuse)");
    return;
  }
  TempFolder folder;
  MakeFolder(folder / "back");
  const std::string data = test::PatternBytes(2 * FLOPPY_PIECE + 50000, 31);
  WriteWholeFile(folder / "REPORT.DOC", data);
  size_t repairDisks = 0;
  {
    WorkerStage splitting;
    ScriptedMessages boxes({}, &splitting.journal);
    boxes.WhenShown(IDS_NEXT_DISK, [&] { drive.InsertEmptyDisk(); });
    boxes.WhenShown(IDS_REPAIR_DISK, [&] { drive.InsertEmptyDisk(); });
    WorkerJob job = splitting.Job(folder / "REPORT.DOC", "A:\\", SIZE_FLOPPY_720, EXTRA_BATCH_FILE | EXTRA_REPAIR_FILE);
    job.recoveryPieces = 2;
    REQUIRE(splitting.Run(SplitWorker, job) == ENDED_DONE);
    const std::string info = ReadWholeFile("A:\\REPORT.Split");
    const size_t line = info.rfind("<PAR2>");
    REQUIRE(line != std::string::npos);
    repairDisks = std::stoul(info.substr(info.find(' ', line) + 1));
    MESSAGE("repair disks for two pieces' worth: ", repairDisks);
    // No disk was full: two prompts for pieces, one for each repair disk, and nothing else.
    std::vector<unsigned> expected = {IDS_NEXT_DISK, IDS_NEXT_DISK};
    expected.insert(expected.end(), repairDisks, IDS_REPAIR_DISK);
    CHECK(TextsShown(boxes) == expected);
    REQUIRE(drive.DisksPutIn() == 3 + repairDisks);
  }
  // A damaged sector in the last piece, written over in its place.
  REQUIRE(drive.PutBackDisk(2));
  HANDLE last = CreateFileA("A:\\REPORT.002", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  REQUIRE(last != INVALID_HANDLE_VALUE);
  const std::string garbage(512, '\x5A');
  DWORD written = 0;
  SetFilePointer(last, 20480, nullptr, FILE_BEGIN);
  CHECK(WriteFile(last, garbage.data(), 512, &written, nullptr));
  CloseHandle(last);

  // The restore starts from the info file on the last repair disk; the second disk is lost.
  // At the prompts for the repair disks the user puts in the disks listed. The lost disk and
  // the damaged sector take more recovery slices than one repair disk holds and fewer than
  // two: the third repair disk is never asked for.
  REQUIRE(repairDisks == 3);
  const std::vector<size_t> inOrder = {3, 4};
  const std::vector<size_t> firstOneTwice = {3, 3, 4};
  const struct {
    const char* what;
    std::vector<size_t> repairDisksPutIn;
    std::vector<unsigned> repairDisksAskedFor;  // by their numbers in the prompts
  } restores[] = {
      {"the repair disks in their order", inOrder, {1, 2}},
      {"the first repair disk put in again at the prompt for the second: the prompt comes again", firstOneTwice,
       {1, 2, 2}},
  };
  for (const auto& restore : restores) {
    const std::string what = restore.what;
    CAPTURE(what);
    REQUIRE(drive.PutBackDisk(drive.DisksPutIn() - 1));
    WorkerStage stage;
    std::vector<int> answers = {IDRETRY, IDCANCEL, IDYES, IDRETRY, IDCANCEL, IDYES};
    answers.insert(answers.end(), restore.repairDisksPutIn.size(), IDOK);
    ScriptedMessages boxes(answers, &stage.journal);
    size_t piecePrompts = 0, repairPrompts = 0;
    boxes.WhenShown(IDS_INSERT_DISK_WITH, [&] {
      const size_t piece = piecePrompts++;
      if (piece != 1) drive.PutBackDisk(piece);
    });
    boxes.WhenShown(IDS_INSERT_REPAIR_DISK, [&] {
      if (repairPrompts < restore.repairDisksPutIn.size()) drive.PutBackDisk(restore.repairDisksPutIn[repairPrompts++]);
    });
    CHECK(stage.Run(RestoreWorker, stage.Job("A:\\REPORT.Split", folder / "back")) == ENDED_DONE);
    std::vector<unsigned> expected = {IDS_INSERT_DISK_WITH, IDS_INSERT_DISK_WITH, IDS_SET_ASIDE_FOR_RECOVERY,
                                      IDS_INSERT_DISK_WITH, IDS_PIECE_DAMAGED,    IDS_SET_ASIDE_FOR_RECOVERY};
    expected.insert(expected.end(), restore.repairDisksPutIn.size(), IDS_INSERT_REPAIR_DISK);
    CHECK(TextsShown(boxes) == expected);
    std::vector<std::string> repairPromptTexts, expectedPromptTexts;
    for (const ShownMessage& shown : boxes.Shown())
      if (shown.textId == IDS_INSERT_REPAIR_DISK) repairPromptTexts.push_back(shown.text);
    for (unsigned disk : restore.repairDisksAskedFor)
      expectedPromptTexts.push_back(fw::FormatText(IDS_INSERT_REPAIR_DISK, disk, 3u, "REPORT.DOC"));
    CHECK(repairPromptTexts == expectedPromptTexts);
    CHECK(stage.ProgressRoseToEnd());
    CHECK(ReadWholeFile(folder / "back\\REPORT.DOC") == data);
    REQUIRE(DeleteFileA((folder / "back\\REPORT.DOC").c_str()));
  }

  // The check of the same disks asks for every repair disk and says what they rebuild: the
  // lost disk's slices and the damaged one, each from the disks' recovery data.
  REQUIRE(drive.PutBackDisk(drive.DisksPutIn() - 1));
  WorkerStage stage;
  ScriptedMessages boxes({IDRETRY, IDCANCEL, IDRETRY, IDOK, IDOK, IDOK}, &stage.journal);
  size_t piecePrompts = 0, repairPrompts = 0;
  boxes.WhenShown(IDS_INSERT_DISK_WITH, [&] {
    const size_t piece = piecePrompts++;
    if (piece != 1) drive.PutBackDisk(piece);
  });
  boxes.WhenShown(IDS_INSERT_REPAIR_DISK, [&] { drive.PutBackDisk(3 + repairPrompts++); });
  WorkerJob job = stage.Job("A:\\REPORT.Split", "");
  job.mode = JOB_CHECK;
  CHECK(stage.Run(CheckWorker, job) == ENDED_FAILED);
  std::vector<unsigned> prompts = TextsShown(boxes);
  REQUIRE_FALSE(prompts.empty());
  prompts.pop_back();  // the report
  std::vector<unsigned> expected(3, IDS_INSERT_DISK_WITH);
  expected.insert(expected.end(), repairDisks, IDS_INSERT_REPAIR_DISK);
  CHECK(prompts == expected);
  const std::string said = boxes.Shown().back().text;
  for (const std::string& line : {fw::FormatText(IDS_CHECK_MISSING, "A:\\REPORT.001"),
                                  fw::FormatText(IDS_CHECK_DAMAGED_SLICES, "A:\\REPORT.002", 1u, 2u),
                                  fw::FormatText(IDS_CHECK_RECOVERABLE, 25u, 25u)})
    CHECK_MESSAGE(said.find(line) != std::string::npos, line, " in: ", said);
}

TEST_CASE("a set whose every piece is lost is rebuilt whole: the set gives the piece size") {
  struct Case {
    const char* what;
    size_t size;
    int32_t recoveryPieces;
  };
  const Case cases[] = {{"the one piece of a short file", 30000, 1}, {"both pieces", 50000, 2}};
  for (const Case& example : cases) {
    CAPTURE(example.what);
    TempFolder folder;
    const std::string data = test::PatternBytes(example.size, 31), out = folder / "out";
    MakeFolder(out);
    MakeFolder(folder / "back");
    WriteWholeFile(folder / "REPORT.DOC", data);
    {
      WorkerStage splitting;
      ScriptedMessages noBoxes({}, &splitting.journal);
      WorkerJob job = splitting.Job(folder / "REPORT.DOC", out, static_cast<int32_t>(PIECE),
                                    EXTRA_REPAIR_FILE | EXTRA_INFO_FILE | EXTRA_BATCH_FILE);
      job.recoveryPieces = example.recoveryPieces;
      REQUIRE(splitting.Run(SplitWorker, job) == ENDED_DONE);
    }
    for (const char* piece : {"REPORT.000", "REPORT.001"}) DeleteFileA((out + "\\" + piece).c_str());
    WorkerStage stage;
    ScriptedMessages boxes({}, &stage.journal);
    WorkerJob job = stage.Job(out + "\\REPORT.Split", folder / "back");
    job.unattended = true;
    CHECK(stage.Run(RestoreWorker, job) == ENDED_DONE);
    CHECK(ReadWholeFile(folder / "back\\REPORT.DOC") == data);
  }
}
