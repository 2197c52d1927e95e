// A split whose pieces cannot be written, or whose source shrinks under it.
#include <doctest/doctest.h>

#include "DiskState.h"
#include "framework/Texts.h"
#include "job/BlockCopier.h"
#include "job/Messages.h"
#include "res/resource.h"
#include "split/SplitWorker.h"
#include "support/FloppyDrive.h"
#include "support/TestSupport.h"
#include "support/UnixScript.h"
#include "support/WorkerStage.h"

using Entries = std::vector<std::string>;

namespace {

constexpr uint32_t ALL_EXTRAS = EXTRA_PROGRAM_COPY | EXTRA_BATCH_FILE | EXTRA_INFO_FILE;

// The block of a split to a fixed disk.
constexpr size_t BLOCK = FIXED_DISK_BLOCK_BYTES;

struct SplitSource {
  TempFolder folder;
  std::string data;
  std::string path = folder / "REPORT.DOC";
  std::string piece = folder / "out\\REPORT";  // without the piece's extension

  explicit SplitSource(size_t length = 100000) : data(test::PatternBytes(length, 9)) {
    WriteWholeFile(path, data);
    MakeFolder(folder / "out");
  }
};

}  // namespace

TEST_CASE("a piece that cannot be written ends the split; what was written stays") {
  WorkerStage stage;
  SplitSource source;
  const std::string firstPiece = source.piece + ".000";

  SUBCASE("an existing read-only piece: Yes to the overwrite, then text 145, and it keeps its bytes") {
    WriteWholeFile(firstPiece, "old");
    ImmutableFlag readOnly(firstPiece);
    REQUIRE(readOnly.Set());
    const Entries before = FolderState(source.folder.Path());
    ScriptedMessages boxes({IDYES}, &stage.journal);
    CHECK(stage.Run(SplitWorker, stage.Job(source.path, source.folder / "out", 40000, ALL_EXTRAS)) ==
          ENDED_FAILED);
    CHECK(stage.Only("box") == Entries{"box 144", "box 145"});
    CHECK(Box(boxes, 1).text == "The file '" + firstPiece + "' could not be created!");
    CHECK(Box(boxes, 1).icon == MB_ICONSTOP);
    CHECK(FolderState(source.folder.Path()) == before);
  }

  SUBCASE("the piece being written turns read-only: text 149 names it, its first block stays") {
    SplitSource large(2 * BLOCK + 1000);
    const std::string largePiece = large.piece + ".000";
    ImmutableFlag readOnly(largePiece);
    bool set = false;
    // The break-off question stops the worker after its first block; No lets it go on.
    ScriptedMessages boxes({IDNO}, &stage.journal);
    boxes.WhenShown(IDS_ABORT_SPLIT, [&] { set = readOnly.Set(); });
    stage.Break();
    CHECK(stage.Run(SplitWorker, stage.Job(large.path, large.folder / "out", 2 * BLOCK, ALL_EXTRAS)) ==
          ENDED_FAILED);
    REQUIRE(set);
    CHECK(stage.Only("box") == Entries{"box 150", "box 149"});
    CHECK(Box(boxes, 1).text == fw::FormatText(IDS_WRITE_INCOMPLETE, largePiece.c_str()));
    CHECK(Box(boxes, 1).icon == MB_ICONSTOP);
    CHECK(FolderState(large.folder / "out") ==
          Entries{StateEntry("REPORT.000", large.data.substr(0, BLOCK))});
    CHECK(ReadWholeFile(large.path) == large.data);
  }
}

TEST_CASE("the disk put in for the next piece is write-protected: text 145, the pieces before stay") {
  WorkerStage stage;
  SplitSource source;
  FloppyDrive floppy(FloppyFormat::FAT_1440);
  if (!floppy.Ready()) {
    MESSAGE(FloppyDrive::NOT_READY);
    return;
  }
  bool inserted = false;
  ScriptedMessages boxes({}, &stage.journal);
  boxes.WhenShown(IDS_NEXT_DISK, [&] { inserted = floppy.InsertEmptyDisk(true); });
  CHECK(stage.Run(SplitWorker, stage.Job(source.path, "A:\\", 40000, ALL_EXTRAS)) == ENDED_FAILED);
  REQUIRE(inserted);
  CHECK(stage.Only("box") == Entries{"box 147", "box 145"});
  CHECK(Box(boxes, 1).text == "The file 'A:\\REPORT.001' could not be created!");
  REQUIRE(floppy.DisksPutIn() == 2);
  CHECK(floppy.FilesOnDisk(0) == Entries{"REPORT.000"});
  CHECK(floppy.FileOnDisk(0, "REPORT.000") == source.data.substr(0, 40000));
  CHECK(floppy.FilesOnDisk(1).empty());
  CHECK(FolderState(source.folder / "out").empty());
}

TEST_CASE("a source cut short while it is split: text 148, the pieces so far stay") {
  struct Cut {
    size_t length;      // what is left of the source of three blocks
    Entries pieces;     // the pieces then, named
    size_t firstPiece;  // the bytes in REPORT.000
  };
  // Pieces of a block and a quarter; the cut comes after the first block was read and written.
  const size_t pieceSize = BLOCK + BLOCK / 4;
  for (const Cut& cut :
       {Cut{pieceSize, {"REPORT.000", "REPORT.001"}, pieceSize}, Cut{BLOCK / 2, {"REPORT.000"}, BLOCK}}) {
    CAPTURE(cut.length);
    WorkerStage stage;
    SplitSource source(3 * BLOCK);
    const std::string unixSource = UnixPathOf(source.path);
    int cutStatus = -1;
    ScriptedMessages boxes({IDNO}, &stage.journal);
    // The worker holds the source open against writers: only the system below Wine can cut it.
    boxes.WhenShown(IDS_ABORT_SPLIT, [&] {
      cutStatus = RunUnixScript("truncate -s " + std::to_string(cut.length) + " " + ShellWord(unixSource));
    });
    stage.Break();
    WorkerJob job = stage.Job(source.path, source.folder / "out", static_cast<int32_t>(pieceSize), ALL_EXTRAS);
    CHECK(stage.Run(SplitWorker, job) == ENDED_FAILED);
    REQUIRE(cutStatus == 0);
    CHECK(stage.Only("box") == Entries{"box 150", "box 148"});
    CHECK(Box(boxes, 1).text == "The file " + source.path + " could not\nbe read completely!");
    CHECK(Box(boxes, 1).icon == MB_ICONSTOP);
    CHECK(FilesIn(source.folder / "out") == cut.pieces);
    CHECK(ReadWholeFile(source.piece + ".000") == source.data.substr(0, cut.firstPiece));
    if (cut.pieces.size() > 1) CHECK(ReadWholeFile(source.piece + ".001").empty());
    CHECK(ReadWholeFile(source.path) == source.data.substr(0, cut.length));
  }
}
